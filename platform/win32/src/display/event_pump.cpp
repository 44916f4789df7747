// Reads X events and turns them into Windows messages. Any thread may read
// the connection; each event is queued for the thread that owns its window
// and handled there (the next time that thread looks for messages), so
// window procedures always run on their own thread and messages that
// Windows sends (WM_NCHITTEST, WM_SETCURSOR, WM_MOUSEACTIVATE, activation)
// are plain calls.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <string>
#include <thread>

#include "../message_queue.h"
#include "../user/geometry.h"
#include "../user/input_state.h"
#include "../user/placement.h"
#include "../window_table.h"
#include "dpi.h"
#include "event_routing.h"
#include "foreign.h"
#include "hooks.h"
#include "keyboard.h"
#include "native.h"
#include "pointer_position.h"
#include "x_output.h"
#include "win32/kernel32.h"
#include "win32/messaging.h"
#include "win32/user32.h"
#include "x_display.h"

namespace win32::display {
namespace {

// What a key event means, read from the keyboard map as it stands when the
// event is read: a program that types by remapping a spare key (xdotool
// puts each character it has no key for on one and takes it off again right
// after the release) leaves a map that has moved on by the time the
// window's thread gets to the event.
struct KeyLookup {
  KeySym keysym = 0;
  std::string text;  // UTF-8; input-method text included
};

struct Routed {
  HWND hwnd;
  XEvent event;
  KeyLookup key;
};

std::map<DWORD, std::deque<Routed>>& pending() {
  static auto* map = new std::map<DWORD, std::deque<Routed>>();
  return *map;
}

struct LastClick {
  HWND hwnd = nullptr;
  unsigned button = 0;
  Time time = 0;
  int x = 0, y = 0;
};
thread_local LastClick t_lastClick;

UINT classStyle(HWND hwnd) {
  std::lock_guard<std::mutex> lock(detail::windowLock());
  auto window = detail::lookupWindowLocked(hwnd);
  return window && window->windowClass ? window->windowClass->style : 0;
}

LONG exStyleOf(HWND hwnd) { return GetWindowLongW(hwnd, GWL_EXSTYLE); }

// Keyboard and mouse messages carry the key state as of their input, which
// becomes the thread's GetKeyState when the message is retrieved.
void postInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  detail::postInput(hwnd, message, wParam, lParam, keyStatesNow());
}

LPARAM pointParam(LONG x, LONG y) {
  return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(x)), static_cast<WORD>(static_cast<SHORT>(y)));
}

// Message numbers per button: down, up, double click, and the key bit.
struct ButtonMessages {
  UINT down, up, dblclk, ncDown, ncUp, ncDblclk;
  WPARAM mk;
  UINT vk;
};

bool buttonMessages(unsigned button, ButtonMessages* out) {
  switch (button) {
    case Button1:
      *out = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_NCLBUTTONDOWN, WM_NCLBUTTONUP,
              WM_NCLBUTTONDBLCLK, MK_LBUTTON, VK_LBUTTON};
      return true;
    case Button2:
      *out = {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_NCMBUTTONDOWN, WM_NCMBUTTONUP,
              WM_NCMBUTTONDBLCLK, MK_MBUTTON, VK_MBUTTON};
      return true;
    case Button3:
      *out = {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_NCRBUTTONDOWN, WM_NCRBUTTONUP,
              WM_NCRBUTTONDBLCLK, MK_RBUTTON, VK_RBUTTON};
      return true;
    default:
      return false;
  }
}

// The window that takes a pointer event whatever lies under it: the
// capture, or a pop-up grab's window when the event reached it from
// outside its own rectangle (over another client or the desktop).
HWND grabbingWindow(HWND top, POINT screen) {
  if (HWND capture = GetCapture()) return capture;
  HWND grab = Win32PopupGrabWindow();
  if (!grab || grab != top) return nullptr;
  RECT rect{};
  GetWindowRect(grab, &rect);
  return PtInRect(&rect, screen) ? nullptr : grab;
}

HWND mouseTarget(HWND top, POINT screen) {
  if (HWND grab = grabbingWindow(top, screen)) return grab;
  return detail::childAt(top, screen);
}

void mouseLeaveCheck(HWND target) {
  HWND tracked = detail::leaveTrackedWindow();
  if (tracked && tracked != target && !IsChild(tracked, target)) {
    detail::clearLeaveTracking();
    PostMessageW(tracked, WM_MOUSELEAVE, 0, 0);
  }
}

void onMotion(HWND top, const XMotionEvent& e) {
  const POINT screen{e.x_root, e.y_root};
  HWND target = mouseTarget(top, screen);
  if (!target) return;
  mouseLeaveCheck(target);
  if (!detail::windowEnabled(detail::rootOf(target))) return;
  const bool captured = grabbingWindow(top, screen) != nullptr;
  LRESULT hit = captured ? HTCLIENT : SendMessageW(target, WM_NCHITTEST, 0, pointParam(screen.x, screen.y));
  if (!captured)
    SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit, WM_MOUSEMOVE));
  if (hit == HTCLIENT) {
    POINT client = screen;
    ScreenToClient(target, &client);
    postInput(target, WM_MOUSEMOVE, mouseKeyState(e.state), pointParam(client.x, client.y));
  } else {
    postInput(target, WM_NCMOUSEMOVE, static_cast<WPARAM>(hit), pointParam(screen.x, screen.y));
  }
}

void onWheel(HWND top, const XButtonEvent& e) {
  const POINT screen{e.x_root, e.y_root};
  HWND target = mouseTarget(top, screen);
  HWND focus = GetFocus();
  if (focus && detail::rootOf(focus) == detail::rootOf(target)) target = focus;
  if (!target || !detail::windowEnabled(detail::rootOf(target))) return;
  const bool horizontal = e.button == 6 || e.button == 7;
  const SHORT delta = (e.button == Button4 || e.button == 7) ? WHEEL_DELTA : -WHEEL_DELTA;
  const WPARAM wParam = MAKEWPARAM(mouseKeyState(e.state), static_cast<WORD>(delta));
  postInput(target, horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL, wParam,
               pointParam(screen.x, screen.y));
}

void onButton(HWND top, const XButtonEvent& e, bool press) {
  if (press && (e.button == Button4 || e.button == Button5 || e.button == 6 || e.button == 7)) {
    onWheel(top, e);
    return;
  }
  ButtonMessages m{};
  if (!buttonMessages(e.button, &m)) return;
  setKeyDown(m.vk, press);
  const POINT screen{e.x_root, e.y_root};
  HWND target = mouseTarget(top, screen);
  if (!target) return;
  HWND root = detail::rootOf(target);
  const bool captured = grabbingWindow(top, screen) != nullptr;
  // A disabled window (the owner of a modal dialog) takes no input.
  if (!captured && !detail::windowEnabled(root)) return;
  LRESULT hit = captured ? HTCLIENT : SendMessageW(target, WM_NCHITTEST, 0, pointParam(screen.x, screen.y));
  if (press && !captured && GetActiveWindow() != root) {
    const LRESULT answer = SendMessageW(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(root),
                                        MAKELPARAM(hit, m.down));
    if (answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT) {
      detail::activate(root, WA_CLICKACTIVE, true);
    }
    if (answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT) return;
  }
  if (press && !captured)
    SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit, m.down));
  WPARAM keys = mouseKeyState(e.state);
  keys = press ? (keys | m.mk) : (keys & ~m.mk);
  UINT message = press ? m.down : m.up;
  if (press) {
    const bool wantsDouble = hit != HTCLIENT || (classStyle(target) & CS_DBLCLKS);
    const LastClick& last = t_lastClick;
    const bool isDouble = wantsDouble && last.hwnd == target && last.button == e.button &&
                          e.time - last.time <= GetDoubleClickTime() &&
                          std::abs(e.x_root - last.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                          std::abs(e.y_root - last.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    if (isDouble) {
      message = m.dblclk;
      t_lastClick = LastClick{};
    } else {
      t_lastClick = LastClick{target, e.button, e.time, e.x_root, e.y_root};
    }
  }
  if (hit == HTCLIENT) {
    POINT client = screen;
    ScreenToClient(target, &client);
    postInput(target, message, keys, pointParam(client.x, client.y));
  } else {
    UINT nc = message == m.down ? m.ncDown : message == m.up ? m.ncUp : m.ncDblclk;
    postInput(target, nc, static_cast<WPARAM>(hit), pointParam(screen.x, screen.y));
  }
}

// Called with displayMutex() held, as the event is read.
KeyLookup lookUpKey(Native* native, XKeyEvent& e, bool press) {
  KeyLookup out;
  char buffer[64] = {};
  std::string committed;  // text an input method commits past `buffer`
  KeySym keysym = 0;
  Status status = 0;
  int length = 0;
  XIC ic = native ? native->ic : nullptr;
  if (press && ic) {
    length = Xutf8LookupString(ic, &e, buffer, sizeof buffer - 1, &keysym, &status);
    if (status == XBufferOverflow) {
      // A long phrase from the input method: asked again with the size Xlib
      // gave, so none of it is lost.
      committed.assign(static_cast<size_t>(length > 0 ? length : 0), '\0');
      length = committed.empty() ? 0
                                 : Xutf8LookupString(ic, &e, committed.data(),
                                                     static_cast<int>(committed.size()), &keysym,
                                                     &status);
      if (status == XBufferOverflow || length < 0) length = 0;
      committed.resize(static_cast<size_t>(length));
    }
    if (status == XLookupChars || status == XLookupBoth || status == XLookupKeySym) {
    } else {
      keysym = status == XLookupNone ? 0 : keysym;
    }
  } else {
    length = XLookupString(&e, buffer, sizeof buffer - 1, &keysym, nullptr);
    if (!press) length = 0;
  }
  out.keysym = keysym;
  out.text = !committed.empty() ? committed : std::string(buffer, static_cast<size_t>(length > 0 ? length : 0));
  return out;
}

void onKey(HWND top, XKeyEvent& e, bool press, const KeyLookup& key) {
  HWND focus = GetFocus();
  HWND target = focus && detail::rootOf(focus) == top ? focus : top;
  if (!detail::windowEnabled(top)) return;
  const KeySym keysym = key.keysym;
  const std::wstring text = fromUtf8(key.text);
  const UINT vk = virtualKeyOf(keysym);
  if (press && (e.keycode == 0 || !vk) && !text.empty()) {
    // Committed input-method text, or a key that only types a character
    // (no virtual key stands for it): the characters alone.
    const bool imeClass = (classStyle(target) & CS_IME) != 0;
    for (wchar_t ch : text)
      postInput(target, imeClass && ch > 0x7F ? WM_IME_CHAR : WM_CHAR, static_cast<WPARAM>(ch), 1);
    return;
  }
  if (!vk) return;
  const bool wasDown = keyDown(vk);
  setKeyDown(vk, press);
  const UINT scan = static_cast<UINT>((e.keycode - 8) & 0xFF);
  const bool alt = keyDown(VK_MENU);
  const bool sys = (alt && !keyDown(VK_CONTROL)) || vk == VK_F10;
  LPARAM lParam = 1 | (static_cast<LPARAM>(scan) << 16);
  if (alt) lParam |= 1L << 29;
  if (press) {
    if (wasDown) lParam |= 1L << 30;
    std::wstring chars;
    for (wchar_t ch : text) {
      if (ch != 0x7F) chars.push_back(ch);  // Delete makes no character on Windows
    }
    rememberKeyText(target, scan, chars);
    postInput(target, sys ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, lParam);
  } else {
    lParam |= (1L << 30) | (1L << 31);
    postInput(target, sys ? WM_SYSKEYUP : WM_KEYUP, vk, lParam);
  }
}

RECT screenRectOf(XDisplay* x, ::Window xid, int width, int height) {
  int rootX = 0, rootY = 0;
  ::Window child = 0;
  XTranslateCoordinates(x->dpy, xid, x->root, 0, 0, &rootX, &rootY, &child);
  return RECT{rootX, rootY, rootX + width, rootY + height};
}

// WM_STATE says IconicState (3).
bool windowIconic(XDisplay* x, ::Window xid) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool iconic = false;
  if (XGetWindowProperty(x->dpy, xid, x->atoms.wmState, 0, 2, False, x->atoms.wmState, &type, &format, &count,
                         &after, &data) == Success &&
      data && format == 32 && count >= 1)
    iconic = reinterpret_cast<const long*>(data)[0] == 3;
  if (data) XFree(data);
  return iconic;
}

bool focusIsOurs(XDisplay* x) {
  ::Window focus = 0;
  int revert = 0;
  XGetInputFocus(x->dpy, &focus, &revert);
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  return focus && hwndOfXLocked(focus) != nullptr;
}

void handle(XDisplay* x, HWND hwnd, XEvent& event, const KeyLookup& key) {
  if (!IsWindow(hwnd)) return;
  switch (event.type) {
    case Expose: {
      bool layered = false;
      {
        std::lock_guard<std::recursive_mutex> lock(displayMutex());
        Native* native = nativeLocked(hwnd);
        layered = native && native->layered && native->layeredImage;
      }
      const XExposeEvent& e = event.xexpose;
      const RECT area{e.x, e.y, e.x + e.width, e.y + e.height};
      if (layered) representLayered(hwnd, area);
      else presentRect(hwnd, area);
      break;
    }
    case ConfigureNotify: {
      const XConfigureEvent& e = event.xconfigure;
      bool parentIsRoot = true;
      {
        std::lock_guard<std::recursive_mutex> lock(displayMutex());
        if (Native* native = nativeLocked(hwnd)) parentIsRoot = native->parentIsRoot;
      }
      // Coordinates are the parent's: the root's unless a window manager
      // put a frame around the window (then ask where it is now).
      RECT rect = e.send_event || parentIsRoot ? RECT{e.x, e.y, e.x + e.width, e.y + e.height}
                                               : screenRectOf(x, e.window, e.width, e.height);
      // Our own requests come back as plain events; a window manager's
      // placements come as synthetic ones or differ from what we asked.
      // A plain one made before our latest request was handled is stale.
      if (!e.send_event && takeOwnConfigure(hwnd, rect, e.serial)) break;
      detail::placementFromDisplay(hwnd, rect);
      break;
    }
    case ReparentNotify: {
      std::lock_guard<std::recursive_mutex> lock(displayMutex());
      if (Native* native = nativeLocked(hwnd)) native->parentIsRoot = event.xreparent.parent == x->root;
      break;
    }
    case MapNotify:
      // A window the window manager brings back from its icon.
      if (IsIconic(hwnd)) {
        {
          std::lock_guard<std::recursive_mutex> lock(displayMutex());
          if (Native* native = nativeLocked(hwnd)) native->mapped = true;
        }
        ShowWindow(hwnd, SW_RESTORE);
      }
      // Focus can only go to a viewable window: the active window gets it
      // now that it is.
      if (GetActiveWindow() == hwnd) nativeFocus(hwnd);
      break;
    case UnmapNotify:
      // Not ours: the window manager iconified the window.
      if (windowIconic(x, event.xunmap.window)) {
        {
          std::lock_guard<std::recursive_mutex> lock(displayMutex());
          if (Native* native = nativeLocked(hwnd)) native->mapped = false;
        }
        detail::minimizedByDisplay(hwnd);
      }
      break;
    case ClientMessage: {
      const XClientMessageEvent& e = event.xclient;
      if (e.message_type == x->atoms.wmProtocols &&
          static_cast<Atom>(e.data.l[0]) == x->atoms.wmDeleteWindow) {
        if (detail::windowEnabled(hwnd)) PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      } else if (e.message_type == x->atoms.win32Operation) {
        performForeignRequest(hwnd, e);
      } else if (e.message_type == x->atoms.dpiChanged && !e.send_event) {
        deliverDpiChange(hwnd, static_cast<UINT>(e.data.l[0]), static_cast<UINT>(e.data.l[1]));
      } else {
        handleXdndMessage(x, hwnd, e);
      }
      break;
    }
    case FocusIn:
      // Whatever we missed while another client had the keyboard.
      resyncKeysWithServer(x->dpy);
      if (event.xfocus.mode == NotifyGrab || event.xfocus.mode == NotifyUngrab) break;
      if (event.xfocus.detail == NotifyPointer) break;
      // A focus the server gave before our latest activation (the owner's,
      // given back as a dialog closed, arriving after the next dialog was
      // activated) must not take the activation back; nor can a disabled
      // window become active.
      if (!focusEventIsStale(event.xfocus.serial) && !(exStyleOf(hwnd) & WS_EX_NOACTIVATE) &&
          detail::windowEnabled(hwnd) && GetActiveWindow() != hwnd)
        detail::activate(hwnd, WA_ACTIVE, false);
      break;
    case FocusOut:
      if (event.xfocus.mode == NotifyGrab || event.xfocus.mode == NotifyUngrab) break;
      if (event.xfocus.detail == NotifyInferior || event.xfocus.detail == NotifyPointer) break;
      if (!focusEventIsStale(event.xfocus.serial) && GetActiveWindow() == hwnd && !focusIsOurs(x))
        detail::activate(nullptr, WA_INACTIVE, false);
      break;
    case MotionNotify: {
      // Only the latest position of a burst matters.
      XEvent next;
      while (XCheckTypedWindowEvent(x->dpy, event.xmotion.window, MotionNotify, &next)) event = next;
      onMotion(hwnd, event.xmotion);
      break;
    }
    case ButtonPress:
      onButton(hwnd, event.xbutton, true);
      break;
    case ButtonRelease:
      onButton(hwnd, event.xbutton, false);
      break;
    case LeaveNotify:
      if (event.xcrossing.mode != NotifyNormal || event.xcrossing.detail == NotifyInferior) break;
      if (HWND tracked = detail::leaveTrackedWindow();
          tracked && detail::rootOf(tracked) == hwnd) {
        detail::clearLeaveTracking();
        PostMessageW(tracked, WM_MOUSELEAVE, 0, 0);
      }
      break;
    case KeyPress:
      onKey(hwnd, event.xkey, true, key);
      break;
    case KeyRelease:
      onKey(hwnd, event.xkey, false, key);
      break;
    default:
      break;
  }
}

void wakeThread(DWORD thread) {
  if (auto queue = detail::queueOfThread(thread)) queue->wake();
}

// The screen changed (a monitor added, removed, resized or moved): Xlib
// learns the new size, and every top-level window gets WM_DISPLAYCHANGE
// with the depth and the screen's new size, as a window that keeps itself
// on a monitor needs to look again. Call with displayMutex() held.
void announceDisplayChange(XDisplay* x, XEvent& event) {
  XRRUpdateConfiguration(&event);
  const auto& change = reinterpret_cast<const XRRScreenChangeNotifyEvent&>(event);
  const WPARAM depth = static_cast<WPARAM>(DefaultDepth(x->dpy, x->screen));
  const LPARAM size = MAKELPARAM(static_cast<WORD>(change.width), static_cast<WORD>(change.height));
  for (const auto& [hwnd, thread] : nativeTopLevelsLocked()) PostMessageW(hwnd, WM_DISPLAYCHANGE, depth, size);
}

}  // namespace

namespace {

// A new Xft.dpi: every top-level window hears of it on its own thread
// (made up as a client message no other client can send: send_event clear).
void routeDpiChange(XDisplay* x, DWORD self, bool wakeSelf) {
  UINT before = 0, now = 0;
  if (!takeResourceDpiChange(x, &before, &now)) return;
  for (const auto& [hwnd, thread] : nativeTopLevelsLocked()) {
    XEvent made{};
    made.xclient.type = ClientMessage;
    made.xclient.window = nativeLocked(hwnd)->xid;
    made.xclient.message_type = x->atoms.dpiChanged;
    made.xclient.format = 32;
    made.xclient.data.l[0] = static_cast<long>(before);
    made.xclient.data.l[1] = static_cast<long>(now);
    pending()[thread].push_back(Routed{hwnd, made, {}});
    if (thread != self || wakeSelf) wakeThread(thread);
  }
}

// How much of the connection a pass reads.
enum class Reading {
  connection,  // send what is buffered, then read the connection until empty
  ifArrived,   // as `connection` when input waits there (one poll), else `held`
  held,        // send what is buffered; route only what Xlib holds already
};

bool inputWaiting(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 0) > 0;  // hang-up and errors too: the read reports them
}

// `wakeSelf`: events queued for this thread also wake its queue, for a
// caller that will not handle them itself before it next waits.
void readAndRoute(XDisplay* x, bool wakeSelf, Reading reading = Reading::connection) {
  const DWORD self = GetCurrentThreadId();
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  const bool read = reading == Reading::connection || (reading == Reading::ifArrived && inputWaiting(x->fd));
  if (!read) sendBufferedRequests(x->dpy);
  while ((read ? XPending(x->dpy) : XEventsQueued(x->dpy, QueuedAlready)) > 0) {
    XEvent event;
    XNextEvent(x->dpy, &event);
    if (event.type == KeyPress && event.xkey.window == x->root) {
      dispatchHotKey(x, event.xkey);
      continue;
    }
    if (event.type == MappingNotify) {
      // A program (xdotool, an input tool, a layout switch) remapped keys:
      // without the fresh map, the new keys would type nothing.
      if (event.xmapping.request != MappingPointer) XRefreshKeyboardMapping(&event.xmapping);
      continue;
    }
    if (handleClipboardEvent(x, event)) continue;
    if (handleXdndSelection(x, event)) continue;
    if (handleTrayEvent(x, event)) continue;
    if (isPointerMotion(x, event)) {
      notePointerMoved();
      continue;
    }
    if (x->hasRandr && event.type == x->randrEventBase + RRScreenChangeNotify) {
      notePointerMoved();  // a smaller screen may have moved it
      announceDisplayChange(x, event);
      continue;
    }
    if (event.type == PropertyNotify && event.xproperty.window == x->root) {
      if (event.xproperty.atom == XA_RESOURCE_MANAGER) routeDpiChange(x, self, wakeSelf);
      continue;
    }
    // A warp (which makes no raw motion) seen on one of our windows.
    if (event.type == MotionNotify || event.type == EnterNotify || event.type == LeaveNotify) notePointerMoved();
    if (XFilterEvent(&event, None)) continue;
    HWND hwnd = hwndOfXLocked(event.xany.window);
    if (!hwnd) continue;
    Native* native = nativeLocked(hwnd);
    if (event.type == UnmapNotify && native->ownUnmaps > 0) {
      // The echo of our own unmap: nothing to tell the window.
      --native->ownUnmaps;
      continue;
    }
    KeyLookup key;
    if (event.type == KeyPress || event.type == KeyRelease) key = lookUpKey(native, event.xkey, event.type == KeyPress);
    pending()[native->thread].push_back(Routed{hwnd, event, std::move(key)});
    if (native->thread != self || wakeSelf) wakeThread(native->thread);
  }
}

}  // namespace

void routeEvents(XDisplay* x) { readAndRoute(x, true); }

void startInputReader(XDisplay* x) {
  // Events are read (and keys looked up) as they arrive, whether or not the
  // windows' threads are pumping just then: each owner is woken for its own.
  std::thread([x] {
    for (;;) {
      if (!xdisplay()) return;  // the connection is gone
      if (activeDisplay() != x) {
        // Another backend stands in for now (a test of the hooks).
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        continue;
      }
      pollfd fd{x->fd, POLLIN | POLLRDHUP, 0};
      const int ready = poll(&fd, 1, 250);
      if (ready < 0) continue;
      // A server that went away is found by the threads that pump, as
      // before: an I/O error raised here would meet whatever handler the
      // process has installed last (a toolkit's may end the process).
      if (ready > 0 && (fd.revents & (POLLHUP | POLLRDHUP | POLLERR | POLLNVAL))) return;
      // Also now and then when nothing arrived: a thread whose large request
      // filled the socket lets Xlib read what came meanwhile into its own
      // buffer, where no wait on the socket sees it.
      readAndRoute(x, true);
    }
  }).detach();
}

void routeArrivedEvents(XDisplay* x) { readAndRoute(x, true, Reading::ifArrived); }

namespace {

void pump(XDisplay* x, Reading reading) {
  const DWORD self = GetCurrentThreadId();
  readAndRoute(x, false, reading);
  for (;;) {
    Routed routed;
    {
      std::lock_guard<std::recursive_mutex> lock(displayMutex());
      auto it = pending().find(self);
      if (it == pending().end() || it->second.empty()) return;
      routed = it->second.front();
      it->second.pop_front();
    }
    handle(x, routed.hwnd, routed.event, routed.key);
  }
}

}  // namespace

// Reads the connection only when input waits there: whatever arrives later
// wakes a waiting thread, or the input reader routes it.
void pumpEvents(void* context) { pump(static_cast<XDisplay*>(context), Reading::ifArrived); }

void pumpQueuedEvents(void* context) { pump(static_cast<XDisplay*>(context), Reading::held); }

}  // namespace win32::display
