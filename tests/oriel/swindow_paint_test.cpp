// Painting a window tree through the test host: z-order, the dirty box of
// a run-time change, hidden and locked windows, the alpha cache and a
// window's region.
#include "OrielTestApp.h"
#include "SwndTestHost.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF, kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00;

class SWindowPaintTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    host = new SwndTestHost(200, 100);
    host->CreateChildrenFromString(
        L"<window id='1' pos='10,10,60,60' colorBkgnd='#ff0000'/>"
        L"<window id='2' pos='40,40,90,90' colorBkgnd='#0000ff'/>"
        L"<window id='3' pos='120,10,160,40' colorBkgnd='#00ff00'/>");
    host->Paint();
  }
  void TearDown() override {
    host->SendSwndMessage(2);
    host->Release();
    OrielAppTest::TearDown();
  }
  SWindow* W(int id) { return host->FindDescendantById(id); }
  uint32_t At(int x, int y) { return Pixel(host->Target(), x, y); }
  SwndTestHost* host = nullptr;
};

TEST_F(SWindowPaintTest, LaterSiblingsPaintOverEarlierOnes) {
  EXPECT_EQ(At(20, 20), kRed);
  EXPECT_EQ(At(50, 50), kBlue);  // both cover it: the later sibling wins
  EXPECT_EQ(At(80, 80), kBlue);
  EXPECT_EQ(At(130, 20), kGreen);
  EXPECT_EQ(At(5, 5), kWhite);
  W(1)->BringToFront();
  host->Paint();  // bringing to front does not invalidate by itself
  EXPECT_EQ(At(50, 50), kBlue);
  W(1)->Invalidate();
  host->Paint();
  EXPECT_EQ(At(50, 50), kRed);
}

TEST_F(SWindowPaintTest, RunTimeColourRepaintsOnlyItsRectangle) {
  const int before1 = W(1)->GetPaintCount(), before2 = W(2)->GetPaintCount(), before3 = W(3)->GetPaintCount();
  EXPECT_FALSE(host->Paint());  // nothing dirty
  W(3)->ApplyAttribute(SStringW(L"colorBkgnd"), SStringW(L"#0000ff"), FALSE);
  const RECT dirty = host->Dirty();
  const RECT expected = W(3)->GetWindowRect();
  EXPECT_TRUE(EqualRect(&dirty, &expected));
  ASSERT_TRUE(host->Paint());
  EXPECT_EQ(At(130, 20), kBlue);
  EXPECT_EQ(W(3)->GetPaintCount(), before3 + 1);
  EXPECT_EQ(W(1)->GetPaintCount(), before1);  // outside the dirty box: not painted
  EXPECT_EQ(W(2)->GetPaintCount(), before2);
  EXPECT_EQ(At(20, 20), kRed);
  EXPECT_EQ(At(50, 50), kBlue);
}

TEST_F(SWindowPaintTest, HiddenAndLockedWindowsAddNothing) {
  W(2)->SetVisible(FALSE, TRUE);  // the redraw before hiding is the last it adds
  host->Paint();
  EXPECT_EQ(At(80, 80), kWhite);
  EXPECT_EQ(At(50, 50), kRed);
  W(2)->ApplyAttribute(SStringW(L"colorBkgnd"), SStringW(L"#00ff00"), FALSE);
  EXPECT_TRUE(IsRectEmpty(&host->Dirty()));
  W(1)->LockUpdate();
  W(1)->ApplyAttribute(SStringW(L"colorBkgnd"), SStringW(L"#00ff00"), FALSE);
  EXPECT_TRUE(IsRectEmpty(&host->Dirty()));
  W(1)->UnlockUpdate();
  W(1)->Invalidate();
  host->Paint();
  EXPECT_EQ(At(20, 20), kGreen);
}

TEST_F(SWindowPaintTest, HalfAlphaPaintsThroughItsCacheOnce) {
  host->CreateChildrenFromString(L"<window id='4' pos='100,50,150,90' colorBkgnd='#000000' alpha='128'/>");
  host->Invalidate();
  host->Paint();
  SWindow* glass = W(4);
  EXPECT_TRUE(glass->IsCacheMode());
  const uint32_t grey = At(120, 70);
  EXPECT_EQ(grey >> 24, 0xFFu);
  EXPECT_NEAR(static_cast<int>(grey & 0xFF), 127, 2);
  EXPECT_EQ(glass->GetPaintCount(), 1);
  // The host repaints over it: the cache is blended again, not redrawn.
  host->InvalidateHostRect(glass->GetWindowRect());
  host->Paint();
  EXPECT_EQ(glass->GetPaintCount(), 1);
  EXPECT_EQ(At(120, 70), grey);
  // Its own invalidation marks the cache.
  glass->Invalidate();
  host->Paint();
  EXPECT_EQ(glass->GetPaintCount(), 2);
  EXPECT_EQ(At(120, 70), grey);

  // The margin band is blended with the same alpha as the client area.
  host->CreateChildrenFromString(
      L"<window id='5' pos='160,50,196,90' margin='4' colorBorder='#000000' colorBkgnd='#000000' alpha='128'/>");
  host->Invalidate();
  host->Paint();
  ASSERT_TRUE(W(5)->IsCacheMode());
  EXPECT_EQ(At(178, 70), grey) << "client";
  EXPECT_EQ(At(161, 70), grey) << "margin";
  EXPECT_EQ(At(178, 51), grey) << "margin";
}

TEST_F(SWindowPaintTest, AWindowRegionShapesPaintingAndHitTesting) {
  SWindow* round = W(3);  // 120,10 - 160,40
  IRegion* rgn = nullptr;
  ASSERT_TRUE(factory->CreateRegion(&rgn));
  const RECT ellipse{0, 0, 40, 30};  // relative to the window's corner
  rgn->CombineEllipse(&ellipse, kCombineCopy);
  round->SetWindowRgn(rgn);
  rgn->Release();
  ASSERT_TRUE(host->Paint());
  EXPECT_EQ(At(140, 25), kGreen);
  EXPECT_EQ(At(121, 11), kWhite) << "the corner lies outside the shape";
  EXPECT_EQ(At(158, 38), kWhite);
  EXPECT_TRUE(round->ContainsPoint(POINT{140, 25}, FALSE));
  EXPECT_FALSE(round->ContainsPoint(POINT{121, 11}, FALSE));
  EXPECT_EQ(host->HitTestChild(POINT{140, 25}, FALSE), round->GetHandle());
  EXPECT_EQ(host->HitTestChild(POINT{121, 11}, FALSE), host->GetHandle());

  // Without the region the whole rectangle is the window again.
  round->SetWindowRgn(nullptr);
  host->Paint();
  EXPECT_EQ(At(121, 11), kGreen);
  EXPECT_EQ(host->HitTestChild(POINT{121, 11}, FALSE), round->GetHandle());
}

}  // namespace
