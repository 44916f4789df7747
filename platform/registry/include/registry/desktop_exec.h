// The Exec value of a desktop entry for a Windows-style command line: what
// a launcher needs to run exactly that program with exactly those
// arguments. Used by the autostart entry that mirrors the Run value and by
// shortcut files.
#pragma once

#include <string>
#include <vector>

namespace registry {

// Splits a command line as Windows programs do: blanks (space, tab, line
// breaks) separate arguments outside double quotes; backslashes are
// literal except before a quote, where each pair stands for one backslash
// and an odd one left over makes the quote a literal character.
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

// The text after "Exec=" for a program and its arguments: each argument
// quoted when it holds a character the desktop-entry format reserves ('"',
// '`', '$' and '\' escaped inside the quotes), '%' doubled so that it is no
// field code, line breaks inside an argument made blanks, and the whole
// escaped as a string value.
std::wstring DesktopExecValue(const std::vector<std::wstring>& argv);

// The string-value escapes of the desktop-entry format ('\', line breaks,
// tabs), for Name=, Exec= and the other keys.
std::wstring EscapeDesktopValue(const std::wstring& text);

}  // namespace registry
