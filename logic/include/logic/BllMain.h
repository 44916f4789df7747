// The application's controller: owns the recorder, the timer-task manager
// and every settings file; starts, pauses and stops recordings on command
// or when a timer task falls due; forwards the recorder's events to the
// main window as UM_OUTPUT_EVENT; writes the start-at-logon value.
//
// Everything but OnOutput runs on the UI thread; OnOutput runs on the
// recorder's worker thread and only posts.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "audio/OutputRecorder.h"
#include "logic/MainWindowLinks.h"
#include "logic/OutputCall.h"
#include "logic/SettingBlock.h"
#include "logic/TimerClock.h"
#include "logic/TimertaskManager.h"

class CBllMain : public IOutputCall {
 public:
  // The one controller, made on the first call (on the UI thread).
  static CBllMain& Instance();
  // The same, made with `clock` for its timer tasks when this call makes
  // it (a clock given to a controller that exists already is not used).
  static CBllMain& Instance(std::shared_ptr<ITimerClock> clock);
  // Saves everything and ends the controller (after the message loop).
  static void DeleteInstance();

  // Loads every file; the timer tasks take their time from clock (the
  // system's when none is given).
  explicit CBllMain(std::shared_ptr<ITimerClock> clock = nullptr);
  ~CBllMain() override;
  CBllMain(const CBllMain&) = delete;
  CBllMain& operator=(const CBllMain&) = delete;

  // Only from then on can recordings be reported and timer tasks reach a
  // window; null takes the window away again.
  void SetMainWindow(IMainWindow* window);
  void AttachAdapters(IFileListAdapter* fileList, ITimerListAdapter* timerList);
  ITimerListAdapter* GetTimerListAdapter() const { return m_timerList; }

  // Starts a recording with the live settings (restarting one that runs),
  // or stops the recording. 0.
  int StartRecord(bool start);
  // A due task: -1 when another recording runs (logged -101 and removed),
  // else its recording starts with the live settings and the task's
  // sources, format, rate, channels and quality. With start false: stops
  // the recording this task started, if it still runs, and removes the
  // task. 0.
  int StartTimerTask(bool start, const CTimertaskInfo& task);
  int SetRecordFlag(bool pause);
  int OnOutput(COutputCallInfo* info) override;
  // kind 0: a start (code 0 marks the task running, another code is
  // logged and removes it); kind 1: a finish (removes it).
  int OnTimerTaskStatus(int kind, int code, const CTimertaskInfo& task);
  int ShowFloatingWindow(bool show);
  // False without a main window or without a floating window.
  bool IsFloatingWindowVisible();
  void ApplyMoreSettings();
  int ReRegisterHotKeys();
  // Starts the sibling editor "Tarnwell/Tarnwell" of the program's folder
  // with the recording. 0 when started; 2 when the editor is not there,
  // 5 when it cannot be started (the reason in GetLastErrorText).
  int RunAudioMontage(const std::wstring& recordingPath);

  CArgOutput& GetOutput() { return m_settings.m_output.m_arg; }
  CFileMoreSetting& GetMoreSetting() { return m_settings.m_more; }
  CFileOtptionTimertask& GetTimerOption() { return m_settings.m_timerOption; }
  CRecordFileStore& GetStore() { return m_settings.m_store; }
  COutputRecorder& GetRecorder() { return m_recorder; }
  CTimertaskManager& GetTimerManager() { return m_timers; }
  // The clock the timer tasks run on: what "now" is for the windows that
  // schedule them.
  ITimerClock& GetClock() { return *m_clock; }
  const std::wstring& GetLastErrorText() const { return m_error; }

 private:
  void RefreshView();
  void ShowFlowForRecording();
  void NotifyTaskList();

  std::shared_ptr<ITimerClock> m_clock;
  IMainWindow* m_main = nullptr;
  std::atomic<HWND> m_mainHwnd{nullptr};
  IFileListAdapter* m_fileList = nullptr;
  ITimerListAdapter* m_timerList = nullptr;
  COutputRecorder m_recorder;
  CTimertaskManager m_timers;
  CSettingBlock m_settings;
  // The semaphore of the timer task whose recording runs; null for a
  // recording started by hand.
  std::atomic<HANDLE> m_taskDone{nullptr};
  std::wstring m_error;
};

// Writes (quoted, terminated) or deletes the value "Quorvale" under the
// current user's Run key, which also starts the program at logon. 0, or
// the registry's error code.
int SetAutoStart(bool on);
