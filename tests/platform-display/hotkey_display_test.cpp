// Global hot keys: a registered combination pressed through XTest arrives
// as WM_HOTKEY with its id, whatever the lock keys; the same combination
// cannot be registered twice, here or by another program.
#include "display_helper.h"

#include <X11/keysym.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

namespace {

int probeHotKey(UINT modifiers, UINT vk) {
  const std::string command = std::string(DISPLAY_PROBE) + " hotkey " + std::to_string(modifiers) +
                              " " + std::to_string(vk);
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class HotKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    hwnd_ = CreateWindowExW(0, cls_.name(), L"hot keys", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                            nullptr, nullptr);
    ASSERT_NE(hwnd_, nullptr);
  }
  void TearDown() override { DestroyWindow(hwnd_); }

  std::vector<WPARAM> hotKeyIds() {
    std::vector<WPARAM> ids;
    for (const Seen& s : cls_.take()) {
      if (s.message == WM_HOTKEY) ids.push_back(s.wParam);
    }
    return ids;
  }

  RecordingClass cls_{L"HotKeyTest"};
  HWND hwnd_ = nullptr;
};

TEST_F(HotKeys, PressedCombinationPostsItsIdWhateverTheLockKeys) {
  ASSERT_TRUE(RegisterHotKey(hwnd_, 2, MOD_CONTROL, VK_F3));
  std::vector<WPARAM> ids;
  pressKey(XK_Control_L);
  tapKey(XK_F3);
  releaseKey(XK_Control_L);
  ASSERT_TRUE(pumpUntil([&] {
    for (WPARAM id : hotKeyIds()) ids.push_back(id);
    return !ids.empty();
  }));
  EXPECT_EQ(ids, std::vector<WPARAM>{2});

  // With Caps Lock on.
  tapKey(XK_Caps_Lock);
  ids.clear();
  pressKey(XK_Control_L);
  tapKey(XK_F3);
  releaseKey(XK_Control_L);
  const bool arrived = pumpUntil([&] {
    for (WPARAM id : hotKeyIds()) ids.push_back(id);
    return !ids.empty();
  });
  tapKey(XK_Caps_Lock);
  EXPECT_TRUE(arrived);

  // F3 alone is not the hot key.
  tapKey(XK_F3);
  pumpFor(200);
  EXPECT_TRUE(hotKeyIds().empty());

  ASSERT_TRUE(UnregisterHotKey(hwnd_, 2));
  pressKey(XK_Control_L);
  tapKey(XK_F3);
  releaseKey(XK_Control_L);
  pumpFor(200);
  EXPECT_TRUE(hotKeyIds().empty());
  EXPECT_FALSE(UnregisterHotKey(hwnd_, 2));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HOTKEY_NOT_REGISTERED));
}

TEST_F(HotKeys, SecondRegistrationFailsHereAndInAnotherProcess) {
  ASSERT_TRUE(RegisterHotKey(hwnd_, 0, MOD_CONTROL | MOD_SHIFT, VK_F4));
  EXPECT_FALSE(RegisterHotKey(hwnd_, 1, MOD_CONTROL | MOD_SHIFT, VK_F4));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
  EXPECT_FALSE(RegisterHotKey(hwnd_, 0, MOD_ALT, VK_F4));  // same id on the same window
  // Another program is refused by the X server.
  EXPECT_EQ(probeHotKey(MOD_CONTROL | MOD_SHIFT, VK_F4), 1);
  // Once released, the other program gets it.
  ASSERT_TRUE(UnregisterHotKey(hwnd_, 0));
  EXPECT_EQ(probeHotKey(MOD_CONTROL | MOD_SHIFT, VK_F4), 0);
}

TEST_F(HotKeys, DestroyedWindowReleasesItsHotKeys) {
  HWND other = CreateWindowExW(0, cls_.name(), L"short-lived", WS_POPUP, 0, 0, 10, 10, nullptr,
                               nullptr, nullptr, nullptr);
  ASSERT_TRUE(RegisterHotKey(other, 3, MOD_CONTROL | MOD_ALT, 'K'));
  DestroyWindow(other);
  EXPECT_TRUE(RegisterHotKey(hwnd_, 3, MOD_CONTROL | MOD_ALT, 'K'));
  UnregisterHotKey(hwnd_, 3);
}

}  // namespace
