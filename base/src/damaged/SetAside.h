// Keeping the bytes of a damaged file on disk under another name, so that
// the program can start the file anew without losing what was there.
#pragma once

#include <string>

namespace base::damaged {

// Renames path to path + ".damaged" (".damaged-2", ... when that is taken;
// an older copy is never replaced). False with problem set when the file
// cannot be moved.
bool SetAsideDamagedFile(const std::wstring& path, std::wstring& newPath, std::wstring& problem);

}  // namespace base::damaged
