#include "logic/FileOtptionTimertask.h"

#include "SettingsFileLog.h"
#include "logic/DataFiles.h"

CFileOtptionTimertask::CFileOtptionTimertask() : CFileOutputArgument(false) {
  if (Bind(GetTimerIniPath())) Read();
}

// Written here, while the object is still whole; the base's destructor then
// writes the same OUTPUT keys once more, which changes nothing.
CFileOtptionTimertask::~CFileOtptionTimertask() { CFileOtptionTimertask::Write(); }

bool CFileOtptionTimertask::Read() {
  BeginBatch();  // one reading of the file for both sections
  if (HasFile()) {
    SetSection(L"OPTION");
    option_everyday = ReadBool(L"option_everyday", option_everyday > 0) ? 1 : 0;
  }
  const bool read = ReadOutput();
  EndBatch();
  return read;
}

bool CFileOtptionTimertask::Write() {
  if (!HasFile()) return false;
  BeginBatch();  // both sections in one replace of the file
  SetSection(L"OPTION");
  bool ok = WriteInt(L"option_everyday", option_everyday ? 1 : 0);
  ok = WriteOutput() && ok;
  return logic::FinishSettingsSave(*this, ok);
}
