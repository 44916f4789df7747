#pragma once
// Free space of the volume a path lies on.

#include <cstdint>
#include <string>

#include "core/SString.h"
#include "win32/types.h"

// The bytes available to this user and the volume's size, for the volume
// holding path (or its nearest existing ancestor, for a file about to be
// written). False with an error text for an invalid path or a volume that
// cannot be asked; free and total are then 0.
bool GetDiskSpace(const std::wstring& path, uint64_t& freeBytes, uint64_t& totalBytes,
                  std::wstring& error);
bool HasDiskSpace(const std::wstring& path, uint64_t neededBytes);
// Free bytes over total bytes.
bool GetDiskFreeRatio(float& ratio, const std::wstring& path, std::wstring& error);
// The volume's free bytes (the whole volume's, not this user's share) in
// GB; 0 when the volume cannot be asked.
double GetDiskFreeGB(const SStringW& folder);
// Never true here: the program runs as a native 64-bit process.
BOOL IsWow64();
