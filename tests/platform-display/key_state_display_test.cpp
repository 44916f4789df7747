// GetKeyState answers for the message being handled: keys typed faster
// than the program reads them still show each handler the modifiers that
// were down when its key was pressed, while GetAsyncKeyState tells how the
// keyboard is now; a key pressed twice in such a batch types twice.
#include "display_helper.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <thread>

namespace {

class KeyState : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    hwnd_ = CreateWindowExW(0, cls_.name(), L"keys", WS_POPUP, 120, 120, 200, 100, nullptr,
                            nullptr, nullptr, nullptr);
    ShowWindow(hwnd_, SW_SHOW);
    ASSERT_TRUE(waitViewable(hwnd_));
    pumpFor(100);
    ASSERT_EQ(GetFocus(), hwnd_);
    cls_.clear();
  }
  void TearDown() override { DestroyWindow(hwnd_); }

  // Sends all the key events at once and lets them reach our connection
  // before any of them is handled, as when the program is busy.
  static void typeInOneBatch(std::initializer_list<std::pair<KeySym, bool>> keys) {
    Display* d = userDisplay();
    for (const auto& [keysym, press] : keys)
      XTestFakeKeyEvent(d, XKeysymToKeycode(d, keysym), press ? True : False, CurrentTime);
    XSync(d, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }

  struct Handled {
    UINT message;
    WPARAM vk;
    bool shiftDown;
    bool controlDown;
  };

  RecordingClass cls_{L"KeyState"};
  HWND hwnd_ = nullptr;
};

TEST_F(KeyState, EachKeyMessageSeesTheModifiersOfItsOwnMoment) {
  std::vector<Handled> handled;
  cls_.handler = [&](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_KEYDOWN || message == WM_KEYUP)
      handled.push_back(Handled{message, wParam, (GetKeyState(VK_SHIFT) & 0x8000) != 0,
                                (GetKeyState(VK_CONTROL) & 0x8000) != 0});
    return std::nullopt;
  };
  typeInOneBatch({{XK_Shift_L, true}, {XK_a, true}, {XK_a, false}, {XK_Shift_L, false},
                  {XK_Control_L, true}, {XK_b, true}, {XK_b, false}, {XK_Control_L, false},
                  {XK_c, true}, {XK_c, false}});
  ASSERT_TRUE(pumpUntil([&] { return handled.size() >= 10; }));
  const std::vector<std::tuple<UINT, WPARAM, bool, bool>> expected{
      {WM_KEYDOWN, VK_SHIFT, true, false},  {WM_KEYDOWN, 'A', true, false},
      {WM_KEYUP, 'A', true, false},         {WM_KEYUP, VK_SHIFT, false, false},
      {WM_KEYDOWN, VK_CONTROL, false, true}, {WM_KEYDOWN, 'B', false, true},
      {WM_KEYUP, 'B', false, true},         {WM_KEYUP, VK_CONTROL, false, false},
      {WM_KEYDOWN, 'C', false, false},      {WM_KEYUP, 'C', false, false}};
  std::vector<std::tuple<UINT, WPARAM, bool, bool>> seen;
  for (const Handled& h : handled) seen.emplace_back(h.message, h.vk, h.shiftDown, h.controlDown);
  EXPECT_EQ(seen, expected);
}

// A key pressed again before its first press is translated types twice,
// each press with its own character (the second "a" with Shift held).
TEST_F(KeyState, RepeatedKeysTypedInOneBatchKeepEveryCharacter) {
  std::wstring typed;
  cls_.handler = [&](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_CHAR) typed.push_back(static_cast<wchar_t>(wParam));
    return std::nullopt;
  };
  typeInOneBatch({{XK_4, true}, {XK_4, false}, {XK_4, true}, {XK_4, false}, {XK_1, true}, {XK_1, false},
                  {XK_0, true}, {XK_0, false}, {XK_0, true}, {XK_0, false}, {XK_a, true}, {XK_a, false},
                  {XK_Shift_L, true}, {XK_a, true}, {XK_a, false}, {XK_Shift_L, false}});
  ASSERT_TRUE(pumpUntil([&] { return typed.size() >= 7; }, 3000)) << typed.size();
  pumpFor(100);
  EXPECT_TRUE(typed == L"44100aA");
}

TEST_F(KeyState, TheStateMovesOnlyAsMessagesAreRetrieved) {
  // A key typed and handled first: this thread has input of its own.
  typeInOneBatch({{XK_c, true}, {XK_c, false}});
  ASSERT_TRUE(pumpUntil([&] { return !cls_.messagesOf({WM_KEYUP}).empty(); }));
  typeInOneBatch({{XK_Shift_L, true}, {XK_a, true}});
  // Peeking without removing leaves the state where it was.
  MSG msg;
  bool queued = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!queued && std::chrono::steady_clock::now() < deadline) {
    queued = PeekMessageW(&msg, hwnd_, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE) != 0;
    if (!queued) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(queued);
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
  EXPECT_NE(GetAsyncKeyState(VK_SHIFT) & 0x8000, 0) << "the keyboard itself has Shift down";
  // Retrieving the Shift press moves it.
  ASSERT_TRUE(PeekMessageW(&msg, hwnd_, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_SHIFT));
  EXPECT_NE(GetKeyState(VK_SHIFT) & 0x8000, 0);
  typeInOneBatch({{XK_a, false}, {XK_Shift_L, false}});
  ASSERT_TRUE(pumpUntil([&] { return (GetKeyState(VK_SHIFT) & 0x8000) == 0; }));
  EXPECT_EQ(GetAsyncKeyState(VK_SHIFT) & 0x8000, 0);
}

}  // namespace
