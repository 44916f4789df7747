// The files of the data folder, each path the folder followed directly by
// the file's name; empty when the data folder cannot be found.
#pragma once

#include <string>

std::wstring GetOutputIniPath();     // config-output.ini
std::wstring GetMoreIniPath();       // config-more.ini
std::wstring GetTimerIniPath();      // config-timer-tasks.ini
std::wstring GetTimerXmlPath();      // data-timer-tasks.xml
std::wstring GetTimerLogPath();      // logger-timer-exception.log
std::wstring GetFileListDbPath();    // data-file-list.db
std::wstring GetHistoryIniPath();    // history.ini of older versions
// The list kept while a save of data-file-list.db cannot get the database.
std::wstring GetFileListUnsavedPath();  // data-file-list-unsaved.db
// The recordings whose files are open for writing.
std::wstring GetOpenRecordingsPath();   // data-recordings-open.lst

// Creates the data folder and every missing folder above it; false when
// it cannot be found or made.
bool EnsureDataFolder();
