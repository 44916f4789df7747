#include "SetAside.h"

#include <cstdio>
#include <sys/stat.h>

#include "base/CodePage.h"

namespace logic {

std::wstring SetFileAside(const std::wstring& path) {
  std::string from = WStringToUtf8Ret(path);
  for (int n = 0; n < 1000; ++n) {
    std::wstring target = path + L".damaged" + (n ? L"(" + std::to_wstring(n) + L")" : L"");
    std::string to = WStringToUtf8Ret(target);
    struct stat st;
    if (stat(to.c_str(), &st) == 0) continue;
    if (std::rename(from.c_str(), to.c_str()) == 0) return target;
    return L"";
  }
  return L"";
}

}  // namespace logic
