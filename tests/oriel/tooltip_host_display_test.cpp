// A framework window's tip under real X input, read back from the screen:
// one motion onto the window is enough to start the delay, a click hides
// the tip for as long as the pointer stays on that window (whatever it
// moves), and leaving the window and coming back brings it again.
#include <X11/keysym.h>

#include "../platform-display/display_helper.h"
#include "HostTestWindow.h"
#include "OrielTestApp.h"
#include "core/SMessageLoop.h"

namespace {

const char* kLayout =
    "<ORIEL width='400' height='200'>"
    "<root colorBkgnd='#e0e0e0'>"
    "<window name='tipped' pos='0,0,200,-0' tip='Record' colorBkgnd='#e0e0e0'/>"
    "<window name='plain' pos='200,0,-0,-0' colorBkgnd='#e0e0e0'/>"
    "</root></ORIEL>";

constexpr int kX = 150, kY = 150;
constexpr unsigned long kHostGrey = 0xE0E0E0;

unsigned long Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

class ToolTipHostDisplay : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    moveMouse(5, 5);
    host = new TestHost;
    ASSERT_TRUE(MakeHost(*host, kLayout, kX, kY));
    ShowWindow(host->GetHwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(host->GetHwnd()));
    Pump([] { return false; }, 150);
  }
  void TearDown() override {
    if (host) {
      host->DestroyHostWindow();
      delete host;
    }
    OrielAppTest::TearDown();
  }
  // Pumps through the application's loop, so the tip's filter sees the input.
  bool Pump(const std::function<bool()>& done, int timeoutMs = 3000) {
    SMessageLoop* loop = app->GetMsgLoop();
    return pumpUntilVia([loop](MSG* msg) { loop->DispatchOne(msg); }, done, timeoutMs);
  }
  // Whether the tip shows under the pointer at (x, y) on the screen: its
  // background where it stands, 24 pixels below the pointer.
  bool TipShownBelow(int x, int y) { return screenPixel(x + 4, y + 24 + 4) == infoBk; }

  TestHost* host = nullptr;
  const unsigned long infoBk = Rgb(GetSysColor(COLOR_INFOBK));
};

TEST_F(ToolTipHostDisplay, OneMotionStartsTheTipAndAClickKeepsItAwayOnThatWindow) {
  ASSERT_NE(infoBk, kHostGrey);
  // One motion event, from outside the host straight onto the window.
  int x = kX + 60, y = kY + 50;
  moveMouse(x, y);
  ASSERT_TRUE(Pump([&] { return TipShownBelow(x, y); })) << std::hex << screenPixel(x + 4, y + 28);

  clickButton(1);
  ASSERT_TRUE(Pump([&] { return screenPixel(x + 4, y + 28) == kHostGrey; })) << "a click hides the tip";
  // Moves on the same window: the tip stays away, well past its delay.
  for (int step = 0; step < 6; ++step) {
    x += 7, y += 3;
    moveMouse(x, y);
    Pump([] { return false; }, 200);
    EXPECT_FALSE(TipShownBelow(x, y)) << "step " << step;
  }
  Pump([] { return false; }, 700);
  EXPECT_FALSE(TipShownBelow(x, y));

  // Off the window and back: the tip comes again.
  moveMouse(kX + 300, kY + 50);
  Pump([] { return false; }, 150);
  x = kX + 40, y = kY + 40;
  moveMouse(x, y);
  EXPECT_TRUE(Pump([&] { return TipShownBelow(x, y); })) << std::hex << screenPixel(x + 4, y + 28);
}

}  // namespace
