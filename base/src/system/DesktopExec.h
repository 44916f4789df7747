#pragma once
// The Exec value of a desktop entry for a program and its Windows-style
// command-line arguments, escaped so that a launcher runs exactly that
// program with exactly those arguments.

#include <string>
#include <vector>

// Splits a Windows command line (UTF-8): blanks separate arguments outside
// double quotes; backslashes are literal except before a quote, where each
// pair stands for one backslash and an odd one left over makes the quote
// a literal character.
std::vector<std::string> SplitWindowsCommandLine(const std::string& commandLine);

// The text after "Exec=": each argument quoted when it holds a character
// the desktop-entry format reserves ('"', '`', '$' and '\' escaped inside
// the quotes), '%' doubled so that it is no field code, and the whole then
// escaped as a string value ('\' doubled), all on one line.
std::string DesktopExecValue(const std::string& program, const std::string& arguments);
