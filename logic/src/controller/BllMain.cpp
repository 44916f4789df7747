#include "logic/BllMain.h"

#include "logic/LogicMessages.h"
#include "win32/windows.h"

namespace {
CBllMain* g_instance = nullptr;
}

CBllMain& CBllMain::Instance() { return Instance(nullptr); }

CBllMain& CBllMain::Instance(std::shared_ptr<ITimerClock> clock) {
  if (!g_instance) g_instance = new CBllMain(std::move(clock));
  return *g_instance;
}

void CBllMain::DeleteInstance() {
  delete g_instance;
  g_instance = nullptr;
}

CBllMain::CBllMain(std::shared_ptr<ITimerClock> clock)
    : m_clock(clock ? std::move(clock) : SystemTimerClock()), m_timers(m_clock) {}

CBllMain::~CBllMain() {
  // The window first: a task run ending below must not reach it while
  // the members its handlers use go one by one. Then a recording still
  // running ends, while every member its last events touch is whole.
  SetMainWindow(nullptr);
  m_recorder.Stop();
}

void CBllMain::SetMainWindow(IMainWindow* window) {
  m_main = window;
  HWND hwnd = window ? window->GetHwnd() : nullptr;
  m_mainHwnd.store(hwnd);
  m_timers.SetTargetWindow(hwnd);
}

void CBllMain::AttachAdapters(IFileListAdapter* fileList, ITimerListAdapter* timerList) {
  m_fileList = fileList;
  m_timerList = timerList;
  if (m_fileList) m_fileList->SetStore(&GetStore());
  if (m_timerList) m_timerList->SetManager(&m_timers);
}

void CBllMain::RefreshView() {
  if (m_main) m_main->RefreshRecordState(m_recorder, m_settings.m_more);
}

void CBllMain::NotifyTaskList() {
  if (m_timerList) m_timerList->NotifyDataChanged();
}

void CBllMain::ShowFlowForRecording() {
  IFloatingWindow* flow = m_main ? m_main->GetFloatingWindow() : nullptr;
  if (flow) flow->Show(m_settings.m_more.common_showflow_recording != 0);
}

int CBllMain::StartRecord(bool start) {
  bool recording = (m_recorder.state.load() & kRecorderRecording) != 0;
  if (recording == start) RefreshView();
  if (!start) {
    m_recorder.Stop();
    return 0;
  }
  CArgOutput& live = GetOutput();
  live.output_done = nullptr;
  live.output_call = this;
  m_taskDone.store(nullptr);
  m_recorder.settings = live;
  m_recorder.Start();
  ShowFlowForRecording();
  RefreshView();
  return 0;
}

int CBllMain::StartTimerTask(bool start, const CTimertaskInfo& task) {
  if (start && (m_recorder.state.load() & kRecorderRecording)) {
    m_timers.LogException(kTaskBusy, task.date, task);
    m_timers.RemoveTask(task.date);
    NotifyTaskList();
    return -1;
  }
  if (start) {
    // The task's own format; everything else, and the live settings
    // themselves, stay as they are.
    CArgOutput settings = GetOutput();
    settings.output_device = task.output.output_device;
    settings.output_format = task.output.output_format;
    settings.output_samplerate = task.output.output_samplerate;
    settings.output_channel = task.output.output_channel;
    settings.output_quality = task.output.output_quality;
    settings.output_call = this;
    settings.output_done = task.semaphore;
    m_taskDone.store(task.semaphore);
    m_recorder.settings = settings;
    m_recorder.Start();
    ShowFlowForRecording();
    RefreshView();
    OnTimerTaskStatus(0, 0, task);
    return 0;
  }
  // A task's time is up: only its own recording stops, never one the
  // user started meanwhile.
  if (task.semaphore && m_taskDone.load() == task.semaphore) m_recorder.Stop();
  m_timers.RemoveTask(task.date);
  NotifyTaskList();
  return 0;
}

int CBllMain::SetRecordFlag(bool pause) {
  if (pause)
    m_recorder.Pause();
  else
    m_recorder.Resume();
  RefreshView();
  return 0;
}

int CBllMain::OnOutput(COutputCallInfo* info) {
  if (!info) return 0;
  // Known from the moment its file is open, before any sound is in it: a
  // kill from now on still leaves the recording to be listed.
  if (info->type == COutputCallInfo::kFileOpened && info->code == 0 && !info->path.empty())
    GetStore().Journal().Add(info->path);
  if (info->type == COutputCallInfo::kRecordingEnded && info->semaphore) {
    HANDLE done = info->semaphore;
    m_taskDone.compare_exchange_strong(done, nullptr);
    ReleaseSemaphore(info->semaphore, 1, nullptr);
  }
  auto* copy = new COutputCallInfo(*info);
  HWND target = m_mainHwnd.load();
  // A record nobody receives is freed here rather than lost.
  if (!target || !PostMessageW(target, UM_OUTPUT_EVENT, 0, reinterpret_cast<LPARAM>(copy))) delete copy;
  return 0;
}

int CBllMain::OnTimerTaskStatus(int kind, int code, const CTimertaskInfo& task) {
  if (kind == 0 && code != 0) {
    m_timers.LogException(code, task.date, task);
    m_timers.RemoveTask(task.date);
  } else if (kind == 0) {
    m_timers.SetTaskStatus(task.date, kTaskStatusRunning);
  } else if (kind == 1) {
    m_timers.RemoveTask(task.date);
  }
  NotifyTaskList();
  return 0;
}

int CBllMain::ShowFloatingWindow(bool show) {
  IFloatingWindow* flow = m_main ? m_main->GetFloatingWindow() : nullptr;
  if (flow) flow->Show(show);
  return 0;
}

bool CBllMain::IsFloatingWindowVisible() {
  IFloatingWindow* flow = m_main ? m_main->GetFloatingWindow() : nullptr;
  return flow && flow->IsVisible();
}

void CBllMain::ApplyMoreSettings() {
  CFileMoreSetting& more = m_settings.m_more;
  SetAutoStart(more.common_auto_open != 0);
  if (m_main) m_main->RegisterHotKeys(more.hotkeys, true);
  ShowFloatingWindow(more.common_showflow_desktop != 0);
}

int CBllMain::ReRegisterHotKeys() {
  if (!m_main) return 0;
  m_main->RegisterHotKeys(m_settings.m_more.hotkeys, false);
  m_main->RegisterHotKeys(m_settings.m_more.hotkeys, true);
  return 0;
}
