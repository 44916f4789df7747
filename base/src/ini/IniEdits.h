// Changes to one INI file made together: read the file as it is on disk,
// apply every change, replace the file once. One replace per save means a
// crash leaves either the old file or the new one, never a mix of both.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ini/IniDocument.h"

namespace base::ini {

// One change: a key set (value present), a key deleted (no value) or a
// section deleted (no key).
struct IniEdit {
  std::wstring section;
  std::optional<std::wstring> key;
  std::optional<std::wstring> value;
};

// Text that would turn into other lines or another kind of line once
// written; empty when the change is safe.
std::wstring RefusalReason(const IniEdit& edit);

// Applies the changes to the file behind any symbolic links, holding the
// folder lock from the read to the replace so that another program's keys
// are kept. A damaged file is set aside first. The file is replaced only
// when its text changes. False with problem set when the file could not
// be read or written; on success problem may still hold a note (the file
// set aside, the lock not taken).
bool ApplyEdits(const std::wstring& path, const std::vector<IniEdit>& edits, std::wstring& problem);

// One profile operation at a time inside the process, so that two threads
// that update the same file never lose each other's keys.
std::mutex& EngineMutex();

}  // namespace base::ini
