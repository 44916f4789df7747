// A window tree painted into a real window and read back from the screen:
// overlapping siblings in z-order, a run-time colour that repaints and
// shows only its own rectangle, hidden and locked windows, half alpha
// through the cache, and a borrowed target that keeps later siblings over
// the caller's drawing.
#include "OrielTestApp.h"
#include "SwndWindowHost.h"
#include "../platform-display/display_helper.h"

namespace {

constexpr int kX = 260, kY = 180, kW = 200, kH = 100;
constexpr unsigned long kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00, kWhite = 0xFFFFFF,
                        kMagenta = 0xFF00FF;

// 1 and 2 overlap (2 above), 3 stands alone; the rest of the host is white.
class WindowPaintDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    moveMouse(5, 5);
    host = new SwndWindowHost(kX, kY, kW, kH);
    host->CreateChildrenFromString(
        L"<window id='1' pos='10,10,60,60' colorBkgnd='#ff0000'/>"
        L"<window id='2' pos='40,40,90,90' colorBkgnd='#0000ff'/>"
        L"<window id='3' pos='120,10,160,40' colorBkgnd='#00ff00'/>");
    ShowWindow(host->Hwnd(), SW_SHOWNA);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    ASSERT_TRUE(pumpUntil([&] { return At(20, 20) == kRed && At(80, 80) == kBlue && At(130, 20) == kGreen; }))
        << std::hex << At(20, 20) << " " << At(80, 80) << " " << At(130, 20);
    pumpFor(50);
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(2);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  SWindow* W(int id) { return host->FindDescendantById(id); }
  unsigned long At(int x, int y) { return screenPixel(kX + x, kY + y); }
  // Draws straight onto the window, past the tree: the mark stays on the
  // screen until a paint shows that part of the host again.
  void Mark(const RECT& rc) {
    HDC dc = GetDC(host->Hwnd());
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    ReleaseDC(host->Hwnd(), dc);
  }
  SwndWindowHost* host = nullptr;
};

TEST_F(WindowPaintDisplayTest, OverlappingSiblingsShowInZOrder) {
  EXPECT_EQ(At(50, 50), kBlue) << "both cover it: the later sibling is on top";
  EXPECT_EQ(At(5, 5), kWhite);
  W(1)->BringToFront();
  W(1)->Invalidate();
  ASSERT_TRUE(pumpUntil([&] { return At(50, 50) == kRed; })) << std::hex << At(50, 50);
  EXPECT_EQ(At(80, 80), kBlue);
}

TEST_F(WindowPaintDisplayTest, ARunTimeColourRepaintsAndShowsOnlyItsRectangle) {
  const RECT outside{100, 50, 190, 95};
  Mark(outside);
  ASSERT_TRUE(pumpUntil([&] { return At(150, 70) == kMagenta; }));
  const int paints1 = W(1)->GetPaintCount(), paints2 = W(2)->GetPaintCount(), paints3 = W(3)->GetPaintCount();
  const int blits = host->blits;

  W(3)->ApplyAttribute(SStringW(L"colorBkgnd"), SStringW(L"#0000ff"), FALSE);
  const RECT box = W(3)->GetWindowRect();
  EXPECT_TRUE(EqualRect(&host->Dirty(), &box)) << "the dirty box is the window's rectangle";
  ASSERT_TRUE(pumpUntil([&] { return At(130, 20) == kBlue; })) << std::hex << At(130, 20);
  pumpFor(100);
  EXPECT_EQ(host->blits, blits + 1);
  EXPECT_TRUE(EqualRect(&host->lastBlit, &box));
  EXPECT_EQ(W(3)->GetPaintCount(), paints3 + 1);
  EXPECT_EQ(W(1)->GetPaintCount(), paints1);
  EXPECT_EQ(W(2)->GetPaintCount(), paints2);
  EXPECT_EQ(At(150, 70), kMagenta) << "the screen outside the rectangle is untouched";
  EXPECT_EQ(At(20, 20), kRed);
  EXPECT_EQ(At(165, 20), kWhite);
}

TEST_F(WindowPaintDisplayTest, HiddenAndLockedWindowsAddNothing) {
  W(2)->SetVisible(FALSE, TRUE);
  ASSERT_TRUE(pumpUntil([&] { return At(80, 80) == kWhite; })) << std::hex << At(80, 80);
  EXPECT_EQ(At(50, 50), kRed) << "what lay beneath shows";

  const int blits = host->blits;
  W(2)->ApplyAttribute(SStringW(L"colorBkgnd"), SStringW(L"#00ff00"), FALSE);  // hidden
  W(1)->LockUpdate();
  W(1)->ApplyAttribute(SStringW(L"colorBkgnd"), SStringW(L"#00ff00"), FALSE);  // locked
  pumpFor(200);
  EXPECT_EQ(host->blits, blits) << "neither change asks for a paint";
  EXPECT_EQ(At(20, 20), kRed);
  EXPECT_EQ(At(80, 80), kWhite);

  W(1)->UnlockUpdate();
  W(1)->Invalidate();
  ASSERT_TRUE(pumpUntil([&] { return At(20, 20) == kGreen; })) << std::hex << At(20, 20);
  EXPECT_EQ(At(80, 80), kWhite);
}

TEST_F(WindowPaintDisplayTest, HalfAlphaIsPaintedOnceIntoItsCacheAndBlendedAtEachRepaint) {
  host->CreateChildrenFromString(L"<window id='4' pos='100,50,150,90' colorBkgnd='#000000' alpha='128'/>");
  SWindow* glass = W(4);
  host->Invalidate();  // laid out at the paint
  ASSERT_TRUE(pumpUntil([&] { return At(120, 70) != kWhite; }));
  pumpFor(50);
  EXPECT_TRUE(glass->IsCacheMode());
  const unsigned long grey = At(120, 70);
  for (int shift : {0, 8, 16}) EXPECT_NEAR(static_cast<int>((grey >> shift) & 0xFF), 127, 2) << std::hex << grey;
  EXPECT_EQ(glass->GetPaintCount(), 1);

  // The host repaints over it: the cache is blended again, not redrawn.
  const int blits = host->blits;
  host->InvalidateHostRect(glass->GetWindowRect());
  ASSERT_TRUE(pumpUntil([&] { return host->blits > blits; }));
  EXPECT_EQ(glass->GetPaintCount(), 1);
  EXPECT_EQ(At(120, 70), grey);
}

TEST_F(WindowPaintDisplayTest, AnUnderlayTargetKeepsTheLaterSiblingOverTheCallersDrawing) {
  SWindow* below = W(1);
  IRenderTarget* rt = below->AcquireRenderTarget(nullptr, SWindow::kAcquireUnderlay, FALSE);
  ASSERT_NE(rt, nullptr);
  const RECT rc = below->GetWindowRect();
  rt->FillSolidRect(&rc, 0xFF00FF00);  // green, in the framework's colour order
  below->ReleaseRenderTarget(rt);
  ASSERT_TRUE(pumpUntil([&] { return At(20, 20) == kGreen; })) << std::hex << At(20, 20);
  EXPECT_EQ(At(50, 50), kBlue) << "the later sibling is painted over the drawing";
  EXPECT_EQ(At(5, 5), kWhite);
}

}  // namespace
