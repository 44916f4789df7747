// The in-process window class registry.
#pragma once

#include <memory>

#include "window_table.h"

namespace win32::detail {

// By name (case-insensitive) or by atom in the low word.
std::shared_ptr<WindowClass> findClass(LPCWSTR nameOrAtom);

}  // namespace win32::detail
