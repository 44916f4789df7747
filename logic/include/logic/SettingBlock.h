// Every settings file and the store of recordings, loaded together when
// the controller is made and saved together when it goes: the store first,
// then config-more.ini, config-output.ini and config-timer-tasks.ini.
#pragma once

#include "logic/FileMoreSetting.h"
#include "logic/FileOtptionTimertask.h"
#include "logic/FileOutputArgument.h"
#include "logic/RecordFileStore.h"

class CSettingBlock {
 public:
  CSettingBlock() = default;
  ~CSettingBlock() = default;
  CSettingBlock(const CSettingBlock&) = delete;
  CSettingBlock& operator=(const CSettingBlock&) = delete;

  // Constructed in this order, destroyed (and saved) in the opposite one.
  CFileOtptionTimertask m_timerOption;
  CFileOutputArgument m_output{true};
  CFileMoreSetting m_more;
  CRecordFileStore m_store;
};
