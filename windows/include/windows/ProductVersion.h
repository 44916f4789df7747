#pragma once
// The program's version, from the build's project version: the one place
// both the bottom bar and the about box take it from.

#ifndef QUORVALE_VERSION_TEXT
#error "QUORVALE_VERSION_TEXT comes from the build (the project's version)"
#endif

inline constexpr const wchar_t kProductVersion[] = L"" QUORVALE_VERSION_TEXT;
