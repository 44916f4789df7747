// A size set right after the window is shown holds: the configures the
// server made on the way (the raise of the mapping, the echo of the first
// placement) are older than the last request and must not shrink the
// window back. Checked on both sides, the program's and the server's,
// with a real click near the far corner and the far corner's pixels.
#include "display_helper.h"

#include <X11/Xutil.h>

#include "gdi/GdiCairo.h"

namespace {

constexpr int kX = 220, kY = 170, kWidth = 240, kHeight = 160;

void installGdi() {
  static const Win32SurfaceDCFactory factory{
      [](void* surface) { return GdiCreateSurfaceDC(static_cast<cairo_surface_t*>(surface)); },
      [](HDC hdc) { return DeleteDC(hdc); },
      [](HDC hdc) -> void* { return GdiSurfaceOfDC(hdc); }};
  Win32SetSurfaceDCFactory(&factory);
}

// The server's idea of the window's size.
SIZE serverSize(HWND hwnd) {
  Display* d = userDisplay();
  XSync(d, False);
  ::Window root = 0;
  int x = 0, y = 0;
  unsigned w = 0, h = 0, border = 0, depth = 0;
  const ::Window xid = Win32XWindowOf(hwnd);
  if (!xid || !XGetGeometry(d, xid, &root, &x, &y, &w, &h, &border, &depth)) return SIZE{0, 0};
  return SIZE{static_cast<LONG>(w), static_cast<LONG>(h)};
}

TEST(WindowPlacement, ASizeSetRightAfterShowingHolds) {
  ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
  installGdi();
  RecordingClass cls(L"PlacementWindow");
  cls.handler = [](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != WM_PAINT) return std::nullopt;
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT client{};
    GetClientRect(hwnd, &client);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(hdc, &client, blue);
    DeleteObject(blue);
    EndPaint(hwnd, &ps);
    return 0;
  };
  for (int round = 0; round < 5; ++round) {
    // Made without a size, shown, then sized at once: as a framework host
    // made from a layout does.
    HWND hwnd = CreateWindowExW(0, cls.name(), L"placement", WS_POPUP, kX, kY, 0, 0, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    SetWindowPos(hwnd, nullptr, kX, kY, kWidth, kHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(waitViewable(hwnd));
    pumpFor(300);
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, kWidth) << "round " << round;
    EXPECT_EQ(client.bottom, kHeight) << "round " << round;
    const SIZE server = serverSize(hwnd);
    EXPECT_EQ(server.cx, kWidth);
    EXPECT_EQ(server.cy, kHeight);
    // The far corner is the window's: painted blue, and a click there
    // reaches it at that client point.
    ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + kWidth - 3, kY + kHeight - 3) == 0x0000FF; }, 3000))
        << std::hex << screenPixel(kX + kWidth - 3, kY + kHeight - 3);
    cls.clear();
    moveMouse(kX + kWidth - 5, kY + kHeight - 5);
    clickButton(Button1);
    std::vector<Seen> log;
    ASSERT_TRUE(pumpUntil([&] {
      for (const Seen& s : cls.take()) log.push_back(s);
      for (const Seen& s : log)
        if (s.message == WM_LBUTTONUP) return true;
      return false;
    }));
    for (const Seen& s : log) {
      if (s.message != WM_LBUTTONDOWN) continue;
      EXPECT_EQ(GET_X_LPARAM(s.lParam), kWidth - 5);
      EXPECT_EQ(GET_Y_LPARAM(s.lParam), kHeight - 5);
    }
    DestroyWindow(hwnd);
    pumpFor(50);
    moveMouse(5, 5);
  }
}

}  // namespace
