#include "controls/SDlgBase.h"

#include <algorithm>
#include <tuple>

#include "gdi/gdi.h"

namespace ORIEL {

namespace {

// Reflects a child control's notification back to it; a colour request
// answered with no brush was not handled.
BOOL Reflect(CSimpleWnd& wnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  BOOL reflected = FALSE;
  const LRESULT answer = wnd.ReflectChildNotify(msg, wParam, lParam, reflected);
  if (!reflected) return FALSE;
  if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC && answer == 0) return FALSE;
  result = answer;
  return TRUE;
}

}  // namespace

int GetWindowDpiScale(HWND hwnd) {
  const UINT dpi = GetDpiForWindow(hwnd);
  return dpi ? static_cast<int>(dpi * 100 / 96) : 100;
}

int GetOsVersionFromNtdll(DWORD*, DWORD*, DWORD*, DWORD*) { return 0; }

bool IsOsVersionAtLeast(DWORD major, DWORD minor, DWORD build) {
  DWORD have[4] = {0, 0, 0, 0};
  GetOsVersionFromNtdll(&have[0], &have[1], &have[2], &have[3]);
  return std::tie(have[0], have[1], have[2]) >= std::tie(major, minor, build);
}

int GetSystemDpiScale(HWND hwnd) {
  HDC dc = GetDC(hwnd);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(hwnd, dc);
  return dpi * 100 / 96;
}

RECT ScaledAroundCentre(const RECT& rc, int scale) {
  const int wS = (rc.right - rc.left) * scale;
  const int hS = (rc.bottom - rc.top) * scale;
  const int left = (rc.left + rc.right) / 2 - wS / 200;
  const int top = (rc.top + rc.bottom) / 2 - hS / 200;
  return {left, top, left + wS / 100, top + hS / 100};
}

void SListenerList::RemoveListener(SWindow* window) {
  const auto found = std::find(listeners_.begin(), listeners_.end(), window);
  if (found != listeners_.end()) listeners_.erase(found);
}

bool SListenerList::DispatchToListeners(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  for (SWindow* listener : listeners_) {
    BOOL handled = FALSE;
    listener->SendSwndMessage(msg, wParam, lParam, &handled);
    if (handled) {
      result = 0;
      return true;
    }
  }
  return false;
}

SDlgBase::SDlgBase(LPCWSTR layoutName) : SHostDialog(layoutName) {}
SDlgBase::~SDlgBase() = default;

INT_PTR SDlgBase::DoModal(HWND owner) {
  CDlgStack::Instance().Push(this);
  const INT_PTR code = SHostDialog::DoModal(owner);
  // A window that could not be made (0) never reached EndDialog: leave the
  // stack anyway, so it holds no dialog that is gone.
  CDlgStack::Instance().Pop(this);
  return code;
}

BOOL SDlgBase::EndDialog(INT_PTR code) {
  CDlgStack::Instance().Pop(this);
  return SHostDialog::EndDialog(code);
}

INT_PTR SDlgBase::Recall() {
  EndDialog(CDlgStack::kRecalled);
  return CDlgStack::kRecalled;
}

BOOL SDlgBase::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                   DWORD mapId) {
  if (mapId != 0) return FALSE;
  const BOOL saved = handled_;
  const BOOL handled = RouteMessage(hwnd, msg, wParam, lParam, result);
  handled_ = saved;
  return handled;
}

BOOL SDlgBase::RouteMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  handled_ = TRUE;
  if (Reflect(*this, msg, wParam, lParam, result)) return TRUE;
  if (OffersToListeners(msg) && DispatchToListeners(msg, wParam, lParam, result)) return TRUE;
  if (msg == WM_CLOSE) {
    OnCancel();
    result = 0;
    return TRUE;
  }
  if (msg == WM_KEYDOWN) {
    HandleDialogKeys(hwnd, msg, wParam, lParam, result);
    return TRUE;
  }
  if (SHostWnd::HandleWindowMessage(hwnd, msg, wParam, lParam, result, 0)) return TRUE;
  if (Reflect(*this, msg, wParam, lParam, result)) return TRUE;
  HandleDpiMessage(msg, wParam, lParam, result);
  return FALSE;
}

SDlgBaseWnd::SDlgBaseWnd(LPCWSTR layoutName) : SHostWnd(layoutName) {}
SDlgBaseWnd::~SDlgBaseWnd() = default;

BOOL SDlgBaseWnd::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                      DWORD mapId) {
  if (mapId != 0) return FALSE;
  const BOOL saved = handled_;
  handled_ = TRUE;
  BOOL handled = Reflect(*this, msg, wParam, lParam, result);
  if (!handled && OffersToListeners(msg)) handled = DispatchToListeners(msg, wParam, lParam, result);
  if (!handled) handled = SHostWnd::HandleWindowMessage(hwnd, msg, wParam, lParam, result, 0);
  if (!handled) HandleDpiMessage(msg, wParam, lParam, result);
  handled_ = saved;
  return handled;
}

}  // namespace ORIEL
