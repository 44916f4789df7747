// Render target behaviour: text measuring agrees with drawing, the clip
// stack and viewport, the DC shares the target's pixels, regions, bitmaps.
#include <dlfcn.h>

#include <cstring>
#include <string>
#include <thread>
#include <cwchar>
#include <vector>

#include "RenderPlugin.h"
#include "gdi/GdiCairo.h"

namespace {

// Bounding box of every pixel with alpha, or an empty rect.
RECT InkBox(cairo_surface_t* s) {
  int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  RECT box{w, h, 0, 0};
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) + (size_t)y * cairo_image_surface_get_stride(s));
    for (int x = 0; x < w; ++x)
      if (row[x] >> 24) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
  }
  return box.right > box.left ? box : RECT{0, 0, 0, 0};
}

bool SamePixels(cairo_surface_t* a, cairo_surface_t* b) {
  int h = cairo_image_surface_get_height(a);
  size_t n = (size_t)cairo_image_surface_get_stride(a) * h;
  return cairo_image_surface_get_height(b) == h && memcmp(cairo_image_surface_get_data(a), cairo_image_surface_get_data(b), n) == 0;
}

std::string DiffText(cairo_surface_t* a, cairo_surface_t* b) {
  std::string out;
  int w = cairo_image_surface_get_width(a), h = cairo_image_surface_get_height(a), n = 0;
  for (int y = 0; y < h; ++y) {
    auto* ra = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(a) + (size_t)y * cairo_image_surface_get_stride(a));
    auto* rb = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(b) + (size_t)y * cairo_image_surface_get_stride(b));
    for (int x = 0; x < w; ++x)
      if (ra[x] != rb[x] && n++ < 8) out += "(" + std::to_string(x) + "," + std::to_string(y) + ") ";
  }
  return out + std::to_string(n) + " pixels differ";
}

using RenderTargetTest = RenderPluginTest;

struct MeasureCase {
  const wchar_t* text;
  UINT format;
  int width;  // the rectangle the caller measures in
};

TEST_F(RenderTargetTest, CalcRectMeasuresWhatDrawTextThenDraws) {
  const MeasureCase cases[] = {
      {L"Single line of Latin text", DT_SINGLELINE, 1000},
      {L"中文单行文本测量", DT_SINGLELINE | DT_VCENTER, 1000},
      {L"ab\ncd\nlonger third line", DT_LEFT, 1000},
      {L"Word wrapping inside a narrow box, with 中文 too", DT_WORDBREAK, 120},
      {L"Centred and wrapped words in a box", DT_WORDBREAK | DT_CENTER, 100},
      {L"An ellipsis shortens this line", DT_SINGLELINE | DT_END_ELLIPSIS, 90},
      {L"&Mnemonic && text", DT_SINGLELINE, 1000},
  };
  for (const MeasureCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "format 0x" << std::hex << c.format);
    IRenderTarget* rt = NewTarget(400, 200);
    rt->SelectObject(TestFont(15), nullptr);
    rt->SetTextColor(0xFF000000);
    RECT calc{20, 20, 20 + c.width, 20};
    ASSERT_EQ(rt->DrawText(c.text, -1, &calc, c.format | DT_CALCRECT), S_OK);
    EXPECT_GT(calc.right - calc.left, 0);
    EXPECT_GT(calc.bottom - calc.top, 0);
    EXPECT_LE(calc.right - calc.left, c.width);
    // Drawn into the measured rectangle (clipped to it)...
    RECT r = calc;
    rt->DrawText(c.text, -1, &r, c.format);
    cairo_surface_t* clipped = SurfaceOf(rt);
    // ...the text looks exactly as when nothing clips it: nothing was cut off
    // and no line broke differently.
    IRenderTarget* free = NewTarget(400, 200);
    free->SelectObject(TestFont(15), nullptr);
    free->SetTextColor(0xFF000000);
    RECT loose = calc;
    loose.bottom += 100;
    free->DrawText(c.text, -1, &loose, (c.format & ~DT_VCENTER) | DT_NOCLIP);
    cairo_surface_t* unclipped = SurfaceOf(free);
    EXPECT_TRUE(SamePixels(clipped, unclipped)) << DiffText(clipped, unclipped) << " calc " << calc.left << ","
                                                << calc.top << "," << calc.right << "," << calc.bottom;
    RECT ink = InkBox(unclipped);
    EXPECT_GE(ink.left, calc.left - 1);
    EXPECT_LE(ink.right, calc.right + 1);
    EXPECT_GE(ink.top, calc.top);
    EXPECT_LE(ink.bottom, calc.bottom);
    cairo_surface_destroy(clipped);
    cairo_surface_destroy(unclipped);
  }
}

TEST_F(RenderTargetTest, LineHeightIsTheHeightOfAAndLinesAddUp) {
  IRenderTarget* rt = NewTarget(0, 0);
  rt->SelectObject(TestFont(16), nullptr);
  SIZE a{};
  ASSERT_EQ(rt->MeasureText(L"A", 1, &a), S_OK);
  EXPECT_GE(a.cy, 16);
  RECT two{0, 0, 1000, 0};
  rt->DrawText(L"ab\ncd", -1, &two, DT_CALCRECT);
  EXPECT_EQ(two.bottom, 2 * a.cy);
  RECT one{0, 0, 1000, 0};
  rt->DrawText(L"ab\ncd", -1, &one, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(one.bottom, a.cy);
  // The width is the wider of the two lines.
  SIZE ab{}, cd{};
  rt->MeasureText(L"ab", 2, &ab);
  rt->MeasureText(L"cd", 2, &cd);
  EXPECT_EQ(two.right, std::max(ab.cx, cd.cx));
  RECT empty{5, 5, 100, 100};
  rt->DrawText(L"", 0, &empty, DT_CALCRECT);
  EXPECT_EQ(empty.right, 5);
  EXPECT_EQ(empty.bottom, 5);
  // Chinese text measures in the CJK face, about one em per character.
  SIZE cjk{};
  rt->MeasureText(L"录音机", 3, &cjk);
  EXPECT_NEAR(cjk.cx, 48, 3);
}

TEST_F(RenderTargetTest, ProgramFontNamesResolveToAnInstalledCjkFace) {
  // "微软雅黑" and "宋体" are not installed by those names; they still give
  // full-width Chinese glyphs rather than missing-glyph boxes.
  for (const wchar_t* face : {L"微软雅黑", L"宋体"}) {
    LOGFONTW lf{};
    lf.lfHeight = -20;
    wcscpy(lf.lfFaceName, face);
    IFont* font = nullptr;
    ASSERT_TRUE(factory->CreateFont(&font, lf));
    IRenderTarget* rt = NewTarget(0, 0);
    rt->SelectObject(font, nullptr);
    font->Release();
    SIZE s{};
    rt->MeasureText(L"录音", 2, &s);
    EXPECT_NEAR(s.cx, 40, 3) << "face resolved badly for one of the program's names";
  }
}

TEST_F(RenderTargetTest, ClipStackCombinesAndPopsBack) {
  IRenderTarget* rt = NewTarget(40, 40);
  RECT all{0, 0, 40, 40}, left{0, 0, 20, 40}, top{0, 0, 40, 20}, spot{5, 5, 10, 10};
  rt->PushClipRect(&left, kCombineAnd);
  rt->PushClipRect(&top, kCombineAnd);      // top-left quarter
  rt->PushClipRect(&spot, kCombineDiff);    // minus a hole
  rt->FillSolidRect(&all, 0xFF0000FF);
  EXPECT_EQ(Pixel(rt, 2, 2), 0xFFFF0000u);  // red, as BGRA
  EXPECT_EQ(Pixel(rt, 7, 7), 0u);           // the hole
  EXPECT_EQ(Pixel(rt, 30, 2), 0u);
  EXPECT_EQ(Pixel(rt, 2, 30), 0u);
  RECT box{};
  rt->GetClipBox(&box);
  EXPECT_EQ(box.right, 20);
  EXPECT_EQ(box.bottom, 20);
  rt->PushClipRect(&spot, kCombineCopy);  // replaces the clip
  rt->FillSolidRect(&all, 0xFF00FF00);
  EXPECT_EQ(Pixel(rt, 7, 7), 0xFF00FF00u);
  EXPECT_EQ(Pixel(rt, 2, 2), 0xFFFF0000u);
  int cookie = 0;
  rt->SaveClip(&cookie);
  rt->PushClipRect(&left, kCombineOr);
  rt->RestoreClip(cookie);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(rt->PopClip(), S_OK);
  EXPECT_NE(rt->PopClip(), S_OK) << "the base clip cannot be popped";
  rt->GetClipBox(&box);
  EXPECT_EQ(box.right, 40);
}

TEST_F(RenderTargetTest, ViewportOriginMovesDrawingAndClips) {
  IRenderTarget* rt = NewTarget(40, 40);
  rt->SetViewportOrg(POINT{-10, -10});  // host coordinates of a window at (10, 10)
  RECT r{10, 10, 12, 12};
  rt->PushClipRect(&r, kCombineAnd);
  RECT big{0, 0, 40, 40};
  rt->FillSolidRect(&big, 0xFFFFFFFF);
  EXPECT_EQ(Pixel(rt, 0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(rt, 1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(rt, 2, 2), 0u);
  RECT box{};
  rt->GetClipBox(&box);
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.right, 12);
}

TEST_F(RenderTargetTest, PathClipKeepsDrawingInsideTheOval) {
  IRenderTarget* rt = NewTarget(40, 40);
  IPath* path = nullptr;
  ASSERT_TRUE(factory->CreatePath(&path));
  EXPECT_TRUE(path->IsEmpty());
  RECT oval{0, 0, 40, 40};
  path->AddOval(&oval, 5);
  EXPECT_FALSE(path->IsEmpty());
  rt->PushClipPath(path, kCombineAnd);
  rt->FillSolidRect(&oval, 0xFFFFFFFF);
  rt->PopClip();
  path->Release();
  EXPECT_EQ(Pixel(rt, 1, 1), 0u);
  EXPECT_EQ(Pixel(rt, 20, 20), 0xFFFFFFFFu);
  // Pixels on the curve are partly covered: the clip edge is anti-aliased.
  int partial = 0;
  for (int i = 0; i < 20; ++i) {
    uint32_t a = Pixel(rt, i, i) >> 24;
    partial += a > 0 && a < 255;
  }
  EXPECT_GT(partial, 0);
}

// Paths pushed with a mode other than AND become pixel regions; only the
// pixels of the target count, however far the path reaches beyond it.
TEST_F(RenderTargetTest, PathClipsByModeCoverOnlyTheTargetsPixels) {
  IRenderTarget* rt = NewTarget(20, 20);
  RECT all{0, 0, 20, 20};
  IPath* huge = nullptr;
  ASSERT_TRUE(factory->CreatePath(&huge));
  RECT far{-200000, -200000, 200000, 200000};
  huge->AddRect(&far, 5);
  ASSERT_EQ(rt->PushClipPath(huge, kCombineDiff), S_OK);
  rt->FillSolidRect(&all, 0xFFFFFFFF);
  EXPECT_EQ(Pixel(rt, 10, 10), 0u) << "everything was cut away";
  ASSERT_EQ(rt->PopClip(), S_OK);
  IPath* oval = nullptr;
  ASSERT_TRUE(factory->CreatePath(&oval));
  RECT inner{-10, -10, 30, 30};
  oval->AddOval(&inner, 5);
  ASSERT_EQ(rt->PushClipPath(oval, kCombineCopy), S_OK);
  rt->FillSolidRect(&all, 0xFFFFFFFF);
  rt->PopClip();
  EXPECT_EQ(Pixel(rt, 10, 10), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(rt, 19, 0), 0xFFFFFFFFu);
  huge->Release();
  oval->Release();
}

// A rounded clip path and a filled rounded rectangle are one shape: the same
// corners are cut, the same edge pixels partly covered.
TEST_F(RenderTargetTest, RoundedClipPathMatchesTheFilledRoundRect) {
  RECT box{2, 3, 38, 27};
  IRenderTarget* filled = NewTarget(40, 30);
  ASSERT_EQ(filled->FillSolidRoundRect(&box, POINT{10, 8}, 0xFFFFFFFF), S_OK);
  IRenderTarget* clipped = NewTarget(40, 30);
  IPath* path = nullptr;
  ASSERT_TRUE(factory->CreatePath(&path));
  path->AddRoundRect(&box, 10, 8, 5);
  clipped->PushClipPath(path, kCombineAnd);
  RECT all{0, 0, 40, 30};
  clipped->FillSolidRect(&all, 0xFFFFFFFF);
  clipped->PopClip();
  path->Release();
  EXPECT_EQ(Pixel(filled, 2, 3) >> 24, 0u);    // corner cut away
  EXPECT_EQ(Pixel(filled, 20, 15), 0xFFFFFFFFu);
  int worst = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      worst = std::max(worst, std::abs((int)(Pixel(filled, x, y) >> 24) - (int)(Pixel(clipped, x, y) >> 24)));
  EXPECT_LE(worst, 2);
}

TEST_F(RenderTargetTest, DcDrawsIntoTheSamePixelsWithViewportAndClip) {
  IRenderTarget* rt = NewTarget(30, 30);
  rt->SetViewportOrg(POINT{5, 5});
  RECT clip{0, 0, 10, 10};
  rt->PushClipRect(&clip, kCombineAnd);
  HDC dc = rt->GetDC(0);
  ASSERT_NE(dc, nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT fill{0, 0, 20, 20};
  EXPECT_TRUE(FillRect(dc, &fill, red));
  DeleteObject(red);
  rt->ReleaseDC(dc);
  EXPECT_EQ(Pixel(rt, 5, 5), 0xFFFF0000u);
  EXPECT_EQ(Pixel(rt, 14, 14), 0xFFFF0000u);
  EXPECT_EQ(Pixel(rt, 15, 15), 0u) << "the DC keeps to the target's clip";
  EXPECT_EQ(Pixel(rt, 4, 4), 0u);
  // And the target sees what GDI text drew.
  IRenderTarget* t2 = NewTarget(60, 30);
  HDC dc2 = t2->GetDC(0);
  RECT tr{0, 0, 60, 30};
  EXPECT_GT(DrawTextW(dc2, L"GDI", -1, &tr, DT_SINGLELINE), 0);
  t2->ReleaseDC(dc2);
  cairo_surface_t* s = SurfaceOf(t2);
  RECT ink = InkBox(s);
  cairo_surface_destroy(s);
  EXPECT_GT(ink.right, ink.left);
}

TEST_F(RenderTargetTest, CopyAndInvertBetweenTargets) {
  IRenderTarget* a = NewTarget(20, 20);
  IRenderTarget* b = NewTarget(20, 20);
  RECT left{0, 0, 10, 20};
  a->ClearRect(&left, 0x80000080);  // half-transparent red
  RECT dst{10, 0, 20, 20};
  ASSERT_EQ(b->BitBlt(&dst, a, 0, 0, kRopSrcCopy), S_OK);
  uint32_t copied = Pixel(b, 15, 5);
  EXPECT_EQ(copied >> 24, 0x80u) << "SRCCOPY keeps alpha";
  EXPECT_EQ(Pixel(b, 5, 5), 0u);
  b->BitBlt(&dst, nullptr, 0, 0, kRopDstInvert);
  uint32_t inv = Pixel(b, 15, 5);
  EXPECT_EQ(inv >> 24, 0x80u);
  EXPECT_EQ((inv >> 16) & 0xFF, 0x80u - ((copied >> 16) & 0xFF));
  EXPECT_EQ(inv & 0xFF, 0x80u - (copied & 0xFF));
  // Copying a target onto itself (overlapping) moves the pixels intact.
  RECT shifted{5, 0, 15, 20};
  a->BitBlt(&shifted, a, 0, 0, kRopSrcCopy);
  EXPECT_EQ(Pixel(a, 14, 5) >> 24, 0x80u);
}

TEST_F(RenderTargetTest, NoColourAndTransparentTextDrawNothing) {
  IRenderTarget* rt = NewTarget(20, 20);
  RECT all{0, 0, 20, 20};
  EXPECT_EQ(rt->FillSolidRect(&all, kRenderNoColor), S_FALSE);
  rt->SetTextColor(kRenderNoColor);
  RECT r = all;
  rt->DrawText(L"X", 1, &r, DT_SINGLELINE);
  cairo_surface_t* s = SurfaceOf(rt);
  RECT ink = InkBox(s);
  cairo_surface_destroy(s);
  EXPECT_EQ(ink.right, 0);
}

TEST_F(RenderTargetTest, RegionsCombineTestAndMove) {
  IRegion* rgn = nullptr;
  ASSERT_TRUE(factory->CreateRegion(&rgn));
  EXPECT_TRUE(rgn->IsEmpty());
  RECT a{0, 0, 10, 10}, b{20, 0, 30, 10};
  rgn->CombineRect(&a, kCombineOr);
  rgn->CombineRect(&b, kCombineOr);
  EXPECT_TRUE(rgn->PtInRegion(POINT{5, 5}));
  EXPECT_FALSE(rgn->PtInRegion(POINT{15, 5}));
  RECT between{12, 2, 18, 8};
  EXPECT_FALSE(rgn->RectInRegion(&between));
  RECT box{};
  rgn->GetRgnBox(&box);
  EXPECT_EQ(box.right, 30);
  rgn->CombineRect(&a, kCombineDiff);
  EXPECT_FALSE(rgn->PtInRegion(POINT{5, 5}));
  rgn->Offset(POINT{-20, 5});
  EXPECT_TRUE(rgn->PtInRegion(POINT{0, 5}));
  EXPECT_FALSE(rgn->PtInRegion(POINT{0, 4}));
  // A platform rounded-rectangle region, as the button skin makes it.
  HRGN round = CreateRoundRectRgn(0, 0, 41, 21, 10, 10);
  rgn->CombineRgn(round, kCombineCopy);
  DeleteObject(round);
  EXPECT_FALSE(rgn->PtInRegion(POINT{0, 0}));
  EXPECT_TRUE(rgn->PtInRegion(POINT{20, 10}));
  // Called for the rectangle (0, 0, 40, 20) with right + 1 and bottom + 1,
  // the region covers exactly that rectangle's pixels.
  EXPECT_TRUE(rgn->PtInRegion(POINT{39, 10}));
  EXPECT_FALSE(rgn->PtInRegion(POINT{40, 10}));
  EXPECT_TRUE(rgn->PtInRegion(POINT{20, 19}));
  EXPECT_FALSE(rgn->PtInRegion(POINT{20, 20}));
  rgn->Clear();
  EXPECT_TRUE(rgn->IsEmpty());
  rgn->Release();
}

TEST_F(RenderTargetTest, BitmapsLockCloneScaleAndTile) {
  uint32_t px[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80000000};
  IBitmap* bmp = NewBitmap(2, 2, px);
  EXPECT_EQ(bmp->Width(), 2u);
  EXPECT_EQ(bmp->Size().cy, 2);
  IBitmap* copy = nullptr;
  ASSERT_EQ(bmp->Clone(&copy), S_OK);
  auto* bits = static_cast<uint32_t*>(bmp->LockPixelBits());
  ASSERT_NE(bits, nullptr);
  bits[0] = 0xFFFFFFFF;
  bmp->UnlockPixelBits(bits);
  EXPECT_EQ(static_cast<const uint32_t*>(copy->GetPixelBits())[0], 0xFFFF0000u) << "a clone owns its pixels";
  IBitmap* big = nullptr;
  ASSERT_EQ(copy->Scale(&big, 8, 6, kFilterNone), S_OK);
  EXPECT_EQ(big->Width(), 8u);
  EXPECT_EQ(big->Height(), 6u);
  EXPECT_EQ(static_cast<const uint32_t*>(big->GetPixelBits())[0], 0xFFFF0000u);
  big->Release();
  // Tiling repeats the source part with its period.
  IRenderTarget* rt = NewTarget(6, 2);
  RECT dst{0, 0, 6, 2};
  rt->DrawBitmapEx(&dst, copy, nullptr, MakeExpandMode(EM_TILE, kFilterNone), 255);
  EXPECT_EQ(Pixel(rt, 0, 0), Pixel(rt, 2, 0));
  EXPECT_EQ(Pixel(rt, 1, 0), Pixel(rt, 5, 0));
  EXPECT_EQ(Pixel(rt, 1, 0), 0xFF00FF00u);
  copy->Release();
  // An empty bitmap has no pixels and draws nothing.
  IBitmap* empty = nullptr;
  factory->CreateBitmap(&empty);
  EXPECT_EQ(empty->LockPixelBits(), nullptr);
  EXPECT_EQ(rt->DrawBitmapEx(&dst, empty, nullptr, EM_STRETCH, 255), S_FALSE);
  empty->Release();
}

// Source rectangles come from skin definitions: one reaching past the
// bitmap draws what lies inside it, as the plain bitmap drawing does, and
// an alpha blend from outside the source target is refused.
TEST_F(RenderTargetTest, SourceRectanglesBeyondTheBitmapStayInsideIt) {
  std::vector<uint32_t> px(12 * 12, 0xFF2050A0);
  for (int i = 0; i < 12; ++i) px[i] = px[11 * 12 + i] = 0xFFFF0000;  // red top and bottom rows
  IBitmap* skin = NewBitmap(12, 12, px.data());
  RECT dst{0, 0, 30, 20};
  RECT margins{4, 4, 4, 4};
  RECT exact{0, 0, 12, 12}, past{0, 0, 30000, 30000};
  IRenderTarget* want = NewTarget(30, 20);
  IRenderTarget* got = NewTarget(30, 20);
  ASSERT_EQ(want->DrawBitmap9Patch(&dst, skin, &exact, &margins, EM_STRETCH, 255), S_OK);
  ASSERT_EQ(got->DrawBitmap9Patch(&dst, skin, &past, &margins, EM_STRETCH, 255), S_OK);
  for (POINT p : {POINT{0, 0}, POINT{29, 19}, POINT{15, 10}, POINT{29, 0}})
    EXPECT_EQ(Pixel(got, p.x, p.y), Pixel(want, p.x, p.y)) << p.x << "," << p.y;
  EXPECT_EQ(Pixel(got, 29, 19), 0xFFFF0000u);

  IRenderTarget* layer = NewTarget(10, 10);
  RECT whole{0, 0, 10, 10}, beyond{5, 5, 30000, 30000};
  EXPECT_EQ(got->AlphaBlend(&whole, layer, &beyond, 255), E_INVALIDARG);
  EXPECT_EQ(got->AlphaBlend(&whole, layer, &whole, 255), S_OK);
}

TEST_F(RenderTargetTest, DamagedImageLeavesTheBitmapEmpty) {
  IBitmap* bmp = nullptr;
  factory->CreateBitmap(&bmp);
  const unsigned char junk[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H'};
  EXPECT_TRUE(FAILED(bmp->LoadFromMemory(junk, sizeof junk)));
  EXPECT_EQ(bmp->Width(), 0u);
  EXPECT_TRUE(FAILED(bmp->LoadFromFile(L"/nonexistent/skin.png")));
  bmp->Release();
}

TEST_F(RenderTargetTest, ObjectsKeepTheFactoryAliveAndSelectionsHoldReferences) {
  IPen* pen = nullptr;
  IRenderTarget* rt = NewTarget(4, 4);
  ASSERT_EQ(rt->CreatePen(PS_DOT, 0xFF585858, 1, &pen), S_OK);
  EXPECT_EQ(pen->GetRenderFactory(), factory);
  IRenderObj* old = nullptr;
  rt->SelectObject(pen, &old);
  EXPECT_EQ(old->ObjectType(), OT_PEN);
  EXPECT_EQ(pen->Release(), 1) << "the target holds the selected pen";
  EXPECT_EQ(rt->GetCurrentObject(OT_PEN), pen);
  rt->SelectDefaultObject(OT_PEN, nullptr);
  EXPECT_EQ(rt->GetCurrentObject(OT_PEN), old);
}

}  // namespace

namespace {

TEST_F(RenderPluginTest, IconsDrawAtTheirSizeOrStretched) {
  std::vector<uint32_t> px(4 * 4, 0xFF00FF00);
  HICON icon = GdiCreateIconFromPixels(4, 4, px.data(), 2, 2, true);
  IRenderTarget* rt = NewTarget(20, 20);
  ASSERT_EQ(rt->DrawIconEx(1, 1, icon, 0, 0, DI_NORMAL), S_OK);
  EXPECT_EQ(Pixel(rt, 4, 4), 0xFF00FF00u);
  EXPECT_EQ(Pixel(rt, 5, 5), 0u);
  ASSERT_EQ(rt->DrawIconEx(10, 10, icon, 8, 8, DI_NORMAL), S_OK);
  EXPECT_EQ(Pixel(rt, 17, 17), 0xFF00FF00u);
  EXPECT_EQ(Pixel(rt, 18, 18), 0u);
  DestroyIcon(icon);
  EXPECT_EQ(rt->DrawIconEx(0, 0, icon, 0, 0, DI_NORMAL), E_INVALIDARG);
}

}  // namespace

namespace {

TEST_F(RenderPluginTest, BitmapsLoadThroughTheImageDecoderPlugin) {
  void* module = dlopen((ProgramFolder() + "imgdecoder-pixbuf.so").c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  auto create = reinterpret_cast<SCreateInstanceFn>(dlsym(module, "SCreateInstance"));
  IObjRef* obj = nullptr;
  ASSERT_TRUE(create && create(&obj));
  auto* decoder = static_cast<IImgDecoderFactory*>(obj);
  factory->SetImgDecoderFactory(decoder);
  EXPECT_EQ(decoder->Release(), 1) << "the render factory holds the decoder";
  ASSERT_EQ(factory->GetImgDecoderFactory(), decoder);

  const std::string png = std::string(QUORVALE_GOLDEN_DIR) + "/round_rect.png";
  IBitmap* bmp = nullptr;
  factory->CreateBitmap(&bmp);
  ASSERT_EQ(bmp->LoadFromFile(std::wstring(png.begin(), png.end()).c_str()), S_OK);
  cairo_surface_t* ref = cairo_image_surface_create_from_png(png.c_str());
  ASSERT_EQ(bmp->Width(), (UINT)cairo_image_surface_get_width(ref));
  ASSERT_EQ(bmp->Height(), (UINT)cairo_image_surface_get_height(ref));
  // Cairo's own PNG reader agrees with the plug-in pixel for pixel.
  cairo_surface_flush(ref);
  const auto* a = static_cast<const uint32_t*>(bmp->GetPixelBits());
  int differ = 0;
  for (UINT y = 0; y < bmp->Height(); ++y)
    for (UINT x = 0; x < bmp->Width(); ++x)
      differ += a[y * bmp->Width() + x] !=
                reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(ref) + y * cairo_image_surface_get_stride(ref))[x];
  EXPECT_EQ(differ, 0);
  cairo_surface_destroy(ref);
  EXPECT_TRUE(FAILED(bmp->LoadFromFile(L"/nonexistent.png")));
  bmp->Release();
  factory->SetImgDecoderFactory(nullptr);
}

}  // namespace

namespace {

TEST_F(RenderPluginTest, TextDrawsTheSameOnSeveralThreadsAtOnce) {
  // Each thread has its own Pango context and layout cache; the pictures
  // must not depend on which thread drew them.
  auto draw = [this](IRenderTarget* rt, IFont* font) {
    rt->SelectObject(font, nullptr);
    rt->SetTextColor(0xFF000000);
    for (int i = 0; i < 30; ++i) {
      RECT r{0, (i % 5) * 20, 200, (i % 5) * 20 + 20};
      rt->DrawText(i % 2 ? L"线程 thread" : L"Parallel 文本", -1, &r, DT_SINGLELINE | DT_CENTER);
    }
  };
  IFont* font = TestFont(14);
  IRenderTarget* alone = NewTarget(200, 100);
  draw(alone, font);
  cairo_surface_t* want = SurfaceOf(alone);
  std::vector<IRenderTarget*> targets;
  for (int i = 0; i < 4; ++i) targets.push_back(NewTarget(200, 100));
  std::vector<std::thread> threads;
  for (IRenderTarget* rt : targets) threads.emplace_back([&, rt] { draw(rt, font); });
  for (std::thread& t : threads) t.join();
  for (IRenderTarget* rt : targets) {
    cairo_surface_t* got = SurfaceOf(rt);
    EXPECT_TRUE(SamePixels(got, want));
    cairo_surface_destroy(got);
  }
  cairo_surface_destroy(want);
}

}  // namespace
