#include "base/CodePageFramework.h"

#include "code_page_core.h"
#include "win32/windows.h"

using codepage::Check;

SStringW Utf8ToWideCString(const std::string& utf8) {
  std::wstring wide;
  codepage::NarrowToWide(CP_UTF8, utf8.c_str(), -1, Check::Loose, wide);
  // Built from the characters directly: a '%' in the text is never a format.
  return SStringW(wide.c_str(), static_cast<int>(wide.size()));
}

SStringA WideCStringToUtf8(const SStringW& text) {
  std::string narrow;
  codepage::WideToNarrow(CP_UTF8, text.c_str(), -1, Check::Loose, narrow);
  return SStringA(narrow.c_str());
}

SStringA WideCStringToOem(const SStringW& text) {
  std::string narrow;
  codepage::WideToNarrow(CP_OEMCP, text.c_str(), text.GetLength(), Check::Loose, narrow);
  return SStringA(narrow.c_str());
}
