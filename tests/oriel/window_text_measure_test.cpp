// Window text is measured in the font the window paints with: its own
// where its style sets one, else the one its ancestors pass down.
#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "core/SWndTextMeasure.h"

namespace {

class WindowTextMeasureTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    host = new SwndTestHost(400, 300);
    host->CreateChildrenFromString(
        L"<window id='1' pos='0,0,400,150' font='size:40'>"
        L"  <window id='11' pos='0,0,-0,-0'/>"
        L"  <window id='12' pos='0,0,-0,-0' font='size:10'/>"
        L"  <window id='13' size='-1,-1'>Wg</window>"
        L"</window>"
        L"<window id='2' pos='0,150,400,300'/>");
    host->ApplyLayout();
  }
  void TearDown() override {
    host->SendSwndMessage(2);
    host->Release();
    OrielAppTest::TearDown();
  }
  SWindow* W(int id) { return host->FindDescendantById(id); }
  SwndTestHost* host = nullptr;
};

TEST_F(WindowTextMeasureTest, AWindowWithoutAFontMeasuresInItsAncestorsFont) {
  const SStringW text(L"Wg");
  const SIZE inherited = MeasureTextSize(W(11), text, false);
  const SIZE own = MeasureTextSize(W(12), text, false);
  const SIZE plain = MeasureTextSize(W(2), text, false);
  // 40-pixel text is far taller than the 10-pixel and the default text.
  EXPECT_GT(inherited.cy, 2 * own.cy);
  EXPECT_GT(inherited.cy, 2 * plain.cy);
  EXPECT_EQ(MeasureTextSize(W(1), text, false).cy, inherited.cy);

  // The window's own content measuring follows the same font.
  const SIZE content = W(13)->MeasureContent(nullptr);
  EXPECT_EQ(content.cy, inherited.cy);
  EXPECT_EQ(content.cx, inherited.cx);
}

TEST_F(WindowTextMeasureTest, LinesAndEmptyTexts) {
  const SIZE ab = MeasureTextSize(W(11), SStringW(L"ab"), false);
  const SIZE cdcd = MeasureTextSize(W(11), SStringW(L"cdcd"), false);
  const SIZE lines = MeasureTextSize(W(11), SStringW(L"ab\ncdcd"), true);
  EXPECT_EQ(lines.cx, std::max(ab.cx, cdcd.cx));
  EXPECT_EQ(lines.cy, ab.cy + cdcd.cy);
  const SIZE oneRun = MeasureTextSize(W(11), SStringW(L"ab\ncdcd"), false);
  EXPECT_LT(oneRun.cy, lines.cy);

  const SIZE empty = MeasureTextSize(W(11), SStringW(), true);
  EXPECT_EQ(empty.cx, 0);
  EXPECT_EQ(empty.cy, 0);
  const SIZE none = MeasureTextSize(nullptr, SStringW(L"ab"), false);
  EXPECT_EQ(none.cx, 0);
  EXPECT_EQ(none.cy, 0);
}

}  // namespace
