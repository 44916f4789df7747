// Creating, placing and presenting the X windows of top-level windows.
#include "native.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <cairo-xlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <vector>

#include "../backend_hooks.h"
#include "../message_queue.h"
#include "../user/paint_store.h"
#include "../window_table.h"
#include "hooks.h"
#include "x_display.h"

namespace win32::display {
namespace {

std::map<HWND, Native>& natives() {
  static auto* map = new std::map<HWND, Native>();
  return *map;
}

struct TableFacts {
  bool found = false;
  bool child = false;
  bool messageOnly = false;
  LONG style = 0, exStyle = 0;
  RECT rect{};
  HWND owner = nullptr;
  std::wstring className, title;
  DWORD thread = 0;
};

TableFacts factsOf(HWND hwnd) {
  TableFacts facts;
  std::lock_guard<std::mutex> lock(detail::windowLock());
  auto window = detail::lookupWindowLocked(hwnd);
  if (!window) return facts;
  facts.found = true;
  facts.child = (window->style & WS_CHILD) != 0;
  facts.messageOnly = window->messageOnly;
  facts.style = window->style;
  facts.exStyle = window->exStyle;
  facts.rect = window->rect;
  facts.owner = window->owner;
  facts.className = window->windowClass ? window->windowClass->name : L"";
  facts.title = window->text;
  facts.thread = window->threadId;
  return facts;
}

// Menus, drop-downs and tooltips: pop-ups that never take part in window
// management (no focus, no taskbar entry, no frame placement).
bool wantsOverrideRedirect(LONG style, LONG exStyle) {
  return (style & WS_POPUP) && (exStyle & WS_EX_TOOLWINDOW) &&
         (exStyle & (WS_EX_NOACTIVATE | WS_EX_TOPMOST));
}

void setUtf8Property(XDisplay* x, ::Window xid, Atom property, const std::string& text) {
  XChangeProperty(x->dpy, xid, property, x->atoms.utf8String, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text.data()),
                  static_cast<int>(text.size()));
}

void setTitle(XDisplay* x, ::Window xid, const std::wstring& title) {
  const std::string utf8 = toUtf8(title);
  setUtf8Property(x, xid, x->atoms.netWmName, utf8);
  XTextProperty property{};
  char* list[] = {const_cast<char*>(utf8.c_str())};
  if (Xutf8TextListToTextProperty(x->dpy, list, 1, XStdICCTextStyle, &property) >= 0) {
    XSetWMName(x->dpy, xid, &property);
    XFree(property.value);
  }
}

void sendNetWmState(XDisplay* x, ::Window xid, bool add, Atom first, Atom second) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = xid;
  event.xclient.message_type = x->atoms.netWmState;
  event.xclient.format = 32;
  event.xclient.data.l[0] = add ? 1 : 0;
  event.xclient.data.l[1] = static_cast<long>(first);
  event.xclient.data.l[2] = static_cast<long>(second);
  event.xclient.data.l[3] = 1;
  XSendEvent(x->dpy, x->root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

bool skipsTaskbar(::Window xid) {
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  for (auto& [hwnd, native] : natives())
    if (native.xid == xid) return native.skipTaskbar;
  return false;
}

// The _NET_WM_STATE list a window manager reads when the window is mapped.
void writeNetWmState(XDisplay* x, ::Window xid, LONG exStyle) {
  std::vector<Atom> states;
  const bool skip = skipsTaskbar(xid);
  if (exStyle & WS_EX_TOPMOST) states.push_back(x->atoms.netWmStateAbove);
  if (((exStyle & WS_EX_TOOLWINDOW) && !(exStyle & WS_EX_APPWINDOW)) || skip)
    states.push_back(x->atoms.netWmStateSkipTaskbar);
  if (skip) states.push_back(x->atoms.netWmStateSkipPager);
  XChangeProperty(x->dpy, xid, x->atoms.netWmState, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(states.data()), static_cast<int>(states.size()));
}

}  // namespace

namespace {
// Threads that own X windows. Kept under a lock of its own that is never
// held while taking another: wakeEventReaders runs inside other locks.
std::mutex g_readerMutex;
std::vector<DWORD> g_readerThreads;
}  // namespace

Native* nativeLocked(HWND hwnd) {
  auto it = natives().find(hwnd);
  return it == natives().end() ? nullptr : &it->second;
}

HWND hwndOfXLocked(::Window xid) {
  for (auto& [hwnd, native] : natives()) {
    if (native.xid == xid) return hwnd;
  }
  return nullptr;
}

std::vector<HWND> nativeChildrenLocked() {
  std::vector<HWND> children;
  for (auto& [hwnd, native] : natives())
    if (native.child) children.push_back(hwnd);
  return children;
}

std::vector<std::pair<HWND, DWORD>> nativeTopLevelsLocked() {
  std::vector<std::pair<HWND, DWORD>> out;
  for (auto& [hwnd, native] : natives())
    if (!native.child && native.xid) out.emplace_back(hwnd, native.thread);
  return out;
}

void nativeAdd(HWND hwnd, const Native& native) {
  {
    std::lock_guard<std::recursive_mutex> lock(displayMutex());
    natives()[hwnd] = native;
  }
  std::lock_guard<std::mutex> lock(g_readerMutex);
  if (std::find(g_readerThreads.begin(), g_readerThreads.end(), native.thread) == g_readerThreads.end())
    g_readerThreads.push_back(native.thread);
}

::Window xidOf(HWND hwnd) {
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  Native* native = nativeLocked(hwnd);
  return native ? native->xid : 0;
}

void nativeWindowCreated(HWND hwnd, const CREATESTRUCTW*, void* context) {
  auto* x = static_cast<XDisplay*>(context);
  TableFacts facts = factsOf(hwnd);
  if (!facts.found || facts.child || facts.messageOnly) return;
  Native native;
  native.hwnd = hwnd;
  native.thread = facts.thread;
  native.layered = (facts.exStyle & WS_EX_LAYERED) != 0;
  native.overrideRedirect = wantsOverrideRedirect(facts.style, facts.exStyle);
  native.argb = native.layered && x->argbVisual && compositorRunning(x);
  native.width = std::max<LONG>(1, facts.rect.right - facts.rect.left);
  native.height = std::max<LONG>(1, facts.rect.bottom - facts.rect.top);

  XSetWindowAttributes attributes{};
  unsigned long mask = CWEventMask | CWOverrideRedirect | CWBackPixmap | CWBorderPixel;
  attributes.event_mask = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask |
                          ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                          EnterWindowMask | LeaveWindowMask | FocusChangeMask |
                          PropertyChangeMask;
  attributes.override_redirect = native.overrideRedirect ? True : False;
  attributes.background_pixmap = None;  // no server-side clearing: our surface paints everything
  attributes.border_pixel = 0;
  Visual* visual = DefaultVisual(x->dpy, x->screen);
  int depth = DefaultDepth(x->dpy, x->screen);
  if (native.argb) {
    visual = x->argbVisual;
    depth = 32;
    attributes.colormap = x->argbColormap;
    mask |= CWColormap;
  }
  native.xid = XCreateWindow(x->dpy, x->root, facts.rect.left, facts.rect.top,
                             static_cast<unsigned>(native.width),
                             static_cast<unsigned>(native.height), 0, depth, InputOutput, visual,
                             mask, &attributes);

  // Class and title, as FindWindowW in another process searches them.
  const std::string cls = toUtf8(facts.className);
  XClassHint hint{};
  hint.res_name = const_cast<char*>(cls.c_str());
  hint.res_class = const_cast<char*>(cls.c_str());
  XSetClassHint(x->dpy, native.xid, &hint);
  setTitle(x, native.xid, facts.title);
  Atom protocols[] = {x->atoms.wmDeleteWindow};
  XSetWMProtocols(x->dpy, native.xid, protocols, 1);
  const long pid = getpid();
  XChangeProperty(x->dpy, native.xid, x->atoms.netWmPid, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
  XChangeProperty(x->dpy, native.xid, x->atoms.win32Process, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
  // No native frame: the framework draws its own caption and borders.
  long motif[5] = {2, 0, 0, 0, 0};
  XChangeProperty(x->dpy, native.xid, x->atoms.motifWmHints, x->atoms.motifWmHints, 32,
                  PropModeReplace, reinterpret_cast<unsigned char*>(motif), 5);
  Atom type = (facts.exStyle & WS_EX_TOOLWINDOW) ? x->atoms.netWmWindowTypeUtility
                                                 : x->atoms.netWmWindowTypeNormal;
  if (native.overrideRedirect)
    type = (facts.exStyle & WS_EX_NOACTIVATE) ? x->atoms.netWmWindowTypeTooltip
                                              : x->atoms.netWmWindowTypePopupMenu;
  XChangeProperty(x->dpy, native.xid, x->atoms.netWmWindowType, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&type), 1);
  writeNetWmState(x, native.xid, facts.exStyle);
  XWMHints wmHints{};
  wmHints.flags = InputHint;
  wmHints.input = (facts.exStyle & WS_EX_NOACTIVATE) ? False : True;
  XSetWMHints(x->dpy, native.xid, &wmHints);
  XSizeHints sizeHints{};
  sizeHints.flags = USPosition | PPosition;
  sizeHints.x = facts.rect.left;
  sizeHints.y = facts.rect.top;
  XSetWMNormalHints(x->dpy, native.xid, &sizeHints);
  if (facts.owner) {
    if (::Window ownerX = xidOf(facts.owner)) XSetTransientForHint(x->dpy, native.xid, ownerX);
  }
  if (x->im) {
    // Creating a context links an event filter into the display's list,
    // which Xlib unlinks without its own lock (focus changes, destruction):
    // every context call goes under the display mutex, as the reader's
    // XFilterEvent does, or a filter freed mid-walk is followed.
    std::lock_guard<std::recursive_mutex> lock(displayMutex());
    native.ic = XCreateIC(x->im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing,
                          XNClientWindow, native.xid, XNFocusWindow, native.xid, nullptr);
    if (native.ic) {
      long imEvents = 0;
      XGetICValues(native.ic, XNFilterEvents, &imEvents, nullptr);
      XSelectInput(x->dpy, native.xid, attributes.event_mask | imEvents);
    }
  }
  // Click-through windows (the drag image) take no pointer input at all.
  if ((facts.exStyle & WS_EX_TRANSPARENT) && x->hasShape)
    XShapeCombineRectangles(x->dpy, native.xid, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
  native.xsurface = cairo_xlib_surface_create(
      x->dpy, native.xid, native.argb ? x->argbVisual : DefaultVisual(x->dpy, x->screen),
      native.width, native.height);
  {
    std::lock_guard<std::recursive_mutex> lock(displayMutex());
    natives()[hwnd] = native;
  }
  {
    std::lock_guard<std::mutex> lock(g_readerMutex);
    if (std::find(g_readerThreads.begin(), g_readerThreads.end(), native.thread) == g_readerThreads.end())
      g_readerThreads.push_back(native.thread);
  }
  nativePublishStyle(hwnd, facts.style);
  XFlush(x->dpy);
}

void nativeWindowDestroyed(HWND hwnd, void* context) {
  auto* x = static_cast<XDisplay*>(context);
  Native native;
  {
    std::lock_guard<std::recursive_mutex> lock(displayMutex());
    auto it = natives().find(hwnd);
    if (it == natives().end()) return;
    native = it->second;
    natives().erase(it);
    if (native.xsurface) cairo_surface_destroy(native.xsurface);
    if (native.layeredImage) cairo_surface_destroy(native.layeredImage);
    if (native.backdrop) cairo_surface_destroy(native.backdrop);
    if (native.ic) XDestroyIC(native.ic);
    // A real child's subwindow is gone already when its root went first.
    if (native.child) withErrorTrap(x, [&] { XDestroyWindow(x->dpy, native.xid); });
    else XDestroyWindow(x->dpy, native.xid);
  }
  detail::dropBacking(hwnd);
  XFlush(x->dpy);
}

void nativeTitleChanged(HWND hwnd, LPCWSTR text, void* context) {
  auto* x = static_cast<XDisplay*>(context);
  ::Window xid = xidOf(hwnd);
  if (!xid) return;
  setTitle(x, xid, text ? text : L"");
  XFlush(x->dpy);
}

void nativeMoveResize(HWND hwnd, const RECT& rect) {
  XDisplay* x = activeDisplay();
  if (!x) return;
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  Native* native = nativeLocked(hwnd);
  if (!native) return;
  native->width = std::max<LONG>(1, rect.right - rect.left);
  native->height = std::max<LONG>(1, rect.bottom - rect.top);
  const unsigned long serial = NextRequest(x->dpy);
  XMoveResizeWindow(x->dpy, native->xid, rect.left, rect.top, static_cast<unsigned>(native->width),
                    static_cast<unsigned>(native->height));
  native->ownConfigures.push_back(
      {RECT{rect.left, rect.top, rect.left + native->width, rect.top + native->height}, serial});
  if (native->ownConfigures.size() > 64) native->ownConfigures.pop_front();
  if (native->xsurface) cairo_xlib_surface_set_size(native->xsurface, native->width, native->height);
  XFlush(x->dpy);
}

void wakeEventReaders() {
  std::vector<DWORD> threads;
  {
    std::lock_guard<std::mutex> lock(g_readerMutex);
    threads = g_readerThreads;
  }
  for (DWORD thread : threads) {
    if (auto queue = detail::queueOfThread(thread)) queue->wake();
  }
}

bool takeOwnConfigure(HWND hwnd, const RECT& rect, unsigned long serial) {
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  Native* native = nativeLocked(hwnd);
  if (!native) return false;
  auto& pending = native->ownConfigures;
  if (pending.empty()) return false;
  // The server handles requests in order: a configure made before our
  // latest placement was handled (a raise on mapping, an older echo) shows
  // a state that placement replaces.
  const Native::OwnConfigure latest = pending.back();
  while (!pending.empty() && pending.front().serial <= serial) pending.pop_front();
  if (serial < latest.serial) return true;
  const RECT& r = latest.rect;
  return r.left == rect.left && r.top == rect.top && r.right == rect.right && r.bottom == rect.bottom;
}

void nativeMap(HWND hwnd) {
  XDisplay* x = activeDisplay();
  if (!x) return;
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  Native* native = nativeLocked(hwnd);
  if (!native || native->mapped) return;
  native->mapped = true;
  XMapRaised(x->dpy, native->xid);
  XFlush(x->dpy);
}

void nativeUnmap(HWND hwnd) {
  XDisplay* x = activeDisplay();
  if (!x) return;
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  Native* native = nativeLocked(hwnd);
  if (!native || !native->mapped) return;
  native->mapped = false;
  if (!native->child) ++native->ownUnmaps;  // a subwindow's unmap is not echoed to us
  XUnmapWindow(x->dpy, native->xid);
  XFlush(x->dpy);
}

void nativeIconify(HWND hwnd) {
  XDisplay* x = activeDisplay();
  if (!x) return;
  // Without a window manager nobody answers WM_CHANGE_STATE: a minimised
  // window is then simply unmapped, and restoring maps it again.
  if (!windowManagerRunning(x)) {
    nativeUnmap(hwnd);
    return;
  }
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  Native* native = nativeLocked(hwnd);
  if (!native) return;
  ++native->ownUnmaps;
  native->mapped = false;
  XIconifyWindow(x->dpy, native->xid, x->screen);
  XFlush(x->dpy);
}

void nativeRaise(HWND hwnd) {
  XDisplay* x = activeDisplay();
  if (::Window xid = x ? xidOf(hwnd) : 0) {
    XRaiseWindow(x->dpy, xid);
    XFlush(x->dpy);
  }
}

void nativeLower(HWND hwnd) {
  XDisplay* x = activeDisplay();
  if (::Window xid = x ? xidOf(hwnd) : 0) {
    XLowerWindow(x->dpy, xid);
    XFlush(x->dpy);
  }
}

void nativeRestackBelow(HWND hwnd, HWND above) {
  XDisplay* x = activeDisplay();
  if (!x) return;
  ::Window xid = xidOf(hwnd), aboveXid = xidOf(above);
  if (!xid || !aboveXid) return;
  ::Window order[] = {aboveXid, xid};
  XRestackWindows(x->dpy, order, 2);
  XFlush(x->dpy);
}

void nativeSetTopmost(HWND hwnd, bool topmost) {
  XDisplay* x = activeDisplay();
  if (!x) return;
  ::Window xid = xidOf(hwnd);
  if (!xid) return;
  LONG exStyle = 0;
  {
    std::lock_guard<std::mutex> lock(detail::windowLock());
    if (auto window = detail::lookupWindowLocked(hwnd)) exStyle = window->exStyle;
  }
  writeNetWmState(x, xid, topmost ? (exStyle | WS_EX_TOPMOST) : (exStyle & ~WS_EX_TOPMOST));
  sendNetWmState(x, xid, topmost, x->atoms.netWmStateAbove, 0);
  if (topmost) XRaiseWindow(x->dpy, xid);
  XFlush(x->dpy);
}

void nativeMaximizedHint(HWND hwnd, bool maximized) {
  XDisplay* x = activeDisplay();
  ::Window xid = x ? xidOf(hwnd) : 0;
  if (!xid) return;
  sendNetWmState(x, xid, maximized, x->atoms.netWmStateMaximizedVert,
                 x->atoms.netWmStateMaximizedHorz);
  XFlush(x->dpy);
}

namespace {
// The serial from which on the server has seen our latest activation: focus
// events made before it show a focus that activation replaced.
std::atomic<unsigned long> g_activationSerial{0};
}  // namespace

bool focusEventIsStale(unsigned long serial) { return serial < g_activationSerial.load(); }

void nativeFocus(HWND hwnd) {
  XDisplay* x = activeDisplay();
  if (!x) return;
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  Native* native = nativeLocked(hwnd);
  if (!native) return;
  // Recorded even when the window cannot take the focus yet (not mapped):
  // the activation is ours and newer than any focus the server reports
  // from before it.
  g_activationSerial = NextRequest(x->dpy);
  if (!native->mapped || native->overrideRedirect) return;
  // The window may not be viewable yet (just mapped): the error is harmless.
  withErrorTrap(x, [&] { XSetInputFocus(x->dpy, native->xid, RevertToParent, CurrentTime); });
  if (native->ic) XSetICFocus(native->ic);
}

void nativeActivateRequest(HWND hwnd) {
  XDisplay* x = activeDisplay();
  ::Window xid = x ? xidOf(hwnd) : 0;
  if (!xid) return;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = xid;
  event.xclient.message_type = x->atoms.netActiveWindow;
  event.xclient.format = 32;
  event.xclient.data.l[0] = 1;  // from an application
  event.xclient.data.l[1] = serverTime(x);
  XSendEvent(x->dpy, x->root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XFlush(x->dpy);
}

void nativePublishStyle(HWND hwnd, LONG style) {
  XDisplay* x = activeDisplay();
  ::Window xid = x ? xidOf(hwnd) : 0;
  if (!xid) return;
  const long value = static_cast<long>(static_cast<unsigned long>(static_cast<DWORD>(style)));
  XChangeProperty(x->dpy, xid, x->atoms.win32Style, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&value), 1);
  XFlush(x->dpy);
}

void nativeSetOpacity(HWND hwnd, BYTE alpha, bool set) {
  XDisplay* x = activeDisplay();
  ::Window xid = x ? xidOf(hwnd) : 0;
  if (!xid) return;
  if (set) {
    const unsigned long opacity = static_cast<unsigned long>(alpha) * 0x01010101UL;
    XChangeProperty(x->dpy, xid, x->atoms.netWmWindowOpacity, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&opacity), 1);
  } else {
    XDeleteProperty(x->dpy, xid, x->atoms.netWmWindowOpacity);
  }
  XFlush(x->dpy);
}

void nativeMinimumSize(HWND hwnd, int width, int height) {
  XDisplay* x = activeDisplay();
  ::Window xid = x ? xidOf(hwnd) : 0;
  if (!xid) return;
  XSizeHints hints{};
  long supplied = 0;
  XGetWMNormalHints(x->dpy, xid, &hints, &supplied);
  if (width <= 1 && height <= 1) {
    hints.flags &= ~PMinSize;
  } else {
    hints.flags |= PMinSize;
    hints.min_width = std::max(width, 1);
    hints.min_height = std::max(height, 1);
  }
  XSetWMNormalHints(x->dpy, xid, &hints);
  XFlush(x->dpy);
}

namespace {
std::atomic<Win32IconSurfaceReader> g_iconReader{nullptr};

// _NET_WM_ICON's entry for one icon: width, height, then non-premultiplied
// ARGB pixels, each in a CARDINAL (a long on the client side).
void appendIcon(HICON icon, std::vector<long>& out) {
  Win32IconSurfaceReader reader = g_iconReader.load();
  auto* surface = icon && reader ? static_cast<cairo_surface_t*>(reader(icon)) : nullptr;
  if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return;
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  if (width <= 0 || height <= 0 || !data) return;
  out.push_back(width);
  out.push_back(height);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
    for (int x = 0; x < width; ++x) {
      const uint32_t p = row[x];
      const uint32_t a = p >> 24;
      uint32_t argb = 0;
      if (a == 255) {
        argb = p;
      } else if (a > 0) {
        auto channel = [&](int shift) { return std::min<uint32_t>(255, (((p >> shift) & 0xFF) * 255 + a / 2) / a); };
        argb = (a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
      }
      out.push_back(static_cast<long>(argb));
    }
  }
}
}  // namespace

void* iconSurfaceOf(HICON icon) {
  Win32IconSurfaceReader reader = g_iconReader.load();
  return icon && reader ? reader(icon) : nullptr;
}

void nativeSetIcons(HWND hwnd, HICON big, HICON small) {
  XDisplay* x = activeDisplay();
  ::Window xid = x ? xidOf(hwnd) : 0;
  if (!xid) return;
  std::vector<long> data;
  appendIcon(big, data);
  if (small != big) appendIcon(small, data);
  if (data.empty()) {
    XDeleteProperty(x->dpy, xid, x->atoms.netWmIcon);
  } else {
    XChangeProperty(x->dpy, xid, x->atoms.netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
  }
  XFlush(x->dpy);
}

void nativeAnimationFrame(HWND hwnd, const RECT& visible, POINT source) {
  XDisplay* x = activeDisplay();
  if (!x) return;
  cairo_surface_t* backing = detail::backingSurface(hwnd);
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  Native* native = nativeLocked(hwnd);
  if (!native || !native->xsurface || !x->hasShape) return;
  const int w = std::max<LONG>(0, visible.right - visible.left), h = std::max<LONG>(0, visible.bottom - visible.top);
  XRectangle area{static_cast<short>(visible.left), static_cast<short>(visible.top), static_cast<unsigned short>(w),
                  static_cast<unsigned short>(h)};
  XShapeCombineRectangles(x->dpy, native->xid, ShapeBounding, 0, 0, &area, (w > 0 && h > 0) ? 1 : 0, ShapeSet,
                          Unsorted);
  native->animating = true;
  if (backing && w > 0 && h > 0) {
    cairo_t* cr = cairo_create(native->xsurface);
    cairo_rectangle(cr, visible.left, visible.top, w, h);
    cairo_clip(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, backing, visible.left - source.x, visible.top - source.y);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(native->xsurface);
  }
  XFlush(x->dpy);
}

void nativeAnimationEnd(HWND hwnd) {
  XDisplay* x = activeDisplay();
  if (!x) return;
  {
    std::lock_guard<std::recursive_mutex> lock(displayMutex());
    Native* native = nativeLocked(hwnd);
    if (!native || !native->animating) return;
    native->animating = false;
    if (x->hasShape) XShapeCombineMask(x->dpy, native->xid, ShapeBounding, 0, 0, None, ShapeSet);
  }
  int width = 0, height = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(displayMutex());
    if (Native* native = nativeLocked(hwnd)) width = native->width, height = native->height;
  }
  presentRect(hwnd, RECT{0, 0, width, height});
  XFlush(x->dpy);
}

void presentRect(HWND hwnd, const RECT& clip) {
  XDisplay* x = activeDisplay();
  if (!x) return;
  cairo_surface_t* backing = detail::backingSurface(hwnd);
  if (!backing) return;
  // WS_EX_LAYERED may have been added after creation.
  bool layered = (factsOf(hwnd).exStyle & WS_EX_LAYERED) != 0;
  {
    std::lock_guard<std::recursive_mutex> lock(displayMutex());
    Native* native = nativeLocked(hwnd);
    if (!native || !native->xsurface) return;
    layered = layered || native->layered;
  }
  if (layered) {
    // A layered window painted through WM_PAINT shows its backing with the
    // look its attributes give; one fed by UpdateLayeredWindow keeps the
    // look of its last update.
    LayeredLook look;
    if (!detail::layeredAttributesLook(hwnd, &look)) {
      std::lock_guard<std::recursive_mutex> lock(displayMutex());
      if (Native* native = nativeLocked(hwnd)) look = native->look;
    }
    presentLayered(hwnd, backing, look, clip);
    return;
  }
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  Native* native = nativeLocked(hwnd);
  if (!native || !native->xsurface) return;
  cairo_t* cr = cairo_create(native->xsurface);
  cairo_rectangle(cr, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
  cairo_clip(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, backing, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(native->xsurface);
  XFlush(x->dpy);
}

}  // namespace win32::display

namespace win32::display {

bool nativeGrabKeyboard(HWND hwnd) {
  XDisplay* x = activeDisplay();
  ::Window xid = x ? xidOf(hwnd) : 0;
  if (!xid) return false;
  // A freshly mapped window may not be viewable yet: try for a moment.
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (XGrabKeyboard(x->dpy, xid, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess)
      return true;
    XSync(x->dpy, False);
    usleep(2000);
  }
  return false;
}

void nativeUngrabKeyboard() {
  XDisplay* x = activeDisplay();
  if (!x) return;
  XUngrabKeyboard(x->dpy, CurrentTime);
  XFlush(x->dpy);
}

}  // namespace win32::display

unsigned long Win32XWindowOf(HWND hwnd) { return win32::display::xidOf(hwnd); }

BOOL Win32SetSkipTaskbar(HWND hwnd, BOOL skip) {
  using namespace win32::display;
  XDisplay* x = activeDisplay();
  if (!x) return FALSE;
  ::Window xid = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(displayMutex());
    Native* native = nativeLocked(hwnd);
    if (!native || native->child) return FALSE;
    native->skipTaskbar = skip != FALSE;
    xid = native->xid;
  }
  const LONG exStyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
  // The property for a window not mapped yet, the request for one that is.
  writeNetWmState(x, xid, exStyle);
  const bool toolWindow = (exStyle & WS_EX_TOOLWINDOW) && !(exStyle & WS_EX_APPWINDOW);
  if (skip || !toolWindow) sendNetWmState(x, xid, skip != FALSE, x->atoms.netWmStateSkipTaskbar, x->atoms.netWmStateSkipPager);
  else sendNetWmState(x, xid, false, x->atoms.netWmStateSkipPager, 0);
  XFlush(x->dpy);
  return TRUE;
}

void Win32SetIconSurfaceReader(Win32IconSurfaceReader reader) { win32::display::g_iconReader.store(reader); }

void win32::detail::windowStyleChanged(HWND hwnd, int index, LONG_PTR previous) {
  using namespace win32::display;
  XDisplay* x = activeDisplay();
  ::Window xid = x ? xidOf(hwnd) : 0;
  if (!xid) return;
  const TableFacts facts = factsOf(hwnd);
  if (!facts.found) return;
  if (index == GWL_STYLE) {
    nativePublishStyle(hwnd, facts.style);
    return;
  }
  if (index == GWLP_HWNDPARENT) {
    ::Window ownerX = facts.owner ? xidOf(facts.owner) : 0;
    if (ownerX) XSetTransientForHint(x->dpy, xid, ownerX);
    else XDeleteProperty(x->dpy, xid, XA_WM_TRANSIENT_FOR);
    XFlush(x->dpy);
    return;
  }
  const LONG before = static_cast<LONG>(previous), now = facts.exStyle;
  if ((before ^ now) & WS_EX_TOPMOST) {
    nativeSetTopmost(hwnd, (now & WS_EX_TOPMOST) != 0);
  } else if ((before ^ now) & (WS_EX_TOOLWINDOW | WS_EX_APPWINDOW)) {
    writeNetWmState(x, xid, now);
    sendNetWmState(x, xid, (now & WS_EX_TOOLWINDOW) && !(now & WS_EX_APPWINDOW),
                   x->atoms.netWmStateSkipTaskbar, 0);
  }
  if (((before ^ now) & WS_EX_TRANSPARENT) && x->hasShape) {
    if (now & WS_EX_TRANSPARENT) {
      XShapeCombineRectangles(x->dpy, xid, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
    } else {
      // The whole window takes input again.
      XShapeCombineMask(x->dpy, xid, ShapeInput, 0, 0, None, ShapeSet);
    }
  }
  XFlush(x->dpy);
}
