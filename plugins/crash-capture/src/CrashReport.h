#pragma once
// Builds and stores the text of one crash report inside the signal
// handler: async-signal-safe calls only, into buffers the caller set aside
// in advance. PrepareCrashReport, called once when the handlers are
// installed, does what needs the allocator (the time zone, the converter
// to the ANSI code page, the paths of the programs used).

#include <string>

#include "FixedText.h"

namespace trevalin {

void PrepareCrashReport();

// The report's text: the signal, the time, the process, the faulting address
// (when the fault has one) and the call stack (UTF-8).
void BuildCrashReport(FixedText& out, int signal, bool hasFaultAddress, const void* faultAddress,
                      void* const* frames, int count);

// Writes the report into the folder (created when missing) as
// crash-<date>-<time>-<pid>.txt; the file's path goes to path. False when
// it could not be written.
bool StoreCrashReport(const char* folder, const FixedText& text, FixedText& path);

// The UTF-8 text in code page 936 for the observer; characters the page
// lacks become '?'.
void ToAnsiCodePage(const FixedText& utf8, FixedText& out);

// $XDG_DATA_HOME/Quorvale/, else ~/.local/share/Quorvale/; empty when no
// home folder is known. Not for the handler: it allocates.
std::string DataFolder();

}  // namespace trevalin
