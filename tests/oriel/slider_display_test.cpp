// A slider in a real window follows the real mouse: its thumb is dragged
// and a rail click jumps, with one event per change and the thumb drawn
// where the value puts it.
#include "control/SSliderBar.h"
#include "slider_display_fixture.h"

namespace {

class SliderDisplayTest : public RangeControlDisplayTest {};

TEST_F(SliderDisplayTest, TheThumbFollowsADragAndARailClick) {
  skins->Add(L"d_thumb", SIZE{12, 12}, {0xFF0000FF, 0xFF0000C0, 0xFF000080, 0xFF0000FF});  // reds by state
  skins->Add(L"d_rail", SIZE{12, 4}, {0xFF808080});
  skins->Add(L"d_fill", SIZE{12, 4}, {0xFF00C000});
  Open(200, 60,
       L"<sliderbar name='s' pos='20,20,140,40' value='50' thumbSkin='d_thumb' bkgndSkin='d_rail' posSkin='d_fill'/>");
  auto* slider = host->FindChildByName2<SSliderBar>(L"s");
  ASSERT_NE(slider, nullptr);
  std::vector<int> events;
  slider->SubscribeEvent(EventSliderPos::EventID, [&](EventArgs* e) {
    events.push_back(static_cast<EventSliderPos*>(e)->nPos);
    return true;
  });
  // Value 50: the thumb covers x 74-86 (host), the fill 26-80.
  ASSERT_TRUE(pumpUntil([&] { return At(80, 30) == 0xFF0000; })) << std::hex << At(80, 30);
  EXPECT_EQ(At(40, 30), 0x00C000u);
  EXPECT_EQ(At(120, 30), 0x808080u);

  MoveTo(80, 30);
  ASSERT_TRUE(pumpUntil([&] { return slider->GetHoverPart() == SSliderBar::kPartThumb; }));
  ASSERT_TRUE(pumpUntil([&] { return At(80, 30) == 0xC00000; })) << std::hex << At(80, 30);  // hot
  Press();
  ASSERT_TRUE(pumpUntil([&] { return slider->IsDragging(); }));
  EXPECT_TRUE(events.empty());
  MoveTo(107, 30);  // 27 px: 101 × 27 / 108 = 25
  ASSERT_TRUE(pumpUntil([&] { return slider->GetValue() == 75; })) << slider->GetValue();
  Release();
  ASSERT_TRUE(pumpUntil([&] { return !slider->IsDragging(); }));
  EXPECT_EQ(events, std::vector<int>{75});
  // Value 75: the thumb at x 101-113, the fill reaching 107.
  ASSERT_TRUE(pumpUntil([&] { return At(107, 24) == 0xC00000 || At(107, 24) == 0xFF0000; })) << std::hex << At(107, 24);
  EXPECT_EQ(At(80, 30), 0x00C000u);

  // A click at the rail's far end goes to the maximum.
  MoveTo(133, 30);
  Press();
  Release();
  ASSERT_TRUE(pumpUntil([&] { return events.size() == 2; }));
  EXPECT_EQ(events.back(), 100);
  ASSERT_TRUE(pumpUntil([&] { return At(134, 24) != 0xFFFFFF && At(100, 30) == 0x00C000; }))
      << std::hex << At(134, 24) << " " << At(100, 30);
  pumpFor(100);
  EXPECT_EQ(events.size(), 2u);
  EXPECT_EQ(host->GetCapture(), 0u);
}

}  // namespace
