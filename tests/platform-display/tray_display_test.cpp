// The system tray on a real X server, under the test's own small tray
// manager (tray_manager.h).
#include "display_helper.h"

#include "gdi/GdiCairo.h"
#include "shell/shellapi.h"
#include "win32/backend.h"
#include "win32/tray.h"
#include "tray_manager.h"

namespace {

constexpr int kIconSize = TrayManager::kIconSize;

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
