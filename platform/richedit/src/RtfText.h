// Rich text carries plain text only here: reading keeps the characters,
// paragraph and line marks and tabs of an RTF document and drops every
// formatting word and destination (fonts, colours, styles, pictures);
// writing makes a minimal document of one font. Bytes that are not RTF are
// read as plain text (UTF-8, else the ANSI code page).
#pragma once

#include <string>

namespace richedit {

// Breaks come back as kBreak.
std::wstring rtfToText(const std::string& bytes);
std::string textToRtf(const std::wstring& text, const std::wstring& face);

}  // namespace richedit
