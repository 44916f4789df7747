#include "windows/SDlgFlow.h"

#include "control/SWin32Menu.h"
#include "event/SWndEvents.h"
#include "shell/shobjidl.h"
#include "win32/windows.h"

using namespace ORIEL;

namespace {

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(monitor, &info)) reinterpret_cast<std::vector<RECT>*>(data)->push_back(info.rcMonitor);
  return TRUE;
}

// Takes the window off the task bar; without the shell's object it keeps
// its button.
bool RemoveTaskbarButton(HWND hwnd) {
  ITaskbarList* list = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList,
                              reinterpret_cast<void**>(&list))) ||
      !list)
    return false;
  const bool removed = SUCCEEDED(list->HrInit()) && SUCCEEDED(list->DeleteTab(hwnd));
  list->Release();
  return removed;
}

}  // namespace

std::vector<RECT> SDlgFlowBase::Monitors() {
  std::vector<RECT> monitors;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

void SDlgFlowBase::MoveToStart(const std::vector<RECT>& monitors) {
  const POINT start = FlowStartPosition(monitors, bounds_);
  SetWindowPos(GetHwnd(), nullptr, start.x, start.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SDlgFlowBase::OnInitPlacement() {
  const std::vector<RECT> monitors = Monitors();
  bounds_ = FlowBoundsOfMonitors(monitors, GetSystemMetrics(SM_CXSCREEN));
  ::SetTimer(GetHwnd(), kEdgeTimer, kEdgePeriodMs, nullptr);
  MoveToStart(monitors);
  taskbarRemoved_ = RemoveTaskbarButton(GetHwnd());
  SetWindowPos(GetHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
}

void SDlgFlowBase::OnDisplayChange() {
  const std::vector<RECT> monitors = Monitors();
  bounds_ = FlowBoundsOfMonitors(monitors, GetSystemMetrics(SM_CXSCREEN));
  RECT rc{};
  ::GetWindowRect(GetHwnd(), &rc);
  if (FlowOutsideEveryMonitor(rc, monitors)) MoveToStart(monitors);
}

void SDlgFlowBase::OnEdgeTimer(UINT_PTR id) {
  if (id != kEdgeTimer) return;
  RECT rc{};
  ::GetWindowRect(GetHwnd(), &rc);
  POINT cursor{};
  GetCursorPos(&cursor);
  const int left = FlowEdgeStep(rc, bounds_, cursor, GetKeyState(VK_LBUTTON) < 0);
  if (left == rc.left) return;
  SetWindowPos(GetHwnd(), nullptr, left, rc.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL SDlgFlowBase::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                       DWORD mapId) {
  if (mapId == 0) {
    switch (msg) {
      case WM_CLOSE:
        // Never closed by the user: only hidden.
        ShowWindow(GetHwnd(), SW_HIDE);
        result = 0;
        return TRUE;
      case WM_INITDIALOG:
        // The screen's scale first: the placement keeps the size it finds.
        HandleDpiMessage(msg, wParam, lParam, result);
        OnInitPlacement();
        result = 0;
        return TRUE;
      case WM_TIMER:
        OnEdgeTimer(static_cast<UINT_PTR>(wParam));
        result = 0;
        return TRUE;
      case WM_DISPLAYCHANGE:
        OnDisplayChange();
        result = 0;
        return TRUE;
      default:
        break;
    }
  }
  return SDlgBaseWnd::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
}

void SDlgFlow::UpdateState(uint32_t state) {
  const bool recording = (state & 1) != 0;
  const bool paused = (state & 4) != 0;
  if (start_) start_->ApplyAttribute(L"skin", recording && !paused ? L"fd_btn_pause" : L"fd_btn_start", FALSE);
  if (stop_) stop_->ApplyAttribute(L"enable", recording ? L"1" : L"0", FALSE);
}

void SDlgFlow::SetTimeText(const SStringW& text) {
  if (time_ && time_->GetText(true) != text) time_->SetText(text);
}

void SDlgFlow::Show(bool show) {
  if (IsWindow(GetHwnd())) ShowWindow(GetHwnd(), show ? SW_SHOW : SW_HIDE);
}

bool SDlgFlow::IsVisible() { return IsWindow(GetHwnd()) && IsWindowVisible(GetHwnd()); }

void SDlgFlow::SendCommand(WPARAM command) {
  if (mainView_) SendMessageW(mainView_, UM_FLOW_COMMAND, command, 0);
}

BOOL SDlgFlow::OnHostEvent(EventArgs* e) {
  if (!e || e->GetId() != EventCmd::EventID) return FALSE;
  if (e->nameFrom == L"flow_start")
    SendCommand(kFlowStartPause);
  else if (e->nameFrom == L"flow_stop")
    SendCommand(kFlowStop);
  else
    return FALSE;
  e->handled++;
  return TRUE;
}

void SDlgFlow::ShowMenu() {
  SWin32Menu menu;
  if (!menu.LoadFromResName(L"SMENU:menu_tray")) return;
  menu.AppendItem(0, kCmdHide, L"隐藏悬浮球", 0);
  menu.AppendItem(0, kCmdShowMain, L"打开主界面", 1);
  menu.AppendItem(0, kCmdExit, L"退出主程序", 2);
  POINT pt{};
  GetCursorPos(&pt);
  menu.ShowPopup(0, pt.x, pt.y, GetHwnd(), nullptr, GetScale());
  menu.Destroy();
}

BOOL SDlgFlow::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                   DWORD mapId) {
  if (mapId == 0) {
    switch (msg) {
      case WM_COMMAND:
        switch (LOWORD(wParam)) {
          case kCmdShowMain:
            if (mainView_) {
              ShowWindow(mainView_, SW_SHOWNORMAL);
              SetForegroundWindow(mainView_);
            }
            break;
          case kCmdExit: SendCommand(kFlowExit); break;
          case kCmdHide: SendCommand(kFlowHide); break;
          default: break;
        }
        result = 0;
        return TRUE;
      case WM_LBUTTONDBLCLK:
        if (mainView_) ShowWindow(mainView_, IsWindowVisible(mainView_) ? SW_HIDE : SW_SHOWNORMAL);
        result = 0;
        return TRUE;
      case WM_RBUTTONUP:
        ShowMenu();
        result = 0;
        return TRUE;
      case WM_INITDIALOG:
        time_ = FindChildByName2<SStatic>(L"flow_time");
        start_ = FindChildByName2<SButton>(L"flow_start");
        stop_ = FindChildByName2<SButton>(L"flow_stop");
        break;
      default:
        break;
    }
  }
  return SDlgFlowBase::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
}
