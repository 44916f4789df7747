// Refused input rings the X bell only when the host allows beeps. XKB
// reports each bell to clients that ask, in the order the server rang
// them, so a bell that should not have rung shows as one bell too many.
#include "RecordingHost.h"
// After gtest: Xlib defines macros (None, Bool, Status) that gtest uses as names.
#include <X11/XKBlib.h>

#include <chrono>
#include <thread>

namespace {

int BellsWithin(Display* d, int xkbEvent, int ms, int atLeast) {
  int bells = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < deadline && bells < atLeast) {
    while (XPending(d) > 0) {
      XEvent e;
      XNextEvent(d, &e);
      if (e.type == xkbEvent && reinterpret_cast<const XkbAnyEvent&>(e).xkb_type == XkbBellNotify) ++bells;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // Anything already queued behind counts too.
  XSync(d, False);
  while (XPending(d) > 0) {
    XEvent e;
    XNextEvent(d, &e);
    if (e.type == xkbEvent && reinterpret_cast<const XkbAnyEvent&>(e).xkb_type == XkbBellNotify) ++bells;
  }
  return bells;
}

TEST_F(EngineFixture, RefusedInputBeepsOnlyWhenTheHostAllowsIt) {
  Display* d = XOpenDisplay(nullptr);
  ASSERT_NE(d, nullptr) << "this test needs an X display";
  int opcode = 0, xkbEvent = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
  ASSERT_TRUE(XkbQueryExtension(d, &opcode, &xkbEvent, &error, &major, &minor));
  XkbSelectEvents(d, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask);
  XSync(d, False);

  host.maxLength = 3;
  Start(TXTBIT_HIDESELECTION);
  SetText(L"abc");
  SetSel(3, 3);
  Type(L"d");  // refused, silently
  services->OnTxPropertyBitsChange(TXTBIT_ALLOWBEEP, TXTBIT_ALLOWBEEP);
  Type(L"e");  // refused with a beep
  EXPECT_EQ(Text(), L"abc");
  EXPECT_EQ(BellsWithin(d, xkbEvent, 5000, 1), 1);
  Type(L"12");  // two refusals, two beeps
  EXPECT_EQ(BellsWithin(d, xkbEvent, 5000, 2), 2);
  XCloseDisplay(d);
}

}  // namespace
