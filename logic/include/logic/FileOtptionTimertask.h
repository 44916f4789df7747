// config-timer-tasks.ini: the output settings and the every-day choice the
// timer-task dialog offers for a new task (sections "OPTION" and "OUTPUT").
#pragma once

#include <cstdint>

#include "logic/FileOutputArgument.h"

class CFileOtptionTimertask : public CFileOutputArgument {
 public:
  // Binds config-timer-tasks.ini (created empty when missing) and reads it.
  CFileOtptionTimertask();
  ~CFileOtptionTimertask() override;

  bool Read() override;
  bool Write() override;

  int32_t option_everyday = 0;
};
