#include "ini/IniText.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

namespace base::ini {
namespace {

// towlower in the "C" locale only knows ASCII; the C.UTF-8 locale folds
// Latin, Greek, Cyrillic and the rest. Created once, never freed.
locale_t FoldingLocale() {
  static const locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return l;
  }();
  return loc;
}

wchar_t Fold(wchar_t c) {
  if (c < 0x80) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
  }
  locale_t loc = FoldingLocale();
  return loc ? static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), loc)) : c;
}

}  // namespace

bool IsIniBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

std::wstring_view TrimBlanks(std::wstring_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsIniBlank(text[begin])) ++begin;
  while (end > begin && IsIniBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool NamesEqual(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && Fold(a[i]) != Fold(b[i])) return false;
  }
  return true;
}

std::wstring_view ValueAsRead(std::wstring_view raw) {
  std::wstring_view value = TrimBlanks(raw);
  if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace base::ini
