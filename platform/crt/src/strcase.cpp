#include "crt/strcase.h"

#include <cctype>
#include <cwctype>

namespace {

template <class C, class Lower>
int CompareLowered(const C* a, const C* b, size_t count, Lower lower) {
  for (size_t i = 0; i < count; ++i) {
    const auto ca = lower(a[i]);
    const auto cb = lower(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
  return 0;
}

wint_t LowerWide(wchar_t c) { return towlower(static_cast<wint_t>(c)); }
int LowerByte(char c) { return tolower(static_cast<unsigned char>(c)); }

}  // namespace

int _wcsicmp(const wchar_t* a, const wchar_t* b) { return CompareLowered(a, b, static_cast<size_t>(-1), LowerWide); }
int _wcsnicmp(const wchar_t* a, const wchar_t* b, size_t count) { return CompareLowered(a, b, count, LowerWide); }
int _stricmp(const char* a, const char* b) { return CompareLowered(a, b, static_cast<size_t>(-1), LowerByte); }
int _strnicmp(const char* a, const char* b, size_t count) { return CompareLowered(a, b, count, LowerByte); }

wchar_t* _wcslwr(wchar_t* text) {
  for (wchar_t* p = text; p && *p; ++p) *p = static_cast<wchar_t>(towlower(static_cast<wint_t>(*p)));
  return text;
}
wchar_t* _wcsupr(wchar_t* text) {
  for (wchar_t* p = text; p && *p; ++p) *p = static_cast<wchar_t>(towupper(static_cast<wint_t>(*p)));
  return text;
}
char* _strlwr(char* text) {
  for (char* p = text; p && *p; ++p) *p = static_cast<char>(tolower(static_cast<unsigned char>(*p)));
  return text;
}
char* _strupr(char* text) {
  for (char* p = text; p && *p; ++p) *p = static_cast<char>(toupper(static_cast<unsigned char>(*p)));
  return text;
}
