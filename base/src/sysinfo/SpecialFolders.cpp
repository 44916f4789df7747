#include <string>

#include "base/PathHelpers.h"
#include "base/SysInfo.h"
#include "files/XdgFolders.h"

namespace {

// The folders come from the same XDG rules as the program's own folders, so
// the common application-data folder here is the one the data lives in.
std::wstring Under(const std::wstring& base, const wchar_t* leaf) {
  return base.empty() ? std::wstring() : base + L"/" + leaf;
}

std::wstring FolderOf(int csidl) {
  switch (csidl) {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY:
    case CSIDL_COMMON_DESKTOPDIRECTORY: return XdgUserDir("DESKTOP", L"Desktop");
    case CSIDL_PERSONAL: return XdgUserDir("DOCUMENTS", L"Documents");
    case CSIDL_MYMUSIC: return XdgUserDir("MUSIC", L"Music");
    case CSIDL_MYPICTURES: return XdgUserDir("PICTURES", L"Pictures");
    case CSIDL_MYVIDEO: return XdgUserDir("VIDEOS", L"Videos");
    case CSIDL_APPDATA:
    case CSIDL_COMMON_APPDATA: return XdgDataHome();
    case CSIDL_PROGRAMS:
    case CSIDL_COMMON_PROGRAMS: return Under(XdgDataHome(), L"applications");
    case CSIDL_FONTS: return Under(XdgDataHome(), L"fonts");
    case CSIDL_STARTUP: return Under(XdgConfigHome(), L"autostart");
    case CSIDL_PROFILE: return HomeFolder();
    default: return std::wstring();  // no counterpart here
  }
}

std::wstring Get(int csidl) {
  std::wstring path;
  CSysSpecialFolder::GetPath(path, csidl);
  return path;
}

}  // namespace

void CSysSpecialFolder::GetPath(std::wstring& out, int csidl) {
  out = FolderOf(csidl);
  if (out.empty()) return;
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

std::wstring CSysSpecialFolder::GetDownloadsFolder() { return XdgUserDir("DOWNLOAD", L"Downloads"); }

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
