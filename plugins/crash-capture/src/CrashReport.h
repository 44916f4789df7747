#pragma once
// Builds and stores the text of one crash report.

#include <string>

namespace trevalin {

// The report's text: the signal, the time, the process, the faulting address
// (when the fault has one) and the call stack (UTF-8).
std::string BuildCrashReport(int signal, bool hasFaultAddress, const void* faultAddress,
                             void* const* frames, int count);

// Writes the report into the folder (created when missing) as
// crash-<date>-<time>-<pid>.txt. Returns the file's path, empty on failure.
std::string StoreCrashReport(const std::string& folder, const std::string& text);

// Converts UTF-8 text to code page 936 for the observer; characters the page
// lacks become '?'.
std::string ToAnsiCodePage(const std::string& utf8);

// $XDG_DATA_HOME/Quorvale/, else ~/.local/share/Quorvale/; empty when no
// home folder is known.
std::string DataFolder();

}  // namespace trevalin
