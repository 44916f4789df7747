#include "logic/DataFiles.h"

#include "base/AppFolders.h"
#include "base/FolderOps.h"
#include "base/PathHelpers.h"

namespace {

std::wstring InDataFolder(const wchar_t* name) {
  SStringW dir = GetDataDir();
  if (dir.IsEmpty()) return L"";
  return std::wstring(dir.c_str()) + name;
}

}  // namespace

std::wstring GetOutputIniPath() { return InDataFolder(L"config-output.ini"); }
std::wstring GetMoreIniPath() { return InDataFolder(L"config-more.ini"); }
std::wstring GetTimerIniPath() { return InDataFolder(L"config-timer-tasks.ini"); }
std::wstring GetTimerXmlPath() { return InDataFolder(L"data-timer-tasks.xml"); }
std::wstring GetTimerLogPath() { return InDataFolder(L"logger-timer-exception.log"); }
std::wstring GetFileListDbPath() { return InDataFolder(L"data-file-list.db"); }
std::wstring GetHistoryIniPath() { return InDataFolder(L"history.ini"); }
std::wstring GetFileListUnsavedPath() { return InDataFolder(L"data-file-list-unsaved.db"); }
std::wstring GetOpenRecordingsPath() { return InDataFolder(L"data-recordings-open.lst"); }

bool EnsureDataFolder() {
  SStringW dir = GetDataDir();
  if (dir.IsEmpty()) return false;
  std::wstring path = dir.c_str();
  if (!IsDirectory(path)) CreateFolderChain(path);
  return IsDirectory(path);
}
