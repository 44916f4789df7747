// A scroll bar in a real window: a held arrow repeats after its delay and
// stops at its end, and the thumb is dragged by the real mouse; the owner
// moves the bar as the codes tell it to.
#include "control/SScrollBar.h"
#include "slider_display_fixture.h"

#include <chrono>

namespace {

class ScrollBarDisplayTest : public RangeControlDisplayTest {
 protected:
  void OpenBar(const wchar_t* range) {
    SStringW xml;
    xml.Format(L"<scrollbar name='sb' pos='20,10,36,110' arrowSize='16' %ls/>", range);
    Open(100, 130, xml);
    bar = host->FindChildByName2<SScrollBar>(L"sb");
    ASSERT_NE(bar, nullptr);
    bar->SubscribeEvent(EventScroll::EventID, [this](EventArgs* e) {
      auto* s = static_cast<EventScroll*>(e);
      codes.push_back(s->nSbCode);
      times.push_back(std::chrono::steady_clock::now());
      if (s->nSbCode == SB_LINEDOWN) bar->SetPos(s->nPos + 1);
      if (s->nSbCode == SB_LINEUP) bar->SetPos(s->nPos - 1);
      return true;
    });
  }
  SScrollBar* bar = nullptr;
  std::vector<int> codes;
  std::vector<std::chrono::steady_clock::time_point> times;
};

TEST_F(ScrollBarDisplayTest, AHeldArrowRepeatsAfterTheDelayUntilTheEnd) {
  OpenBar(L"min='0' max='99' page='10' value='84'");
  const RECT thumbBefore = bar->GetPartRect(SB_THUMBTRACK);
  MoveTo(28, 104);  // the lower arrow
  Press();
  ASSERT_TRUE(pumpUntil([&] { return codes.size() == 1; }));
  pumpFor(250);  // well inside the delay: nothing more
  EXPECT_EQ(codes.size(), 1u);
  ASSERT_TRUE(pumpUntil([&] { return bar->GetPos() == 90; })) << bar->GetPos();
  pumpFor(300);  // at the end the repeat stops though the button is held
  Release();
  pumpFor(100);
  EXPECT_EQ(codes, std::vector<int>(6, SB_LINEDOWN));
  // The first repeat came after the delay, not at the timer's pace.
  ASSERT_GE(times.size(), 2u);
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(times[1] - times[0]).count(), 450);
  const RECT thumbAfter = bar->GetPartRect(SB_THUMBTRACK);
  EXPECT_GT(thumbAfter.top, thumbBefore.top);
  EXPECT_EQ(host->GetCapture(), 0u);

  // Released mid-way, a held arrow stops at once.
  codes.clear();
  MoveTo(28, 15);  // the upper arrow
  Press();
  ASSERT_TRUE(pumpUntil([&] { return codes.size() >= 3; }));
  Release();
  ASSERT_TRUE(pumpUntil([&] { return host->GetCapture() == 0u; }));
  const size_t released = codes.size();
  pumpFor(300);
  EXPECT_EQ(codes.size(), released);
  EXPECT_EQ(bar->GetPos(), 90 - static_cast<int>(released));
}

TEST_F(ScrollBarDisplayTest, TheThumbFollowsADragAndSettlesOnRelease) {
  OpenBar(L"min='0' max='99' page='10' value='45'");
  // The thumb covers host rows 51-69.
  const unsigned long track = At(28, 30);
  ASSERT_TRUE(pumpUntil([&] { return At(28, 60) != track; }));
  MoveTo(28, 60);
  Press();
  ASSERT_TRUE(pumpUntil([&] { return bar->GetTrackPos() == 45; }));
  MoveTo(28, 70);  // 10 px of 50 free: 90 × 10 / 50 = 18
  ASSERT_TRUE(pumpUntil([&] { return bar->GetTrackPos() == 63; })) << bar->GetTrackPos();
  Release();
  ASSERT_TRUE(pumpUntil([&] { return bar->GetPos() == 63 && bar->GetTrackPos() == -1; }));
  ASSERT_FALSE(codes.empty());
  EXPECT_EQ(codes.front(), SB_THUMBTRACK);
  EXPECT_EQ(codes.back(), SB_THUMBPOSITION);
  // Drawn where it now is: the track shows above it again.
  EXPECT_EQ(bar->GetPartRect(SB_THUMBTRACK).top, 10 + 16 + 50 * 63 / 90);
  ASSERT_TRUE(pumpUntil([&] { return At(28, 60) == track; })) << std::hex << At(28, 60);
}

}  // namespace
