// Times UpdateLayeredWindowIndirect on an 800 x 600 layered window, a full
// update against a 300 x 60 dirty rectangle, on the X server of $DISPLAY
// (without a compositor the shape mask is rebuilt from the alpha too).
// Each update ends with a round trip, so the server's work is counted.
// Prints milliseconds per update.
#include <cairo.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>

#include "gdi/gdi.h"
#include "win32/windows.h"

namespace {

constexpr int kW = 800, kH = 600;

double MsPerUpdate(int updates, const std::function<void(int)>& update) {
  update(0);  // warm-up
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 1; i <= updates; ++i) update(i);
  const auto t1 = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(t1 - t0).count() / updates;
}

// A rounded panel with a soft edge: a shape worth cutting.
cairo_surface_t* Panel() {
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kW, kH);
  cairo_t* cr = cairo_create(image);
  const double r = 40;
  cairo_new_sub_path(cr);
  cairo_arc(cr, kW - r, r, r, -M_PI / 2, 0);
  cairo_arc(cr, kW - r, kH - r, r, 0, M_PI / 2);
  cairo_arc(cr, r, kH - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, r, r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
  cairo_set_source_rgba(cr, 0.2, 0.4, 0.8, 0.9);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_flush(image);
  return image;
}

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int main() {
  if (!Win32HasDisplay()) {
    std::fprintf(stderr, "layered_bench: no X display (set DISPLAY)\n");
    return 1;
  }
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Proc;
  wc.lpszClassName = L"LayeredBench";
  RegisterClassExW(&wc);
  HWND hwnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, L"LayeredBench", L"bench",
                              WS_POPUP, 40, 40, kW, kH, nullptr, nullptr, nullptr, nullptr);
  cairo_surface_t* image = Panel();
  HDC source = Win32CreateSurfaceDC(image);
  UPDATELAYEREDWINDOWINFO info{};
  info.cbSize = sizeof info;
  info.hdcSrc = source;
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  info.pblend = &blend;
  info.dwFlags = ULW_ALPHA;
  UpdateLayeredWindowIndirect(hwnd, &info);
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);

  POINT roundTrip{};
  auto update = [&](const RECT* dirty) {
    info.prcDirty = dirty;
    UpdateLayeredWindowIndirect(hwnd, &info);
    GetCursorPos(&roundTrip);  // a round trip: the server has done the update
  };
  const int updates = 200;
  const double full = MsPerUpdate(updates, [&](int) { update(nullptr); });
  const RECT strip{250, 270, 550, 330};
  const double part = MsPerUpdate(updates, [&](int) { update(&strip); });
  std::printf("layered window %dx%d, %d updates each\n", kW, kH, updates);
  std::printf("  full update:          %.3f ms\n", full);
  std::printf("  300x60 dirty update:  %.3f ms\n", part);
  Win32DeleteSurfaceDC(source);
  cairo_surface_destroy(image);
  DestroyWindow(hwnd);
  return 0;
}
