// The Windows runtime's _wsplitpath_s over Linux paths: '/' and '\\' both
// separate folders and there are no drives, so the drive part is always
// empty. The folder keeps its trailing separator; the extension starts at
// the last '.' of the name and keeps it. Any output may be left out by
// passing null with a size of 0.
//
// Returns 0, or EINVAL (null path, or a null output with a non-zero size,
// or a non-null output with size 0) or ERANGE (a part does not fit its
// buffer, terminator included); on failure every given output is emptied.
#pragma once

#include <cstddef>

#ifndef _ERRNO_T_DEFINED
#define _ERRNO_T_DEFINED
typedef int errno_t;
#endif

errno_t _wsplitpath_s(const wchar_t* path, wchar_t* drive, size_t driveSize, wchar_t* dir, size_t dirSize,
                      wchar_t* fname, size_t fnameSize, wchar_t* ext, size_t extSize);
