// Reading and writing one INI file as UTF-16LE with its byte-order mark.
//
// A file that is not UTF-16LE (no FF FE at the start), is cut in the middle
// of a character, holds broken surrogates or NUL characters is "damaged":
// readers must fall back to defaults, and a writer sets the bytes aside
// under another name before it starts the file anew, so nothing on disk is
// lost and the settings keep working.
#pragma once

#include <string>

#include "ini/IniDocument.h"

namespace base::ini {

enum class IniFileStatus {
  kMissing,     // no file: an empty document
  kOk,          // read (an empty file counts as an empty document)
  kDamaged,     // bytes that are not an INI file of ours; problem says why
  kUnreadable,  // the file could not be read; problem says why
};

struct IniFileContent {
  IniFileStatus status = IniFileStatus::kMissing;
  IniDocument document;
  std::wstring problem;
};

IniFileContent LoadIniFile(const std::wstring& path);

// Writes FF FE and the document, every line ended by CR LF, through a
// temporary file renamed over the old one, so a crash never leaves half a
// file. Returns false with problem set when the file cannot be written.
bool SaveIniFile(const std::wstring& path, const IniDocument& document, std::wstring& problem);

// Creates a file holding only FF FE; an existing file is left alone.
bool CreateEmptyIniFile(const std::wstring& path, std::wstring& problem);

}  // namespace base::ini
