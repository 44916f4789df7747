// The XDG autostart entry that stands for a Run value of the current user.
#pragma once

#include <string>

namespace registry::detail {

// "Software\Microsoft\Windows\CurrentVersion\Run", compared without case.
bool IsUserRunKey(const std::wstring& keyPath);
// True when the command line names a program (it is not empty or blank).
bool IsCommand(const std::wstring& commandLine);
// The desktop entry's text for a Windows command line: Exec= holds each
// argument quoted as the desktop-entry format asks.
std::string DesktopEntryText(const std::wstring& name, const std::wstring& commandLine);
// Writes (replacing) or deletes the entry; a missing entry is no failure.
bool WriteAutostartEntry(const std::wstring& name, const std::wstring& commandLine);
bool DeleteAutostartEntry(const std::wstring& name);
}  // namespace registry::detail
