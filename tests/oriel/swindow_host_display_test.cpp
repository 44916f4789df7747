// A window tree shown in a real window: what it paints reaches the screen,
// a run-time change repaints it, and a real click through the X server
// becomes the window's press, release and command.
#include "OrielTestApp.h"
#include "SwndWindowHost.h"
#include "core/STimer2.h"
#include "../platform-display/display_helper.h"

namespace {

constexpr int kX = 240, kY = 160, kW = 200, kH = 100;

// Counts the ticks of its timers, by kind and id.
class TickCounter : public SWindow {
 public:
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (msg == WM_TIMER) ++hostTicks[wParam & 0x7F];
    if (msg == UM_STIMER) ++threadTicks[wParam & 0x7F];
    return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
  int hostTicks[128]{};
  int threadTicks[128]{};
};

class SWindowHostDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    host = new SwndWindowHost(kX, kY, kW, kH);
    host->CreateChildrenFromString(
        L"<window id='1' pos='10,10,60,60' colorBkgnd='#ff0000'/>"
        L"<window id='2' pos='40,40,90,90' colorBkgnd='#0000ff'/>");
    ShowWindow(host->Hwnd(), SW_SHOWNA);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(2);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  unsigned long At(int x, int y) { return screenPixel(kX + x, kY + y); }
  SwndWindowHost* host = nullptr;
};

TEST_F(SWindowHostDisplayTest, PaintReachesTheScreenAndAClickGivesOneCommand) {
  ASSERT_TRUE(pumpUntil([&] { return At(20, 20) == 0xFF0000 && At(80, 80) == 0x0000FF; }))
      << std::hex << At(20, 20) << " " << At(80, 80);
  EXPECT_EQ(At(5, 5), 0xFFFFFFu);

  host->FindDescendantById(1)->ApplyAttribute(SStringW(L"colorBkgnd"), SStringW(L"#00ff00"), FALSE);
  ASSERT_TRUE(pumpUntil([&] { return At(20, 20) == 0x00FF00; })) << std::hex << At(20, 20);
  EXPECT_EQ(At(80, 80), 0x0000FFu);

  int commands = 0;
  host->FindDescendantById(2)->SubscribeEvent(EventCmd::EventID, [&](EventArgs*) { return ++commands, true; });
  moveMouse(kX + 80, kY + 80);
  ASSERT_TRUE(pumpUntil([&] { return host->GetHover() == host->FindDescendantById(2)->GetHandle(); }));
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return commands == 1; }));
  pumpFor(100);
  EXPECT_EQ(commands, 1);
  EXPECT_EQ(host->GetCapture(), 0u);
}

TEST_F(SWindowHostDisplayTest, WindowTimersTickOnTheirOwnWindowWithTheirOwnIds) {
  auto* a = new TickCounter;
  auto* b = new TickCounter;
  host->AttachChild(a);
  host->AttachChild(b);
  a->SetTimer(5, 20);
  b->SetTimer(5, 20);
  b->SetTimer(127, 20);
  ASSERT_TRUE(pumpUntil([&] { return a->hostTicks[5] >= 2 && b->hostTicks[5] >= 2 && b->hostTicks[127] >= 2; }));
  EXPECT_EQ(a->hostTicks[127], 0);
  a->KillTimer(5);
  pumpFor(60);  // a tick already queued may still arrive
  const int stopped = a->hostTicks[5];
  pumpFor(150);
  EXPECT_EQ(a->hostTicks[5], stopped);

  ASSERT_TRUE(a->SetTimer2(300, 20));  // long ids travel in the timer map
  ASSERT_TRUE(pumpUntil([&] { return a->threadTicks[300 & 0x7F] >= 2; }));
  a->KillTimer2(300);
  b->KillTimer(5);
  b->KillTimer(127);
  EXPECT_EQ(SwndTimerId(5, 0x1234567), 0x85234567u);
}

}  // namespace
