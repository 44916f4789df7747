// One scheduled recording: its completion semaphore, status text, name,
// date and output settings, and its "dataRec" element of
// data-timer-tasks.xml.
#pragma once

#include <pugixml.hpp>

#include "core/SString.h"
#include "logic/ArgOutput.h"
#include "logic/TimerDate.h"
#include "win32/types.h"

// Status texts of the task list.
inline constexpr const wchar_t* kTaskStatusWaiting = L"等待";
inline constexpr const wchar_t* kTaskStatusRunning = L"执行中...";

class IXmlObject {
 public:
  virtual ~IXmlObject() = default;
  virtual bool Save(pugi::xml_node parent) const = 0;
  virtual bool Load(pugi::xml_node node) = 0;
};

class CTimertaskInfo : public IXmlObject {
 public:
  // Appends a "dataRec" element: name; date with year, month, day, hour,
  // minute, second, duration (all 64 bits) and everyday; outputArgument
  // with type, format, quality ("%g"), samplerate and channelNum.
  bool Save(pugi::xml_node parent) const override;
  // Reads a "dataRec" element. An "outputArgument" that is missing, or any
  // of its attributes, leaves the output defaults. False when the date is
  // not a valid one (the task must then not be filed).
  bool Load(pugi::xml_node node) override;

  HANDLE semaphore = nullptr;  // owned by the task's action
  SStringW status = kTaskStatusWaiting;
  SStringW name;
  CTimerDate date;
  CArgOutput output;
};
