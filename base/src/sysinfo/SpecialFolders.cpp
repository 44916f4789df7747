#include <cstdlib>
#include <fstream>
#include <string>

#include "base/CodePage.h"
#include "base/PathHelpers.h"
#include "base/SysInfo.h"

namespace {

std::string Home() {
  const char* home = getenv("HOME");
  return home && *home ? home : "";
}

// An XDG base folder: the variable when it holds an absolute path, else
// the default under the home folder.
std::string XdgBase(const char* variable, const char* fallback) {
  const char* value = getenv(variable);
  if (value && *value == '/') return value;
  std::string home = Home();
  return home.empty() ? "" : home + "/" + fallback;
}

// A user folder from user-dirs.dirs (lines such as
// XDG_MUSIC_DIR="$HOME/Music"), else ~/<fallback>.
std::string XdgUserDir(const std::string& name, const char* fallback) {
  std::string home = Home();
  std::string config = XdgBase("XDG_CONFIG_HOME", ".config");
  std::ifstream file(config + "/user-dirs.dirs");
  std::string key = "XDG_" + name + "_DIR=";
  for (std::string line; std::getline(file, line);) {
    if (line.rfind(key, 0) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) {
      if (home.empty()) return "";
      value = home + value.substr(5);
    }
    if (!value.empty() && value[0] == '/') return value;
  }
  return home.empty() ? "" : home + "/" + fallback;
}

std::string FolderOf(int csidl) {
  switch (csidl) {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY:
    case CSIDL_COMMON_DESKTOPDIRECTORY: return XdgUserDir("DESKTOP", "Desktop");
    case CSIDL_PERSONAL: return XdgUserDir("DOCUMENTS", "Documents");
    case CSIDL_MYMUSIC: return XdgUserDir("MUSIC", "Music");
    case CSIDL_MYPICTURES: return XdgUserDir("PICTURES", "Pictures");
    case CSIDL_MYVIDEO: return XdgUserDir("VIDEOS", "Videos");
    case CSIDL_APPDATA:
    case CSIDL_COMMON_APPDATA: return XdgBase("XDG_DATA_HOME", ".local/share");
    case CSIDL_PROGRAMS:
    case CSIDL_COMMON_PROGRAMS: {
      std::string data = XdgBase("XDG_DATA_HOME", ".local/share");
      return data.empty() ? "" : data + "/applications";
    }
    case CSIDL_FONTS: {
      std::string data = XdgBase("XDG_DATA_HOME", ".local/share");
      return data.empty() ? "" : data + "/fonts";
    }
    case CSIDL_STARTUP: {
      std::string config = XdgBase("XDG_CONFIG_HOME", ".config");
      return config.empty() ? "" : config + "/autostart";
    }
    case CSIDL_PROFILE: return Home();
    default: return "";  // no counterpart here
  }
}

std::wstring Get(int csidl) {
  std::wstring path;
  CSysSpecialFolder::GetPath(path, csidl);
  return path;
}

}  // namespace

void CSysSpecialFolder::GetPath(std::wstring& out, int csidl) {
  std::string folder = FolderOf(csidl);
  if (folder.empty()) {
    out.clear();
    return;
  }
  out = Utf8ToWStringRet(folder);
  if (out.back() != L'/' && out.back() != L'\\') out += L'/';
  NormalizePathSeparators(out);
}

std::wstring CSysSpecialFolder::GetAppData() { return Get(CSIDL_APPDATA); }
std::wstring CSysSpecialFolder::GetProgramFiles() { return Get(CSIDL_PROGRAM_FILES); }
std::wstring CSysSpecialFolder::GetCommonAppData() { return Get(CSIDL_COMMON_APPDATA); }
std::wstring CSysSpecialFolder::GetCommonPrograms() { return Get(CSIDL_COMMON_PROGRAMS); }
std::wstring CSysSpecialFolder::GetPrograms() { return Get(CSIDL_PROGRAMS); }
std::wstring CSysSpecialFolder::GetRecent() { return Get(CSIDL_RECENT); }
std::wstring CSysSpecialFolder::GetDesktop() { return Get(CSIDL_DESKTOP); }
std::wstring CSysSpecialFolder::GetDesktopDirectory() { return Get(CSIDL_DESKTOPDIRECTORY); }
std::wstring CSysSpecialFolder::GetCommonDesktopDirectory() { return Get(CSIDL_COMMON_DESKTOPDIRECTORY); }
std::wstring CSysSpecialFolder::GetFavorites() { return Get(CSIDL_FAVORITES); }
std::wstring CSysSpecialFolder::GetFonts() { return Get(CSIDL_FONTS); }
std::wstring CSysSpecialFolder::GetMyMusic() { return Get(CSIDL_MYMUSIC); }
std::wstring CSysSpecialFolder::GetMyPictures() { return Get(CSIDL_MYPICTURES); }
std::wstring CSysSpecialFolder::GetMyVideo() { return Get(CSIDL_MYVIDEO); }
std::wstring CSysSpecialFolder::GetPersonal() { return Get(CSIDL_PERSONAL); }
std::wstring CSysSpecialFolder::GetProfile() { return Get(CSIDL_PROFILE); }
std::wstring CSysSpecialFolder::GetWindows() { return Get(CSIDL_WINDOWS); }
std::wstring CSysSpecialFolder::GetStartup() { return Get(CSIDL_STARTUP); }

std::wstring CSysSpecialFolder::GetDownloadsFolder() {
  std::string folder = XdgUserDir("DOWNLOAD", "Downloads");
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return Utf8ToWStringRet(folder);
}

void CSysSpecialFolder::MakeCopyDataStruct(COPYDATASTRUCT& out, const void* data, DWORD size) {
  out.dwData = 0;
  out.cbData = size;
  out.lpData = const_cast<void*>(data);
}

bool CSysSpecialFolder::SendCopyData(const void* data, DWORD size, HWND window) {
  if (!window || (!data && size != 0)) return false;
  COPYDATASTRUCT record;
  MakeCopyDataStruct(record, data, size);
  return SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record)) != 0;
}

bool CSysSpecialFolder::SendCopyData(HWND window, const void* data, DWORD size) {
  return SendCopyData(data, size, window);
}
