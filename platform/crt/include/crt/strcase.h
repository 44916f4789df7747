// Case-insensitive comparison and case changes of the Windows runtime.
// Case follows the current C locale, as the runtime's do (only A-Z in the
// "C" locale).
#pragma once

#include <cstddef>

// <0, 0 or >0 as the lower-cased texts compare.
int _wcsicmp(const wchar_t* a, const wchar_t* b);
int _wcsnicmp(const wchar_t* a, const wchar_t* b, size_t count);
int _stricmp(const char* a, const char* b);
int _strnicmp(const char* a, const char* b, size_t count);

// Change the text in place and return it; a null text is returned as is.
wchar_t* _wcslwr(wchar_t* text);
wchar_t* _wcsupr(wchar_t* text);
char* _strlwr(char* text);
char* _strupr(char* text);
