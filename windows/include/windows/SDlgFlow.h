// The floating window: a small always-on-top tool window without a task-bar
// button that docks at the left or right edge of the desktop, slides out of
// sight there until the pointer comes over it, and sends every command to
// the main window as UM_FLOW_COMMAND. SDlgFlowBase is the docking window,
// SDlgFlow adds the buttons, the elapsed time and the right-click menu.
#pragma once

#include <cstdint>
#include <vector>

#include "control/SButton.h"
#include "control/SStatic.h"
#include "controls/SDlgBase.h"
#include "logic/MainWindowLinks.h"
#include "windows/FlowEdge.h"

// The floating window's command to the main window: wParam 0 stop, 1 start
// or pause, 2 exit, 3 hide the floating window.
inline constexpr UINT UM_FLOW_COMMAND = 0x408;
enum : WPARAM { kFlowStop = 0, kFlowStartPause = 1, kFlowExit = 2, kFlowHide = 3 };

class SDlgFlowBase : public ORIEL::SDlgBaseWnd {
 public:
  // The slide timer and its period.
  static constexpr UINT_PTR kEdgeTimer = 96;
  static constexpr UINT kEdgePeriodMs = 10;

  explicit SDlgFlowBase(LPCWSTR layout) : SDlgBaseWnd(layout) {}

  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;

  FlowBounds GetBounds() const { return bounds_; }
  // Whether DeleteTab took the window off the task bar.
  bool TaskbarButtonRemoved() const { return taskbarRemoved_; }

 protected:
  void OnInitPlacement();
  void OnEdgeTimer(UINT_PTR id);
  // The monitors moved or changed: new bounds, and a window that no
  // monitor shows any more goes back to its start position.
  void OnDisplayChange();

 private:
  static std::vector<RECT> Monitors();
  void MoveToStart(const std::vector<RECT>& monitors);

  FlowBounds bounds_;
  bool taskbarRemoved_ = false;
};

class SDlgFlow : public SDlgFlowBase, public IFloatingWindow {
 public:
  static constexpr const wchar_t* kLayout = L"LAYOUT:dlg_flow";
  // Commands of the right-click menu (the tray menu's).
  enum : int { kCmdShowMain = 42, kCmdExit = 43, kCmdHide = 45 };

  SDlgFlow() : SDlgFlowBase(kLayout) {}

  // The window that receives the commands: the main view's.
  void SetMainView(HWND mainView) { mainView_ = mainView; }
  HWND GetMainView() const { return mainView_; }

  // The recorder's state word: bit 1 recording, bit 4 paused.
  void UpdateState(uint32_t recorderState);
  void SetTimeText(const SStringW& text);

  // IFloatingWindow
  void Show(bool show) override;
  bool IsVisible() override;

  BOOL OnHostEvent(ORIEL::EventArgs* e) override;
  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;

 private:
  void SendCommand(WPARAM command);
  void ShowMenu();

  ORIEL::SStatic* time_ = nullptr;
  ORIEL::SButton* start_ = nullptr;
  ORIEL::SButton* stop_ = nullptr;
  HWND mainView_ = nullptr;
};
