// The main window: the view plus everything that reaches it. The event map
// handles its buttons and sliders by element name; the message map handles
// initialisation, closing, sizing, the elapsed-time timer, the global hot
// keys, the tray menu's commands, the floating window's commands, the
// recorder's events, device changes and timer-task events.
#pragma once

#include "logic/MainWindowLinks.h"
#include <memory>

#include "windows/CAdpaterTimerList.h"
#include "windows/SDlgFlow.h"
#include "windows/SViewMain.h"

// The floating window's command (UM_FLOW_COMMAND) is always answered
// E_NOTIMPL.
inline constexpr LRESULT kFlowCommandResult = static_cast<LRESULT>(0x80004001);
// The elapsed-time timer of the main window.
inline constexpr UINT_PTR kElapsedTimer = 10;
// Tray-menu commands.
// Posted to the main window to end the program (wParam and lParam 0): the
// exit once the open dialogs have ended, or a session's end signal. The
// main loop's result is the last message's wParam, hence 0.
inline constexpr UINT UM_EXIT_REQUEST = WM_APP + 1;
// The tray icon's element in the main layout.
inline constexpr int kTrayIconElementId = 110;
enum : int { kMenuShowMain = 42, kMenuExit = 43, kMenuShowFlow = 44, kMenuHideFlow = 45, kMenuNothing = 100 };

class SDlgMain : public SViewMain, public IMainWindow {
 public:
  explicit SDlgMain(LPCWSTR layout = kLayout);
  ~SDlgMain() override;

  // IMainWindow
  HWND GetHwnd() override { return SViewMain::GetHwnd(); }
  IFloatingWindow* GetFloatingWindow() override { return flow_ ? flowWindow_.get() : nullptr; }
  void RefreshRecordState(COutputRecorder& recorder, CFileMoreSetting& more) override {
    SViewMain::RefreshRecordState(recorder, more);
  }
  void RegisterHotKeys(std::map<int32_t, CHotKeyItem>& hotkeys, bool reg) override {
    SViewMain::RegisterHotKeys(hotkeys, reg);
  }

  BOOL OnHostEvent(ORIEL::EventArgs* e) override;
  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;

  void OnInitDialog();
  void OnCloseRequest();
  void OnStartPause();
  void OnStop();
  void OnHotKey(int id);
  void OnMenuCommand(int id);
  void OnFlowCommand(WPARAM command);
  void OnOutputEvent(COutputCallInfo* info);
  LRESULT OnTimerTaskEvent(WPARAM kind, LPARAM task);
  void OpenOutputFolder();
  void ChooseOutputFolder();
  void OnVolumeSlider(bool mic, int position);
  void OnMuteToggle(bool mic);
  // Ends the program from any entry point: open dialogs end first, then
  // the windows go and the main loop is told to quit. Once only.
  void ExitApp();
  // The settings and timer-task dialogs, modal over the main window.
  void OpenSettings();
  void OpenTimerTasks();
  bool IsInitialised() const { return initialised_; }

  // What the close prompt answered: its result and its two flags.
  struct ClosePromptAnswer {
    int result = 1;
    bool exitChosen = true;
    bool remember = false;
  };
  virtual ClosePromptAnswer RunClosePrompt(bool exitPreset);

 private:
  void RefreshState();
  void OnSize(UINT type);
  // "Minimise" of the close prompt: to the tray, or to the taskbar when no
  // tray holds the icon.
  void HideMainWindow();
  // A closed recording joins the list of recordings, newest first.
  void AddClosedRecording(const std::wstring& path);
  // The events the recorder posted before it stopped, handled before the
  // loop ends: their files reach the store, their records are freed.
  void DrainOutputEvents();
  // With a modal dialog open: ends every open dialog and posts the exit
  // again, true. False when nothing is open (or the dialogs would not end).
  bool EndOpenDialogsFirst();
  static constexpr int kMaxExitDeferrals = 20;
  int exitDeferrals_ = 0;
  bool exited_ = false;

  bool initialised_ = false;
  std::unique_ptr<SDlgFlow> flowWindow_;
  ORIEL::CAdpaterTimerList timerList_;
};
