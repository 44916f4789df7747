#pragma once
// Paths cross into the operating system as UTF-8 with '/' separators; both
// separators are accepted from callers, so a '\' is always read as '/'.

#include <string>

#include "base/CodePage.h"

inline bool IsPathSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

// Position of the last '/' or '\', or npos.
inline size_t LastPathSeparator(const std::wstring& path) { return path.find_last_of(L"/\\"); }

// The path with '/' separators, encoded for system calls.
std::string SystemPathOf(const std::wstring& path);

// A path the operating system gave, as wide text.
inline std::wstring FromSystemPath(const std::string& path) { return Utf8ToWStringRet(path); }
