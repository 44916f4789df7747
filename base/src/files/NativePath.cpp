#include "files/NativePath.h"

std::string SystemPathOf(const std::wstring& path) {
  std::wstring copy = path;
  for (wchar_t& c : copy) {
    if (c == L'\\') c = L'/';
  }
  return WStringToUtf8Ret(copy);
}
