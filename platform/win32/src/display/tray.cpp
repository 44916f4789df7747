// Tray icons under the freedesktop system-tray protocol. Each icon is an X
// window of ours, drawn with Cairo at whatever size the manager gives it;
// the manager embeds it on SYSTEM_TRAY_REQUEST_DOCK. When the manager goes
// away the icon windows are destroyed at once (a manager's save-set would
// otherwise leave them mapped on the root); a new manager's MANAGER notice
// posts "TaskbarCreated" so that the program adds its icons again.
#include <X11/Xatom.h>
#include <cairo-xlib.h>
#include <cairo.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "../window_table.h"
#include "event_routing.h"
#include "native.h"
#include "win32/errors.h"
#include "win32/kernel32.h"
#include "win32/messaging.h"
#include "win32/tray.h"
#include "win32/user32.h"
#include "x_display.h"

namespace win32::display {
namespace {

constexpr long kRequestDock = 0;
constexpr long kXembedMapped = 1;

struct TrayIcon {
  HWND owner = nullptr;
  UINT id = 0;
  UINT callback = 0;
  HICON icon = nullptr;
  std::wstring tip;
  ::Window xid = 0;
  ::Window tooltip = 0;
  bool argb = false;
  int width = 1, height = 1;
  Time lastPress = 0;
  unsigned lastButton = 0;
};

struct TrayState {
  std::map<std::pair<HWND, UINT>, TrayIcon> icons;
  std::set<HWND> adders;  // every window that ever added an icon
  ::Window manager = 0;   // the manager we watch for its end
  bool rootWatched = false;
  Atom selection = 0, opcode = 0, managerAtom = 0, visualAtom = 0, xembedInfo = 0;
};

TrayState& state() {
  static auto* s = new TrayState();
  return *s;
}

void internAtoms(XDisplay* x) {
  TrayState& s = state();
  if (s.selection) return;
  char name[64];
  std::snprintf(name, sizeof name, "_NET_SYSTEM_TRAY_S%d", x->screen);
  s.selection = XInternAtom(x->dpy, name, False);
  s.opcode = XInternAtom(x->dpy, "_NET_SYSTEM_TRAY_OPCODE", False);
  s.managerAtom = XInternAtom(x->dpy, "MANAGER", False);
  s.visualAtom = XInternAtom(x->dpy, "_NET_SYSTEM_TRAY_VISUAL", False);
  s.xembedInfo = XInternAtom(x->dpy, "_XEMBED_INFO", False);
}

// MANAGER notices go to the root with StructureNotifyMask; the root's other
// selected events stay.
void watchRoot(XDisplay* x) {
  TrayState& s = state();
  if (s.rootWatched) return;
  XWindowAttributes attributes{};
  XGetWindowAttributes(x->dpy, x->root, &attributes);
  XSelectInput(x->dpy, x->root, attributes.your_event_mask | StructureNotifyMask);
  s.rootWatched = true;
}

// Selected every time: a new manager may carry the id of one that ended
// (the server hands a new client the old one's ids), and the selection made
// on the old window does not carry over.
::Window currentManager(XDisplay* x) {
  TrayState& s = state();
  ::Window owner = XGetSelectionOwner(x->dpy, s.selection);
  if (owner) {
    if (withErrorTrap(x, [&] { XSelectInput(x->dpy, owner, StructureNotifyMask); }) != 0) return 0;
    s.manager = owner;
  }
  return owner;
}

// The manager's _NET_SYSTEM_TRAY_VISUAL, when it names a 32-bit visual.
Visual* managerVisual(XDisplay* x, ::Window manager, int* depth) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  Visual* visual = nullptr;
  if (XGetWindowProperty(x->dpy, manager, state().visualAtom, 0, 1, False, XA_VISUALID, &type, &format,
                         &count, &after, &data) == Success &&
      data && count == 1 && format == 32) {
    XVisualInfo wanted{};
    wanted.visualid = static_cast<VisualID>(reinterpret_cast<unsigned long*>(data)[0]);
    int found = 0;
    if (XVisualInfo* info = XGetVisualInfo(x->dpy, VisualIDMask, &wanted, &found)) {
      if (found > 0 && info[0].depth == 32) {
        visual = info[0].visual;
        *depth = 32;
      }
      XFree(info);
    }
  }
  if (data) XFree(data);
  return visual;
}

void draw(XDisplay* x, TrayIcon& icon) {
  if (!icon.xid) return;
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(x->dpy, icon.xid, &attributes)) return;
  icon.width = attributes.width;
  icon.height = attributes.height;
  if (!icon.argb) XClearWindow(x->dpy, icon.xid);
  cairo_surface_t* target =
      cairo_xlib_surface_create(x->dpy, icon.xid, attributes.visual, icon.width, icon.height);
  cairo_t* cr = cairo_create(target);
  if (icon.argb) {
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, 0, 0, 0, 0);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  }
  if (auto* image = static_cast<cairo_surface_t*>(iconSurfaceOf(icon.icon))) {
    const int w = cairo_image_surface_get_width(image), h = cairo_image_surface_get_height(image);
    if (w > 0 && h > 0) {
      cairo_scale(cr, static_cast<double>(icon.width) / w, static_cast<double>(icon.height) / h);
      cairo_set_source_surface(cr, image, 0, 0);
      cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
      cairo_paint(cr);
    }
  }
  cairo_destroy(cr);
  cairo_surface_flush(target);
  cairo_surface_destroy(target);
  XFlush(x->dpy);
}

void hideTooltip(XDisplay* x, TrayIcon& icon) {
  if (icon.tooltip) XDestroyWindow(x->dpy, icon.tooltip);
  icon.tooltip = 0;
}

// A plain override-redirect box with the tip, below the pointer.
void showTooltip(XDisplay* x, TrayIcon& icon, int rootX, int rootY) {
  hideTooltip(x, icon);
  if (icon.tip.empty()) return;
  const std::string text = toUtf8(icon.tip);
  cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* measure = cairo_create(probe);
  cairo_set_font_size(measure, 12);
  cairo_text_extents_t extents{};
  cairo_text_extents(measure, text.c_str(), &extents);
  cairo_destroy(measure);
  cairo_surface_destroy(probe);
  const int width = static_cast<int>(extents.x_advance) + 10, height = 22;
  XSetWindowAttributes set{};
  set.override_redirect = True;
  set.background_pixel = 0xFFFFE1;
  set.border_pixel = 0x767676;
  icon.tooltip = XCreateWindow(x->dpy, x->root, rootX + 8, rootY + 16, static_cast<unsigned>(width),
                               height, 1, CopyFromParent, InputOutput, CopyFromParent,
                               CWOverrideRedirect | CWBackPixel | CWBorderPixel, &set);
  XMapRaised(x->dpy, icon.tooltip);
  cairo_surface_t* target = cairo_xlib_surface_create(x->dpy, icon.tooltip, DefaultVisual(x->dpy, x->screen),
                                                      width, height);
  cairo_t* cr = cairo_create(target);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_font_size(cr, 12);
  cairo_move_to(cr, 5, 15);
  cairo_show_text(cr, text.c_str());
  cairo_destroy(cr);
  cairo_surface_destroy(target);
  XFlush(x->dpy);
}

void destroyIconWindow(XDisplay* x, TrayIcon& icon) {
  hideTooltip(x, icon);
  if (icon.xid) withErrorTrap(x, [&] { XDestroyWindow(x->dpy, icon.xid); });
  icon.xid = 0;
  XFlush(x->dpy);
}

bool dock(XDisplay* x, TrayIcon& icon) {
  const ::Window manager = currentManager(x);
  if (!manager) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  int depth = CopyFromParent;
  Visual* visual = managerVisual(x, manager, &depth);
  XSetWindowAttributes set{};
  unsigned long mask = CWEventMask;
  set.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask |
                   EnterWindowMask | LeaveWindowMask | PointerMotionMask;
  if (visual) {
    set.colormap = XCreateColormap(x->dpy, x->root, visual, AllocNone);
    set.background_pixel = 0;
    set.border_pixel = 0;
    mask |= CWColormap | CWBackPixel | CWBorderPixel;
  } else {
    set.background_pixmap = ParentRelative;
    mask |= CWBackPixmap;
  }
  icon.argb = visual != nullptr;
  icon.xid = XCreateWindow(x->dpy, x->root, 0, 0, 22, 22, 0, visual ? depth : CopyFromParent, InputOutput,
                           visual ? visual : CopyFromParent, mask, &set);
  const std::string tip = toUtf8(icon.tip);
  XChangeProperty(x->dpy, icon.xid, x->atoms.netWmName, x->atoms.utf8String, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(tip.data()), static_cast<int>(tip.size()));
  const long info[2] = {0, kXembedMapped};
  XChangeProperty(x->dpy, icon.xid, state().xembedInfo, state().xembedInfo, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(info), 2);
  XEvent request{};
  request.xclient.type = ClientMessage;
  request.xclient.window = manager;
  request.xclient.message_type = state().opcode;
  request.xclient.format = 32;
  request.xclient.data.l[0] = CurrentTime;
  request.xclient.data.l[1] = kRequestDock;
  request.xclient.data.l[2] = static_cast<long>(icon.xid);
  const int error = withErrorTrap(x, [&] {
    XSendEvent(x->dpy, manager, False, NoEventMask, &request);
    XSync(x->dpy, False);
  });
  if (error != 0) {
    destroyIconWindow(x, icon);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  return true;
}

TrayIcon* iconOfWindowLocked(::Window xid) {
  for (auto& [key, icon] : state().icons)
    if (icon.xid == xid) return &icon;
  return nullptr;
}

void postPointer(TrayIcon& icon, UINT message) {
  if (icon.callback) PostMessageW(icon.owner, icon.callback, icon.id, static_cast<LPARAM>(message));
}

void onButton(XDisplay* x, TrayIcon& icon, const XButtonEvent& e, bool press) {
  hideTooltip(x, icon);
  const bool left = e.button == Button1, right = e.button == Button3;
  if (!left && !right) return;
  if (!press) {
    postPointer(icon, left ? WM_LBUTTONUP : WM_RBUTTONUP);
    return;
  }
  const bool twice = left && icon.lastButton == e.button && e.time - icon.lastPress <= GetDoubleClickTime();
  icon.lastButton = twice ? 0 : e.button;
  icon.lastPress = e.time;
  postPointer(icon, twice ? WM_LBUTTONDBLCLK : left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN);
}

// Top-level windows of this process, message-only ones excluded.
std::set<HWND> topLevelWindows() {
  std::set<HWND> out;
  std::lock_guard<std::mutex> lock(detail::windowLock());
  for (auto& [handle, window] : detail::windowsLocked())
    if (window && !window->parent && !window->messageOnly) out.insert(window->hwnd);
  return out;
}

void announceNewManager() {
  const UINT created = RegisterWindowMessageW(L"TaskbarCreated");
  std::set<HWND> targets = topLevelWindows();
  targets.insert(state().adders.begin(), state().adders.end());
  for (HWND hwnd : targets)
    if (IsWindow(hwnd)) PostMessageW(hwnd, created, 0, 0);
}

}  // namespace

bool handleTrayEvent(XDisplay* x, const XEvent& event) {
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  TrayState& s = state();
  if (!s.selection) return false;
  if (event.type == ClientMessage && event.xclient.window == x->root &&
      event.xclient.message_type == s.managerAtom) {
    if (static_cast<Atom>(event.xclient.data.l[1]) == s.selection) announceNewManager();
    return true;
  }
  if (event.type == DestroyNotify && s.manager && event.xdestroywindow.window == s.manager) {
    // Late news of a manager whose id a new manager already owns: the new
    // one's icons stay (the old one's came back through the root and are
    // gone already).
    if (XGetSelectionOwner(x->dpy, s.selection) == s.manager) return true;
    s.manager = 0;
    for (auto& [key, icon] : s.icons) destroyIconWindow(x, icon);
    return true;
  }
  TrayIcon* icon = iconOfWindowLocked(event.xany.window);
  if (!icon) return event.xany.window == s.manager && s.manager != 0;
  switch (event.type) {
    case Expose:
      if (event.xexpose.count == 0) draw(x, *icon);
      break;
    case ConfigureNotify:
      if (event.xconfigure.width != icon->width || event.xconfigure.height != icon->height) draw(x, *icon);
      break;
    case ReparentNotify:
      // Handed back to the root (its manager ended): never left there.
      if (event.xreparent.parent == x->root && event.xreparent.event == icon->xid) destroyIconWindow(x, *icon);
      break;
    case ButtonPress:
      onButton(x, *icon, event.xbutton, true);
      break;
    case ButtonRelease:
      onButton(x, *icon, event.xbutton, false);
      break;
    case MotionNotify:
      postPointer(*icon, WM_MOUSEMOVE);
      break;
    case EnterNotify:
      showTooltip(x, *icon, event.xcrossing.x_root, event.xcrossing.y_root);
      break;
    case LeaveNotify:
      hideTooltip(x, *icon);
      break;
    default:
      break;
  }
  return true;
}

}  // namespace win32::display

using namespace win32::display;

BOOL Win32TrayAdd(HWND owner, UINT id, UINT callbackMessage, HICON icon, LPCWSTR tip) {
  XDisplay* x = xdisplay();
  if (!x || !IsWindow(owner)) {
    SetLastError(x ? ERROR_INVALID_WINDOW_HANDLE : ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  internAtoms(x);
  watchRoot(x);
  TrayState& s = state();
  s.adders.insert(owner);
  auto key = std::make_pair(owner, id);
  auto found = s.icons.find(key);
  if (found != s.icons.end() && found->second.xid) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  TrayIcon entry;
  entry.owner = owner;
  entry.id = id;
  entry.callback = callbackMessage;
  entry.icon = icon;
  entry.tip = tip ? tip : L"";
  if (!dock(x, entry)) return FALSE;
  s.icons[key] = entry;
  wakeEventReaders();
  return TRUE;
}

BOOL Win32TrayModify(HWND owner, UINT id, const UINT* callbackMessage, HICON icon, LPCWSTR tip) {
  XDisplay* x = activeDisplay();
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  auto found = state().icons.find(std::make_pair(owner, id));
  if (!x || found == state().icons.end() || !found->second.xid) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  TrayIcon& entry = found->second;
  if (callbackMessage) entry.callback = *callbackMessage;
  if (icon) entry.icon = icon;
  if (tip) {
    entry.tip = tip;
    const std::string text = toUtf8(entry.tip);
    XChangeProperty(x->dpy, entry.xid, x->atoms.netWmName, x->atoms.utf8String, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  }
  draw(x, entry);
  return TRUE;
}

BOOL Win32TrayDelete(HWND owner, UINT id) {
  XDisplay* x = activeDisplay();
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  auto found = state().icons.find(std::make_pair(owner, id));
  if (found == state().icons.end()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  if (x) destroyIconWindow(x, found->second);
  state().icons.erase(found);
  return TRUE;
}

unsigned long Win32TrayIconWindow(HWND owner, UINT id) {
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  auto found = state().icons.find(std::make_pair(owner, id));
  return found == state().icons.end() ? 0 : found->second.xid;
}
