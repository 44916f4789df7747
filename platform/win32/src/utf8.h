// Wide text to UTF-8 for names that leave the process (lock files).
#pragma once

#include <string>

#include "crt/utf8.h"

namespace win32::detail {

inline std::string toUtf8(const wchar_t* text) { return crt::WideToUtf8(text); }

}  // namespace win32::detail
