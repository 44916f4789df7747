#include "core/STipCtrl.h"

#include "core/SLog.h"
#include "res.mgr/SUiDef.h"

namespace ORIEL {
namespace {

constexpr DWORD kTipStyle = 0x80000003;  // WS_POPUP with the low bits 1 and 2
constexpr DWORD kTipExStyle = WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
constexpr wchar_t kTipFace[] = L"宋体";  // without a UI definition
constexpr int kPadding = 5;

// Tips read as part of the program: the face of its UI definition's
// default font, the one its windows' texts fall back to.
SStringW TipFace() {
  IUiDefInfo* def = SUiDef::CurrentInfo();
  if (def && !def->GetDefFontInfo().strFace.IsEmpty()) return def->GetDefFontInfo().strFace;
  return SStringW(kTipFace);
}

bool IsVisible(HWND hwnd) { return hwnd && (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

}  // namespace

STipCtrl::STipCtrl() = default;

STipCtrl::~STipCtrl() {
  if (font_) DeleteObject(font_);
}

void STipCtrl::MakeFont(int scale) {
  LOGFONTW lf{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  lf.lfHeight = scale * -12 / 100;
  wcsncpy(lf.lfFaceName, TipFace().c_str(), LF_FACESIZE - 1);
  lf.lfFaceName[LF_FACESIZE - 1] = 0;
  HFONT font = CreateFontIndirectW(&lf);
  if (!font) {
    SLOGW(SLOG_LEVEL_ERROR, "ORIEL::STipCtrl::MakeFont", L"CreateFontIndirectW failed for height %d",
          static_cast<int>(lf.lfHeight));
    return;
  }
  if (font_) DeleteObject(font_);
  font_ = font;
  fontScale_ = scale;
}

BOOL STipCtrl::CreateTipWindow() {
  if (!Create(L"oriel tooltip", kTipStyle, kTipExStyle, 0, 0, 0, 0, nullptr, nullptr)) return FALSE;
  MakeFont(100);
  fontScale_ = 0;  // no tip yet: the first one sets the scale
  return TRUE;
}

BOOL STipCtrl::PreFilter(MSG* msg) {
  if (GetHwnd()) FeedMouse(msg);
  return FALSE;
}

void STipCtrl::UpdateTip(const TipId& id, const RECT& rect, LPCWSTR text, int scale) {
  if (id == id_) return;
  id_ = id;
  // The tip a click dismissed stays away while the pointer stays on it.
  if (dismissed_ && id == dismissedId_) {
    Hide();
    return;
  }
  dismissed_ = false;
  tipRect_ = rect;
  text_ = text ? text : L"";
  if (scale != fontScale_) MakeFont(scale);
  text_.Replace(L"\\n", L"\n");
  if (IsVisible(GetHwnd())) {
    PlaceAndShow();
    return;
  }
  // The move that named the tip went by before the tip had a rectangle:
  // it starts the delay now.
  if (lastMoveHwnd_ && PtInRect(&tipRect_, lastMovePoint_)) StartDelay(lastMoveHwnd_, lastMovePoint_);
}

void STipCtrl::ClearTip() {
  id_ = TipId{};
  Hide();
}

void STipCtrl::StartDelay(HWND from, POINT pt) {
  HWND hwnd = GetHwnd();
  if (!hwnd || IsVisible(hwnd) || text_.IsEmpty()) return;
  ::SetTimer(hwnd, kTimerDelay, delay_, nullptr);
  ClientToScreen(from, &pt);
  SetWindowPos(hwnd, nullptr, pt.x, pt.y + kOffsetBelow, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING);
}

void STipCtrl::FeedMouse(MSG* msg) {
  HWND hwnd = GetHwnd();
  if (!hwnd) return;
  switch (msg->message) {
    case WM_MOUSEMOVE: {
      POINT pt{static_cast<short>(LOWORD(msg->lParam)), static_cast<short>(HIWORD(msg->lParam))};
      lastMoveHwnd_ = msg->hwnd;
      lastMovePoint_ = pt;
      if (dismissed_ && !PtInRect(&dismissedRect_, pt)) dismissed_ = false;
      if (!PtInRect(&tipRect_, pt)) {
        Hide();
        return;
      }
      StartDelay(msg->hwnd, pt);
      return;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      // A click dismisses the tip it was on until the pointer leaves it.
      if (!text_.IsEmpty() && !dismissed_) {
        dismissed_ = true;
        dismissedId_ = id_;
        dismissedRect_ = tipRect_;
      }
      Hide();
      return;
    default: return;
  }
}

void STipCtrl::Hide() {
  HWND hwnd = GetHwnd();
  if (!hwnd) return;
  if (IsVisible(hwnd)) ShowWindow(hwnd, SW_HIDE);
  // A pending show has nothing left to show.
  ::KillTimer(hwnd, kTimerDelay);
  ::KillTimer(hwnd, kTimerDisplay);
  SetRectEmpty(&tipRect_);
  text_.Empty();
}

void STipCtrl::PlaceAndShow() {
  HWND hwnd = GetHwnd();
  if (!hwnd || text_.IsEmpty()) return;
  RECT textRect{0, 0, kWrapWidth, 0};
  HDC dc = GetDC(hwnd);
  HGDIOBJ oldFont = SelectObject(dc, font_);
  DrawTextW(dc, text_.c_str(), text_.GetLength(), &textRect, DT_CALCRECT | DT_WORDBREAK);
  SelectObject(dc, oldFont);
  ReleaseDC(hwnd, dc);
  RECT window{};
  GetWindowRect(hwnd, &window);
  RECT rc{window.left, window.top, window.left + textRect.right - textRect.left + 2 * kPadding,
          window.top + textRect.bottom - textRect.top + 2 * kPadding};
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST), &info)) {
    if (rc.right > info.rcMonitor.right) OffsetRect(&rc, info.rcMonitor.right - rc.right, 0);
    if (rc.bottom > info.rcMonitor.bottom) OffsetRect(&rc, 0, info.rcMonitor.bottom - rc.bottom);
  }
  SetWindowPos(hwnd, HWND_TOPMOST, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
               SWP_NOOWNERZORDER | SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void STipCtrl::OnPaint(HWND hwnd) {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc{};
  GetClientRect(hwnd, &rc);
  HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_INFOBK));
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  // The default pen draws the one-pixel black frame.
  Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
  InflateRect(&rc, -kPadding, -kPadding);
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(dc, font_);
  DrawTextW(dc, text_.c_str(), text_.GetLength(), &rc, DT_WORDBREAK);
  SelectObject(dc, oldFont);
  EndPaint(hwnd, &ps);
}

BOOL STipCtrl::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT& result, DWORD) {
  switch (msg) {
    case WM_PAINT:
      OnPaint(hwnd);
      result = 0;
      return TRUE;
    case WM_TIMER:
      if (wParam == kTimerDelay) {
        ::KillTimer(hwnd, kTimerDelay);
        PlaceAndShow();
        ::SetTimer(hwnd, kTimerDisplay, displayTime_, nullptr);
      } else if (wParam == kTimerDisplay) {
        Hide();
      }
      result = 0;
      return TRUE;
    default: return FALSE;
  }
}

void STipCtrl::ReleaseThunk(HWND oldHwnd) {
  CSimpleWnd::ReleaseThunk(oldHwnd);
  delete this;
}

}  // namespace ORIEL
