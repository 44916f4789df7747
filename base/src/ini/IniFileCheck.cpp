#include "base/IniFileCheck.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "base/CodePage.h"
#include "damaged/SetAside.h"
#include "ini/IniEdits.h"
#include "ini/IniFile.h"
#include "ini/IniWriteGuard.h"

namespace base {
namespace {

std::wstring SystemError(int error) { return Utf8ToWStringRet(std::strerror(error)); }

std::wstring KindOf(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return L"a folder";
  if (S_ISFIFO(st.st_mode)) return L"a named pipe";
  if (S_ISSOCK(st.st_mode)) return L"a socket";
  return L"no regular file";
}

// What is wrong with the thing at path; empty when it is a settings file
// of ours or missing. readable is false for a file that could not be read.
std::wstring Damage(const std::wstring& path, bool& readable) {
  readable = true;
  const std::string native = WStringToUtf8Ret(path);
  struct stat own {};
  if (::lstat(native.c_str(), &own) != 0) return {};  // missing
  if (S_ISLNK(own.st_mode)) {
    struct stat led {};
    if (::stat(native.c_str(), &led) != 0) {
      const int error = errno;
      if (error == ELOOP) return path + L" is a loop of symbolic links";
      if (error == ENOENT || error == ENOTDIR) return path + L" is a symbolic link that leads to no file";
      readable = false;
      return L"cannot follow the link " + path + L": " + SystemError(error);
    }
    if (!S_ISREG(led.st_mode)) return path + L" is a symbolic link to " + KindOf(led);
  } else if (!S_ISREG(own.st_mode)) {
    return path + L" is " + KindOf(own) + L", not a settings file";
  }
  ini::IniFileContent content = ini::LoadIniFile(path);
  if (content.status == ini::IniFileStatus::kUnreadable) readable = false;
  if (content.status == ini::IniFileStatus::kDamaged || !readable) return content.problem;
  return {};
}

}  // namespace

IniFileCheck SetAsideDamagedIniFile(const std::wstring& file) {
  IniFileCheck check;
  std::lock_guard<std::mutex> lock(ini::EngineMutex());
  bool readable = true;
  check.problem = Damage(file, readable);
  if (check.problem.empty() || !readable) return check;
  check.damaged = true;
  // A good link stays: what is damaged is the file it leads to.
  const std::string native = WStringToUtf8Ret(file);
  struct stat led {};
  struct stat own {};
  const bool goodLink = ::lstat(native.c_str(), &own) == 0 && S_ISLNK(own.st_mode) &&
                        ::stat(native.c_str(), &led) == 0 && S_ISREG(led.st_mode);
  const std::wstring victim = goodLink ? ini::FollowLinks(file) : file;
  ini::IniWriteGuard guard(victim);
  std::wstring problem;
  if (!damaged::SetAsideDamagedFile(victim, check.setAsideAs, problem)) {
    check.setAsideAs.clear();
    check.problem += L"; " + problem;
  }
  return check;
}

}  // namespace base
