#include "windows/SDlgMain.h"

#include "windows/CAdpaterFilelist.h"
#include "windows/SDlgOptionMore.h"
#include "windows/SDlgOptionTimerTask.h"
#include "windows/SDlgTipClose.h"

#include "audio/ServerAudioDev.h"
#include "base/FolderOps.h"
#include "base/SingleInstance.h"
#include "control/SSliderBar.h"
#include "controls/CDlgFileSel.h"
#include "controls/CDlgStack.h"
#include "controls/SDlgTip.h"
#include "controls/SShellNotifyIcon.h"
#include "core/SMessageLoop.h"
#include "logic/BllMain.h"
#include "logic/LogicMessages.h"
#include "logic/RecordFileStore.h"
#include "shell/shellapi.h"
#include "windows/MainViewText.h"
#include "windows/ResourceNames.h"

using namespace ORIEL;

SDlgMain::SDlgMain(LPCWSTR layout) : SViewMain(layout) {}

// The controller is deleted before the main window (it forgets the window
// then), so nothing here reaches back into it.
SDlgMain::~SDlgMain() = default;

void SDlgMain::RefreshState() {
  CBllMain& bll = CBllMain::Instance();
  SViewMain::RefreshRecordState(bll.GetRecorder(), bll.GetMoreSetting());
}

BOOL SDlgMain::OnHostEvent(EventArgs* e) {
  if (!e) return FALSE;
  const wchar_t* name = e->nameFrom.c_str();
  if (e->GetId() == EventCmd::EventID) {
    if (IsElementName(name, UiName::btn_close))
      OnCloseRequest();
    else if (IsElementName(name, UiName::btn_min))
      SendMessageW(GetHwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else if (IsElementName(name, UiName::btn_max))
      SendMessageW(GetHwnd(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    else if (IsElementName(name, UiName::btn_restore))
      SendMessageW(GetHwnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
    else if (IsElementName(name, UiName::btn_start))
      OnStartPause();
    else if (IsElementName(name, UiName::btn_stop))
      OnStop();
    else if (IsElementName(name, UiName::btn_renwu))
      OpenTimerTasks();
    else if (IsElementName(name, UiName::btn_set))
      OpenSettings();
    else if (IsElementName(name, UiName::btn_filelist))
      ShowAndActivate();
    else if (IsElementName(name, UiName::btn_open))
      OpenOutputFolder();
    else if (IsElementName(name, UiName::btn_select))
      ChooseOutputFolder();
    else if (IsElementName(name, UiName::btn_mic))
      OnMuteToggle(true);
    else if (IsElementName(name, UiName::btn_speak))
      OnMuteToggle(false);
    else
      return FALSE;
    e->handled++;
    return TRUE;
  }
  if (e->GetId() == EventSliderPos::EventID) {
    const int pos = static_cast<EventSliderPos*>(e)->nPos;
    if (IsElementName(name, UiName::bar_mic))
      OnVolumeSlider(true, pos);
    else if (IsElementName(name, UiName::bar_speak))
      OnVolumeSlider(false, pos);
    else
      return FALSE;
    e->handled++;
    return TRUE;
  }
  return FALSE;
}

BOOL SDlgMain::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                   DWORD mapId) {
  if (mapId != 0) return SViewMain::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
  switch (msg) {
    case WM_INITDIALOG:
      OnInitDialog();
      break;  // the base's DPI handling runs too
    case WM_CLOSE:
      OnCloseRequest();
      result = 0;
      return TRUE;
    case WM_SIZE:
      SViewMain::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
      OnSize(static_cast<UINT>(wParam));
      result = 0;
      return TRUE;
    case WM_TIMER:
      if (static_cast<uint8_t>(wParam) == kElapsedTimer) {
        SViewMain::RefreshElapsedTime(CBllMain::Instance().GetRecorder());
        // A database another program held is read, or saved to, once free.
        CAdpaterFilelist::Instance().RetryPendingStore();
        result = 0;
        return TRUE;
      }
      break;
    case WM_HOTKEY:
      OnHotKey(static_cast<int>(wParam));
      result = 0;
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (HIWORD(wParam) == 0 && ((id >= kMenuShowMain && id <= kMenuHideFlow) || id == kMenuNothing)) {
        OnMenuCommand(id);
        result = 0;
        return TRUE;
      }
      break;
    }
    case WM_COPYDATA:
      // The bottom bar's advertising status, when its part did not take it
      // to the bar already; other copied data is not ours.
      if (GetBottomBar() && !GetBottomBar()->GetPart()) GetBottomBar()->OnCopyData(wParam, lParam);
      break;
    case UM_OUTPUT_EVENT:
      OnOutputEvent(reinterpret_cast<COutputCallInfo*>(lParam));
      result = 0;
      return TRUE;
    case UM_FLOW_COMMAND:
      OnFlowCommand(wParam);
      result = kFlowCommandResult;
      return TRUE;
    case UM_EXIT_REQUEST:
      ExitApp();
      result = 0;
      return TRUE;
    case UM_DEVICES_CHANGED:
      RefreshState();
      result = 0;
      return TRUE;
    case UM_TIMERTASK_EVENT:
      result = OnTimerTaskEvent(wParam, lParam);
      return TRUE;
    default:
      break;
  }
  return SViewMain::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
}

void SDlgMain::OnInitDialog() {
  CBllMain& bll = CBllMain::Instance();
  GetServerAudioDev()->AddListener(GetHwnd());
  bll.SetMainWindow(this);
  // The file list's adapter serves the list's window; the timer tasks' is ours.
  bll.AttachAdapters(&CAdpaterFilelist::Instance(), &timerList_);
  flowWindow_ = std::make_unique<SDlgFlow>();
  if (flowWindow_->CreateDefault(nullptr)) {
    SendMessageW(flowWindow_->GetHwnd(), WM_INITDIALOG, 0, 0);
    flowWindow_->SetMainView(GetHwnd());
    SetFlowWindow(flowWindow_.get());
  }
  CreateChildWindows(bll.GetOutput());
  CreateFileListWindow();
  RefreshVolumeState(bll.GetOutput());
  RefreshState();
  StartHostTimer(kElapsedTimer, 1000);
  initialised_ = true;
}

void SDlgMain::OnSize(UINT type) {
  if (!initialised_) return;
  SWindow* restore = FindDescendantByName(L"btn_restore");
  SWindow* max = FindDescendantByName(L"btn_max");
  if (!restore || !max) return;
  if (type == SIZE_MAXIMIZED) {
    restore->SetVisible(TRUE, FALSE);
    max->SetVisible(FALSE, FALSE);
  } else if (type == SIZE_RESTORED) {
    restore->SetVisible(FALSE, FALSE);
    max->SetVisible(TRUE, FALSE);
  }
}

void SDlgMain::OnHotKey(int id) {
  CBllMain& bll = CBllMain::Instance();
  const uint32_t state = bll.GetRecorder().GetState();
  switch (id) {
    case kHotKeyOpenMain:
      BringWindowToFront(GetHwnd());
      break;
    case kHotKeyStartEnd:
      bll.StartRecord((state & kRecorderRecording) == 0);
      break;
    case kHotKeyPaused:
      bll.SetRecordFlag((state & kRecorderPaused) == 0);
      break;
    case kHotKeyShowFlow:
      ShowFloatingWindow(!(flow_ && IsWindowVisible(flow_->GetHwnd())));
      break;
    default:
      break;
  }
}

void SDlgMain::OnMenuCommand(int id) {
  switch (id) {
    case kMenuShowMain: BringWindowToFront(GetHwnd()); break;
    case kMenuExit: ExitApp(); break;
    case kMenuShowFlow: ShowFloatingWindow(true); break;
    case kMenuHideFlow: ShowFloatingWindow(false); break;
    default: break;
  }
}

void SDlgMain::OnFlowCommand(WPARAM command) {
  switch (command) {
    case 0: OnStop(); break;
    case 1: OnStartPause(); break;
    case 2: ExitApp(); break;
    case 3: ShowFloatingWindow(false); break;
    default: break;
  }
}

void SDlgMain::OnStartPause() {
  CBllMain& bll = CBllMain::Instance();
  COutputRecorder& recorder = bll.GetRecorder();
  const uint32_t state = recorder.state.load();
  if (!(state & kRecorderRecording)) {
    bll.StartRecord(true);
    return;
  }
  // Through the recorder, which cuts each source at this moment.
  if (state & kRecorderPaused)
    recorder.Resume();
  else
    recorder.Pause();
  RefreshState();
}

void SDlgMain::OnStop() {
  COutputRecorder& recorder = CBllMain::Instance().GetRecorder();
  if (!(recorder.GetState() & kRecorderRecording)) RefreshState();
  recorder.Stop();
}

void SDlgMain::AddClosedRecording(const std::wstring& path) {
  CAdpaterFilelist& list = CAdpaterFilelist::Instance();
  list.AddRecord(path);
  // Listed (or not media at all): no longer a recording being written.
  if (CRecordFileStore* store = list.GetStore()) store->Journal().Remove(path);
}

void SDlgMain::OnOutputEvent(COutputCallInfo* info) {
  std::unique_ptr<COutputCallInfo> owned(info);
  if (!info) return;
  if (info->type == COutputCallInfo::kRecordingEnded) {
    if (info->code == 0 || info->code == -1) {
      ShowAndActivate();
    } else {
      const RecordingErrorTip texts = MakeRecordingErrorTip(SStringW(info->text.c_str()));
      ORIEL::SDlgTip tip;
      tip.SetTitle(texts.title).SetOkText(texts.okText).SetNoText(texts.noText);
      for (const SStringW& line : texts.lines) tip.AddText(line);
      tip.DoModal(CDlgStack::Instance().Top());
    }
    RefreshState();
    return;
  }
  if (info->type == COutputCallInfo::kFileClosed && info->code == 0) AddClosedRecording(info->path);
  RefreshState();
}

LRESULT SDlgMain::OnTimerTaskEvent(WPARAM kind, LPARAM lParam) {
  auto* task = reinterpret_cast<CTimertaskInfo*>(lParam);
  if (!task) return 0;
  CBllMain& bll = CBllMain::Instance();
  switch (kind) {
    case kTimerTaskStart:
      return bll.StartTimerTask(true, *task);
    case kTimerTaskFinished:
      RefreshState();
      bll.OnTimerTaskStatus(1, 0, *task);
      return 0;
    case kTimerTaskCancel:
      bll.StartTimerTask(false, *task);
      return 0;
    default:
      return 0;
  }
}

SDlgMain::ClosePromptAnswer SDlgMain::RunClosePrompt(bool exitPreset) {
  SDlgTipClose prompt;
  prompt.exitChosen = exitPreset;
  ClosePromptAnswer answer;
  answer.result = static_cast<int>(prompt.DoModal(GetHwnd()));
  answer.exitChosen = prompt.exitChosen;
  answer.remember = prompt.remember;
  return answer;
}

void SDlgMain::OpenSettings() {
  SDlgOptionMore dialog;
  dialog.DoModal(GetHwnd());
  RefreshState();
}

void SDlgMain::OpenTimerTasks() {
  SDlgOptionTimerTask dialog(CBllMain::Instance().GetOutput());
  dialog.DoModal(GetHwnd());
}

void SDlgMain::OnCloseRequest() {
  CFileMoreSetting& more = CBllMain::Instance().GetMoreSetting();
  CloseAction action = CloseBySetting(more.common_close_hide);
  if (more.common_show_closetip) {
    const ClosePromptAnswer answer = RunClosePrompt(!more.common_close_hide);
    // A prompt ended by an exit from elsewhere was not answered.
    const int result = answer.result == CDlgStack::kRecalled ? kClosePromptCancelled : answer.result;
    action = DecideClose(result, answer.exitChosen, answer.remember, more.common_show_closetip,
                         more.common_close_hide);
  }
  if (action == CloseAction::kHide)
    HideMainWindow();
  else if (action == CloseAction::kExit)
    ExitApp();
}

void SDlgMain::HideMainWindow() {
  auto* tray = FindChildByID2<SShellNotifyIcon>(kTrayIconElementId);
  // Hidden with no tray icon to bring it back, the window would be out of
  // reach: it goes to the taskbar instead.
  ShowWindow(GetHwnd(), tray && tray->IsInTray() ? SW_HIDE : SW_MINIMIZE);
}

void SDlgMain::OpenOutputFolder() {
  const std::wstring folder = CBllMain::Instance().GetOutput().output_dir;
  CreateFolderChain(folder);
  ShellExecuteW(CDlgStack::Instance().Top(), L"open", L"explorer.exe", folder.c_str(), nullptr, SW_SHOW);
}

void SDlgMain::ChooseOutputFolder() {
  CDlgFileSel picker;
  picker.options = FOS_PICKFOLDERS | FOS_NOCHANGEDIR | FOS_FILEMUSTEXIST;
  if (picker.Show(GetHwnd()) != CDlgFileSel::kChosen || picker.paths.empty()) return;
  // Not created here: recording and "btn_open" make it when needed.
  const SStringW folder = OutputFolderForChoice(picker.paths.front());
  ShowOutputFolder(folder);
  CBllMain::Instance().GetOutput().output_dir = folder.c_str();
}

void SDlgMain::OnVolumeSlider(bool mic, int position) {
  CBllMain& bll = CBllMain::Instance();
  const float volume = SliderToVolume(position);
  bll.GetRecorder().SetVolume(mic ? 0 : 1, volume);
  (mic ? bll.GetOutput().output_mic_volume : bll.GetOutput().output_speaker_volume) = volume;
  RefreshVolumeState(bll.GetOutput());
}

void SDlgMain::OnMuteToggle(bool mic) {
  CBllMain& bll = CBllMain::Instance();
  double& volume = mic ? bll.GetOutput().output_mic_volume : bll.GetOutput().output_speaker_volume;
  volume = ToggleMute(volume);
  bll.GetRecorder().SetVolume(mic ? 0 : 1, static_cast<float>(volume));
  RefreshVolumeState(bll.GetOutput());
}

void SDlgMain::DrainOutputEvents() {
  MSG msg{};
  while (PeekMessageW(&msg, GetHwnd(), UM_OUTPUT_EVENT, UM_OUTPUT_EVENT, PM_REMOVE)) {
    std::unique_ptr<COutputCallInfo> info(reinterpret_cast<COutputCallInfo*>(msg.lParam));
    if (info && info->type == COutputCallInfo::kFileClosed && info->code == 0) AddClosedRecording(info->path);
  }
}

bool SDlgMain::EndOpenDialogsFirst() {
  CDlgStack& stack = CDlgStack::Instance();
  if (stack.IsEmpty()) return false;
  // A dialog that will not end must not keep the program from ending.
  if (++exitDeferrals_ > kMaxExitDeferrals) return false;
  // Each recalled loop returns once the message it is handling is done,
  // innermost first; the exit runs when this message reaches the main loop.
  stack.RecallAll();
  PostMessageW(GetHwnd(), UM_EXIT_REQUEST, 0, 0);
  return true;
}

void SDlgMain::ExitApp() {
  if (exited_) return;
  // Windows the open dialogs' loops still use are destroyed below: those
  // loops end before anything is taken down.
  if (EndOpenDialogsFirst()) return;
  exited_ = true;
  CBllMain& bll = CBllMain::Instance();
  SViewMain::RegisterHotKeys(bll.GetMoreSetting().hotkeys, false);
  COutputRecorder& recorder = bll.GetRecorder();
  if (!(recorder.GetState() & kRecorderRecording)) RefreshState();
  recorder.Stop();
  DrainOutputEvents();
  GetServerAudioDev()->RemoveListener(GetHwnd());
  DestroyChildWindows();
  // The controller, and with it the store, goes after the loop.
  bll.AttachAdapters(nullptr, nullptr);
  CAdpaterFilelist::Instance().SetStore(nullptr);
  // WM_QUIT rather than the loop's quit flag: the loop's result is then
  // 0, not the wParam of whatever message brought the exit (the tray
  // icon's callback carries its id), and a menu or message box still
  // running ends with it.
  PostQuitMessage(0);
}
