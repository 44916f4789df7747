#pragma once
// Moves between the framework's string and the standard wide string, which
// the path and formatting code works on internally.

#include <string>

#include "core/SString.h"

inline std::wstring ToStdString(const SStringW& text) {
  return std::wstring(text.c_str(), static_cast<size_t>(text.GetLength()));
}

inline SStringW ToSString(const std::wstring& text) {
  return SStringW(text.c_str(), static_cast<int>(text.size()));
}
