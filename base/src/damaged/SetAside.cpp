#include "damaged/SetAside.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "base/CodePage.h"

namespace base::damaged {
namespace {

// link + unlink refuses an existing target, where rename would replace it.
// Returns 0 or the errno of the failure.
int MoveWithoutReplacing(const std::string& from, const std::string& to) {
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return 0;
  }
  int error = errno;
  if (error == EEXIST) return error;
  // File systems without hard links: rename, after checking the name is free.
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) return EEXIST;
  if (::rename(from.c_str(), to.c_str()) == 0) return 0;
  return errno;
}

}  // namespace

bool SetAsideDamagedFile(const std::wstring& path, std::wstring& newPath, std::wstring& problem) {
  const std::string source = WStringToUtf8Ret(path);
  for (int n = 1; n < 1000; ++n) {
    std::wstring candidate = path + L".damaged";
    if (n > 1) candidate += L"-" + std::to_wstring(n);
    int error = MoveWithoutReplacing(source, WStringToUtf8Ret(candidate));
    if (error == EEXIST) continue;
    if (error != 0) {
      problem = L"cannot set " + path + L" aside: " + Utf8ToWStringRet(std::strerror(error));
      return false;
    }
    newPath = candidate;
    return true;
  }
  problem = L"cannot set " + path + L" aside: too many damaged copies";
  return false;
}

}  // namespace base::damaged
