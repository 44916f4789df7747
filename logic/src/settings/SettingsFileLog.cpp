#include "SettingsFileLog.h"

#include "base/DebugStr.h"
#include "base/IniFileCheck.h"

namespace logic {

void SetAsideDamagedSettings(const std::wstring& path) {
  const base::IniFileCheck check = base::SetAsideDamagedIniFile(path);
  if (check.problem.empty()) return;
  std::wstring line;
  if (!check.damaged) {
    line = L"settings file " + path + L" cannot be read: " + check.problem + L"; its defaults are used";
  } else if (check.setAsideAs.empty()) {
    line = L"damaged settings file " + path + L": " + check.problem + L"; its defaults are used";
  } else {
    line = L"damaged settings file " + path + L": " + check.problem + L"; set aside as " + check.setAsideAs +
           L"; started anew with its defaults";
  }
  base::OutputDebugText(line + L"\r\n");
}

bool FinishSettingsSave(CFileIni& file, bool keptAll) {
  const bool saved = file.EndBatch();
  const std::wstring& problem = file.GetLastErrorText();
  if (!saved) {
    base::OutputDebugText(L"settings file " + std::wstring(file.GetFile()) + L" not saved: " + problem + L"\r\n");
  } else if (!problem.empty()) {
    base::OutputDebugText(L"settings file " + std::wstring(file.GetFile()) + L" saved; " + problem + L"\r\n");
  }
  return saved && keptAll;
}

}  // namespace logic
