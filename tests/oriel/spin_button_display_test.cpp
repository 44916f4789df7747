// A spin button in a real window: a held half repeats every 200 ms while
// the pointer stays on it, and the buddy follows every step.
#include "control/SSpinButtonCtrl.h"
#include "slider_display_fixture.h"

namespace {

class SpinDisplayTest : public RangeControlDisplayTest {};

TEST_F(SpinDisplayTest, AHeldHalfRepeatsAndTheBuddyFollows) {
  skins->Add(L"d_up", SIZE{16, 10}, {0xFF0000FF, 0xFF0000C0, 0xFF000080, 0xFF808080});
  skins->Add(L"d_down", SIZE{16, 10}, {0xFF00FF00, 0xFF00C000, 0xFF008000, 0xFF808080});
  Open(200, 40,
       L"<window name='field' pos='10,10,90,30'/>"
       L"<spinButton name='spin' pos='100,10,116,30' buddy='field' value='10' upskin='d_up' downSkin='d_down'/>");
  auto* spin = host->FindChildByName2<SSpinButtonCtrl>(L"spin");
  ASSERT_NE(spin, nullptr);
  SWindow* field = host->FindDescendantByName(L"field");
  auto text = [&] { return std::string(XmlUtf8(field->GetText()).c_str()); };
  EXPECT_EQ(text(), "10");
  ASSERT_TRUE(pumpUntil([&] { return At(108, 14) == 0xFF0000 && At(108, 25) == 0x00FF00; }))
      << std::hex << At(108, 14) << " " << At(108, 25);

  // A click on the lower half: one step down, the halves drawn by state.
  MoveTo(108, 25);
  Press();
  ASSERT_TRUE(pumpUntil([&] { return spin->GetValue() == 9; }));
  ASSERT_TRUE(pumpUntil([&] { return At(108, 25) == 0x008000 && At(108, 14) == 0xC00000; }))
      << std::hex << At(108, 25) << " " << At(108, 14);
  Release();
  pumpFor(300);
  EXPECT_EQ(spin->GetValue(), 9);
  EXPECT_EQ(text(), "9");

  // Held on the upper half: a step now and one every 200 ms after.
  MoveTo(108, 14);
  Press();
  ASSERT_TRUE(pumpUntil([&] { return spin->GetValue() >= 13; }, 5000)) << spin->GetValue();
  // Off the control the timer runs on but steps nothing.
  MoveTo(180, 20);
  ASSERT_TRUE(pumpUntil([&] { return spin->GetAction() == -1; }));
  const int away = spin->GetValue();
  pumpFor(500);
  EXPECT_EQ(spin->GetValue(), away);
  Release();
  pumpFor(300);
  EXPECT_EQ(spin->GetValue(), away);
  EXPECT_EQ(text(), std::to_string(away));
  EXPECT_EQ(host->GetCapture(), 0u);
}

}  // namespace
