// Moving a file that could not be read out of the way, so that the next
// save starts a fresh file and the old bytes are still there to rescue.
#pragma once

#include <string>

namespace logic {

// Renames path to "<path>.damaged", or "<path>.damaged(1)", ... when that
// is taken. The new name, or empty when the file could not be moved.
std::wstring SetFileAside(const std::wstring& path);

}  // namespace logic
