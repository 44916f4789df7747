// UTF-8 <-> wide text, one code point per wchar_t (32 bits here). Every layer
// that hands text to a UTF-8 library or to the operating system converts
// through these, so malformed input is treated the same everywhere.
//
// Lengths are explicit: embedded NULs pass through both ways. A wide value
// that is no Unicode scalar value (a surrogate, anything past U+10FFFF, a
// negative wchar_t) is written as U+FFFD ("\xEF\xBF\xBD").
#pragma once

#include <string>
#include <string_view>

namespace crt {

std::string WideToUtf8(std::wstring_view text);
// NUL-terminated text; a null pointer gives "".
std::string WideToUtf8(const wchar_t* text);

// Forgiving decode, for text that must be shown or used whatever it holds:
// each byte that does not begin a well-formed sequence (a stray continuation
// byte, a lead byte of a cut or broken sequence, an overlong form, an encoded
// surrogate, a value past U+10FFFF, 0xF8..0xFF) becomes one U+FFFD, and
// decoding resumes at the next byte.
std::wstring Utf8ToWide(std::string_view bytes);

// Strict decode, for callers that fall back to another encoding: true with
// the text in `out` only when all of `bytes` is well-formed UTF-8; otherwise
// false with `out` empty.
bool Utf8ToWideStrict(std::string_view bytes, std::wstring& out);

}  // namespace crt
