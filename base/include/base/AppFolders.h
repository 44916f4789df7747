#pragma once
// Where the program's files live: the data folder shared by every settings
// file, database and log, the program's own folder, and the user folders.

#include <string>

#include "core/SString.h"
#include "win32/types.h"

// The application-data folder ($XDG_DATA_HOME, else ~/.local/share), no
// trailing separator; empty when neither can be found.
SStringW GetCommonAppDataPath();
// The data folder: application data, "/Quorvale/". Empty when the
// application-data folder cannot be found, never a path relative to
// wherever the program happens to run.
SStringW GetDataDir();
// Finds the data folder and creates it when missing, as start-up does.
// False with a reason in error when it cannot be found or made.
bool PrepareDataDir(SStringW& dataDir, std::wstring& error);
// Files and folders in the data folder; empty when it cannot be found.
SStringW GetConfigIniPath();
SStringW GetUserSettingIniPath();
SStringW GetDataHistoryIniPath();
SStringW GetCookieDir();
SStringW GetCookieFilePath();

// The program's folder (the executable's), no trailing separator.
SStringW GetExeDir();
// The program's folder copied into a buffer of MAX_PATH characters; false
// (the buffer empty) when it cannot be read or does not fit.
bool GetExeDirBuf(wchar_t* buffer);
SStringW GetExeConfigIniPath();
BOOL SetCurrentDirToExeDir();
BOOL SetCurrentDirToDataDir();

// The user's desktop and music folders (xdg user dirs, else ~/Desktop and
// ~/Music); empty when there is no home folder.
std::wstring GetDesktopDir();
// The desktop folder into a buffer of MAX_PATH characters; the buffer is
// left as it was when the folder cannot be had or does not fit.
void GetDesktopDirBuf(wchar_t* buffer);
SStringW GetCommonMusicPath();
// A process-wide text that nothing writes: always empty.
SStringW GetGlobalText();
