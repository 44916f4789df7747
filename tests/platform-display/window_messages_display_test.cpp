// A window made with CreateWindowExW on the X server: the messages of a
// scripted session arrive in Windows order with Windows parameters, and
// what WM_PAINT draws shows on screen where it should.
#include "display_helper.h"

#include <X11/keysym.h>

#include <algorithm>

#include "gdi/GdiCairo.h"

namespace {

constexpr int kX = 200, kY = 150, kWidth = 300, kHeight = 200;
const RECT kRed{20, 30, 120, 80};

void installGdi() {
  static const Win32SurfaceDCFactory factory{
      [](void* surface) { return GdiCreateSurfaceDC(static_cast<cairo_surface_t*>(surface)); },
      [](HDC hdc) { return DeleteDC(hdc); },
      [](HDC hdc) -> void* { return GdiSurfaceOfDC(hdc); }};
  Win32SetSurfaceDCFactory(&factory);
}

// True when `expected` appears in `seen` in this order (other messages may
// come in between).
bool inOrder(const std::vector<UINT>& seen, const std::vector<UINT>& expected) {
  size_t next = 0;
  for (UINT m : seen) {
    if (next < expected.size() && m == expected[next]) ++next;
  }
  return next == expected.size();
}

std::vector<UINT> messages(const std::vector<Seen>& seen) {
  std::vector<UINT> out;
  for (const Seen& s : seen) out.push_back(s.message);
  return out;
}

const Seen* find(const std::vector<Seen>& seen, UINT message, size_t nth = 0) {
  for (const Seen& s : seen) {
    if (s.message == message && nth-- == 0) return &s;
  }
  return nullptr;
}

bool has(RecordingClass& cls, std::vector<Seen>& log, UINT message) {
  for (const Seen& s : cls.take()) log.push_back(s);
  return find(log, message) != nullptr;
}

class WindowSession : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    installGdi();
    cls_.handler = [this](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message != WM_PAINT) return std::nullopt;
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(hwnd, &ps);
      RECT client{};
      GetClientRect(hwnd, &client);
      HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
      HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
      FillRect(hdc, &client, white);
      FillRect(hdc, &kRed, red);
      DeleteObject(white);
      DeleteObject(red);
      EndPaint(hwnd, &ps);
      ++paints_;
      return 0;
    };
  }
  RecordingClass cls_{L"SessionWindow", CS_DBLCLKS};
  int paints_ = 0;
};

TEST_F(WindowSession, ScriptedSessionArrivesInWindowsOrder) {
  HWND hwnd = CreateWindowExW(0, cls_.name(), L"会话", WS_POPUP, kX, kY, kWidth, kHeight, nullptr,
                              nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_TRUE(inOrder(messages(cls_.take()), {WM_NCCREATE, WM_CREATE}));

  // Show: the show notice, activation (with the focus from WM_ACTIVATE),
  // then the first size and position.
  ShowWindow(hwnd, SW_SHOW);
  auto shown = cls_.take();
  EXPECT_TRUE(inOrder(messages(shown), {WM_SHOWWINDOW, WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE,
                                        WM_SETFOCUS, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE}));
  ASSERT_NE(find(shown, WM_SIZE), nullptr);
  EXPECT_EQ(find(shown, WM_SIZE)->lParam, MAKELPARAM(kWidth, kHeight));
  EXPECT_EQ(find(shown, WM_MOVE)->lParam, MAKELPARAM(kX, kY));
  EXPECT_EQ(GetActiveWindow(), hwnd);
  EXPECT_EQ(GetFocus(), hwnd);
  ASSERT_TRUE(waitViewable(hwnd));
  ASSERT_TRUE(pumpUntil([&] { return paints_ > 0 && screenPixel(kX + 50, kY + 50) == 0xFF0000; }));
  EXPECT_EQ(screenPixel(kX + kRed.left, kY + kRed.top), 0xFF0000UL);
  EXPECT_EQ(screenPixel(kX + kRed.right - 1, kY + kRed.bottom - 1), 0xFF0000UL);
  EXPECT_EQ(screenPixel(kX + kRed.right, kY + kRed.top), 0xFFFFFFUL);
  EXPECT_EQ(screenPixel(kX + kRed.left, kY + kRed.bottom), 0xFFFFFFUL);

  // Move: changing and changed, then WM_MOVE; no WM_SIZE for a pure move.
  const int nx = kX + 40, ny = kY + 30;
  MoveWindow(hwnd, nx, ny, kWidth, kHeight, TRUE);
  auto moved = cls_.take();
  EXPECT_TRUE(inOrder(messages(moved), {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE}));
  EXPECT_EQ(find(moved, WM_SIZE), nullptr);
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect.left, nx);
  EXPECT_EQ(rect.top, ny);
  EXPECT_TRUE(pumpUntil([&] { return screenPixel(nx + 50, ny + 50) == 0xFF0000; }));

  // Click: hit test and cursor first, then down and up in client coordinates.
  std::vector<Seen> log;
  moveMouse(nx + 60, ny + 70);
  clickButton(Button1);
  ASSERT_TRUE(pumpUntil([&] { return has(cls_, log, WM_LBUTTONUP); }));
  EXPECT_TRUE(inOrder(messages(log), {WM_NCHITTEST, WM_SETCURSOR, WM_LBUTTONDOWN, WM_LBUTTONUP}));
  const Seen* down = find(log, WM_LBUTTONDOWN);
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(GET_X_LPARAM(down->lParam), 60);
  EXPECT_EQ(GET_Y_LPARAM(down->lParam), 70);
  EXPECT_EQ(down->wParam & MK_LBUTTON, static_cast<WPARAM>(MK_LBUTTON));
  EXPECT_EQ(find(log, WM_LBUTTONUP)->wParam & MK_LBUTTON, 0u);

  // Double click, after the double-click time has passed since that click.
  pumpFor(600);
  cls_.clear();
  log.clear();
  clickButton(Button1);
  clickButton(Button1);
  ASSERT_TRUE(pumpUntil([&] { return has(cls_, log, WM_LBUTTONDBLCLK) && find(log, WM_LBUTTONUP, 1); }));
  auto clicks = messages(log);
  std::erase_if(clicks, [](UINT m) { return m < WM_MOUSEFIRST || m > WM_MOUSELAST || m == WM_MOUSEMOVE; });
  EXPECT_EQ(clicks, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}));

  // Ctrl+A: key-downs as virtual keys, the control character from
  // TranslateMessage, key-ups with the transition bits.
  log.clear();
  pressKey(XK_Control_L);
  tapKey(XK_a);
  releaseKey(XK_Control_L);
  ASSERT_TRUE(pumpUntil([&] {
    has(cls_, log, WM_KEYUP);
    return find(log, WM_KEYUP, 1) != nullptr;
  }));
  std::vector<std::pair<UINT, WPARAM>> keys;
  for (const Seen& s : log) {
    if (s.message >= WM_KEYFIRST && s.message <= WM_KEYLAST) keys.emplace_back(s.message, s.wParam);
  }
  EXPECT_EQ(keys, (std::vector<std::pair<UINT, WPARAM>>{{WM_KEYDOWN, VK_CONTROL},
                                                         {WM_KEYDOWN, 'A'},
                                                         {WM_CHAR, 0x01},
                                                         {WM_KEYUP, 'A'},
                                                         {WM_KEYUP, VK_CONTROL}}));
  const Seen* keyUp = find(log, WM_KEYUP);
  EXPECT_NE(keyUp->lParam & (1L << 31), 0);
  EXPECT_NE(keyUp->lParam & (1L << 30), 0);

  // Alt+X comes as the SYS forms.
  log.clear();
  pressKey(XK_Alt_L);
  tapKey(XK_x);
  releaseKey(XK_Alt_L);
  ASSERT_TRUE(pumpUntil([&] {
    has(cls_, log, WM_KEYUP);
    return find(log, WM_SYSKEYUP) != nullptr || find(log, WM_KEYUP) != nullptr;
  }));
  pumpFor(100);
  has(cls_, log, WM_NULL);
  const Seen* sysDown = find(log, WM_SYSKEYDOWN, 1);
  ASSERT_NE(sysDown, nullptr);
  EXPECT_EQ(sysDown->wParam, static_cast<WPARAM>('X'));
  EXPECT_NE(sysDown->lParam & (1L << 29), 0);
  EXPECT_NE(find(log, WM_SYSCHAR), nullptr);

  // Wheel: one notch up is +120 in the high word, screen coordinates.
  log.clear();
  clickButton(Button4);
  ASSERT_TRUE(pumpUntil([&] { return has(cls_, log, WM_MOUSEWHEEL); }));
  const Seen* wheel = find(log, WM_MOUSEWHEEL);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel->wParam), WHEEL_DELTA);
  EXPECT_EQ(GET_X_LPARAM(wheel->lParam), nx + 60);
  EXPECT_EQ(GET_Y_LPARAM(wheel->lParam), ny + 70);
  log.clear();
  clickButton(Button5);
  ASSERT_TRUE(pumpUntil([&] { return has(cls_, log, WM_MOUSEWHEEL); }));
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(find(log, WM_MOUSEWHEEL)->wParam), -WHEEL_DELTA);

  // Close from the window manager: WM_DELETE_WINDOW becomes SC_CLOSE, then
  // WM_CLOSE, and DefWindowProcW destroys the window.
  log.clear();
  Display* d = userDisplay();
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = Win32XWindowOf(hwnd);
  event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  XSendEvent(d, event.xclient.window, False, NoEventMask, &event);
  XSync(d, False);
  ASSERT_TRUE(pumpUntil([&] { return !IsWindow(hwnd); }));
  has(cls_, log, WM_NULL);
  EXPECT_TRUE(inOrder(messages(log), {WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
  EXPECT_EQ(find(log, WM_SYSCOMMAND)->wParam, static_cast<WPARAM>(SC_CLOSE));
}

TEST_F(WindowSession, ClickActivatesUnlessThePopupDeclines) {
  HWND first = CreateWindowExW(0, cls_.name(), L"first", WS_POPUP | WS_VISIBLE, 100, 100, 150, 100,
                               nullptr, nullptr, nullptr, nullptr);
  HWND popup = CreateWindowExW(WS_EX_TOOLWINDOW, cls_.name(), L"drop-down", WS_POPUP, 300, 100, 150,
                               100, nullptr, nullptr, nullptr, nullptr);
  ShowWindow(popup, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(waitViewable(first));
  ASSERT_TRUE(waitViewable(popup));
  ASSERT_EQ(GetActiveWindow(), first);
  auto handler = cls_.handler;
  cls_.handler = [&](HWND hwnd, UINT message, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    if (message == WM_MOUSEACTIVATE && hwnd == popup) return MA_NOACTIVATE;
    return handler(hwnd, message, w, l);
  };
  // The pop-up declines: it gets the click, the active window stays.
  std::vector<Seen> log;
  moveMouse(350, 150);
  clickButton(Button1);
  ASSERT_TRUE(pumpUntil([&] { return has(cls_, log, WM_LBUTTONUP); }));
  ASSERT_NE(find(log, WM_MOUSEACTIVATE), nullptr);
  EXPECT_EQ(find(log, WM_MOUSEACTIVATE)->hwnd, popup);
  EXPECT_EQ(HIWORD(find(log, WM_MOUSEACTIVATE)->lParam), WM_LBUTTONDOWN);
  EXPECT_EQ(find(log, WM_LBUTTONDOWN)->hwnd, popup);
  EXPECT_EQ(GetActiveWindow(), first);
  EXPECT_EQ(GetFocus(), first);

  // A plain window is activated by the click, before the click arrives.
  HWND second = CreateWindowExW(0, cls_.name(), L"second", WS_POPUP, 100, 300, 150, 100, nullptr,
                                nullptr, nullptr, nullptr);
  ShowWindow(second, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(waitViewable(second));
  pumpFor(600);
  cls_.clear();
  log.clear();
  moveMouse(150, 350);
  clickButton(Button1);
  ASSERT_TRUE(pumpUntil([&] { return has(cls_, log, WM_LBUTTONUP); }));
  std::vector<UINT> order;
  for (const Seen& s : log) {
    if (s.hwnd == second && (s.message == WM_MOUSEACTIVATE || s.message == WM_ACTIVATE ||
                             s.message == WM_SETFOCUS || s.message == WM_LBUTTONDOWN))
      order.push_back(s.message);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_MOUSEACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_LBUTTONDOWN}));
  EXPECT_EQ(LOWORD(find(log, WM_ACTIVATE, 1)->wParam), WA_CLICKACTIVE);
  EXPECT_EQ(GetActiveWindow(), second);
  DestroyWindow(second);
  DestroyWindow(popup);
  DestroyWindow(first);
}

TEST_F(WindowSession, DisabledWindowTakesNoClicks) {
  HWND hwnd = CreateWindowExW(0, cls_.name(), L"modal owner", WS_POPUP | WS_VISIBLE, 100, 100, 200,
                              120, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(waitViewable(hwnd));
  EnableWindow(hwnd, FALSE);
  EXPECT_FALSE(IsWindowEnabled(hwnd));
  cls_.clear();
  moveMouse(150, 150);
  clickButton(Button1);
  pumpFor(300);
  const auto seen = cls_.messagesOf({WM_LBUTTONDOWN, WM_LBUTTONUP});
  EXPECT_TRUE(seen.empty());
  EnableWindow(hwnd, TRUE);
  clickButton(Button1);
  std::vector<Seen> log;
  EXPECT_TRUE(pumpUntil([&] { return has(cls_, log, WM_LBUTTONUP); }));
  DestroyWindow(hwnd);
}

TEST_F(WindowSession, CaptureSeesClicksOutsideAndMouseLeaveFollowsTracking) {
  HWND hwnd = CreateWindowExW(0, cls_.name(), L"capture", WS_POPUP | WS_VISIBLE, 300, 300, 100, 80,
                              nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(waitViewable(hwnd));
  moveMouse(320, 320);
  std::vector<Seen> log;
  ASSERT_TRUE(pumpUntil([&] { return has(cls_, log, WM_MOUSEMOVE); }));
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
  ASSERT_TRUE(TrackMouseEvent(&track));
  log.clear();
  moveMouse(700, 700);
  ASSERT_TRUE(pumpUntil([&] { return has(cls_, log, WM_MOUSELEAVE); }));
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const Seen& s) { return s.message == WM_MOUSELEAVE; }), 1);

  // With the capture a click far outside arrives in client coordinates.
  SetCapture(hwnd);
  log.clear();
  clickButton(Button1);
  ASSERT_TRUE(pumpUntil([&] { return has(cls_, log, WM_LBUTTONDOWN); }));
  const Seen* down = find(log, WM_LBUTTONDOWN);
  EXPECT_EQ(GET_X_LPARAM(down->lParam), 400);
  EXPECT_EQ(GET_Y_LPARAM(down->lParam), 400);
  HWND other = CreateWindowExW(0, cls_.name(), L"other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
  log.clear();
  SetCapture(other);
  has(cls_, log, WM_NULL);
  const Seen* changed = find(log, WM_CAPTURECHANGED);
  ASSERT_NE(changed, nullptr);
  EXPECT_EQ(changed->hwnd, hwnd);
  EXPECT_EQ(reinterpret_cast<HWND>(changed->lParam), other);
  ReleaseCapture();
  DestroyWindow(other);
  DestroyWindow(hwnd);
}

}  // namespace
