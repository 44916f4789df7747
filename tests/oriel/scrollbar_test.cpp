// The scroll bar's parts, clamps, scroll codes and repeat rules on a
// headless host; timer ticks are handed to it as the host would.
#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SScrollBar.h"

namespace {

struct Scroll {
  int code, pos;
  bool operator==(const Scroll& o) const { return code == o.code && pos == o.pos; }
};
std::ostream& operator<<(std::ostream& os, const Scroll& s) { return os << "{" << s.code << "," << s.pos << "}"; }

class ScrollBarTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()), 0);
    host = new SwndTestHost(200, 200);
  }
  void TearDown() override {
    host->SendSwndMessage(2);
    host->Release();
    OrielAppTest::TearDown();
  }
  SScrollBar* Make(const wchar_t* attrs) {
    SStringW xml;
    xml.Format(L"<scrollbar %ls/>", attrs);
    auto* bar = static_cast<SScrollBar*>(host->CreateChildrenFromString(xml));
    host->Paint();
    bar->SubscribeEvent(EventScroll::EventID, [this](EventArgs* e) {
      auto* s = static_cast<EventScroll*>(e);
      scrolls.push_back({s->nSbCode, s->nPos});
      return true;
    });
    return bar;
  }
  // A vertical bar 16 x 100 at (0, 0) with 16-pixel arrows.
  SScrollBar* Standard(const wchar_t* range = L"min='0' max='99' page='10' value='45'") {
    SStringW attrs;
    attrs.Format(L"pos='0,0,16,100' arrowSize='16' %ls", range);
    return Make(attrs);
  }
  void Mouse(UINT msg, int x, int y) { host->DispatchFrameMessage(msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y)); }
  static int Top(const RECT& rc) { return rc.top; }
  static int Len(const RECT& rc) { return rc.bottom - rc.top; }

  SwndTestHost* host = nullptr;
  std::vector<Scroll> scrolls;
};

TEST_F(ScrollBarTest, PartsFollowTheRangePageAndPosition) {
  struct Case {
    const wchar_t* attrs;
    int thumbTop, thumbLength;
  };
  const Case cases[] = {
      // V = 68, thumb 6 raised to 18, free 50: 16 + 50 × 45 / 90.
      {L"min='0' max='99' page='10' value='45'", 41, 18},
      // The same measured above another minimum.
      {L"min='100' max='199' page='10' value='145'", 41, 18},
      {L"min='0' max='99' page='10' value='0'", 16, 18},
      {L"min='0' max='99' page='10' value='90'", 66, 18},
      // A page covering the whole range fills the space between the arrows.
      {L"min='0' max='9' page='10' value='0'", 16, 68},
      // A page past the maximum stretches the range to it.
      {L"min='0' max='3' page='10' value='0'", 16, 68},
      {L"min='0' max='199' page='100' value='50'", 16 + 34 * 50 / 100, 34},
  };
  for (const Case& c : cases) {
    SScrollBar* bar = Standard(c.attrs);
    const RECT thumb = bar->GetPartRect(SB_THUMBTRACK);
    EXPECT_EQ(Top(thumb), c.thumbTop) << XmlUtf8(c.attrs).c_str();
    EXPECT_EQ(Len(thumb), c.thumbLength) << XmlUtf8(c.attrs).c_str();
    EXPECT_EQ(thumb.right - thumb.left, 16);
    EXPECT_EQ(Top(bar->GetPartRect(SB_PAGEUP)), 16);
    EXPECT_EQ(bar->GetPartRect(SB_PAGEUP).bottom, thumb.top);
    EXPECT_EQ(bar->GetPartRect(SB_PAGEDOWN).top, thumb.bottom);
    EXPECT_EQ(bar->GetPartRect(SB_PAGEDOWN).bottom, 84);
    EXPECT_EQ(Top(bar->GetPartRect(SB_LINEDOWN)), 84);
    host->DeleteChild(bar);
  }
}

TEST_F(ScrollBarTest, ShortBarsShowOnlyHalfLengthArrows) {
  SScrollBar* bar = Make(L"pos='0,0,16,20' arrowSize='16' max='99' page='10'");
  EXPECT_EQ(Len(bar->GetPartRect(SB_LINEUP)), 10);
  EXPECT_EQ(Top(bar->GetPartRect(SB_LINEDOWN)), 10);
  EXPECT_EQ(Len(bar->GetPartRect(SB_LINEDOWN)), 10);
  EXPECT_EQ(Len(bar->GetPartRect(SB_THUMBTRACK)), 0);
  // Horizontal, with the arrow size taken from the skin (its width / 9).
  SScrollBar* h = Make(L"pos='0,30,100,46' vertical='0' max='99' page='10' value='45'");
  EXPECT_EQ(h->GetArrowSize(), 16);
  EXPECT_EQ(h->GetPartRect(SB_THUMBTRACK).left, 41);
  EXPECT_EQ(h->GetPartRect(SB_THUMBTRACK).top, 30);
}

TEST_F(ScrollBarTest, EveryWayOfSettingThePositionClampsToOnePageBeforeTheEnd) {
  SScrollBar* bar = Standard();
  EXPECT_EQ(bar->SetPos(95), 90);
  EXPECT_EQ(bar->SetPos(-4), 0);
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 100, 199, 10, 500, 0};
  EXPECT_EQ(bar->SendSwndMessage(SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&si)), 1);
  EXPECT_EQ(bar->GetPos(), 190);
  si = {sizeof si, SIF_POS, 0, 0, 0, 3, 0};
  bar->SendSwndMessage(SBM_SETSCROLLINFO, FALSE, reinterpret_cast<LPARAM>(&si));
  EXPECT_EQ(bar->GetPos(), 100);
  SCROLLINFO out{sizeof out, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS, 0, 0, 0, 0, 0};
  EXPECT_EQ(bar->SendSwndMessage(SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&out)), 1);
  EXPECT_EQ(out.nMin, 100);
  EXPECT_EQ(out.nMax, 199);
  EXPECT_EQ(out.nPage, 10u);
  EXPECT_EQ(out.nPos, 100);
  EXPECT_EQ(out.nTrackPos, -1);
  EXPECT_TRUE(scrolls.empty());
}

TEST_F(ScrollBarTest, ArrowsAndPagesReportWithoutMovingTheBar) {
  SScrollBar* bar = Standard();
  struct Case {
    POINT at;
    int code;
  };
  const Case cases[] = {{{8, 5}, SB_LINEUP}, {{8, 95}, SB_LINEDOWN}, {{8, 20}, SB_PAGEUP}, {{8, 70}, SB_PAGEDOWN}};
  for (const Case& c : cases) {
    scrolls.clear();
    Mouse(WM_LBUTTONDOWN, c.at.x, c.at.y);
    Mouse(WM_LBUTTONUP, c.at.x, c.at.y);
    EXPECT_EQ(scrolls, (std::vector<Scroll>{Scroll{c.code, 45}})) << c.code;
    EXPECT_EQ(bar->GetPos(), 45);
  }
  EXPECT_EQ(host->GetCapture(), 0u);
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksThenSettles) {
  SScrollBar* bar = Standard(L"min='100' max='199' page='10' value='145'");
  Mouse(WM_LBUTTONDOWN, 8, 45);
  EXPECT_TRUE(scrolls.empty());
  EXPECT_EQ(bar->GetTrackPos(), 145);
  Mouse(WM_MOUSEMOVE, 8, 55);  // 10 px of 50 free: 90 × 10 / 50 = 18
  EXPECT_EQ(bar->GetTrackPos(), 163);
  EXPECT_EQ(bar->GetPos(), 145);
  Mouse(WM_MOUSEMOVE, 8, 55);
  Mouse(WM_MOUSEMOVE, 8, 300);  // far past the end: one page before the maximum
  EXPECT_EQ(bar->GetTrackPos(), 190);
  Mouse(WM_MOUSEMOVE, 8, -300);
  EXPECT_EQ(bar->GetTrackPos(), 100);
  EXPECT_EQ(Top(bar->GetPartRect(SB_THUMBTRACK)), 16);
  Mouse(WM_LBUTTONUP, 8, -300);
  EXPECT_EQ(scrolls, (std::vector<Scroll>{{SB_THUMBTRACK, 163}, {SB_THUMBTRACK, 190}, {SB_THUMBTRACK, 100},
                                          {SB_THUMBPOSITION, 100}}));
  EXPECT_EQ(bar->GetPos(), 100);
  EXPECT_EQ(bar->GetTrackPos(), -1);
}

TEST_F(ScrollBarTest, HeldPartsRepeatAfterTheDelayUntilTheirEnd) {
  SScrollBar* bar = Standard(L"min='0' max='99' page='10' value='87'");
  // The owner moves the bar as it is told.
  bar->SubscribeEvent(EventScroll::EventID, [bar](EventArgs* e) {
    auto* s = static_cast<EventScroll*>(e);
    if (s->nSbCode == SB_LINEDOWN) bar->SetPos(s->nPos + 1);
    if (s->nSbCode == SB_PAGEUP) bar->SetPos(s->nPos - 10);
    return false;
  });
  auto tick = [bar](UINT id) { bar->SendSwndMessage(WM_TIMER, id); };
  Mouse(WM_LBUTTONDOWN, 8, 95);
  EXPECT_EQ(bar->GetPos(), 88);
  tick(1);  // the steady timer is not running yet
  EXPECT_EQ(bar->GetPos(), 88);
  tick(2);  // the delay is over
  for (int i = 0; i < 5; ++i) tick(1);
  EXPECT_EQ(bar->GetPos(), 90);  // stopped at the end
  EXPECT_EQ(scrolls.size(), 3u);
  Mouse(WM_LBUTTONUP, 8, 95);

  // A page area repeats until the thumb reaches the pointer.
  scrolls.clear();
  Mouse(WM_LBUTTONDOWN, 8, 20);
  tick(2);
  for (int i = 0; i < 20; ++i) tick(1);
  Mouse(WM_LBUTTONUP, 8, 20);
  EXPECT_LE(Top(bar->GetPartRect(SB_THUMBTRACK)), 20);
  EXPECT_LT(scrolls.size(), 20u);
  EXPECT_GE(scrolls.size(), 2u);
  const size_t after = scrolls.size();
  tick(1);
  EXPECT_EQ(scrolls.size(), after);  // released: no more
}

TEST_F(ScrollBarTest, PaintsEveryPartThroughTheSkin) {
  SScrollBar* bar = Standard();
  ASSERT_TRUE(bar->IsVisible(TRUE));
  host->Invalidate();
  host->Paint();
  // The skin's parts are opaque images: nothing of the white ground shows
  // on the bar's centre line.
  for (int y : {2, 30, 50, 70, 98}) EXPECT_NE(Pixel(host->Target(), 8, y), 0xFFFFFFFFu) << y;
  EXPECT_EQ(Pixel(host->Target(), 30, 50), 0xFFFFFFFFu);
}

}  // namespace
