// The in-process window class registry.
#pragma once

#include <memory>

#include "window_table.h"

namespace win32::detail {

// By name (case-insensitive) or by atom in the low word.
std::shared_ptr<WindowClass> findClass(LPCWSTR nameOrAtom);

// Registers one of the layer's own window classes (pop-up menus, message
// boxes) with an arrow cursor and returns its name.
const wchar_t* registerLayerClass(const wchar_t* name, WNDPROC proc);

}  // namespace win32::detail
