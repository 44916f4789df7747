// Finding other processes' windows and asking their owners to act on them.
#include "foreign.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cwctype>
#include <map>
#include <vector>

#include "hooks.h"
#include "native.h"
#include "win32/messaging.h"
#include "win32/user32.h"
#include "x_display.h"

namespace win32::display {
namespace {

// Foreign handles are odd, so they never meet the table's even handles.
std::map<HWND, ::Window>& foreignHandles() {
  static auto* map = new std::map<HWND, ::Window>();
  return *map;
}
uintptr_t g_nextForeign = 0x1000001;

HWND handleFor(::Window xid) {
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  for (auto& [hwnd, known] : foreignHandles()) {
    if (known == xid) return hwnd;
  }
  HWND hwnd = reinterpret_cast<HWND>(g_nextForeign);
  g_nextForeign += 2;
  foreignHandles()[hwnd] = xid;
  return hwnd;
}

::Window xidOfForeign(HWND hwnd) {
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  auto it = foreignHandles().find(hwnd);
  return it == foreignHandles().end() ? 0 : it->second;
}

bool sameIgnoringCase(const std::wstring& a, const wchar_t* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
      return false;
  }
  return i == a.size() && b[i] == 0;
}

std::string utf8Property(XDisplay* x, ::Window xid, Atom property) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string out;
  if (XGetWindowProperty(x->dpy, xid, property, 0, 4096, False, AnyPropertyType, &type, &format,
                         &count, &after, &data) == Success &&
      data && format == 8)
    out.assign(reinterpret_cast<char*>(data), count);
  if (data) XFree(data);
  return out;
}

bool matches(XDisplay* x, ::Window xid, LPCWSTR className, LPCWSTR title) {
  if (className) {
    if (IS_INTRESOURCE(className)) return false;  // atoms are per process
    XClassHint hint{};
    if (!XGetClassHint(x->dpy, xid, &hint)) return false;
    const std::wstring cls = fromUtf8(hint.res_class ? hint.res_class : "");
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    if (!sameIgnoringCase(cls, className)) return false;
  }
  if (title) {
    std::string name = utf8Property(x, xid, x->atoms.netWmName);
    if (name.empty()) name = utf8Property(x, xid, XA_WM_NAME);
    if (!sameIgnoringCase(fromUtf8(name), title)) return false;
  }
  return true;
}

// Top-level client windows: children of the root, and with a reparenting
// window manager the children of its frames.
std::vector<::Window> topLevelClients(XDisplay* x) {
  std::vector<::Window> out;
  ::Window rootReturn = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(x->dpy, x->root, &rootReturn, &parent, &children, &count)) return out;
  for (unsigned i = 0; i < count; ++i) {
    out.push_back(children[i]);
    ::Window* inner = nullptr;
    unsigned innerCount = 0;
    if (XQueryTree(x->dpy, children[i], &rootReturn, &parent, &inner, &innerCount)) {
      for (unsigned j = 0; j < innerCount; ++j) out.push_back(inner[j]);
      if (inner) XFree(inner);
    }
  }
  if (children) XFree(children);
  return out;
}

bool sendOperation(XDisplay* x, ::Window xid, long operation, long a, long b, long c) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = xid;
  event.xclient.message_type = x->atoms.win32Operation;
  event.xclient.format = 32;
  event.xclient.data.l[0] = operation;
  event.xclient.data.l[1] = a;
  event.xclient.data.l[2] = b;
  event.xclient.data.l[3] = c;
  int error = withErrorTrap(x, [&] { XSendEvent(x->dpy, xid, False, NoEventMask, &event); });
  return error == 0;
}

}  // namespace

HWND findForeign(LPCWSTR className, LPCWSTR title, void* context) {
  auto* x = static_cast<XDisplay*>(context);
  std::vector<::Window> candidates;
  int error = withErrorTrap(x, [&] { candidates = topLevelClients(x); });
  (void)error;
  for (::Window xid : candidates) {
    {
      std::lock_guard<std::recursive_mutex> lock(displayMutex());
      if (hwndOfXLocked(xid)) continue;  // ours: the table already answered
    }
    bool found = false;
    // A window may vanish between listing and reading.
    withErrorTrap(x, [&] { found = matches(x, xid, className, title); });
    if (found) return handleFor(xid);
  }
  return nullptr;
}

BOOL isForeign(HWND hwnd, void* context) {
  auto* x = static_cast<XDisplay*>(context);
  ::Window xid = xidOfForeign(hwnd);
  if (!xid) return FALSE;
  XWindowAttributes attributes{};
  Status status = 0;
  int error = withErrorTrap(x, [&] { status = XGetWindowAttributes(x->dpy, xid, &attributes); });
  return error == 0 && status != 0 ? TRUE : FALSE;
}

BOOL postToForeign(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, void* context) {
  auto* x = static_cast<XDisplay*>(context);
  ::Window xid = xidOfForeign(hwnd);
  if (!xid) return FALSE;
  return sendOperation(x, xid, kForeignMessage, static_cast<long>(message),
                       static_cast<long>(wParam), static_cast<long>(lParam))
             ? TRUE
             : FALSE;
}

bool isForeignHandle(HWND hwnd) {
  XDisplay* x = activeDisplay();
  return x && hwnd && isForeign(hwnd, x);
}

bool foreignStyle(HWND hwnd, LONG* style) {
  XDisplay* x = activeDisplay();
  ::Window xid = x ? xidOfForeign(hwnd) : 0;
  if (!xid) return false;
  bool found = false;
  withErrorTrap(x, [&] {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x->dpy, xid, x->atoms.win32Style, 0, 1, False, XA_CARDINAL, &type,
                           &format, &count, &after, &data) == Success &&
        data && format == 32 && count == 1) {
      *style = static_cast<LONG>(static_cast<DWORD>(*reinterpret_cast<unsigned long*>(data)));
      found = true;
    }
    if (data) XFree(data);
  });
  return found;
}

bool foreignOperation(HWND hwnd, ForeignOperation operation, long a, long b, long c) {
  XDisplay* x = activeDisplay();
  ::Window xid = x ? xidOfForeign(hwnd) : 0;
  if (!xid) return false;
  const bool sent = sendOperation(x, xid, operation, a, b, c);
  if (operation == kForeignForeground) {
    // A window manager, when there is one, is the one to raise and focus.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = xid;
    event.xclient.message_type = x->atoms.netActiveWindow;
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1;
    event.xclient.data.l[1] = serverTime(x);
    withErrorTrap(x, [&] {
      XSendEvent(x->dpy, x->root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    });
  }
  XFlush(x->dpy);
  return sent;
}

void performForeignRequest(HWND hwnd, const XClientMessageEvent& e) {
  // Another process chose these values: only requests that carry no
  // pointers and name known commands are carried out.
  switch (e.data.l[0]) {
    case kForeignMessage: {
      const UINT message = static_cast<UINT>(e.data.l[1]);
      const WPARAM wParam = static_cast<WPARAM>(e.data.l[2]);
      const UINT command = static_cast<UINT>(wParam & 0xFFF0);
      const bool allowed =
          message == WM_NULL || message == WM_CLOSE ||
          (message == WM_SYSCOMMAND && (command == SC_RESTORE || command == SC_MINIMIZE ||
                                        command == SC_MAXIMIZE || command == SC_CLOSE));
      if (!allowed) {
        std::fprintf(stderr, "display: refused message 0x%x from another process\n", message);
        return;
      }
      SendMessageW(hwnd, message, wParam, 0);
      return;
    }
    case kForeignShow: {
      const long command = e.data.l[1];
      if (command >= SW_HIDE && command <= SW_RESTORE) ShowWindow(hwnd, static_cast<int>(command));
      return;
    }
    case kForeignPosition: {
      HWND after = reinterpret_cast<HWND>(static_cast<LONG_PTR>(e.data.l[1]));
      if (after != HWND_TOP && after != HWND_BOTTOM && after != HWND_TOPMOST &&
          after != HWND_NOTOPMOST)
        return;
      const UINT flags = static_cast<UINT>(e.data.l[2]) & SWP_NOACTIVATE;
      SetWindowPos(hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | flags);
      return;
    }
    case kForeignForeground:
      SetForegroundWindow(hwnd);
      return;
    case kForeignActivate:
      SetActiveWindow(hwnd);
      return;
    default:
      return;
  }
}

}  // namespace win32::display
