// The bases of the program's windows: SDlgBase for modal dialogs (on the
// modal-dialog stack, closing by window close, Esc and Enter) and
// SDlgBaseWnd for modeless top-level windows. Both hand a share of their
// Win32 messages to listener windows first and follow the monitor's DPI
// while the layout unit is dp.
#pragma once

#include <vector>

#include "controls/CDlgStack.h"
#include "core/SHostDialog.h"
#include "core/SLayoutSize.h"
#include "core/SWin32Utils.h"

namespace ORIEL {

// The DPI of the window's monitor as a percentage of 96, not rounded.
int GetWindowDpiScale(HWND hwnd);
// The system's version as a Windows build reports it. There is no such
// version here: 0, the outputs untouched, and the DPI comes from the
// display layer alone.
int GetOsVersionFromNtdll(DWORD* major, DWORD* minor, DWORD* build, DWORD* revision);
// Whether the stored version (0.0.0 here) is at least major.minor.build.
bool IsOsVersionAtLeast(DWORD major, DWORD minor, DWORD build);
// The device context's LOGPIXELSX as a percentage of 96.
int GetSystemDpiScale(HWND hwnd);
// The scale a window at this DPI takes: DPI x 100 / 96, rounded to a step.
inline int ScaleForDpi(int dpi) { return RoundScale(dpi * 100 / 96); }
// The rectangle a window takes at `scale` percent, around the same centre.
RECT ScaledAroundCentre(const RECT& rc, int scale);
// True while sizes written without a unit are dp: DPI handling is on.
inline bool DpiHandlingOn() { return SLayoutSize::GetDefaultUnit() == SLayoutSize::dp; }

template <class T>
class SDpiHandler {
 public:
  virtual ~SDpiHandler() = default;
  // Rescales the host to `scale` with its top-left at `pos`; the size
  // follows the ratio to the current scale.
  virtual void ApplyDpiScale(int scale, POINT pos) {
    T* host = static_cast<T*>(this);
    const int current = host->GetScale();
    if (scale == current || current <= 0) return;
    const RECT rc = host->SWindow::GetWindowRect();
    const float factor = static_cast<float>(scale) / static_cast<float>(current);
    const int cx = static_cast<int>((rc.right - rc.left) * factor);
    const int cy = static_cast<int>((rc.bottom - rc.top) * factor);
    host->BroadcastMessage(kScaleMessage, static_cast<WPARAM>(scale), 0);
    SetWindowPos(host->GetHwnd(), nullptr, pos.x, pos.y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void OnDpiChanged(int dpi, const RECT& suggested) { ApplyDpiScale(ScaleForDpi(dpi), {suggested.left, suggested.top}); }
  void OnInitDialogScale() {
    T* host = static_cast<T*>(this);
    RECT rc{};
    ::GetWindowRect(host->GetHwnd(), &rc);
    const int scale = RoundScale(GetWindowDpiScale(host->GetHwnd()));
    const RECT target = ScaledAroundCentre(rc, scale);
    ApplyDpiScale(scale, {target.left, target.top});
  }
  // WM_INITDIALOG and WM_DPICHANGED with handling on: result 0, and the
  // message still goes on to the default processing.
  void HandleDpiMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!DpiHandlingOn()) return;
    if (msg == WM_INITDIALOG) {
      OnInitDialogScale();
      result = 0;
    } else if (msg == WM_DPICHANGED && lParam) {
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      result = 0;
    }
  }
  // The framework's rescale message, broadcast down the tree.
  static constexpr UINT kScaleMessage = 2024;
};

// Listener windows: offered commands, timers, copied data and every
// message from WM_USER up before the framework sees them.
class SListenerList {
 public:
  void AddListener(SWindow* window) { listeners_.push_back(window); }
  void RemoveListener(SWindow* window);
  static bool OffersToListeners(UINT msg) {
    return msg == WM_COPYDATA || msg == WM_COMMAND || msg == WM_TIMER || msg >= WM_USER;
  }
  // True when a listener claimed it; the result is then 0 whatever the
  // listener answered.
  bool DispatchToListeners(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  std::vector<SWindow*> listeners_;
};

class SDlgBase : public SHostDialog, public IDlgRecall, public SDpiHandler<SDlgBase>, public SListenerList {
 public:
  explicit SDlgBase(LPCWSTR layoutName);
  ~SDlgBase() override;

  // On the stack before the window exists; off it whenever this returns.
  INT_PTR DoModal(HWND owner = nullptr) override;
  BOOL EndDialog(INT_PTR code) override;
  INT_PTR Recall() override;
  HWND GetRecallHwnd() override { return GetHwnd(); }

  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;

 protected:
  BOOL RouteMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  BOOL handled_ = FALSE;
};

class SDlgBaseWnd : public SHostWnd, public SDpiHandler<SDlgBaseWnd>, public SListenerList {
 public:
  explicit SDlgBaseWnd(LPCWSTR layoutName);
  ~SDlgBaseWnd() override;

  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;

 private:
  BOOL handled_ = FALSE;
};

}  // namespace ORIEL
