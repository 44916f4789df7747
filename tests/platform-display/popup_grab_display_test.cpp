// A pop-up grab: our windows keep their pointer input, while a press over
// the desktop reaches the grabbing window with coordinates outside it.
#include <thread>

#include "display_helper.h"

namespace {

TEST(PopupGrab, OurWindowsKeepTheirInputAndAPressElsewhereReachesTheGrabbingWindow) {
  ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
  RecordingClass grabberClass(L"GrabberWindow"), otherClass(L"OtherWindow");
  HWND grabber = CreateWindowExW(0, grabberClass.name(), L"grabber", WS_POPUP | WS_VISIBLE, 50, 50, 100, 80,
                                 nullptr, nullptr, nullptr, nullptr);
  HWND other = CreateWindowExW(0, otherClass.name(), L"other", WS_POPUP | WS_VISIBLE, 300, 50, 100, 80, nullptr,
                               nullptr, nullptr, nullptr);
  ASSERT_TRUE(waitViewable(grabber));
  ASSERT_TRUE(waitViewable(other));
  moveMouse(600, 400);
  pumpFor(50);
  grabberClass.clear();
  otherClass.clear();

  ASSERT_TRUE(Win32BeginPopupGrab(grabber));
  EXPECT_EQ(Win32PopupGrabWindow(), grabber);

  // Over our other window: its own moves and press, nothing for the grabber.
  moveMouse(320, 70);
  clickButton(Button1);
  std::vector<Seen> toOther;
  ASSERT_TRUE(pumpUntil([&] {
    for (const Seen& s : otherClass.take()) toOther.push_back(s);
    for (const Seen& s : toOther) {
      if (s.message == WM_LBUTTONUP) return true;
    }
    return false;
  }));
  bool otherPressedAt2020 = false;
  for (const Seen& s : toOther) {
    if (s.message == WM_LBUTTONDOWN)
      otherPressedAt2020 = GET_X_LPARAM(s.lParam) == 20 && GET_Y_LPARAM(s.lParam) == 20;
  }
  EXPECT_TRUE(otherPressedAt2020);
  EXPECT_TRUE(grabberClass.messagesOf({WM_LBUTTONDOWN, WM_LBUTTONUP}).empty());

  // Over the desktop: the grabber hears the press, outside its client area,
  // as a captured press: no hit test, no activation.
  grabberClass.clear();
  moveMouse(700, 500);
  clickButton(Button1);
  LPARAM pressAt = 0;
  std::vector<UINT> asked;
  ASSERT_TRUE(pumpUntil([&] {
    for (const Seen& s : grabberClass.take()) {
      if (s.message == WM_LBUTTONDOWN) pressAt = s.lParam;
      if (s.message == WM_NCHITTEST || s.message == WM_MOUSEACTIVATE || s.message == WM_ACTIVATE)
        asked.push_back(s.message);
    }
    return pressAt != 0;
  }));
  EXPECT_TRUE(asked.empty()) << "first: " << (asked.empty() ? 0 : asked[0]);
  EXPECT_EQ(GET_X_LPARAM(pressAt), 650);
  EXPECT_EQ(GET_Y_LPARAM(pressAt), 450);
  EXPECT_TRUE(otherClass.messagesOf({WM_LBUTTONDOWN}).empty());

  Win32EndPopupGrab(grabber);
  EXPECT_EQ(Win32PopupGrabWindow(), nullptr);
  DestroyWindow(other);
  DestroyWindow(grabber);
}

}  // namespace
