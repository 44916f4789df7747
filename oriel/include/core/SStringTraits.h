// Character-type operations behind TStringT: lengths, case, comparison and
// formatting in the Windows runtime's printf dialect.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "crt/strcase.h"
#include "crt/wprintf.h"

namespace ORIEL {

struct wchar_traits {
  using Char = wchar_t;
  static size_t Length(const wchar_t* s) { return s ? wcslen(s) : 0; }
  static int Compare(const wchar_t* a, const wchar_t* b) { return wcscmp(a, b); }
  static int CompareNoCase(const wchar_t* a, const wchar_t* b) { return _wcsicmp(a, b); }
  static void Lower(wchar_t* s) { _wcslwr(s); }
  static void Upper(wchar_t* s) { _wcsupr(s); }
  static const wchar_t* FindString(const wchar_t* s, const wchar_t* sub) { return wcsstr(s, sub); }
  // Characters a format produces, or a negative value when it is refused.
  static int CountFormat(const wchar_t* format, va_list args) { return _vscwprintf(format, args); }
  static int FormatInto(wchar_t* buffer, size_t size, const wchar_t* format, va_list args) {
    return _vswprintf_s(buffer, size, format, args);
  }
};

struct char_traits {
  using Char = char;
  static size_t Length(const char* s) { return s ? strlen(s) : 0; }
  static int Compare(const char* a, const char* b) { return strcmp(a, b); }
  static int CompareNoCase(const char* a, const char* b) { return _stricmp(a, b); }
  static void Lower(char* s) { _strlwr(s); }
  static void Upper(char* s) { _strupr(s); }
  static const char* FindString(const char* s, const char* sub) { return strstr(s, sub); }
  static int CountFormat(const char* format, va_list args) { return _vscprintf(format, args); }
  static int FormatInto(char* buffer, size_t size, const char* format, va_list args) {
    return vsprintf_s(buffer, size, format, args);
  }
};

}  // namespace ORIEL
