#pragma once
// Renaming a file without ever replacing another.

#include <string>

// Moves `from` to `to` in one step that fails when `to` exists
// (renameat2 with RENAME_NOREPLACE; a hard link and unlink where the file
// system has no such rename). 0 on success, else the errno value: EEXIST
// when the target is taken.
int RenameNoReplace(const std::wstring& from, const std::wstring& to);
