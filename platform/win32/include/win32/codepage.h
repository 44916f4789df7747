// kernel32's code-page conversions. The "ANSI" (CP_ACP) and "OEM"
// (CP_OEMCP) pages are both code page 936 (GBK), as on the machines the
// system was made for; CP_UTF8 is UTF-8. Wide text is wchar_t, one code
// point per unit, so every "character" count here counts code points.
//
// Both calls: a length of -1 means "up to and including the terminator";
// an output size of 0 only counts; a short output buffer fails with
// ERROR_INSUFFICIENT_BUFFER; flags must be 0 (ERROR_INVALID_FLAGS); other
// code pages, a null input or a zero input length fail with
// ERROR_INVALID_PARAMETER. Failures return 0.
//
// Narrow to wide: bytes that do not form a character of the page (invalid
// UTF-8, a stray GBK byte) each become U+FFFD and the call succeeds.
// Wide to narrow: characters the page cannot hold become the default
// character ('?' unless one is given; UTF-8 takes none) and the call
// succeeds, setting *usedDefault; in UTF-8 only values that are not Unicode
// scalar values (surrogates, beyond U+10FFFF) are unencodable, and they are
// written as U+FFFD.
//
// Thread-safe: each call opens its own iconv descriptor.
#pragma once

#include "win32/errors.h"
#include "win32/types.h"

#ifndef CP_ACP
#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001
#endif
#ifndef ERROR_INVALID_FLAGS
#define ERROR_INVALID_FLAGS 1004L
#endif

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount, LPWSTR wide,
                        int wideCount);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideCount, LPSTR multiByte,
                        int multiByteCount, LPCSTR defaultChar, LPBOOL usedDefaultChar);
