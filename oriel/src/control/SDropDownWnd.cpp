#include "control/SDropDownWnd.h"

#include "core/SMessageLoop.h"

namespace ORIEL {

namespace {

constexpr LPARAM kSetCursorOnMove = 0x2000001;  // HTCLIENT, WM_MOUSEMOVE
constexpr LRESULT kNoActivateAndEat = 4;

ISwndContainer* OwnerContainer(ISDropDownOwner* owner) {
  SWindow* window = owner ? owner->GetDropDownOwner() : nullptr;
  return window ? window->GetContainer() : nullptr;
}

}  // namespace

SDropDownWnd::SDropDownWnd(ISDropDownOwner* owner) : owner_(owner) {
  if (ISwndContainer* container = OwnerContainer(owner_)) loop_ = container->GetMessageLoop();
  if (loop_) loop_->AddMessageFilter(this);
}

SDropDownWnd::~SDropDownWnd() {
  if (loop_) loop_->RemoveMessageFilter(this);
}

SMessageLoop* SDropDownWnd::GetMessageLoop() { return loop_ ? loop_ : SHostWnd::GetMessageLoop(); }

BOOL SDropDownWnd::Create(const RECT& rc, LPVOID, DWORD style, DWORD exStyle) {
  ISwndContainer* container = OwnerContainer(owner_);
  HWND parent = container ? container->GetHostHwnd() : nullptr;
  HWND hwnd = CSimpleWnd::Create(L"", style, exStyle, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                                 parent, nullptr);
  if (!hwnd) return FALSE;
  // The back buffer and the root take the pop-up's size now: it may be
  // shown without ever being resized.
  RECT client{};
  ::GetClientRect(hwnd, &client);
  HandleHostSize(SIZE_RESTORED, client.right, client.bottom);
  if (owner_) owner_->PrepareDropDown(this);
  return TRUE;
}

void SDropDownWnd::EndDropDown(int code) {
  if (exitCode_ != -1) return;
  exitCode_ = code;
  if (GetHwnd()) DestroyWindow(GetHwnd());
}

bool SDropDownWnd::OutsideClient(LPARAM lParam) const {
  RECT client{};
  ::GetClientRect(GetHwnd(), &client);
  const POINT p{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
  return !PtInRect(&client, p);
}

BOOL SDropDownWnd::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                       DWORD mapId) {
  if (mapId != 0) return FALSE;
  result = 0;
  switch (msg) {
    case WM_LBUTTONDOWN:
      if (OutsideClient(lParam)) {
        EndDropDown(2);
        return TRUE;
      }
      pressedInside_ = true;
      break;
    case WM_LBUTTONUP: {
      if (!pressedInside_) return TRUE;
      pressedInside_ = false;
      SHostWnd::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
      // The item under the point took the click; the window may be gone.
      if (IsWindow(hwnd) && GetHwnd() == hwnd && OutsideClient(lParam)) EndDropDown(2);
      return TRUE;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        EndDropDown(1);
        return TRUE;
      }
      if (wParam == VK_ESCAPE) {
        EndDropDown(2);
        return TRUE;
      }
      break;
    case WM_KILLFOCUS:
      if (reinterpret_cast<HWND>(wParam) != hwnd) EndDropDown(2);
      return TRUE;
    case WM_ACTIVATEAPP:
      if (!wParam) EndDropDown(2);
      return TRUE;
    case WM_MOUSEACTIVATE: result = kNoActivateAndEat; return TRUE;
    case WM_ACTIVATE: return TRUE;
    case WM_DESTROY:
      if (owner_) owner_->ReleaseDropDown(this);
      break;
    default: break;
  }
  return SHostWnd::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
}

BOOL SDropDownWnd::ReleaseMouseCapture() {
  SHostWnd::ReleaseMouseCapture();
  if (GetHwnd()) ::SetCapture(GetHwnd());
  return TRUE;
}

BOOL SDropDownWnd::PreFilter(MSG* msg) {
  HWND hwnd = GetHwnd();
  if (!hwnd) return FALSE;
  if (msg->message == WM_ACTIVATEAPP && msg->hwnd != hwnd) {
    SendMessageW(hwnd, WM_ACTIVATEAPP, msg->wParam, msg->lParam);
  } else if (msg->message == WM_MOUSEMOVE) {
    SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), kSetCursorOnMove);
  }
  return FALSE;
}

// The window is gone: so is the object, unless someone still holds it.
void SDropDownWnd::ReleaseThunk(HWND oldHwnd) {
  SHostWnd::ReleaseThunk(oldHwnd);
  Release();
}

BOOL SDropDownWnd_ComboBox::PreFilter(MSG* msg) {
  const UINT message = msg->message;
  if (message == WM_ACTIVATEAPP) return SDropDownWnd::PreFilter(msg);  // may end the drop-down
  SDropDownWnd::PreFilter(msg);
  HWND hwnd = GetHwnd();
  if (!hwnd || msg->hwnd == hwnd) return FALSE;
  const bool key = (message == WM_KEYDOWN || message == WM_KEYUP) &&
                   (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE || msg->wParam == VK_UP ||
                    msg->wParam == VK_DOWN || msg->wParam == VK_HOME || msg->wParam == VK_END ||
                    msg->wParam == VK_PRIOR || msg->wParam == VK_NEXT);
  if (!key && message != WM_MOUSEWHEEL) return FALSE;
  SendMessageW(hwnd, message, msg->wParam, msg->lParam);
  return TRUE;
}

}  // namespace ORIEL
