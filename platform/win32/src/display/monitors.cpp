// Monitors from XRandR, the work area from _NET_WORKAREA and system metrics.
// Headless, one 1920x1080 monitor stands in, so layout code still has a
// screen to place windows on.
#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "../user/placement.h"
#include "win32/user32.h"
#include "x_display.h"

namespace win32::display {
namespace {

struct Monitor {
  RECT rect;
  RECT work;
  bool primary;
};

constexpr RECT kHeadlessScreen{0, 0, 1920, 1080};

RECT screenRect(XDisplay* x) {
  if (!x) return kHeadlessScreen;
  return RECT{0, 0, DisplayWidth(x->dpy, x->screen), DisplayHeight(x->dpy, x->screen)};
}

// The desktop's work area (without panels); the whole screen when no
// window manager publishes one.
RECT desktopWorkArea(XDisplay* x) {
  RECT work = screenRect(x);
  if (!x) return work;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(x->dpy, x->root, x->atoms.netWorkarea, 0, 4, False, XA_CARDINAL, &type,
                         &format, &count, &after, &data) == Success &&
      data && format == 32 && count >= 4) {
    // Xlib hands 32-bit values over as longs; any other format is not a work area.
    const long* v = reinterpret_cast<const long*>(data);
    work = RECT{static_cast<LONG>(v[0]), static_cast<LONG>(v[1]), static_cast<LONG>(v[0] + v[2]),
                static_cast<LONG>(v[1] + v[3])};
  }
  if (data) XFree(data);
  return work;
}

std::vector<Monitor> monitors() {
  XDisplay* x = xdisplay();
  std::vector<Monitor> out;
  const RECT work = desktopWorkArea(x);
  if (x && x->hasRandr) {
    int count = 0;
    XRRMonitorInfo* infos = XRRGetMonitors(x->dpy, x->root, True, &count);
    for (int i = 0; i < count; ++i) {
      Monitor m{};
      m.rect = RECT{infos[i].x, infos[i].y, infos[i].x + infos[i].width, infos[i].y + infos[i].height};
      m.primary = infos[i].primary != 0;
      IntersectRect(&m.work, &m.rect, &work);
      if (IsRectEmpty(&m.work)) m.work = m.rect;
      out.push_back(m);
    }
    if (infos) XRRFreeMonitors(infos);
  }
  if (out.empty()) out.push_back(Monitor{screenRect(x), work, true});
  bool anyPrimary = false;
  for (const Monitor& m : out) anyPrimary = anyPrimary || m.primary;
  if (!anyPrimary) out.front().primary = true;
  // The primary monitor comes first: handle 1.
  for (size_t i = 1; i < out.size(); ++i) {
    if (out[i].primary) std::swap(out[0], out[i]);
  }
  return out;
}

HMONITOR handleOf(size_t index) { return reinterpret_cast<HMONITOR>(index + 1); }

LONG overlap(const RECT& a, const RECT& b) {
  RECT r{};
  if (!IntersectRect(&r, &a, &b)) return 0;
  return (r.right - r.left) * (r.bottom - r.top);
}

LONG distance(const RECT& r, POINT pt) {
  const LONG dx = pt.x < r.left ? r.left - pt.x : pt.x >= r.right ? pt.x - r.right + 1 : 0;
  const LONG dy = pt.y < r.top ? r.top - pt.y : pt.y >= r.bottom ? pt.y - r.bottom + 1 : 0;
  return dx * dx + dy * dy;
}

HMONITOR fromRect(const RECT& rect, DWORD flags) {
  const auto list = monitors();
  LONG best = 0;
  size_t bestIndex = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    const LONG area = overlap(list[i].rect, rect);
    if (area > best) {
      best = area;
      bestIndex = i;
    }
  }
  if (best > 0) return handleOf(bestIndex);
  if (flags == MONITOR_DEFAULTTONULL) return nullptr;
  if (flags == MONITOR_DEFAULTTOPRIMARY) return handleOf(0);
  const POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  LONG nearest = -1;
  for (size_t i = 0; i < list.size(); ++i) {
    const LONG d = distance(list[i].rect, centre);
    if (nearest < 0 || d < nearest) {
      nearest = d;
      bestIndex = i;
    }
  }
  return handleOf(bestIndex);
}

}  // namespace
}  // namespace win32::display

using namespace win32::display;

RECT win32::detail::workAreaFor(const RECT& rect) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcWork;
}

HMONITOR MonitorFromRect(LPCRECT lprc, DWORD dwFlags) {
  if (!lprc) return nullptr;
  return fromRect(*lprc, dwFlags);
}

HMONITOR MonitorFromPoint(POINT pt, DWORD dwFlags) {
  RECT r{pt.x, pt.y, pt.x + 1, pt.y + 1};
  return fromRect(r, dwFlags);
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD dwFlags) {
  RECT r{};
  if (!GetWindowRect(hwnd, &r)) return dwFlags == MONITOR_DEFAULTTONULL ? nullptr : fromRect(RECT{}, MONITOR_DEFAULTTOPRIMARY);
  if (IsRectEmpty(&r)) r.right = r.left + 1, r.bottom = r.top + 1;
  return fromRect(r, dwFlags);
}

BOOL GetMonitorInfoW(HMONITOR hMonitor, LPMONITORINFO lpmi) {
  if (!lpmi || lpmi->cbSize < sizeof(MONITORINFO)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto list = monitors();
  const auto index = reinterpret_cast<uintptr_t>(hMonitor);
  if (index < 1 || index > list.size()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const Monitor& m = list[index - 1];
  lpmi->rcMonitor = m.rect;
  lpmi->rcWork = m.work;
  lpmi->dwFlags = m.primary ? MONITORINFOF_PRIMARY : 0;
  return TRUE;
}

BOOL EnumDisplayMonitors(HDC, LPCRECT lprcClip, MONITORENUMPROC lpfnEnum, LPARAM dwData) {
  if (!lpfnEnum) return FALSE;
  const auto list = monitors();
  for (size_t i = 0; i < list.size(); ++i) {
    RECT r = list[i].rect;
    if (lprcClip && !IntersectRect(&r, &r, lprcClip)) continue;
    if (!lpfnEnum(reinterpret_cast<HMONITOR>(i + 1), nullptr, &r, dwData)) break;
  }
  return TRUE;
}

int GetSystemMetrics(int nIndex) {
  XDisplay* x = xdisplay();
  const RECT screen = screenRect(x);
  switch (nIndex) {
    case SM_CXSCREEN: return screen.right - screen.left;
    case SM_CYSCREEN: return screen.bottom - screen.top;
    case SM_CXVIRTUALSCREEN: return screen.right - screen.left;
    case SM_CYVIRTUALSCREEN: return screen.bottom - screen.top;
    case SM_XVIRTUALSCREEN:
    case SM_YVIRTUALSCREEN: return 0;
    case SM_CXFULLSCREEN:
    case SM_CYFULLSCREEN: {
      const RECT work = desktopWorkArea(x);
      return nIndex == SM_CXFULLSCREEN ? work.right - work.left : work.bottom - work.top;
    }
    case SM_CMONITORS: return static_cast<int>(monitors().size());
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return 17;
    case SM_CYCAPTION: return 23;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CYMENU: return 20;
    case SM_CXMIN: return 136;
    case SM_CYMIN: return 39;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_CXDRAG:
    case SM_CYDRAG: return 4;
    case SM_SERVERR2: return 0;
    default: return 0;
  }
}

BOOL SystemParametersInfoW(UINT uiAction, UINT, PVOID pvParam, UINT) {
  if (uiAction == SPI_GETWORKAREA && pvParam) {
    *static_cast<RECT*>(pvParam) = desktopWorkArea(xdisplay());
    return TRUE;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

UINT GetDoubleClickTime() { return 500; }
