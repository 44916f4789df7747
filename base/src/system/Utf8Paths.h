#pragma once
// Paths cross to the operating system as UTF-8.

#include <string>

#include "win32/codepage.h"

inline std::string ToUtf8Path(const std::wstring& path) {
  if (path.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, path.c_str(), static_cast<int>(path.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, path.c_str(), static_cast<int>(path.size()), out.data(), n,
                        nullptr, nullptr);
  return out;
}

inline std::wstring FromUtf8Path(const std::string& path) {
  if (path.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), static_cast<int>(path.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, path.c_str(), static_cast<int>(path.size()), out.data(), n);
  return out;
}
