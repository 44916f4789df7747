// The system tray on a real X server, under the test's own small tray
// manager: an X client of its own that owns _NET_SYSTEM_TRAY_S<screen>,
// announces itself with MANAGER and embeds the icons it is asked to dock
// (keeping them in its save-set, as real managers do).
#include "display_helper.h"

#include <X11/Xatom.h>
#include <poll.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

#include "gdi/GdiCairo.h"
#include "shell/shellapi.h"
#include "win32/backend.h"
#include "win32/tray.h"

namespace {

constexpr int kIconSize = 24;

class TrayManager {
 public:
  TrayManager() {
    dpy_ = XOpenDisplay(nullptr);
    const int screen = DefaultScreen(dpy_);
    root_ = RootWindow(dpy_, screen);
    char name[64];
    std::snprintf(name, sizeof name, "_NET_SYSTEM_TRAY_S%d", screen);
    selection_ = XInternAtom(dpy_, name, False);
    opcode_ = XInternAtom(dpy_, "_NET_SYSTEM_TRAY_OPCODE", False);
    XSetWindowAttributes set{};
    set.background_pixel = 0x00FF00;  // green panel behind the icons
    set.override_redirect = True;
    panel_ = XCreateWindow(dpy_, root_, 300, 10, 200, 40, 0, CopyFromParent, InputOutput, CopyFromParent,
                           CWBackPixel | CWOverrideRedirect, &set);
    XSelectInput(dpy_, panel_, SubstructureNotifyMask);
    XMapRaised(dpy_, panel_);
    XSetSelectionOwner(dpy_, selection_, panel_, CurrentTime);
    XEvent notice{};
    notice.xclient.type = ClientMessage;
    notice.xclient.window = root_;
    notice.xclient.message_type = XInternAtom(dpy_, "MANAGER", False);
    notice.xclient.format = 32;
    notice.xclient.data.l[0] = CurrentTime;
    notice.xclient.data.l[1] = static_cast<long>(selection_);
    notice.xclient.data.l[2] = static_cast<long>(panel_);
    XSendEvent(dpy_, root_, False, StructureNotifyMask, &notice);
    XSync(dpy_, False);
    thread_ = std::thread([this] { Run(); });
  }
  // Ending the client destroys its windows; the icons it held in its
  // save-set go back to the root.
  ~TrayManager() {
    stop_ = true;
    thread_.join();
    XCloseDisplay(dpy_);
  }
  int docked() const { return docked_; }
  ::Window lastIcon() const { return lastIcon_; }

 private:
  void Run() {
    while (!stop_) {
      pollfd fd{ConnectionNumber(dpy_), POLLIN, 0};
      poll(&fd, 1, 20);
      while (XPending(dpy_) > 0) {
        XEvent event;
        XNextEvent(dpy_, &event);
        if (event.type == ClientMessage && event.xclient.message_type == opcode_ && event.xclient.data.l[1] == 0) {
          const auto icon = static_cast<::Window>(event.xclient.data.l[2]);
          XAddToSaveSet(dpy_, icon);
          XReparentWindow(dpy_, icon, panel_, 8 + kIconSize * docked_, 8);
          XResizeWindow(dpy_, icon, kIconSize, kIconSize);
          XMapWindow(dpy_, icon);
          XSync(dpy_, False);
          lastIcon_ = icon;
          ++docked_;
        }
      }
    }
  }
  Display* dpy_ = nullptr;
  ::Window root_ = 0, panel_ = 0;
  Atom selection_ = 0, opcode_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> docked_{0};
  std::atomic<::Window> lastIcon_{0};
  std::thread thread_;
};

// Children of the root that are viewable.
bool viewableOnRoot(::Window xid) {
  Display* d = userDisplay();
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  XSync(d, False);
  if (!XQueryTree(d, xid, &root, &parent, &children, &count)) return false;  // gone
  if (children) XFree(children);
  XWindowAttributes attributes{};
  XGetWindowAttributes(d, xid, &attributes);
  return parent == root && attributes.map_state == IsViewable;
}

bool windowExists(::Window xid) {
  Display* d = userDisplay();
  XSync(d, False);
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  const bool exists = XQueryTree(d, xid, &root, &parent, &children, &count) != 0;
  if (children) XFree(children);
  return exists;
}

class Tray : public ::testing::Test {
 protected:
  static constexpr UINT kCallback = 0x857;
  void SetUp() override {
    static const Win32IconSurfaceReader reader = [](HICON icon) { return static_cast<void*>(GdiSurfaceOfIcon(icon)); };
    Win32SetIconSurfaceReader(reader);
    std::vector<uint32_t> red(16 * 16, 0xFFFF0000u);
    icon_ = GdiCreateIconFromPixels(16, 16, red.data(), 0, 0, true);
    owner_ = CreateWindowExW(0, recorder_.name(), L"tray owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(owner_, nullptr);
    record_ = {};
    record_.cbSize = sizeof record_;
    record_.hWnd = owner_;
    record_.uID = 100;
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record_.uCallbackMessage = kCallback;
    record_.hIcon = icon_;
    wcscpy(record_.szTip, L"tray tip");
  }
  void TearDown() override {
    Shell_NotifyIconW(NIM_DELETE, &record_);
    if (owner_) DestroyWindow(owner_);
  }
  std::vector<LPARAM> callbacks() {
    std::vector<LPARAM> out;
    for (const Seen& seen : recorder_.take())
      if (seen.message == kCallback && seen.wParam == 100 && seen.lParam != WM_MOUSEMOVE) out.push_back(seen.lParam);
    return out;
  }
  RecordingClass recorder_{L"TrayOwner"};
  HWND owner_ = nullptr;
  HICON icon_ = nullptr;
  NOTIFYICONDATAW record_{};
};

TEST_F(Tray, WithoutAManagerOrWithAWrongSizeAddingFails) {
  EXPECT_FALSE(Shell_NotifyIconW(NIM_ADD, &record_));
  TrayManager manager;
  NOTIFYICONDATAW wrong = record_;
  wrong.cbSize = 956;
  EXPECT_FALSE(Shell_NotifyIconW(NIM_ADD, &wrong));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Tray, IconDocksShowsItsPixelsAndPostsClicks) {
  TrayManager manager;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &record_));
  EXPECT_FALSE(Shell_NotifyIconW(NIM_ADD, &record_)) << "a docked icon is not added twice";
  ASSERT_TRUE(pumpUntil([&] { return manager.docked() == 1; }));
  // Panel at (300,10), icon at (8,8) inside it, scaled to 24 px.
  ASSERT_TRUE(pumpUntil([] { return screenPixel(308 + 12, 18 + 12) == 0xFF0000; }))
      << std::hex << screenPixel(320, 30);
  EXPECT_EQ(screenPixel(308 + kIconSize + 4, 30), 0x00FF00u);  // the panel beside it
  recorder_.clear();
  moveMouse(320, 30);
  clickButton(Button1);
  clickButton(Button3);
  std::vector<LPARAM> seen;
  ASSERT_TRUE(pumpUntil([&] {
    for (LPARAM l : callbacks()) seen.push_back(l);
    return seen.size() >= 4;
  }));
  EXPECT_EQ(seen, (std::vector<LPARAM>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP}));
  moveMouse(0, 0);
}

TEST_F(Tray, AKilledManagerLeavesNothingOnTheRootAndANewOneAnnouncesItself) {
  const UINT created = RegisterWindowMessageW(L"TaskbarCreated");
  ::Window first = 0;
  {
    TrayManager manager;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &record_));
    ASSERT_TRUE(pumpUntil([&] { return manager.docked() == 1; }));
    first = manager.lastIcon();
    ASSERT_NE(first, 0u);
  }
  // The manager's save-set hands the icon to the root; ours withdraws it.
  ASSERT_TRUE(pumpUntil([&] { return !windowExists(first); }, 8000));
  EXPECT_FALSE(viewableOnRoot(first));
  EXPECT_EQ(Win32TrayIconWindow(owner_, 100), 0u);
  recorder_.clear();
  TrayManager again;
  // The message-only owner hears of the new tray and adds its icon again.
  ASSERT_TRUE(pumpUntil([&] {
    for (const Seen& seen : recorder_.take())
      if (seen.message == created) return true;
    return false;
  }));
  ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &record_));
  ASSERT_TRUE(pumpUntil([&] { return again.docked() == 1; }));
  ASSERT_TRUE(pumpUntil([] { return screenPixel(320, 30) == 0xFF0000; }));
}

}  // namespace
