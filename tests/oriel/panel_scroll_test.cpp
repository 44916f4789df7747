// The scrolling panel headless: bar geometry, position clamps, the thumb
// drag, arrow repeat by its timers, and the wheel remainder.
#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SPanel.h"

namespace {

constexpr int kBar = 16;  // the built-in scroll-bar skin's cell

// Counts the wheel messages that reach it from a child.
class WheelSink : public SWindow {
 public:
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (msg == WM_MOUSEWHEEL) deltas.push_back(static_cast<short>(HIWORD(wParam)));
    return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
  std::vector<int> deltas;
};

class PanelTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new SwndTestHost(300, 300);
    sink = new WheelSink;
    host->AttachChild(sink);
    sink->CreateChildrenFromString(L"<div pos='0,0,100,200'/>");
    panel = static_cast<SPanel*>(sink->GetRelative(GSW_FIRSTCHILD));
    host->ApplyLayout();
    panel->ShowScrollBar(SPanel::kBarVert, TRUE);
  }
  void TearDown() override {
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    OrielAppTest::TearDown();
  }
  void Range(int minimum, int maximum, int page, int pos = 0, bool vertical = true) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = minimum;
    si.nMax = maximum;
    si.nPage = page;
    si.nPos = pos;
    panel->SetBarInfo(si, vertical);
  }
  static int Top(const RECT& rc) { return rc.top; }
  SwndTestHost* host = nullptr;
  WheelSink* sink = nullptr;
  SPanel* panel = nullptr;
};

TEST_F(PanelTest, BarAndPartGeometry) {
  ASSERT_EQ(panel->GetScrollBarWidth(), kBar);
  EXPECT_EQ(panel->ClientRect().right, 100 - kBar);
  const RECT bar = panel->GetBarRect(true);
  EXPECT_EQ(bar.left, 100 - kBar);
  EXPECT_EQ(bar.bottom, 200);
  Range(0, 99, 10, 45);
  const int rail = 200 - 2 * kBar;  // 168: thumb 168 × 10 ÷ 100 = 16, raised to 18
  const RECT thumb = panel->GetPartRect(true, SPanel::kPartThumb);
  EXPECT_EQ(thumb.bottom - thumb.top, 18);
  EXPECT_EQ(thumb.top, kBar + (rail - 18) * 45 / 90);
  EXPECT_EQ(panel->GetPartRect(true, SPanel::kPartPageUp).bottom, thumb.top);
  EXPECT_EQ(panel->GetPartRect(true, SPanel::kPartPageDown).top, thumb.bottom);

  struct Hit { POINT pt; int part; bool vertical; };
  for (const Hit& h : {Hit{{90, 5}, SPanel::kPartLineUp, true}, Hit{{90, 195}, SPanel::kPartLineDown, true},
                       Hit{{90, thumb.top + 2}, SPanel::kPartThumb, true}, Hit{{90, 30}, SPanel::kPartPageUp, true},
                       Hit{{90, 150}, SPanel::kPartPageDown, true}, Hit{{50, 50}, SPanel::kPartNone, false}}) {
    const SPanel::HitInfo got = panel->HitTest(h.pt);
    EXPECT_EQ(got.part, h.part) << h.pt.y;
    EXPECT_EQ(got.vertical, h.vertical) << h.pt.y;
  }

  // Both bars: the vertical one stops above the horizontal one.
  panel->ShowScrollBar(SPanel::kBarHorz, TRUE);
  EXPECT_EQ(panel->GetBarRect(true).bottom, 200 - kBar);
  EXPECT_EQ(panel->GetBarRect(false).right, 100 - kBar);
  EXPECT_EQ(panel->ClientRect().bottom, 200 - kBar);
}

TEST_F(PanelTest, AShortBarHasNoThumbButItsArrowsWork) {
  panel->Move(new RECT{0, 0, 100, 2 * kBar + 10});
  Range(0, 99, 10);
  const RECT thumb = panel->GetPartRect(true, SPanel::kPartThumb);
  EXPECT_EQ(thumb.bottom - thumb.top, 0);
  EXPECT_TRUE(panel->HandleScrollCode(true, SB_LINEDOWN, 0));
  EXPECT_EQ(panel->GetScrollPos(true), 10);
}

TEST_F(PanelTest, ScrollRequestsAreClamped) {
  Range(0, 99, 10);
  struct Step { int code, position, expected; bool moved; };
  const Step steps[] = {
      {SB_BOTTOM, 0, 90, true},      {SB_LINEDOWN, 0, 90, false}, {SB_PAGEUP, 0, 80, true},
      {SB_THUMBPOSITION, 500, 90, true}, {SB_THUMBTRACK, -20, 0, true}, {SB_LINEUP, 0, 0, false},
      {SB_PAGEDOWN, 0, 10, true},    {SB_TOP, 0, 0, true},        {9, 0, 0, false},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(panel->HandleScrollCode(true, s.code, s.position), s.moved) << s.code;
    EXPECT_EQ(panel->GetScrollPos(true), s.expected) << s.code;
  }
  // A page of 0 keeps positions inside the range.
  Range(5, 50, 0, 5);
  EXPECT_TRUE(panel->HandleScrollCode(true, SB_THUMBPOSITION, 30));
  EXPECT_EQ(panel->GetScrollPos(true), 30);
  panel->HandleScrollCode(true, SB_THUMBPOSITION, 80);
  EXPECT_EQ(panel->GetScrollPos(true), 50);
  panel->HandleScrollCode(true, SB_THUMBPOSITION, -3);
  EXPECT_EQ(panel->GetScrollPos(true), 5);
  // SetScrollPos clamps the same way.
  Range(0, 99, 10);
  EXPECT_TRUE(panel->SetScrollPos(true, 1000, TRUE));
  EXPECT_EQ(panel->GetScrollPos(true), 90);
  EXPECT_FALSE(panel->SetScrollPos(true, 95, TRUE));
}

TEST_F(PanelTest, ANonZeroMinimumPlacesTheThumbFromTheMinimum) {
  Range(10, 109, 10, 10);
  const RECT first = panel->GetPartRect(true, SPanel::kPartThumb);
  EXPECT_EQ(first.top, kBar);
  panel->HandleScrollCode(true, SB_BOTTOM, 0);
  EXPECT_EQ(panel->GetScrollPos(true), 100);
  EXPECT_EQ(panel->GetPartRect(true, SPanel::kPartThumb).bottom, 200 - kBar);
}

TEST_F(PanelTest, DraggingTheThumbPastTheRailEndStopsAtTheMaximum) {
  Range(0, 9999, 100);
  const RECT thumb = panel->GetPartRect(true, SPanel::kPartThumb);
  const POINT start{90, thumb.top + 5};
  panel->SendSwndMessage(WM_NCLBUTTONDOWN, 0, MAKELPARAM(start.x, start.y));
  EXPECT_EQ(panel->GetDragMode(), 1);
  EXPECT_TRUE(panel->IsNonClientPoint(POINT{10, 10}));  // a drag keeps every move
  // Rail 168, drag thumb 18: 75 pixels are half of the travel.
  panel->SendSwndMessage(WM_NCMOUSEMOVE, MK_LBUTTON, MAKELPARAM(start.x, start.y + 75));
  const int middle = panel->GetScrollPos(true);
  EXPECT_EQ(middle, 4950);
  EXPECT_EQ(panel->GetBarInfo(true).nTrackPos, middle);
  panel->SendSwndMessage(WM_NCMOUSEMOVE, MK_LBUTTON, MAKELPARAM(start.x, start.y + 5000));
  EXPECT_EQ(panel->GetScrollPos(true), 9900);
  panel->SendSwndMessage(WM_NCLBUTTONUP, 0, MAKELPARAM(start.x, start.y + 5000));
  EXPECT_EQ(panel->GetDragMode(), 0);
  EXPECT_EQ(panel->GetBarInfo(true).nTrackPos, -1);
  EXPECT_EQ(panel->GetPartRect(true, SPanel::kPartThumb).bottom, 200 - kBar);
  EXPECT_EQ(host->GetCapture(), 0u);
}

TEST_F(PanelTest, ArrowsRepeatOnTheirTimersUntilRelease) {
  Range(0, 999, 100);
  panel->SendSwndMessage(WM_NCLBUTTONDOWN, 0, MAKELPARAM(90, 195));
  EXPECT_EQ(panel->GetScrollPos(true), 10);
  panel->SendSwndMessage(WM_TIMER, SPanel::kTimerFirstRepeat);
  EXPECT_EQ(panel->GetScrollPos(true), 20);
  panel->SendSwndMessage(WM_TIMER, SPanel::kTimerRepeat);
  panel->SendSwndMessage(WM_TIMER, SPanel::kTimerRepeat);
  EXPECT_EQ(panel->GetScrollPos(true), 40);
  // The repeat acts on the part under the mouse: the rail below the thumb.
  panel->SendSwndMessage(WM_NCMOUSEMOVE, MK_LBUTTON, MAKELPARAM(90, 150));
  panel->SendSwndMessage(WM_TIMER, SPanel::kTimerRepeat);
  EXPECT_EQ(panel->GetScrollPos(true), 140);
  panel->SendSwndMessage(WM_NCLBUTTONUP, 0, MAKELPARAM(90, 150));
  panel->SendSwndMessage(WM_TIMER, SPanel::kTimerRepeat);  // a tick already queued
  EXPECT_EQ(panel->GetScrollPos(true), 140);
}

TEST_F(PanelTest, WheelKeepsItsRemainderAndPassesWhatItCannotUseToTheParent) {
  Range(0, 99, 10);
  auto wheel = [&](short delta) { panel->SendSwndMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(20, 20)); };
  wheel(-60);
  EXPECT_EQ(panel->GetScrollPos(true), 0);
  EXPECT_EQ(panel->GetWheelRemainder(), -60);
  wheel(-60);
  EXPECT_EQ(panel->GetScrollPos(true), 10);  // one line of "scrollSpeed" 10
  EXPECT_EQ(panel->GetWheelRemainder(), 0);
  wheel(-360);
  EXPECT_EQ(panel->GetScrollPos(true), 40);
  wheel(250);
  EXPECT_EQ(panel->GetScrollPos(true), 20);
  EXPECT_EQ(panel->GetWheelRemainder(), 10);
  EXPECT_TRUE(sink->deltas.empty());
  // Eight lines asked, six possible: two go up to the parent.
  panel->HandleScrollCode(true, SB_THUMBPOSITION, 30);
  wheel(-120 * 8 - 10);  // with the remainder of 10, exactly eight
  EXPECT_EQ(panel->GetScrollPos(true), 90);
  EXPECT_EQ(sink->deltas, std::vector<int>{-240});
}

TEST_F(PanelTest, AttributesSetTheBarWidthLineSizeAndRefuseAForeignSkin) {
  EXPECT_EQ(panel->ApplyAttribute(SStringW(L"sbWid"), SStringW(L"10"), FALSE), S_OK);
  EXPECT_EQ(panel->GetScrollBarWidth(), 10);
  EXPECT_EQ(panel->ApplyAttribute(SStringW(L"sbSkin"), SStringW(L"_skin.sys.border"), FALSE), E_FAIL);
  EXPECT_EQ(panel->ApplyAttribute(SStringW(L"sbSkin"), SStringW(L"_skin.sys.scrollbar"), FALSE), S_OK);
  panel->ApplyAttribute(SStringW(L"scrollSpeed"), SStringW(L"7"), FALSE);
  Range(0, 99, 10);
  panel->HandleScrollCode(true, SB_LINEDOWN, 0);
  EXPECT_EQ(panel->GetScrollPos(true), 7);
  panel->ApplyAttribute(SStringW(L"sbEnable"), SStringW(L"1"), FALSE);
  EXPECT_FALSE(panel->IsScrollBarEnable(true));
  panel->SendSwndMessage(WM_NCLBUTTONDOWN, 0, MAKELPARAM(95, 195));  // a disabled bar ignores presses
  EXPECT_EQ(panel->GetScrollPos(true), 7);
}

TEST_F(PanelTest, PaintsItsBarsThroughTheSkin) {
  Range(0, 99, 10);
  host->Paint();
  // The rail cell of the built-in skin is not white; the client stays white.
  const uint32_t rail = Pixel(host->Target(), 100 - kBar / 2, 150);
  EXPECT_NE(rail & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(Pixel(host->Target(), 40, 150) & 0xFFFFFF, 0xFFFFFFu);
}

}  // namespace
