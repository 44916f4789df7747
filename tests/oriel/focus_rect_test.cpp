// The dotted rectangle a focused window draws inside its text rectangle.
#include "OrielTestApp.h"
#include "SwndTestHost.h"

namespace {

constexpr uint32_t kFocusGrey = 0xFF585858, kWhite = 0xFFFFFFFF;

class FocusRectTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    host = new SwndTestHost(300, 100);
    host->CreateChildrenFromString(
        L"<window id='1' pos='10,10,110,60' focusable='1' padding='5'/>"
        L"<window id='2' pos='150,10,250,60' focusable='1' drawFocusRect='0'/>");
    host->Paint();
  }
  void TearDown() override {
    host->SendSwndMessage(2);
    host->Release();
    OrielAppTest::TearDown();
  }
  SWindow* W(int id) { return host->FindDescendantById(id); }
  // Grey pixels on a row between x0 and x1 (exclusive).
  int GreyOnRow(int y, int x0, int x1) {
    int n = 0;
    for (int x = x0; x < x1; ++x) n += Pixel(host->Target(), x, y) == kFocusGrey;
    return n;
  }
  int GreyAnywhere() {
    int n = 0;
    for (int y = 0; y < 100; ++y) n += GreyOnRow(y, 0, 300);
    return n;
  }
  SwndTestHost* host = nullptr;
};

TEST_F(FocusRectTest, AFocusedWindowDrawsADottedRectangleTwoPixelsInsideItsTextRectangle) {
  EXPECT_EQ(GreyAnywhere(), 0);
  W(1)->SetFocus();
  ASSERT_TRUE(W(1)->IsFocused());
  host->Paint();
  // Text rectangle 15,15 - 105,55; the outline runs along 17,17 - 102,52.
  const int top = GreyOnRow(17, 17, 103);
  EXPECT_GT(top, 86 / 4);
  EXPECT_LT(top, 86 * 3 / 4) << "dotted, not solid";
  EXPECT_GT(GreyOnRow(52, 17, 103), 86 / 4);
  EXPECT_EQ(GreyOnRow(16, 0, 300), 0);
  EXPECT_EQ(GreyOnRow(30, 18, 102), 0) << "only the outline";
  EXPECT_EQ(Pixel(host->Target(), 60, 30), kWhite);

  // Losing the focus repaints the window without it.
  W(1)->ReleaseFocus();
  host->Paint();
  EXPECT_EQ(GreyAnywhere(), 0);
}

TEST_F(FocusRectTest, AWindowThatDrawsNoFocusRectangleStaysPlainWhenFocused) {
  W(2)->SetFocus();
  ASSERT_TRUE(W(2)->IsFocused());
  host->Paint();
  EXPECT_EQ(GreyAnywhere(), 0);
}

}  // namespace
