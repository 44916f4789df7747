// What a host paints: borrowed render targets in their three modes,
// windows that repaint alone, invalidations made while painting, the
// inverted caret, and the frame-by-frame effects of translucent hosts.
#include <chrono>

#include "HostTestWindow.h"
#include "OrielTestApp.h"
#include "../platform-display/display_helper.h"

namespace {

constexpr int kX = 220, kY = 160;

// A is half covered by its later sibling B; C repaints alone (its
// background does not blend with its parent's) and D lies over C.
const char* kLayout =
    "<ORIEL width='240' height='160'>"
    "<root colorBkgnd='#ffffff'>"
    "<window name='a' pos='10,10,110,70' colorBkgnd='#ffff00'/>"
    "<window name='b' pos='60,10,160,70' colorBkgnd='#0000ff'/>"
    "<window name='c' pos='10,90,110,150' colorBkgnd='#00ffff' bkgndBlend='0'/>"
    "<window name='d' pos='80,100,100,120' colorBkgnd='#000000'/>"
    "</root></ORIEL>";

const char* kTranslucentLayout =
    "<ORIEL width='120' height='80' translucent='1'><root colorBkgnd='#ff8000'/></ORIEL>";

// Counts the layers pushed and the constant alpha of each.
class CountingHost : public TestHost {
 public:
  BOOL PushLayer(IRenderTarget* rt, BYTE alpha, const RECT* dirty) override {
    alphas.push_back(alpha);
    return TestHost::PushLayer(rt, alpha, dirty);
  }
  std::vector<BYTE> alphas;
};

// Invalidates a rectangle of its own the first time it paints.
class SelfInvalidating : public SWindow {
 protected:
  void OnPaint(IRenderTarget* rt) override {
    SWindow::OnPaint(rt);
    if (!done_) {
      done_ = true;
      Invalidate();
    }
  }
  bool done_ = false;
};

class HostPaintTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    moveMouse(5, 5);
  }
  void TearDown() override {
    if (host_) {
      host_->DestroyHostWindow();
      delete host_;
    }
    OrielAppTest::TearDown();
  }
  template <class H = TestHost>
  H* Show(const char* xml) {
    auto* host = new H;
    host_ = host;
    EXPECT_TRUE(MakeHost(*host, xml, kX, kY));
    ShowWindow(host->GetHwnd(), SW_SHOWNA);
    EXPECT_TRUE(waitViewable(host->GetHwnd()));
    return host;
  }
  SWindow* W(const wchar_t* name) { return host_->FindDescendantByName(name); }
  unsigned long At(int x, int y) { return screenPixel(kX + x, kY + y); }
  // The back buffer's pixel, as 0xRRGGBB.
  uint32_t Back(int x, int y) { return Pixel(host_->GetHostRenderTarget(), x, y) & 0xFFFFFF; }
  TestHost* host_ = nullptr;
};

TEST_F(HostPaintTest, AnUnderlayTargetGetsTheLaterSiblingPaintedOverTheCallersDrawing) {
  Show(kLayout);
  ASSERT_TRUE(pumpUntil([&] { return At(30, 30) == 0xFFFF00 && At(100, 30) == 0x0000FF; }));
  SWindow* a = W(L"a");
  IRenderTarget* rt = a->AcquireRenderTarget(nullptr, SWindow::kAcquireUnderlay, FALSE);
  ASSERT_NE(rt, nullptr);
  const RECT rc = a->GetWindowRect();
  rt->FillSolidRect(&rc, 0xFF0000FF);  // red, in the framework's colour order
  a->ReleaseRenderTarget(rt);
  // Presented at once: A shows the drawing, the part under B stays B's.
  ASSERT_TRUE(pumpUntil([&] { return At(30, 30) == 0xFF0000; })) << std::hex << At(30, 30);
  EXPECT_EQ(At(100, 30), 0x0000FFu);
  EXPECT_EQ(Back(100, 30), 0x0000FFu);
  EXPECT_EQ(At(5, 5), 0xFFFFFFu);
}

TEST_F(HostPaintTest, AnEmptyTargetIsNeitherCopiedBackNorPresented) {
  Show(kLayout);
  ASSERT_TRUE(pumpUntil([&] { return At(30, 30) == 0xFFFF00; }));
  const RECT rc{20, 20, 40, 40};
  IRenderTarget* rt = static_cast<ISwndContainer*>(host_)->AcquireRenderTarget(rc, SWindow::kAcquireLayerOnly);
  ASSERT_NE(rt, nullptr);
  EXPECT_EQ(Pixel(rt, 5, 5), 0u);  // starts empty, not with the host's picture
  rt->FillSolidRect(&rc, 0xFF0000FF);
  static_cast<ISwndContainer*>(host_)->ReleaseRenderTarget(rt, rc, SWindow::kAcquireLayerOnly);
  pumpFor(100);
  EXPECT_EQ(Back(30, 30), 0xFFFF00u);
  EXPECT_EQ(At(30, 30), 0xFFFF00u);
}

TEST_F(HostPaintTest, AWindowThatRepaintsAloneIsPaintedOnceOverTheUnionWithTheWindowsAbove) {
  Show(kLayout);
  ASSERT_TRUE(pumpUntil([&] { return At(30, 110) == 0x00FFFF && At(90, 110) == 0x000000; }));
  pumpFor(50);
  SWindow* c = W(L"c");
  SWindow* root = host_;
  const int rootPaints = root->GetPaintCount(), cPaints = c->GetPaintCount();
  c->GetStyle().ApplyAttribute(SStringW(L"colorBkgnd"), SStringW(L"#ff00ff"), FALSE);
  c->InvalidateRect(RECT{10, 90, 40, 120});
  c->InvalidateRect(RECT{70, 110, 110, 150});
  ASSERT_TRUE(pumpUntil([&] { return At(20, 100) == 0xFF00FF && At(100, 140) == 0xFF00FF; }));
  pumpFor(100);
  EXPECT_EQ(c->GetPaintCount(), cPaints + 1);
  EXPECT_EQ(root->GetPaintCount(), rootPaints);  // the parent below is not repainted
  EXPECT_EQ(At(90, 110), 0x000000u);             // the window above is painted over it
  // Outside the union nothing changed.
  EXPECT_EQ(At(60, 95), 0x00FFFFu);
}

TEST_F(HostPaintTest, AnInvalidationMadeWhilePaintingCausesExactlyOneFurtherPaint) {
  Show(kLayout);
  ASSERT_TRUE(pumpUntil([&] { return At(30, 30) == 0xFFFF00; }));
  pumpFor(50);
  auto* w = new SelfInvalidating;
  host_->AttachChild(w);
  w->Move(new RECT{180, 100, 220, 140});
  w->Invalidate();
  pumpFor(300);
  EXPECT_EQ(w->GetPaintCount(), 2);
}

TEST_F(HostPaintTest, TheCaretIsInvertedOverThePictureAndSurvivesARepaint) {
  Show(kLayout);
  ASSERT_TRUE(pumpUntil([&] { return At(200, 30) == 0xFFFFFF; }));
  SWindow* root = host_;
  ASSERT_TRUE(host_->CreateCaret(root->GetHandle(), nullptr, 2, 16));
  host_->SetCaretPos(200, 20);
  host_->ShowCaret(TRUE);
  EXPECT_EQ(Back(200, 25), 0x000000u);
  EXPECT_EQ(Back(202, 25), 0xFFFFFFu);
  ASSERT_TRUE(pumpUntil([&] { return At(200, 25) == 0x000000 || At(200, 25) == 0xFFFFFF; }));
  // A repaint of the area keeps the caret drawn, in place.
  host_->HandleRootTimer(1);  // a blink: off
  host_->HandleRootTimer(1);  // on
  host_->InvalidateHostRect(RECT{180, 10, 230, 50});
  host_->UpdateNow();
  EXPECT_EQ(Back(200, 25), 0x000000u);
  EXPECT_EQ(Back(201, 35), 0x000000u);
  // Moved in the off phase, it is not drawn until the next blink.
  host_->HandleRootTimer(1);
  EXPECT_EQ(Back(200, 25), 0xFFFFFFu);
  host_->SetCaretPos(210, 20);
  EXPECT_EQ(Back(210, 25), 0xFFFFFFu);
  EXPECT_EQ(Back(200, 25), 0xFFFFFFu);
  host_->HandleRootTimer(1);
  EXPECT_EQ(Back(210, 25), 0x000000u);
  host_->ShowCaret(FALSE);
  EXPECT_EQ(Back(210, 25), 0xFFFFFFu);
  ASSERT_TRUE(pumpUntil([&] { return At(210, 25) == 0xFFFFFF; }));
}

TEST_F(HostPaintTest, RedrawNonClientRepaintsTheMarginBandAtOnceAndNothingElse) {
  Show("<ORIEL width='200' height='120'><root colorBkgnd='#ffffff'>"
       "<window name='framed' pos='20,20,120,100' margin='6' colorBorder='#ff0000' colorBkgnd='#00ff00'/>"
       "<window name='over' pos='100,40,140,60' colorBkgnd='#0000ff'/>"
       "</root></ORIEL>");
  ASSERT_TRUE(pumpUntil([&] { return At(22, 50) == 0xFF0000 && At(60, 60) == 0x00FF00; }));
  SWindow* framed = W(L"framed");
  pumpFor(50);
  const int clientPaints = framed->GetPaintCount();
  // A new border colour that nothing invalidated: only the redraw shows it.
  framed->GetStyle().ApplyAttribute(SStringW(L"colorBorder"), SStringW(L"#000000"), FALSE);
  framed->GetStyle().ApplyAttribute(SStringW(L"colorBkgnd"), SStringW(L"#ffff00"), FALSE);
  framed->RedrawNonClient();
  ASSERT_TRUE(pumpUntil([&] { return At(22, 50) == 0x000000; })) << std::hex << At(22, 50);
  EXPECT_EQ(At(60, 60), 0x00FF00u);   // the client area is not painted again
  EXPECT_EQ(At(117, 50), 0x0000FFu);  // the window above stays over the band
  EXPECT_EQ(framed->GetPaintCount(), clientPaints);
}

// A layered window: its subtree is drawn into its own image, which is
// blended whole (children too) with the window's alpha.
const char* kLayeredLayout =
    "<ORIEL width='240' height='160'>"
    "<root colorBkgnd='#ffffff'>"
    "<window name='l' pos='10,10,110,70' layeredWindow='1' alpha='128' colorBkgnd='#0000ff'>"
    "<window name='child' pos='0,0,50,-0' colorBkgnd='#ff0000'/>"
    "</window></root></ORIEL>";

bool Near(unsigned long pixel, int r, int g, int b) {
  auto close = [](int a, int e) { return a >= e - 4 && a <= e + 4; };
  return close((pixel >> 16) & 0xFF, r) && close((pixel >> 8) & 0xFF, g) && close(pixel & 0xFF, b);
}

TEST_F(HostPaintTest, ALayeredWindowBlendsItsWholeSubtreeAndComposesBorrowedTargets) {
  Show(kLayeredLayout);
  ASSERT_TRUE(pumpUntil([&] { return Near(At(90, 40), 127, 127, 255); })) << std::hex << At(90, 40);
  EXPECT_TRUE(Near(At(30, 40), 255, 127, 127)) << std::hex << At(30, 40);  // the child is blended too
  EXPECT_EQ(At(150, 40), 0xFFFFFFu);
  // Drawing into the child at once goes through the layer's image and is
  // composed over what lies beneath.
  SWindow* child = W(L"child");
  IRenderTarget* rt = child->AcquireRenderTarget(nullptr, SWindow::kAcquirePlain, FALSE);
  ASSERT_NE(rt, nullptr);
  const RECT rc = child->GetWindowRect();
  rt->FillSolidRect(&rc, 0xFF00FF00);
  child->ReleaseRenderTarget(rt);
  ASSERT_TRUE(pumpUntil([&] { return Near(At(30, 40), 127, 255, 127); })) << std::hex << At(30, 40);
  EXPECT_TRUE(Near(At(90, 40), 127, 127, 255));
}

TEST_F(HostPaintTest, ATranslucentBlendHideOf200MsPushesTwentyFallingLayersThenHides) {
  auto* host = Show<CountingHost>(kTranslucentLayout);
  ASSERT_TRUE(pumpUntil([&] { return At(60, 40) == 0xFF8000; }));
  host->alphas.clear();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(host->PlayWindowAnimation(200, AW_BLEND | AW_HIDE));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(200));
  ASSERT_EQ(host->alphas.size(), 20u);
  for (size_t i = 1; i < host->alphas.size(); ++i) EXPECT_LT(host->alphas[i], host->alphas[i - 1]);
  EXPECT_EQ(host->alphas[0], 255 - 12);
  EXPECT_FALSE(IsWindowVisible(host->GetHwnd()));
}

TEST_F(HostPaintTest, ATranslucentShowWithoutAnEffectStillPushesThePicture) {
  auto* host = new CountingHost;
  host_ = host;
  ASSERT_TRUE(MakeHost(*host, kTranslucentLayout, kX, kY));
  EXPECT_FALSE(host->PlayWindowAnimation(100, 0));
  ASSERT_FALSE(host->alphas.empty());
  EXPECT_EQ(host->alphas.back(), 255);
  ASSERT_TRUE(waitViewable(host->GetHwnd()));
  ASSERT_TRUE(pumpUntil([&] { return At(60, 40) == 0xFF8000; }));
  // Below one step, a slide shows the picture in one step.
  ShowWindow(host->GetHwnd(), SW_HIDE);
  host->alphas.clear();
  EXPECT_TRUE(host->PlayWindowAnimation(5, AW_SLIDE | AW_HOR_POSITIVE));
  EXPECT_EQ(host->alphas.size(), 3u);  // the empty layer, one step, the picture
}

}  // namespace
