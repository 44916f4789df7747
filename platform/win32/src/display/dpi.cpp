// The display's DPI. X has no per-window DPI message: a desktop publishes a
// new Xft.dpi by rewriting the root's RESOURCE_MANAGER property, and the
// event reader turns that into WM_DPICHANGED for each visible top-level
// window, as a monitor change does on Windows.
#include "dpi.h"

#include <X11/Xatom.h>
#include <X11/Xresource.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "win32/messaging.h"
#include "win32/user32.h"

namespace win32::display {
namespace {

constexpr UINT kDefaultDpi = 96;

// Xft.dpi of a resource database text; 96 without one or out of range.
UINT dpiOfResources(const char* resources) {
  if (!resources || !*resources) return kDefaultDpi;
  XrmInitialize();
  XrmDatabase db = XrmGetStringDatabase(resources);
  if (!db) return kDefaultDpi;
  UINT dpi = kDefaultDpi;
  char* type = nullptr;
  XrmValue value{};
  if (XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
    const double parsed = std::strtod(value.addr, nullptr);
    if (parsed >= 48 && parsed <= 960) dpi = static_cast<UINT>(parsed + 0.5);
  }
  XrmDestroyDatabase(db);
  return dpi;
}

UINT startupDpi() {
  XDisplay* x = xdisplay();
  return x ? dpiOfResources(XResourceManagerString(x->dpy)) : kDefaultDpi;
}

// The root's RESOURCE_MANAGER as it stands now (Xlib's own copy is the one
// read when the connection opened).
std::string rootResources(XDisplay* x) {
  std::string text;
  long offset = 0;
  for (;;) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x->dpy, x->root, XA_RESOURCE_MANAGER, offset, 64 * 1024, False, XA_STRING, &type,
                           &format, &count, &after, &data) != Success) {
      break;
    }
    if (data && format == 8) text.append(reinterpret_cast<const char*>(data), count);
    if (data) XFree(data);
    if (format != 8 || after == 0) break;
    offset += static_cast<long>(count / 4);
  }
  return text;
}

// What windows were last told; 0 until the first change (the start-up DPI).
std::atomic<UINT> g_windowDpi{0};

UINT windowDpi() {
  const UINT dpi = g_windowDpi.load();
  return dpi ? dpi : Win32DisplayDpi();
}

}  // namespace

bool takeResourceDpiChange(XDisplay* x, UINT* before, UINT* now) {
  const UINT previous = windowDpi();
  const UINT current = dpiOfResources(rootResources(x).c_str());
  if (current == previous) return false;
  g_windowDpi = current;
  *before = previous;
  *now = current;
  return true;
}

void deliverDpiChange(HWND hwnd, UINT before, UINT now) {
  if (!before || !IsWindowVisible(hwnd) || (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) return;
  RECT rc{};
  if (!GetWindowRect(hwnd, &rc)) return;
  const LONG width = static_cast<LONG>(static_cast<long long>(rc.right - rc.left) * now / before);
  const LONG height = static_cast<LONG>(static_cast<long long>(rc.bottom - rc.top) * now / before);
  RECT suggested{rc.left, rc.top, rc.left + width, rc.top + height};
  SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(now, now), reinterpret_cast<LPARAM>(&suggested));
}

}  // namespace win32::display

using namespace win32::display;

UINT Win32DisplayDpi() {
  static const UINT dpi = startupDpi();
  return dpi;
}

UINT GetDpiForWindow(HWND hwnd) { return IsWindow(hwnd) ? windowDpi() : 0; }
