// Window management on the X server: caption drags and frame hit codes
// move and size a frameless window, z-order and taskbar hints reach the
// window manager's properties, monitors come from the server, and a
// message box is a modal window answered by keys.
#include "display_helper.h"

#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace {

std::vector<Atom> netWmState(::Window xid) {
  Display* d = userDisplay();
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<Atom> out;
  if (XGetWindowProperty(d, xid, XInternAtom(d, "_NET_WM_STATE", False), 0, 32, False, XA_ATOM,
                         &type, &format, &count, &after, &data) == Success && data) {
    const Atom* atoms = reinterpret_cast<const Atom*>(data);
    out.assign(atoms, atoms + count);
  }
  if (data) XFree(data);
  return out;
}

bool hasState(::Window xid, const char* name) {
  const Atom wanted = XInternAtom(userDisplay(), name, False);
  for (Atom a : netWmState(xid)) {
    if (a == wanted) return true;
  }
  return false;
}

// Position of a window among the root's children: higher is above.
int stackIndex(::Window xid) {
  Display* d = userDisplay();
  ::Window root, parent, *children = nullptr;
  unsigned count = 0;
  XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count);
  int index = -1;
  for (unsigned i = 0; i < count; ++i) {
    if (children[i] == xid) index = static_cast<int>(i);
  }
  if (children) XFree(children);
  return index;
}

class WindowManagement : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    cls_.handler = [this](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
      if (message == WM_NCHITTEST) {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(hwnd_, &pt);
        RECT client{};
        GetClientRect(hwnd_, &client);
        if (pt.x >= client.right - 8 && pt.y >= client.bottom - 8) return HTBOTTOMRIGHT;
        if (pt.y < 20) return HTCAPTION;
        return HTCLIENT;
      }
      return std::nullopt;
    };
  }
  void TearDown() override {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }
  HWND make(DWORD exStyle, int x, int y, int w, int h) {
    hwnd_ = CreateWindowExW(exStyle, cls_.name(), L"managed", WS_POPUP, x, y, w, h, nullptr,
                            nullptr, nullptr, nullptr);
    return hwnd_;
  }
  RecordingClass cls_{L"ManagedWindow"};
  HWND hwnd_ = nullptr;
};

TEST_F(WindowManagement, CaptionDragMovesAndCornerDragSizes) {
  make(0, 100, 100, 200, 150);
  ShowWindow(hwnd_, SW_SHOW);
  ASSERT_TRUE(waitViewable(hwnd_));
  moveMouse(150, 110);  // in the caption band
  pumpFor(50);
  XTestFakeButtonEvent(userDisplay(), Button1, True, CurrentTime);
  XSync(userDisplay(), False);
  std::atomic<bool> released{false};
  std::thread user([&] {
    usleep(150000);
    moveMouse(190, 140);
    usleep(50000);
    moveMouse(230, 170);
    usleep(100000);
    XTestFakeButtonEvent(userDisplay(), Button1, False, CurrentTime);
    XSync(userDisplay(), False);
    released = true;
  });
  RECT rect{};
  const bool moved = pumpUntil([&] {
    GetWindowRect(hwnd_, &rect);
    return released && rect.left == 180 && rect.top == 160;
  });
  user.join();
  EXPECT_TRUE(moved) << rect.left << "," << rect.top;
  EXPECT_EQ(rect.right - rect.left, 200);
  EXPECT_EQ(GetCapture(), nullptr);

  // The bottom-right corner sizes the window.
  cls_.clear();
  moveMouse(rect.right - 3, rect.bottom - 3);
  pumpFor(50);
  XTestFakeButtonEvent(userDisplay(), Button1, True, CurrentTime);
  XSync(userDisplay(), False);
  const POINT corner{rect.right - 3, rect.bottom - 3};
  released = false;
  std::thread sizer([&] {
    usleep(150000);
    moveMouse(corner.x + 40, corner.y + 30);
    usleep(100000);
    XTestFakeButtonEvent(userDisplay(), Button1, False, CurrentTime);
    XSync(userDisplay(), False);
    released = true;
  });
  const bool sized = pumpUntil([&] {
    GetWindowRect(hwnd_, &rect);
    return released && rect.right - rect.left == 240 && rect.bottom - rect.top == 180;
  });
  sizer.join();
  EXPECT_TRUE(sized) << rect.right - rect.left << "x" << rect.bottom - rect.top;
  bool sawSize = false;
  for (const Seen& s : cls_.take()) {
    if (s.message == WM_SIZE && s.lParam == MAKELPARAM(240, 180)) sawSize = true;
  }
  EXPECT_TRUE(sawSize);
  XWindowAttributes attributes{};
  XGetWindowAttributes(userDisplay(), Win32XWindowOf(hwnd_), &attributes);
  EXPECT_EQ(attributes.width, 240);
  EXPECT_EQ(attributes.height, 180);
}

TEST_F(WindowManagement, QuickMovesEndWhereTheLastOnePutTheWindow) {
  make(0, 100, 100, 120, 90);
  ShowWindow(hwnd_, SW_SHOWNA);
  ASSERT_TRUE(waitViewable(hwnd_));
  cls_.clear();
  for (int i = 1; i <= 10; ++i) MoveWindow(hwnd_, 100 + 10 * i, 100, 120 + i, 90, TRUE);
  pumpFor(300);
  RECT rect{};
  GetWindowRect(hwnd_, &rect);
  EXPECT_EQ(rect.left, 200);
  EXPECT_EQ(rect.right - rect.left, 130);
  // Each move reported once, in order; the server's echoes add nothing.
  std::vector<LPARAM> moves;
  for (const Seen& s : cls_.take()) {
    if (s.message == WM_MOVE) moves.push_back(s.lParam);
  }
  ASSERT_EQ(moves.size(), 10u);
  EXPECT_EQ(moves.back(), MAKELPARAM(200, 100));
  XWindowAttributes attributes{};
  XGetWindowAttributes(userDisplay(), Win32XWindowOf(hwnd_), &attributes);
  EXPECT_EQ(attributes.x, 200);
  EXPECT_EQ(attributes.width, 130);
}

TEST_F(WindowManagement, TransparentWindowLetsClicksThrough) {
  make(0, 500, 400, 100, 100);
  ShowWindow(hwnd_, SW_SHOWNA);
  HWND glass = CreateWindowExW(WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, cls_.name(),
                               L"drag image", WS_POPUP, 520, 420, 60, 60, nullptr, nullptr, nullptr,
                               nullptr);
  ShowWindow(glass, SW_SHOWNA);
  ASSERT_TRUE(waitViewable(hwnd_));
  ASSERT_TRUE(waitViewable(glass));
  cls_.clear();
  moveMouse(550, 450);
  clickButton(Button1);
  std::vector<HWND> clicked;
  ASSERT_TRUE(pumpUntil([&] {
    for (const Seen& s : cls_.take()) {
      if (s.message == WM_LBUTTONDOWN) clicked.push_back(s.hwnd);
    }
    return !clicked.empty();
  }));
  EXPECT_EQ(clicked, std::vector<HWND>{hwnd_});
  DestroyWindow(glass);
}

TEST_F(WindowManagement, ZOrderAndTaskbarHints) {
  make(WS_EX_TOOLWINDOW, 50, 50, 100, 100);
  HWND other = CreateWindowExW(0, cls_.name(), L"other", WS_POPUP, 60, 60, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
  ShowWindow(hwnd_, SW_SHOWNA);
  ShowWindow(other, SW_SHOWNA);
  ASSERT_TRUE(waitViewable(hwnd_));
  ASSERT_TRUE(waitViewable(other));
  const ::Window mine = Win32XWindowOf(hwnd_), theirs = Win32XWindowOf(other);
  EXPECT_TRUE(hasState(mine, "_NET_WM_STATE_SKIP_TASKBAR"));
  EXPECT_FALSE(hasState(theirs, "_NET_WM_STATE_SKIP_TASKBAR"));
  EXPECT_LT(stackIndex(mine), stackIndex(theirs));
  // Our requests travel on another connection: wait until the server shows them.
  SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_TRUE(pumpUntil([&] {
    return hasState(mine, "_NET_WM_STATE_ABOVE") && stackIndex(mine) > stackIndex(theirs);
  }));
  SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_TRUE(pumpUntil([&] { return !hasState(mine, "_NET_WM_STATE_ABOVE"); }));
  EXPECT_GT(stackIndex(mine), stackIndex(theirs));  // still above: raised, not topmost
  BringWindowToTop(other);
  EXPECT_TRUE(pumpUntil([&] { return stackIndex(theirs) > stackIndex(mine); }));
  DestroyWindow(other);
}

TEST_F(WindowManagement, StylesChangedAfterCreationReachTheServer) {
  make(0, 500, 400, 100, 100);
  ShowWindow(hwnd_, SW_SHOWNA);
  HWND glass = CreateWindowExW(WS_EX_TOPMOST, cls_.name(), L"later glass", WS_POPUP, 520, 420, 60, 60,
                               nullptr, nullptr, nullptr, nullptr);
  ShowWindow(glass, SW_SHOWNA);
  ASSERT_TRUE(waitViewable(hwnd_));
  ASSERT_TRUE(waitViewable(glass));
  const ::Window xid = Win32XWindowOf(glass);
  EXPECT_TRUE(hasState(xid, "_NET_WM_STATE_ABOVE"));
  SetWindowLongW(glass, GWL_EXSTYLE, WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT);
  EXPECT_TRUE(pumpUntil([&] {
    return !hasState(xid, "_NET_WM_STATE_ABOVE") && hasState(xid, "_NET_WM_STATE_SKIP_TASKBAR");
  }));
  // Now click-through: the click reaches the window beneath.
  auto clickAt = [&](int x, int y) {
    cls_.clear();
    moveMouse(x, y);
    clickButton(Button1);
    HWND target = nullptr;
    pumpUntil([&] {
      for (const Seen& s : cls_.take()) {
        if (s.message == WM_LBUTTONDOWN) target = s.hwnd;
      }
      return target != nullptr;
    });
    return target;
  };
  EXPECT_EQ(clickAt(550, 450), hwnd_);
  SetWindowLongW(glass, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
  XSync(userDisplay(), False);
  pumpFor(600);  // no double click with the last one
  EXPECT_EQ(clickAt(551, 451), glass);
  DestroyWindow(glass);
}

TEST_F(WindowManagement, MonitorsAndMetricsComeFromTheServer) {
  Display* d = userDisplay();
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), DisplayWidth(d, DefaultScreen(d)));
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), DisplayHeight(d, DefaultScreen(d)));
  make(0, 10, 10, 50, 50);
  HMONITOR monitor = MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONULL);
  ASSERT_NE(monitor, nullptr);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfoW(monitor, &info));
  EXPECT_EQ(info.rcMonitor.right - info.rcMonitor.left, DisplayWidth(d, DefaultScreen(d)));
  EXPECT_TRUE(info.rcWork.left >= info.rcMonitor.left && info.rcWork.right <= info.rcMonitor.right);
  const RECT far{100000, 100000, 100010, 100010};
  EXPECT_EQ(MonitorFromRect(&far, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(MonitorFromRect(&far, MONITOR_DEFAULTTOPRIMARY), monitor);
  // No Xft.dpi resource on a bare Xvfb: 96.
  EXPECT_EQ(GetDpiForWindow(hwnd_), 96u);
}

// Any client may set the root's work area; one not made of 32-bit values
// is ignored rather than read past its end.
TEST_F(WindowManagement, AMalformedWorkAreaIsIgnored) {
  Display* d = userDisplay();
  const Atom workArea = XInternAtom(d, "_NET_WORKAREA", False);
  const unsigned char bytes[] = {1, 2, 3, 4};
  XChangeProperty(d, DefaultRootWindow(d), workArea, XA_CARDINAL, 8, PropModeReplace, bytes, 4);
  XSync(d, False);
  RECT work{-1, -1, -1, -1};
  const BOOL answered = SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  XDeleteProperty(d, DefaultRootWindow(d), workArea);
  XSync(d, False);
  ASSERT_TRUE(answered);
  EXPECT_EQ(work.left, 0);
  EXPECT_EQ(work.top, 0);
  EXPECT_EQ(work.right, DisplayWidth(d, DefaultScreen(d)));
  EXPECT_EQ(work.bottom, DisplayHeight(d, DefaultScreen(d)));
}

TEST_F(WindowManagement, MessageBoxIsModalAndAnsweredByKeys) {
  make(0, 10, 10, 100, 80);
  ShowWindow(hwnd_, SW_SHOW);
  ASSERT_TRUE(waitViewable(hwnd_));
  struct Case {
    UINT type;
    KeySym key;
    int answer;
  };
  const Case cases[] = {{MB_OKCANCEL, XK_Escape, IDCANCEL},
                        {MB_YESNO | MB_DEFBUTTON2, XK_Return, IDNO},
                        {MB_OK, XK_Return, IDOK}};
  for (const Case& c : cases) {
    std::atomic<bool> ownerDisabled{false};
    std::thread user([&] {
      // Wait for the box to take the keyboard focus, then answer.
      for (int i = 0; i < 300; ++i) {
        ::Window focus = 0;
        int revert = 0;
        XGetInputFocus(userDisplay(), &focus, &revert);
        if (focus != 0 && focus != PointerRoot && focus != Win32XWindowOf(hwnd_)) break;
        usleep(10000);
      }
      usleep(50000);
      ownerDisabled = !IsWindowEnabled(hwnd_);
      tapKey(c.key);
    });
    EXPECT_EQ(MessageBoxW(hwnd_, L"保存录音吗?", L"提示", c.type), c.answer);
    user.join();
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(hwnd_));
  }
}

}  // namespace

// A thread that ends with a window still shown takes the X window with it,
// as Windows destroys a thread's windows when the thread ends.
TEST_F(WindowManagement, AThreadEndingTakesItsXWindowAlong) {
  ::Window xid = 0;
  std::thread owner([&] {
    HWND left = CreateWindowExW(0, cls_.name(), L"left behind", WS_POPUP, 70, 70, 80, 80, nullptr,
                                nullptr, nullptr, nullptr);
    ShowWindow(left, SW_SHOWNA);
    if (waitViewable(left)) xid = Win32XWindowOf(left);
  });
  owner.join();
  ASSERT_NE(xid, 0u);
  EXPECT_TRUE(pumpUntil([&] { return stackIndex(xid) < 0; }))
      << "the X window is gone from the root's children";
}
