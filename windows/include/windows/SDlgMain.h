// The main window: the view plus everything that reaches it. The event map
// handles its buttons and sliders by element name; the message map handles
// initialisation, closing, sizing, the elapsed-time timer, the global hot
// keys, the tray menu's commands, the floating window's commands, the
// recorder's events, device changes and timer-task events.
#pragma once

#include "logic/MainWindowLinks.h"
#include "windows/SViewMain.h"

// The floating window's command: wParam 0 stop, 1 start or pause, 2 exit,
// 3 hide the floating window; always answered E_NOTIMPL.
inline constexpr UINT UM_FLOW_COMMAND = 0x408;
inline constexpr LRESULT kFlowCommandResult = static_cast<LRESULT>(0x80004001);
// The elapsed-time timer of the main window.
inline constexpr UINT_PTR kElapsedTimer = 10;
// Tray-menu commands.
enum : int { kMenuShowMain = 42, kMenuExit = 43, kMenuShowFlow = 44, kMenuHideFlow = 45, kMenuNothing = 100 };

class SDlgMain : public SViewMain, public IMainWindow {
 public:
  explicit SDlgMain(LPCWSTR layout = kLayout);
  ~SDlgMain() override;

  // IMainWindow
  HWND GetHwnd() override { return SViewMain::GetHwnd(); }
  IFloatingWindow* GetFloatingWindow() override { return nullptr; }
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
  void ExitApp();
  bool IsInitialised() const { return initialised_; }

  // What the close prompt answers until it is a dialog of its own: 1 with
  // the flags it was given.
  struct ClosePromptAnswer {
    int result = 1;
    bool exitChosen = true;
    bool remember = false;
  };
  virtual ClosePromptAnswer RunClosePrompt(bool exitPreset);

 private:
  void RefreshState();
  void OnSize(UINT type);
  // A closed recording joins the list of recordings, newest first.
  void AddClosedRecording(const std::wstring& path);
  // The events the recorder posted before it stopped, handled before the
  // loop ends: their files reach the store, their records are freed.
  void DrainOutputEvents();

  bool initialised_ = false;
};
