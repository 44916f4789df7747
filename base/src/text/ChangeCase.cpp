#include <locale.h>
#include <wctype.h>

#include "base/StringHelpers.h"

namespace {

// Full Unicode case mapping, as Windows gives it, without touching the
// process locale: the plain C locale only maps ASCII letters.
locale_t UnicodeCaseLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

wchar_t ChangeWide(wchar_t c, bool toLower) {
  const locale_t locale = UnicodeCaseLocale();
  const wint_t w = static_cast<wint_t>(c);
  if (locale != static_cast<locale_t>(0)) {
    return static_cast<wchar_t>(toLower ? towlower_l(w, locale) : towupper_l(w, locale));
  }
  return static_cast<wchar_t>(toLower ? towlower(w) : towupper(w));
}

}  // namespace

std::wstring ChangeCaseW(const std::wstring& text, bool toLower) {
  std::wstring result = text;
  for (wchar_t& c : result) c = ChangeWide(c, toLower);
  return result;
}

std::string ChangeCaseA(const std::string& text, bool toLower) {
  // Narrow text is in the GBK page: only single-byte ASCII letters have a
  // case, and the second byte of a double-byte character (0x40..0xFE after
  // a lead byte 0x81..0xFE) is never a letter, whatever its value.
  std::string result = text;
  for (size_t i = 0; i < result.size(); ++i) {
    const auto b = static_cast<unsigned char>(result[i]);
    if (b >= 0x81 && b <= 0xFE && i + 1 < result.size()) {
      ++i;
      continue;
    }
    if (toLower && b >= 'A' && b <= 'Z') result[i] = static_cast<char>(b + ('a' - 'A'));
    if (!toLower && b >= 'a' && b <= 'z') result[i] = static_cast<char>(b - ('a' - 'A'));
  }
  return result;
}
