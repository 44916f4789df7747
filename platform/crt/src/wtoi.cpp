#include "crt/wtoi.h"

#include <locale.h>
#include <wchar.h>

#include <climits>
#include <cstdint>

namespace {

locale_t CLocale() {
  static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return c;
}

long long Clamp32(long long v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return v;
}

}  // namespace

int _wtoi(const wchar_t* text) { return static_cast<int>(Clamp32(_wtoi64(text))); }
long _wtol(const wchar_t* text) { return static_cast<long>(Clamp32(_wtoi64(text))); }

long long _wtoi64(const wchar_t* text) {
  if (!text) return 0;
  return wcstoll_l(text, nullptr, 10, CLocale());  // clamps to LLONG_MIN/LLONG_MAX itself
}

double _wtof(const wchar_t* text) {
  if (!text) return 0.0;
  return wcstod_l(text, nullptr, CLocale());
}
