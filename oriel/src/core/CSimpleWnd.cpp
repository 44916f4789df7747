#include "core/CSimpleWnd.h"

#include "core/CSimpleWndHelper.h"
#include "core/SLog.h"

namespace ORIEL {
namespace {

// The property that binds a window to its object.
constexpr wchar_t kBinding[] = L"oriel.simplewnd";

bool IsReflectedTarget(UINT msg) {
  switch (msg) {
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_NOTIFY:
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_PARENTNOTIFY: return true;
    default: return msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC;
  }
}

}  // namespace

CSimpleWnd::CSimpleWnd(HWND hwnd) : hwnd_(hwnd) {}

CSimpleWnd::~CSimpleWnd() {
  // A window that outlives its object goes back to its previous procedure
  // rather than dispatching into freed memory.
  if (hwnd_ && FromHandle(hwnd_) == this) Detach(TRUE);
}

CSimpleWnd* CSimpleWnd::FromHandle(HWND hwnd) { return static_cast<CSimpleWnd*>(GetPropW(hwnd, kBinding)); }

HWND CSimpleWnd::Create(LPCWSTR name, DWORD style, DWORD exStyle, int x, int y, int cx, int cy, HWND parent,
                        LPVOID createParam) {
  CSimpleWndHelper* helper = CSimpleWndHelper::getSingletonPtr();
  if (!helper || !helper->GetAtom()) {
    SLOGW(SLOG_LEVEL_ERROR, "ORIEL::CSimpleWnd::Create", L"the framework's window class is not registered");
    return nullptr;
  }
  if (hwnd_) {
    SLOGW(SLOG_LEVEL_ERROR, "ORIEL::CSimpleWnd::Create", L"the object already wraps window 0x%x",
          static_cast<unsigned>(reinterpret_cast<uintptr_t>(hwnd_)));
    return nullptr;
  }
  HWND hwnd;
  {
    SAutoLock lock(helper->GetLock());
    helper->SetWindowUnderConstruction(this);
    hwnd = CreateWindowExW(exStyle, MAKEINTATOM(helper->GetAtom()), name, style, x, y, cx, cy, parent, nullptr,
                           helper->GetInstance(), createParam);
    // A creation refused before the first message leaves the slot set.
    helper->TakeWindowUnderConstruction();
  }
  if (!hwnd) {
    SLOGW(SLOG_LEVEL_ERROR, "ORIEL::CSimpleWnd::Create", L"CreateWindowExW failed, error %d",
          static_cast<int>(GetLastError()));
  }
  return hwnd;
}

BOOL CSimpleWnd::Bind(HWND hwnd) {
  if (!SetPropW(hwnd, kBinding, this)) return FALSE;
  hwnd_ = hwnd;
  return TRUE;
}

LRESULT CALLBACK CSimpleWnd::FirstMessageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CSimpleWndHelper* helper = CSimpleWndHelper::getSingletonPtr();
  CSimpleWnd* wnd = helper ? helper->TakeWindowUnderConstruction() : nullptr;
  // Windows made in the class by plain CreateWindowExW have no object.
  if (!wnd || !wnd->Bind(hwnd)) return DefWindowProcW(hwnd, msg, wParam, lParam);
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSimpleWnd::WindowProc));
  return wnd->Dispatch(hwnd, msg, wParam, lParam);
}

BOOL CSimpleWnd::Attach(HWND hwnd) {
  if (hwnd_ || !IsWindow(hwnd)) return FALSE;
  // One object per window: a second wrapper would find itself as the
  // previous procedure.
  if (FromHandle(hwnd)) return FALSE;
  if (!Bind(hwnd)) return FALSE;
  const LONG_PTR old = SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSimpleWnd::WindowProc));
  if (!old) {
    RemovePropW(hwnd, kBinding);
    hwnd_ = nullptr;
    return FALSE;
  }
  previousProc_ = reinterpret_cast<WNDPROC>(old);
  return TRUE;
}

HWND CSimpleWnd::Detach(BOOL force) {
  if (!hwnd_ || FromHandle(hwnd_) != this) return nullptr;
  const auto ours = reinterpret_cast<LONG_PTR>(&CSimpleWnd::WindowProc);
  if (!force && GetWindowLongPtrW(hwnd_, GWLP_WNDPROC) != ours) return nullptr;
  if (!SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_))) return nullptr;
  RemovePropW(hwnd_, kBinding);
  previousProc_ = &DefWindowProcW;
  HWND old = hwnd_;
  hwnd_ = nullptr;
  return old;
}

void CSimpleWnd::ReleaseThunk(HWND oldHwnd) {
  if (FromHandle(oldHwnd) == this) RemovePropW(oldHwnd, kBinding);
  previousProc_ = &DefWindowProcW;
}

LRESULT CALLBACK CSimpleWnd::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CSimpleWnd* wnd = FromHandle(hwnd);
  if (!wnd) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return wnd->Dispatch(hwnd, msg, wParam, lParam);
}

LRESULT CSimpleWnd::Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CurrentMessage current{hwnd, msg, wParam, lParam};
  CurrentMessage* saved = currentMsg_;
  currentMsg_ = &current;
  LRESULT result = 0;
  if (!HandleWindowMessage(hwnd, msg, wParam, lParam, result, 0)) {
    const WNDPROC previous = previousProc_;
    result = CallWindowProcW(previous, hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
      // Put the old procedure back unless other code subclassed the window
      // on top of this object since.
      if (previous != &DefWindowProcW &&
          GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CSimpleWnd::WindowProc))
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      destroyed_ = TRUE;
    }
  }
  if (destroyed_ && !saved) {
    // The outermost dispatch of the window's last message: unbind.
    HWND old = hwnd_;
    hwnd_ = nullptr;
    destroyed_ = FALSE;
    currentMsg_ = nullptr;
    ReleaseThunk(old);
  } else {
    currentMsg_ = saved;
  }
  return result;
}

LRESULT CSimpleWnd::CallPreviousProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(previousProc_, hwnd_, msg, wParam, lParam);
}

LRESULT CSimpleWnd::CallPreviousForCurrent() {
  if (!currentMsg_) return 0;
  return CallWindowProcW(previousProc_, currentMsg_->hwnd, currentMsg_->message, currentMsg_->wParam,
                         currentMsg_->lParam);
}

void CSimpleWnd::CenterOnOwner(HWND reference) {
  const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE));
  const bool child = (style & WS_CHILD) != 0;
  if (!reference) reference = child ? GetParent(hwnd_) : GetWindow(hwnd_, GW_OWNER);
  if (!reference) reference = GetActiveWindow();
  RECT self{};
  GetWindowRect(hwnd_, &self);
  RECT area{};
  RECT centreOf{};
  if (child) {
    HWND parent = GetParent(hwnd_);
    GetClientRect(parent, &area);
    if (reference) {
      GetClientRect(reference, &centreOf);
      MapWindowPoints(reference, parent, reinterpret_cast<POINT*>(&centreOf), 2);
    } else {
      centreOf = area;
    }
  } else {
    const DWORD refStyle = reference ? static_cast<DWORD>(GetWindowLongW(reference, GWL_STYLE)) : 0;
    const bool useReference = reference && (refStyle & WS_VISIBLE) && !(refStyle & WS_MINIMIZE);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(useReference ? reference : hwnd_, MONITOR_DEFAULTTONEAREST), &info);
    area = info.rcWork;
    if (useReference)
      GetWindowRect(reference, &centreOf);
    else
      centreOf = info.rcWork;
  }
  const int w = self.right - self.left;
  const int h = self.bottom - self.top;
  int left = (centreOf.left + centreOf.right) / 2 - w / 2;
  int top = (centreOf.top + centreOf.bottom) / 2 - h / 2;
  if (left + w > area.right) left = area.right - w;
  if (left < area.left) left = area.left;
  if (top + h > area.bottom) top = area.bottom - h;
  if (top < area.top) top = area.top;
  SetWindowPos(hwnd_, nullptr, left, top, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {
BOOL ChangeLong(HWND hwnd, int index, DWORD remove, DWORD add, UINT swpFlags) {
  const DWORD old = static_cast<DWORD>(GetWindowLongW(hwnd, index));
  const DWORD now = (old & ~remove) | add;
  if (now == old) return FALSE;
  SetWindowLongW(hwnd, index, static_cast<LONG>(now));
  if (swpFlags)
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, swpFlags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}
}  // namespace

BOOL CSimpleWnd::ChangeStyle(DWORD remove, DWORD add, UINT swpFlags) {
  return ChangeLong(hwnd_, GWL_STYLE, remove, add, swpFlags);
}

BOOL CSimpleWnd::ChangeExStyle(DWORD remove, DWORD add, UINT swpFlags) {
  return ChangeLong(hwnd_, GWL_EXSTYLE, remove, add, swpFlags);
}

LRESULT CSimpleWnd::ReflectChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  HWND target = nullptr;
  switch (msg) {
    case WM_DRAWITEM:
      if (wParam) target = reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem;
      break;
    case WM_MEASUREITEM:
      if (wParam) target = GetDlgItem(hwnd_, static_cast<int>(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlID));
      break;
    case WM_DELETEITEM:
      if (wParam) target = reinterpret_cast<DELETEITEMSTRUCT*>(lParam)->hwndItem;
      break;
    case WM_COMPAREITEM:
      if (wParam) target = reinterpret_cast<COMPAREITEMSTRUCT*>(lParam)->hwndItem;
      break;
    case WM_NOTIFY: target = reinterpret_cast<NMHDR*>(lParam)->hwndFrom; break;
    case WM_COMMAND:
      // Menu and accelerator commands have no child window.
      target = reinterpret_cast<HWND>(lParam);
      break;
    case WM_PARENTNOTIFY:
      if (LOWORD(wParam) == WM_CREATE || LOWORD(wParam) == WM_DESTROY)
        target = reinterpret_cast<HWND>(lParam);
      else
        target = GetDlgItem(hwnd_, HIWORD(wParam));
      break;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL: target = reinterpret_cast<HWND>(lParam); break;
    default:
      if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) target = reinterpret_cast<HWND>(lParam);
      break;
  }
  if (!target) {
    handled = FALSE;
    return 1;
  }
  handled = TRUE;
  return SendMessageW(target, msg + OCM_BASE, wParam, lParam);
}

LRESULT CSimpleWnd::NotifyParent(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  handled = IsReflectedTarget(msg);
  if (!handled) return 0;
  return SendMessageW(GetParent(hwnd_), msg, wParam, lParam);
}

BOOL CSimpleWnd::DefaultReflected(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const UINT original = msg - OCM_BASE;
  bool reflected = false;
  if (msg >= OCM_BASE) {
    switch (original) {
      case WM_DRAWITEM:
      case WM_MEASUREITEM:
      case WM_DELETEITEM:
      case WM_VKEYTOITEM:
      case WM_CHARTOITEM:
      case WM_COMPAREITEM:
      case WM_NOTIFY:
      case WM_COMMAND:
      case WM_HSCROLL:
      case WM_VSCROLL:
      case WM_PARENTNOTIFY: reflected = true; break;
      default: reflected = original >= WM_CTLCOLORMSGBOX && original <= WM_CTLCOLORSTATIC;
    }
  }
  if (!reflected) return FALSE;
  result = DefWindowProcW(hwnd, original, wParam, lParam);
  return TRUE;
}

}  // namespace ORIEL
