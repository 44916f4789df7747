// The slider's geometry, its clamps and events, and what it draws, on a
// headless host fed the container's mouse messages.
#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SSliderBar.h"
#include "slider_test_skins.h"

namespace {

// Skin colours (0xAABBGGRR) and the pixels they read back as (0xAARRGGBB).
constexpr COLORREF kRail = 0xFF808080, kFill = 0xFF00FF00, kThumb = 0xFF0000FF, kThumbHot = 0xFFFF0000,
                   kThumbDrag = 0xFF00FFFF;
constexpr uint32_t kRailPx = 0xFF808080, kFillPx = 0xFF00FF00, kThumbPx = 0xFFFF0000, kWhitePx = 0xFFFFFFFF;

class SliderBarTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    skins = new BlockSkinPool;
    thumb = skins->Add(L"t_thumb", SIZE{12, 12}, {kThumb, kThumbHot, kThumbDrag, kThumb});
    skins->Add(L"t_rail", SIZE{12, 4}, {kRail});
    skins->Add(L"t_fill", SIZE{12, 4}, {kFill});
    host = new SwndTestHost(200, 60);
  }
  void TearDown() override {
    host->SendSwndMessage(2);
    host->Release();
    delete skins;
    OrielAppTest::TearDown();
  }
  SSliderBar* Make(const wchar_t* extra = L"") {
    SStringW xml;
    xml.Format(L"<sliderbar pos='0,0,120,20' thumbSkin='t_thumb' bkgndSkin='t_rail' posSkin='t_fill' %ls/>", extra);
    auto* s = static_cast<SSliderBar*>(host->CreateChildrenFromString(xml));
    host->Paint();
    s->SubscribeEvent(EventSliderPos::EventID, [this](EventArgs* e) {
      events.push_back(static_cast<EventSliderPos*>(e)->nPos);
      return true;
    });
    return s;
  }
  void Mouse(UINT msg, int x, int y) { host->DispatchFrameMessage(msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y)); }
  uint32_t At(int x, int y) { return Pixel(host->Target(), x, y); }

  BlockSkinPool* skins = nullptr;
  BlockSkin* thumb = nullptr;
  SwndTestHost* host = nullptr;
  std::vector<int> events;
};

TEST_F(SliderBarTest, PartsAlongAndAcrossTheAxis) {
  struct Case {
    const wchar_t* attrs;
    int part;
    RECT expected;
  };
  // 120 x 20, thumb 12 x 12, rail 4 high: the band is 12 high (rows 4-16),
  // rail, fill and background narrowed to rows 8-12.
  const Case cases[] = {
      {L"value='50'", SSliderBar::kPartThumb, {54, 4, 66, 16}},
      {L"value='50'", SSliderBar::kPartPos, {6, 8, 60, 12}},
      {L"value='50'", SSliderBar::kPartRail, {6, 8, 114, 12}},
      {L"value='50'", SSliderBar::kPartBkgnd, {6, 8, 114, 12}},
      {L"value='0'", SSliderBar::kPartThumb, {0, 4, 12, 16}},
      {L"value='100'", SSliderBar::kPartThumb, {108, 4, 120, 16}},
      {L"value='50' thumbInRail='1'", SSliderBar::kPartPos, {0, 8, 60, 12}},
      {L"value='50' thumbInRail='0x1'", SSliderBar::kPartBkgnd, {0, 8, 120, 12}},
      {L"value='25' min='-100' max='100'", SSliderBar::kPartThumb, {67, 4, 79, 16}},
      // Vertical: the axis is the height, the band the width.
      {L"value='50' vertical='1' pos='0,0,20,120'", SSliderBar::kPartThumb, {4, 54, 16, 66}},
      // Equal bounds: the thumb rests at the start.
      {L"min='5' max='5' value='5'", SSliderBar::kPartThumb, {0, 4, 12, 16}},
  };
  for (const Case& c : cases) {
    SSliderBar* s = Make(c.attrs);
    const RECT rc = s->GetPartRect(c.part);
    EXPECT_TRUE(EqualRect(&rc, &c.expected)) << XmlUtf8(c.attrs).c_str() << " part " << c.part << ": " << rc.left
                                             << "," << rc.top << "," << rc.right << "," << rc.bottom;
    host->DeleteChild(s);
  }
}

TEST_F(SliderBarTest, HitTestPrefersTheThumbThenTheFillThenTheRail) {
  SSliderBar* s = Make(L"value='50'");
  EXPECT_EQ(s->HitTest(POINT{60, 10}), SSliderBar::kPartThumb);
  EXPECT_EQ(s->HitTest(POINT{60, 5}), SSliderBar::kPartThumb);  // above the rail, inside the thumb
  EXPECT_EQ(s->HitTest(POINT{30, 10}), SSliderBar::kPartPos);
  EXPECT_EQ(s->HitTest(POINT{90, 10}), SSliderBar::kPartRail);
  EXPECT_EQ(s->HitTest(POINT{90, 5}), SSliderBar::kPartNone);
  EXPECT_EQ(s->HitTest(POINT{2, 10}), SSliderBar::kPartNone);
}

TEST_F(SliderBarTest, ClicksJumpAndDragsClampWithOneEventPerChange) {
  SSliderBar* s = Make(L"value='50'");
  // The rail's far end: 101 × 108 / 108 is one past the maximum, clamped.
  Mouse(WM_LBUTTONDOWN, 113, 10);
  EXPECT_EQ(s->GetValue(), 100);
  EXPECT_EQ(events, std::vector<int>{100});
  EXPECT_TRUE(s->IsDragging());
  EXPECT_EQ(host->GetCapture(), s->GetHandle());
  Mouse(WM_MOUSEMOVE, 150, 10);  // past the end: no change, no event
  Mouse(WM_MOUSEMOVE, 190, 10);
  EXPECT_EQ(events.size(), 1u);
  Mouse(WM_MOUSEMOVE, 113 - 54, 10);  // 54 px back: 101 × -54 / 108 = -50
  EXPECT_EQ(s->GetValue(), 50);
  Mouse(WM_MOUSEMOVE, -80, 10);
  EXPECT_EQ(s->GetValue(), 0);
  Mouse(WM_MOUSEMOVE, -90, 10);
  EXPECT_EQ(events, (std::vector<int>{100, 50, 0}));
  Mouse(WM_LBUTTONUP, -90, 10);
  EXPECT_FALSE(s->IsDragging());
  EXPECT_EQ(host->GetCapture(), 0u);

  // Pressing the thumb raises nothing until the value moves.
  events.clear();
  Mouse(WM_LBUTTONDOWN, 6, 10);
  EXPECT_TRUE(events.empty());
  EXPECT_TRUE(s->IsDragging());
  Mouse(WM_MOUSEMOVE, 6, 10);
  EXPECT_TRUE(events.empty());
  Mouse(WM_MOUSEMOVE, 17, 10);  // 11 px: 101 × 11 / 108 = 10
  EXPECT_EQ(events, std::vector<int>{10});
  Mouse(WM_LBUTTONUP, 17, 10);
  EXPECT_EQ(s->GetValue(), 10);
}

TEST_F(SliderBarTest, SetValueClampsAndRaisesNothing) {
  SSliderBar* s = Make(L"value='500'");
  EXPECT_EQ(s->GetValue(), 500);  // attributes are stored as given
  EXPECT_TRUE(s->SetValue(250));
  EXPECT_EQ(s->GetValue(), 100);
  EXPECT_TRUE(s->SetValue(-3));
  EXPECT_EQ(s->GetValue(), 0);
  EXPECT_TRUE(events.empty());
}

TEST_F(SliderBarTest, EqualBoundsShowTheThumbAtTheStartAndIgnoreTheMouse) {
  SSliderBar* s = Make(L"min='7' max='7' value='9'");
  host->Paint();
  EXPECT_EQ(At(6, 6), kThumbPx);
  EXPECT_EQ(At(30, 10), kRailPx);  // no fill although the value is not the minimum
  Mouse(WM_LBUTTONDOWN, 90, 10);
  Mouse(WM_MOUSEMOVE, 100, 10);
  Mouse(WM_LBUTTONUP, 100, 10);
  Mouse(WM_LBUTTONDOWN, 6, 10);
  Mouse(WM_MOUSEMOVE, 60, 10);
  Mouse(WM_LBUTTONUP, 60, 10);
  EXPECT_EQ(s->GetValue(), 9);
  EXPECT_TRUE(events.empty());
  EXPECT_FALSE(s->IsDragging());
}

TEST_F(SliderBarTest, DrawsTheFillOnlyAboveTheMinimumAndTheThumbByState) {
  SSliderBar* s = Make(L"value='0'");
  host->Paint();
  EXPECT_EQ(At(30, 10), kRailPx);
  EXPECT_EQ(At(6, 5), kThumbPx);
  EXPECT_EQ(At(30, 5), kWhitePx);
  s->SetValue(50);
  host->Paint();
  EXPECT_EQ(At(30, 10), kFillPx);
  EXPECT_EQ(At(80, 10), kRailPx);
  EXPECT_EQ(At(60, 5), kThumbPx);

  // Hovering the thumb draws state 1, dragging it state 2.
  thumb->drawn.clear();
  Mouse(WM_MOUSEMOVE, 60, 10);
  EXPECT_EQ(s->GetHoverPart(), SSliderBar::kPartThumb);
  host->Paint();
  ASSERT_FALSE(thumb->drawn.empty());
  EXPECT_EQ(thumb->drawn.back(), 1);
  Mouse(WM_LBUTTONDOWN, 60, 10);
  host->Paint();
  EXPECT_EQ(thumb->drawn.back(), 2);
  Mouse(WM_LBUTTONUP, 60, 10);
  host->Paint();
  EXPECT_EQ(thumb->drawn.back(), 1);
  Mouse(WM_MOUSEMOVE, 190, 50);
  host->Paint();
  EXPECT_EQ(thumb->drawn.back(), 0);
  EXPECT_EQ(s->GetHoverPart(), SSliderBar::kPartNone);
}

TEST_F(SliderBarTest, DesiredSizeAndClassNames) {
  SSliderBar* s = static_cast<SSliderBar*>(
      host->CreateChildrenFromString(L"<sliderbar thumbSkin='t_thumb' bkgndSkin='t_rail' pos='0,0' width='wrapContent' height='wrapContent'/>"));
  ASSERT_NE(s, nullptr);
  const SIZE size = s->MeasureDesiredSize(-1, -1);
  EXPECT_EQ(size.cx, 100);
  EXPECT_EQ(size.cy, 12);
  EXPECT_TRUE(s->IsClass(L"sliderbar"));
  EXPECT_TRUE(s->IsClass(L"progress"));
  EXPECT_TRUE(s->IsClass(L"window"));
  EXPECT_STREQ(s->GetObjectClass(), L"sliderbar");
}

}  // namespace
