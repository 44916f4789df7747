// What the controller needs of the windows, which implement it: the main
// window's handle, its floating window, its view of the recorder's state
// and its hot keys, and the two list adapters. The controller holds no
// display code of its own.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "logic/FileMoreSetting.h"
#include "win32/types.h"

class COutputRecorder;
class CTimertaskManager;
class CRecordFileStore;

class IFloatingWindow {
 public:
  virtual ~IFloatingWindow() = default;
  virtual void Show(bool show) = 0;
  // Whether the window is on screen (what the tray menu offers depends on it).
  virtual bool IsVisible() = 0;
};

class IMainWindow {
 public:
  virtual ~IMainWindow() = default;
  // Receives UM_OUTPUT_EVENT (frees the posted record) and
  // UM_TIMERTASK_EVENT (answers a start with CBllMain::StartTimerTask).
  virtual HWND GetHwnd() = 0;
  // Null when there is none.
  virtual IFloatingWindow* GetFloatingWindow() = 0;
  // Record and pause controls, status line and floating window from the
  // recorder's state.
  virtual void RefreshRecordState(COutputRecorder& recorder, CFileMoreSetting& more) = 0;
  // Registers (or with reg false unregisters) each hot key under its id.
  virtual void RegisterHotKeys(std::map<int32_t, CHotKeyItem>& hotkeys, bool reg) = 0;
};

// The file list's adapter: shows and edits the store's records in place,
// and saves the store after each change.
class IFileListAdapter {
 public:
  virtual ~IFileListAdapter() = default;
  virtual void SetStore(CRecordFileStore* store) = 0;
};

// The timer-task list's adapter.
class ITimerListAdapter {
 public:
  virtual ~ITimerListAdapter() = default;
  virtual void SetManager(CTimertaskManager* manager) = 0;
  // Tells every registered observer, in registration order, that the
  // task list changed.
  virtual void NotifyDataChanged() = 0;
};
