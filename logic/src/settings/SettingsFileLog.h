// What the settings files tell the program's log: a damaged file found at
// start-up and where it went, a save that failed or needed a way round.
#pragma once

#include <string>

#include "base/FileIni.h"

namespace logic {

// Before a settings file is read: a damaged file is set aside (see
// base/IniFileCheck.h) and one line names it and its new name.
void SetAsideDamagedSettings(const std::wstring& path);

// Ends the file's batch of writes in one replace; logs what went wrong or
// was noted. True when the file holds every change and keptAll.
bool FinishSettingsSave(CFileIni& file, bool keptAll);

}  // namespace logic
