// The shell's task-bar list and the screen's changes as windows see them:
// DeleteTab puts SKIP_TASKBAR and SKIP_PAGER into the window's
// _NET_WM_STATE (kept across topmost changes; AddTab takes them out), a
// change of the screen's configuration reaches every top-level window as
// WM_DISPLAYCHANGE, and the left button reads down during a caption drag
// that a window manager carries out and up once it let go.
#include "display_helper.h"

#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "shell/shobjidl.h"
#include "window_manager_helper.h"

namespace {

bool Has(const std::vector<std::string>& states, const char* name) {
  return std::find(states.begin(), states.end(), name) != states.end();
}

class TaskbarDisplay : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display"; }
  HWND Make(const wchar_t* title, DWORD exStyle = 0) {
    HWND hwnd = CreateWindowExW(exStyle, cls_.name(), title, WS_POPUP, 100, 100, 240, 92, nullptr, nullptr,
                                nullptr, nullptr);
    windows_.push_back(hwnd);
    return hwnd;
  }
  void TearDown() override {
    for (HWND hwnd : windows_) DestroyWindow(hwnd);
  }
  RecordingClass cls_{L"TaskbarProbe"};
  std::vector<HWND> windows_;
};

TEST(TaskbarList, OnlyTheTaskBarListIsMadeAndOnlyAsItself) {
  void* object = reinterpret_cast<void*>(1);
  const CLSID other = {0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};
  EXPECT_EQ(CoCreateInstance(other, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList, &object), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_IDropTarget, &object),
            E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  ITaskbarList* list = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList,
                             reinterpret_cast<void**>(&list)),
            S_OK);
  // Before HrInit it does nothing.
  EXPECT_EQ(list->DeleteTab(nullptr), E_UNEXPECTED);
  EXPECT_EQ(list->Release(), 0u);
}

TEST_F(TaskbarDisplay, DeleteTabTakesTheWindowOffTheTaskBarAndPagerUntilAddTab) {
  HWND hwnd = Make(L"flow-like");
  HWND plain = Make(L"plain");
  ITaskbarList* list = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList,
                             reinterpret_cast<void**>(&list)),
            S_OK);
  ASSERT_EQ(list->HrInit(), S_OK);
  EXPECT_EQ(list->DeleteTab(hwnd), S_OK);
  EXPECT_EQ(list->DeleteTab(reinterpret_cast<HWND>(0x7fff1234)), E_INVALIDARG);
  SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowWindow(hwnd, SW_SHOWNA);
  ShowWindow(plain, SW_SHOWNA);
  ASSERT_TRUE(waitViewable(hwnd));
  std::vector<std::string> states = netWmStates(hwnd);
  EXPECT_TRUE(Has(states, "_NET_WM_STATE_SKIP_TASKBAR"));
  EXPECT_TRUE(Has(states, "_NET_WM_STATE_SKIP_PAGER"));
  EXPECT_TRUE(Has(states, "_NET_WM_STATE_ABOVE"));
  EXPECT_FALSE(Has(netWmStates(plain), "_NET_WM_STATE_SKIP_TASKBAR"));
  // Hidden and shown again, and no longer topmost: still off the task bar.
  ShowWindow(hwnd, SW_HIDE);
  SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowWindow(hwnd, SW_SHOWNA);
  states = netWmStates(hwnd);
  EXPECT_TRUE(Has(states, "_NET_WM_STATE_SKIP_TASKBAR"));
  EXPECT_TRUE(Has(states, "_NET_WM_STATE_SKIP_PAGER"));
  EXPECT_FALSE(Has(states, "_NET_WM_STATE_ABOVE"));
  EXPECT_EQ(list->AddTab(hwnd), S_OK);
  states = netWmStates(hwnd);
  EXPECT_FALSE(Has(states, "_NET_WM_STATE_SKIP_TASKBAR"));
  EXPECT_FALSE(Has(states, "_NET_WM_STATE_SKIP_PAGER"));
  list->Release();
}

// Turns the screen's one CRTC off and on again, as unplugging and
// plugging a monitor does; restores it whatever happens.
class CrtcToggle {
 public:
  CrtcToggle() {
    d_ = userDisplay();
    root_ = DefaultRootWindow(d_);
    res_ = XRRGetScreenResources(d_, root_);
    if (res_ && res_->ncrtc > 0) info_ = XRRGetCrtcInfo(d_, res_, res_->crtcs[0]);
  }
  bool usable() const { return info_ && info_->mode != 0; }
  void Off() { XRRSetCrtcConfig(d_, res_, res_->crtcs[0], CurrentTime, 0, 0, 0, RR_Rotate_0, nullptr, 0); XSync(d_, False); }
  void On() {
    XRRSetCrtcConfig(d_, res_, res_->crtcs[0], CurrentTime, info_->x, info_->y, info_->mode, info_->rotation,
                     info_->outputs, info_->noutput);
    XSync(d_, False);
  }
  ~CrtcToggle() {
    if (usable()) On();
    if (info_) XRRFreeCrtcInfo(info_);
    if (res_) XRRFreeScreenResources(res_);
  }

 private:
  Display* d_ = nullptr;
  ::Window root_ = 0;
  XRRScreenResources* res_ = nullptr;
  XRRCrtcInfo* info_ = nullptr;
};

TEST_F(TaskbarDisplay, AScreenChangeReachesEveryTopLevelWindow) {
  HWND first = Make(L"first");
  HWND second = Make(L"second", WS_EX_TOOLWINDOW);
  ShowWindow(first, SW_SHOWNA);
  ASSERT_TRUE(waitViewable(first));
  pumpFor(100);
  cls_.clear();
  CrtcToggle toggle;
  ASSERT_TRUE(toggle.usable());
  toggle.Off();
  toggle.On();
  std::vector<Seen> seen;
  ASSERT_TRUE(pumpUntil([&] {
    for (const Seen& s : cls_.take())
      if (s.message == WM_DISPLAYCHANGE) seen.push_back(s);
    return std::count_if(seen.begin(), seen.end(), [&](const Seen& s) { return s.hwnd == first; }) > 0 &&
           std::count_if(seen.begin(), seen.end(), [&](const Seen& s) { return s.hwnd == second; }) > 0;
  })) << seen.size();
  const Seen& last = seen.back();
  EXPECT_EQ(LOWORD(last.lParam), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(HIWORD(last.lParam), GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(last.wParam, 24u);
}

TEST_F(TaskbarDisplay, TheLeftButtonReadsDownDuringAManagersCaptionDragAndUpAfterIt) {
  ScopedWindowManager manager;
  ASSERT_TRUE(manager.running()) << "openbox did not start";
  HWND hwnd = Make(L"drag");
  std::vector<bool> downInTimer;
  constexpr UINT_PTR kTimer = 96;
  cls_.handler = [&](HWND, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_NCHITTEST) return HTCAPTION;
    if (msg == WM_TIMER && wParam == kTimer) downInTimer.push_back(GetKeyState(VK_LBUTTON) < 0);
    return std::nullopt;
  };
  ShowWindow(hwnd, SW_SHOW);
  ASSERT_TRUE(waitViewable(hwnd));
  pumpFor(300);
  RECT before{};
  GetWindowRect(hwnd, &before);
  SetTimer(hwnd, kTimer, 10, nullptr);
  moveMouse(before.left + 40, before.top + 20);
  pumpFor(100);
  Display* d = userDisplay();
  XTestFakeButtonEvent(d, Button1, True, CurrentTime);
  XSync(d, False);
  std::atomic<bool> released{false};
  std::thread user([&] {
    usleep(300000);
    moveMouse(before.left + 100, before.top + 60);
    usleep(150000);
    moveMouse(before.left + 160, before.top + 100);
    usleep(300000);
    XTestFakeButtonEvent(userDisplay(), Button1, False, CurrentTime);
    XSync(userDisplay(), False);
    released = true;
  });
  // While the manager moves the window, the timer sees the button down.
  ASSERT_TRUE(pumpUntil([&] { return released.load(); }, 8000));
  user.join();
  const size_t duringDrag = downInTimer.size();
  const size_t downWhileHeld = static_cast<size_t>(std::count(downInTimer.begin(), downInTimer.end(), true));
  pumpFor(300);
  KillTimer(hwnd, kTimer);
  ASSERT_GT(duringDrag, 10u);
  EXPECT_GT(downWhileHeld, duringDrag / 2) << "the button did not read down during the drag";
  ASSERT_GT(downInTimer.size(), duringDrag + 5);
  // The release went to the manager, yet the window learns of it.
  EXPECT_FALSE(downInTimer.back());
  EXPECT_GE(GetKeyState(VK_LBUTTON), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON) & 0x8000, 0);
  RECT after{};
  GetWindowRect(hwnd, &after);
  EXPECT_NE(after.left, before.left) << "the manager did not move the window";
}

}  // namespace
