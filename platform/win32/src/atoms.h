// The atom table shared by window classes and registered window messages:
// case-insensitive names mapped to values in 0xC000-0xFFFF.
#pragma once

#include "win32/types.h"

namespace win32::detail {

// The atom of `name`, added if new; 0 when the table is full.
ATOM addAtom(LPCWSTR name);
bool sameNameIgnoringCase(LPCWSTR a, LPCWSTR b);

}  // namespace win32::detail
