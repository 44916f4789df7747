// Opening the X connection, the atoms, error trapping and the backend record.
#include "x_display.h"
#include "pointer_position.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../backend_hooks.h"
#include "event_routing.h"
#include "hooks.h"
#include "crt/utf8.h"
#include "win32/codepage.h"

namespace win32::display {
namespace {

std::once_flag g_openOnce;
XDisplay* g_display = nullptr;

// X reports errors through one process-wide handler; trapping is
// serialised so each trap sees only its own requests' errors.
std::recursive_mutex g_trapMutex;
std::atomic<int> g_trappedError{0};
int g_trapDepth = 0;
XErrorHandler g_previousHandler = nullptr;

int trapHandler(Display*, XErrorEvent* event) {
  int expected = 0;
  g_trappedError.compare_exchange_strong(expected, event->error_code);
  return 0;
}

// Errors outside a trap (a window destroyed by another client under us) are
// reported, never fatal.
int reportingHandler(Display* dpy, XErrorEvent* event) {
  char text[256] = {};
  XGetErrorText(dpy, event->error_code, text, sizeof text);
  std::fprintf(stderr, "display: X error %s (request %d)\n", text, event->request_code);
  return 0;
}

// The X server went away (it was stopped, or the connection broke). Xlib
// would end the process here; instead the backend is taken out and the
// process goes on without a display, so a recording in progress is not
// lost with the windows.
std::atomic<bool> g_lost{false};

void connectionLost(Display*, void*) {
  if (g_lost.exchange(true)) return;
  std::fprintf(stderr, "display: lost the X connection; continuing without windows\n");
  Win32SetDisplayBackend(nullptr);
}

int reportLostConnection(Display*) { return 0; }

Atom intern(Display* dpy, const char* name) { return XInternAtom(dpy, name, False); }

void internAtoms(XDisplay* x) {
  Display* d = x->dpy;
  Atoms& a = x->atoms;
  a.wmProtocols = intern(d, "WM_PROTOCOLS");
  a.wmDeleteWindow = intern(d, "WM_DELETE_WINDOW");
  a.wmState = intern(d, "WM_STATE");
  a.wmChangeState = intern(d, "WM_CHANGE_STATE");
  a.wmClass = XA_WM_CLASS;
  a.netWmName = intern(d, "_NET_WM_NAME");
  a.utf8String = intern(d, "UTF8_STRING");
  a.netWmState = intern(d, "_NET_WM_STATE");
  a.netWmStateAbove = intern(d, "_NET_WM_STATE_ABOVE");
  a.netWmStateSkipTaskbar = intern(d, "_NET_WM_STATE_SKIP_TASKBAR");
  a.netWmStateSkipPager = intern(d, "_NET_WM_STATE_SKIP_PAGER");
  a.netWmStateHidden = intern(d, "_NET_WM_STATE_HIDDEN");
  a.netWmStateMaximizedVert = intern(d, "_NET_WM_STATE_MAXIMIZED_VERT");
  a.netWmStateMaximizedHorz = intern(d, "_NET_WM_STATE_MAXIMIZED_HORZ");
  a.netActiveWindow = intern(d, "_NET_ACTIVE_WINDOW");
  a.netWmMoveResize = intern(d, "_NET_WM_MOVERESIZE");
  a.netWorkarea = intern(d, "_NET_WORKAREA");
  a.netSupported = intern(d, "_NET_SUPPORTED");
  a.netSupportingWmCheck = intern(d, "_NET_SUPPORTING_WM_CHECK");
  a.netWmWindowType = intern(d, "_NET_WM_WINDOW_TYPE");
  a.netWmWindowTypeNormal = intern(d, "_NET_WM_WINDOW_TYPE_NORMAL");
  a.netWmWindowTypeUtility = intern(d, "_NET_WM_WINDOW_TYPE_UTILITY");
  a.netWmWindowTypePopupMenu = intern(d, "_NET_WM_WINDOW_TYPE_POPUP_MENU");
  a.netWmWindowTypeTooltip = intern(d, "_NET_WM_WINDOW_TYPE_TOOLTIP");
  a.netWmWindowOpacity = intern(d, "_NET_WM_WINDOW_OPACITY");
  a.netWmPid = intern(d, "_NET_WM_PID");
  a.netWmIcon = intern(d, "_NET_WM_ICON");
  a.motifWmHints = intern(d, "_MOTIF_WM_HINTS");
  a.clipboard = intern(d, "CLIPBOARD");
  a.targets = intern(d, "TARGETS");
  a.incr = intern(d, "INCR");
  a.text = intern(d, "TEXT");
  a.clipboardProperty = intern(d, "_QUORVALE_CLIPBOARD");
  a.win32Message = intern(d, "_QUORVALE_WIN32_MESSAGE");
  a.win32Style = intern(d, "_QUORVALE_WIN32_STYLE");
  a.win32Process = intern(d, "_QUORVALE_WIN32_PROCESS");
  a.win32Operation = intern(d, "_QUORVALE_WIN32_OPERATION");
  a.serverTime = intern(d, "_QUORVALE_SERVER_TIME");
  a.dpiChanged = intern(d, "_QUORVALE_DPI_CHANGED");
}

void findArgbVisual(XDisplay* x) {
  XVisualInfo wanted{};
  wanted.screen = x->screen;
  wanted.depth = 32;
  wanted.c_class = TrueColor;
  int count = 0;
  XVisualInfo* infos =
      XGetVisualInfo(x->dpy, VisualScreenMask | VisualDepthMask | VisualClassMask, &wanted, &count);
  for (int i = 0; i < count; ++i) {
    if (infos[i].red_mask == 0xff0000 && infos[i].green_mask == 0xff00 &&
        infos[i].blue_mask == 0xff) {
      x->argbVisual = infos[i].visual;
      x->argbColormap = XCreateColormap(x->dpy, x->root, x->argbVisual, AllocNone);
      break;
    }
  }
  if (infos) XFree(infos);
}

void open() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return;
  XInitThreads();
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) {
    std::fprintf(stderr, "display: cannot open X display %s; running without windows\n", name);
    return;
  }
  auto* x = new XDisplay();
  x->dpy = dpy;
  x->screen = DefaultScreen(dpy);
  x->root = RootWindow(dpy, x->screen);
  x->fd = ConnectionNumber(dpy);
  g_previousHandler = XSetErrorHandler(reportingHandler);
  XSetIOErrorHandler(reportLostConnection);
  XSetIOErrorExitHandler(dpy, connectionLost, nullptr);
  internAtoms(x);
  int event = 0, error = 0;
  x->hasShape = XShapeQueryExtension(dpy, &event, &error);
  x->hasRandr = XRRQueryExtension(dpy, &event, &error);
  x->randrEventBase = event;
  findArgbVisual(x);
  // Input methods follow the locale's character set; UTF-8 text is asked
  // for explicitly, so any UTF-8 locale (or C.UTF-8) serves.
  if (!XSupportsLocale()) std::fprintf(stderr, "display: locale not supported by Xlib\n");
  XSetLocaleModifiers("");
  // A held key repeats as presses only, as Windows repeats WM_KEYDOWN.
  Bool detectable = False;
  XkbSetDetectableAutoRepeat(dpy, True, &detectable);
  x->im = XOpenIM(dpy, nullptr, nullptr, nullptr);
  XSetWindowAttributes attributes{};
  attributes.event_mask = PropertyChangeMask;
  x->helper = XCreateWindow(dpy, x->root, -10, -10, 1, 1, 0, CopyFromParent, InputOnly,
                            CopyFromParent, CWEventMask, &attributes);
  // Hot keys arrive as key events on the root window.
  XSelectInput(dpy, x->root, KeyPressMask | PropertyChangeMask);
  // Monitors added, removed or resized: every top-level window hears of it.
  if (x->hasRandr) XRRSelectInput(dpy, x->root, RRScreenChangeNotifyMask);
  x->hasRawMotion = watchPointerMotion(x);
  XFlush(dpy);
  g_display = x;

  Win32DisplayBackend backend{};
  backend.fd = x->fd;
  backend.pump = pumpEvents;
  backend.pumpQueued = pumpQueuedEvents;
  backend.windowCreated = nativeWindowCreated;
  backend.windowDestroyed = nativeWindowDestroyed;
  backend.windowTextChanged = nativeTitleChanged;
  backend.findForeignWindow = findForeign;
  backend.translate = translateKey;
  backend.isForeignWindow = isForeign;
  backend.postForeign = postToForeign;
  backend.context = x;
  Win32SetDisplayBackend(&backend);
  startInputReader(x);
}

}  // namespace

XDisplay* xdisplay() {
  // Another backend installed first (tests of the hooks) keeps its place.
  std::call_once(g_openOnce, [] {
    if (!win32::detail::displayBackend()) open();
  });
  return g_lost.load() ? nullptr : g_display;
}

XDisplay* activeDisplay() {
  const Win32DisplayBackend* backend = win32::detail::displayBackend();
  if (!g_display || g_lost.load() || !backend || backend->context != g_display) return nullptr;
  return g_display;
}

std::recursive_mutex& displayMutex() {
  static std::recursive_mutex* mutex = new std::recursive_mutex();
  return *mutex;
}

int trapBegin(XDisplay* x) {
  g_trapMutex.lock();
  if (g_trapDepth++ == 0) {
    XSync(x->dpy, False);
    g_trappedError = 0;
    XSetErrorHandler(trapHandler);
  }
  return 0;
}

int trapEnd(XDisplay* x) {
  XSync(x->dpy, False);
  const int error = g_trappedError.load();
  if (--g_trapDepth == 0) XSetErrorHandler(reportingHandler);
  g_trapMutex.unlock();
  // The round trip may have moved events from the socket into Xlib's
  // queue, where a thread waiting on the socket would not see them.
  if (XEventsQueued(x->dpy, QueuedAlready) > 0) wakeEventReaders();
  return error;
}

bool windowManagerRunning(XDisplay* x) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool running = false;
  if (XGetWindowProperty(x->dpy, x->root, x->atoms.netSupportingWmCheck, 0, 1, False, XA_WINDOW,
                         &type, &format, &count, &after, &data) == Success &&
      data && format == 32 && count == 1) {
    running = true;
  }
  if (data) XFree(data);
  return running;
}

bool compositorRunning(XDisplay* x) {
  char name[32];
  std::snprintf(name, sizeof name, "_NET_WM_CM_S%d", x->screen);
  return XGetSelectionOwner(x->dpy, XInternAtom(x->dpy, name, False)) != 0;
}

Time serverTime(XDisplay* x) {
  // The display lock keeps the event readers of other threads away until
  // our own notification has been taken from the queue.
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  unsigned char nothing = 0;
  XChangeProperty(x->dpy, x->helper, x->atoms.serverTime, XA_CARDINAL, 32, PropModeAppend, &nothing, 0);
  // The server sends the notification before it answers the sync.
  XSync(x->dpy, False);
  XEvent event;
  auto isOurs = [](Display*, XEvent* e, XPointer arg) -> Bool {
    auto* own = reinterpret_cast<XDisplay*>(arg);
    return e->type == PropertyNotify && e->xproperty.window == own->helper &&
           e->xproperty.atom == own->atoms.serverTime;
  };
  if (XCheckIfEvent(x->dpy, &event, isOurs, reinterpret_cast<XPointer>(x))) return event.xproperty.time;
  return CurrentTime;
}

std::string toUtf8(const std::wstring& text) { return crt::WideToUtf8(text); }

std::wstring fromUtf8(const std::string& text) { return crt::Utf8ToWide(text); }

}  // namespace win32::display

BOOL Win32HasDisplay() { return win32::display::xdisplay() ? TRUE : FALSE; }
