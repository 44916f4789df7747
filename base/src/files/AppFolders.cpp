#include "base/AppFolders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <cwchar>

#include "base/CodePage.h"
#include "base/FolderOps.h"
#include "base/PathHelpers.h"
#include "files/NativePath.h"
#include "files/StringBridge.h"
#include "files/XdgFolders.h"

namespace {

std::wstring DataDir() {
  std::wstring base = XdgDataHome();
  if (base.empty()) return std::wstring();
  return base + L"/Quorvale/";
}

std::wstring InDataDir(const wchar_t* name) {
  const std::wstring dir = DataDir();
  return dir.empty() ? std::wstring() : dir + name;
}

std::wstring ExeDir() {
  std::wstring dir;
  if (!GetModuleDir(dir)) return std::wstring();
  if (dir.size() > 1) dir.pop_back();
  return dir;
}

bool CopyToPathBuffer(const std::wstring& text, wchar_t* buffer) {
  if (text.empty() || text.size() >= MAX_PATH) return false;
  wmemcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}

BOOL ChangeDirectory(const std::wstring& dir) {
  return !dir.empty() && chdir(SystemPathOf(dir).c_str()) == 0 ? TRUE : FALSE;
}

}  // namespace

SStringW GetCommonAppDataPath() { return ToSString(XdgDataHome()); }

SStringW GetDataDir() { return ToSString(DataDir()); }

bool PrepareDataDir(SStringW& dataDir, std::wstring& error) {
  const std::wstring dir = DataDir();
  if (dir.empty()) {
    error = L"No data folder: neither XDG_DATA_HOME nor a home folder is set";
    return false;
  }
  if (!CreateFolderChain(dir)) {
    // Repeat the last step to learn why it fails.
    const int code = mkdir(SystemPathOf(dir).c_str(), 0777) == 0 ? 0 : errno;
    error = L"Cannot create the data folder " + dir + L": " + Utf8ToWStringRet(strerror(code));
    return false;
  }
  dataDir = ToSString(dir);
  return true;
}

SStringW GetConfigIniPath() { return ToSString(InDataDir(L"config.ini")); }

SStringW GetUserSettingIniPath() { return ToSString(InDataDir(L"usersetting.ini")); }

SStringW GetDataHistoryIniPath() { return ToSString(InDataDir(L"history.ini")); }

SStringW GetCookieDir() { return ToSString(InDataDir(L"cookie/")); }

SStringW GetCookieFilePath() { return ToSString(InDataDir(L"cookie/cookie.dat")); }

SStringW GetExeDir() { return ToSString(ExeDir()); }

bool GetExeDirBuf(wchar_t* buffer) {
  if (buffer == nullptr) return false;
  if (CopyToPathBuffer(ExeDir(), buffer)) return true;
  buffer[0] = L'\0';
  return false;
}

SStringW GetExeConfigIniPath() {
  const std::wstring dir = ExeDir();
  return ToSString(dir.empty() ? dir : dir + L"/config.ini");
}

BOOL SetCurrentDirToExeDir() {
  std::wstring dir = ExeDir();
  AppendPathSeparator(dir);
  return ChangeDirectory(dir);
}

BOOL SetCurrentDirToDataDir() { return ChangeDirectory(DataDir()); }

std::wstring GetDesktopDir() { return XdgUserDir("DESKTOP", L"Desktop"); }

void GetDesktopDirBuf(wchar_t* buffer) {
  if (buffer != nullptr) CopyToPathBuffer(GetDesktopDir(), buffer);
}

SStringW GetCommonMusicPath() { return ToSString(XdgUserDir("MUSIC", L"Music")); }

SStringW GetGlobalText() {
  static const SStringW text;
  return text;
}
