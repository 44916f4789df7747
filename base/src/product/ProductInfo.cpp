#include "base/ProductInfo.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>

#include "base/AppFolders.h"
#include "base/CodePage.h"
#include "ini/IniDocument.h"
#include "ini/IniFile.h"

namespace {
// Well-formed UTF-8, ASCII included: no stray continuation bytes, no cut
// sequences, no surrogates or values past U+10FFFF.
bool IsWellFormedUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
    if (extra < 0 || i + extra >= text.size()) return false;
    char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}
}  // namespace

std::wstring GetProductInfoPath() {
  if (const char* named = std::getenv("QUORVALE_PRODUCT_INI"); named && *named) return Utf8ToWStringRet(named);
  const SStringW dir = GetExeDir();
  if (dir.IsEmpty()) return {};
  return std::wstring(dir.c_str()) + L"/product.ini";
}

std::wstring GetProductInfo(const std::wstring& key) {
  const std::wstring path = GetProductInfoPath();
  if (path.empty()) return {};
  std::ifstream in(WStringToUtf8Ret(path), std::ios::binary);
  if (!in) return {};
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::optional<std::wstring> value;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    const base::ini::IniFileContent content = base::ini::LoadIniFile(path);
    if (content.status != base::ini::IniFileStatus::kOk) return {};
    value = content.document.Find(L"product", key);
  } else {
    std::string text = bytes;
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    std::wstring wide;
    // Not UTF-8: nothing is configured rather than an address with U+FFFD in it.
    if (!IsWellFormedUtf8(text)) return {};
    if (!text.empty() && !Utf8ToWString(text, wide)) return {};
    value = base::ini::IniDocument::Parse(wide).Find(L"product", key);
  }
  return value.value_or(std::wstring());
}
