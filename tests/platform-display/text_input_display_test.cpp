// Text and focus from the X server: a key whose keysym is a Chinese
// character arrives as WM_IME_CHAR and WM_CHAR through the input context,
// text typed by xdotool (which puts each character it has no key for on a
// spare key and takes it off again) arrives whole, and the application
// hears when another program takes the focus.
#include "display_helper.h"

#include <spawn.h>
#include <sys/wait.h>

#include <string>

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

class TextInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    hwnd_ = CreateWindowExW(0, cls_.name(), L"input", WS_POPUP, 100, 100, 200, 100, nullptr,
                            nullptr, nullptr, nullptr);
    ShowWindow(hwnd_, SW_SHOW);
    ASSERT_TRUE(waitViewable(hwnd_));
    pumpFor(100);
    cls_.clear();
  }
  void TearDown() override { DestroyWindow(hwnd_); }
  RecordingClass cls_{L"TextInput", CS_IME};
  HWND hwnd_ = nullptr;
};

TEST_F(TextInput, ChineseCharacterArrivesAsWmChar) {
  Display* d = userDisplay();
  // Put U+5F55 (录) on a spare key code, as an input method's keyboard would.
  int minCode = 0, maxCode = 0;
  XDisplayKeycodes(d, &minCode, &maxCode);
  const KeyCode spare = static_cast<KeyCode>(maxCode - 1);
  int perCode = 0;
  KeySym* saved = XGetKeyboardMapping(d, spare, 1, &perCode);
  std::vector<KeySym> original(saved, saved + perCode);
  XFree(saved);
  std::vector<KeySym> chinese(static_cast<size_t>(perCode), 0x1005F55);
  XChangeKeyboardMapping(d, spare, perCode, chinese.data(), 1);
  XSync(d, False);
  pumpFor(100);  // the mapping change reaches our connection first
  XTestFakeKeyEvent(d, spare, True, CurrentTime);
  XTestFakeKeyEvent(d, spare, False, CurrentTime);
  XSync(d, False);
  std::vector<WPARAM> chars, imeChars;
  const bool arrived = pumpUntil([&] {
    for (const Seen& s : cls_.take()) {
      if (s.message == WM_CHAR) chars.push_back(s.wParam);
      if (s.message == WM_IME_CHAR) imeChars.push_back(s.wParam);
    }
    return !chars.empty();
  });
  XChangeKeyboardMapping(d, spare, perCode, original.data(), 1);
  XSync(d, False);
  ASSERT_TRUE(arrived);
  EXPECT_EQ(chars, std::vector<WPARAM>{0x5F55});
  // The window's class asks for IME messages: WM_IME_CHAR came first.
  EXPECT_EQ(imeChars, std::vector<WPARAM>{0x5F55});
}

// Runs `xdotool type` on the text and waits for it, pumping nothing: the
// window's thread is busy the whole time, as a program may be. xdotool
// keeps a remapped key for half its delay; 150 ms leaves a loaded machine
// 75 ms to read each press.
void XdotoolType(const char* text) {
  char* argv[] = {const_cast<char*>("xdotool"), const_cast<char*>("type"), const_cast<char*>("--delay"),
                  const_cast<char*>("150"), const_cast<char*>("--"), const_cast<char*>(text), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv, environ), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_EQ(status, 0);
}

TEST_F(TextInput, TextTypedByRemappedKeysArrivesWhole) {
  // An edit box in small: it takes each character as it comes, a Chinese
  // one as WM_IME_CHAR (its class asks for them), the others as WM_CHAR.
  std::wstring text;
  cls_.handler = [&](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (message != WM_CHAR && message != WM_IME_CHAR) return std::nullopt;
    text.push_back(static_cast<wchar_t>(wParam));
    return 0;
  };
  const std::wstring typed = L"周一's 会议";
  XdotoolType("周一's 会议");
  pumpUntil([&] { return text.size() >= typed.size(); }, 10000);
  cls_.handler = nullptr;
  EXPECT_EQ(text, typed);
}

TEST_F(TextInput, AnotherProgramTakingTheFocusDeactivatesTheApplication) {
  ASSERT_EQ(GetActiveWindow(), hwnd_);
  Display* d = userDisplay();
  XSetWindowAttributes attributes{};
  ::Window theirs = XCreateWindow(d, DefaultRootWindow(d), 400, 400, 50, 50, 0, CopyFromParent,
                                  InputOutput, CopyFromParent, 0, &attributes);
  XMapRaised(d, theirs);
  XSync(d, False);
  pumpFor(100);
  XSetInputFocus(d, theirs, RevertToParent, CurrentTime);
  XSync(d, False);
  std::vector<Seen> log;
  const bool deactivated = pumpUntil([&] {
    for (const Seen& s : cls_.take()) log.push_back(s);
    return GetActiveWindow() == nullptr;
  });
  XDestroyWindow(d, theirs);
  XSync(d, False);
  ASSERT_TRUE(deactivated);
  std::vector<std::pair<UINT, WPARAM>> order;
  for (const Seen& s : log) {
    if (s.message == WM_ACTIVATE || s.message == WM_ACTIVATEAPP || s.message == WM_KILLFOCUS)
      order.emplace_back(s.message, s.message == WM_ACTIVATE ? LOWORD(s.wParam) : s.wParam);
  }
  EXPECT_EQ(order, (std::vector<std::pair<UINT, WPARAM>>{
                       {WM_ACTIVATE, WA_INACTIVE}, {WM_ACTIVATEAPP, FALSE}, {WM_KILLFOCUS, 0}}));
  EXPECT_EQ(GetFocus(), nullptr);
}

}  // namespace
