#include "res.mgr/SNamedValue.h"

#include "crt/wtoi.h"

namespace ORIEL {

bool ParseColor(const SStringW& textIn, COLORREF& out) {
  SStringW text = textIn;
  text.MakeLower();
  unsigned v[4] = {0, 0, 0, 255};
  int n = 0;
  const wchar_t* s = text.c_str();
  if (s[0] == L'#') {
    // Up to four groups of at most two hex digits, as "#%02x%02x%02x%02x" reads them.
    const wchar_t* p = s + 1;
    for (; n < 4; ++n) {
      unsigned value = 0;
      int digits = 0;
      while (digits < 2 && iswxdigit(*p)) {
        value = value * 16 + static_cast<unsigned>(iswdigit(*p) ? *p - L'0' : *p - L'a' + 10);
        ++p;
        ++digits;
      }
      if (digits == 0) break;
      v[n] = value;
    }
  } else if (text.Left(4) == L"rgba") {
    int r = 0, g = 0, b = 0, a = 0;
    n = swscanf(s, L"rgba(%d,%d,%d,%d)", &r, &g, &b, &a);
    v[0] = static_cast<unsigned>(r), v[1] = static_cast<unsigned>(g), v[2] = static_cast<unsigned>(b);
    if (n == 4) v[3] = static_cast<unsigned>(a);
  } else if (text.Left(3) == L"rgb") {
    int r = 0, g = 0, b = 0;
    n = swscanf(s, L"rgb(%d,%d,%d)", &r, &g, &b);
    v[0] = static_cast<unsigned>(r), v[1] = static_cast<unsigned>(g), v[2] = static_cast<unsigned>(b);
  }
  if (n < 3) return false;
  out = ((v[3] & 0xFF) << 24) | ((v[2] & 0xFF) << 16) | ((v[1] & 0xFF) << 8) | (v[0] & 0xFF);
  return true;
}

bool SIntParser::Parse(const SStringW& text, int& out) {
  out = _wtoi(text.c_str());
  return true;
}

}  // namespace ORIEL
