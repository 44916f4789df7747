// The GDI+ image helpers with the real render plug-in: round pictures,
// conversions both ways (premultiplied once), memory loading and text
// measurement.
#include <cwchar>
#include <fstream>
#include <iterator>
#include <vector>

#include "RenderPlugin.h"
#include "base/GdiplusHelpers.h"

using namespace Gdiplus;

namespace {

using GdiplusHelpers = RenderPluginTest;

TEST_F(GdiplusHelpers, RoundImageKeepsTheCentreAndClearsTheCorners) {
  Bitmap src(100, 50);
  {
    Graphics g(&src);
    g.Clear(Color(255, 30, 140, 200));
    SolidBrush dot(Color(255, 250, 10, 10));
    g.FillRectangle(&dot, 48, 23, 4, 4);
  }
  Bitmap* round = MakeRoundImage(&src);
  ASSERT_NE(round, nullptr);
  EXPECT_EQ(round->GetWidth(), 100u);
  EXPECT_EQ(round->GetHeight(), 50u);
  Color c, s;
  for (POINT p : {POINT{0, 0}, POINT{99, 0}, POINT{0, 49}, POINT{99, 49}}) {
    round->GetPixel(p.x, p.y, &c);
    EXPECT_EQ(c.GetA(), 0) << p.x << "," << p.y;
  }
  round->GetPixel(50, 25, &c);
  src.GetPixel(50, 25, &s);
  EXPECT_EQ(c.GetValue(), s.GetValue());
  delete round;
  EXPECT_EQ(MakeRoundImage(nullptr), nullptr);
}

TEST_F(GdiplusHelpers, ConversionRoundTripKeepsPixelsAndPremultipliesOnce) {
  // Opaque and translucent pixels alike survive framework -> GDI+ ->
  // framework; a second premultiplication would darken the translucent ones.
  std::vector<uint32_t> px = {0xFF102030, 0xFFFFFFFF, 0x80404040, 0x40201008, 0x00000000, 0xC0C00000};
  IBitmap* fw = NewBitmap(3, 2, px.data());
  Bitmap* gdi = OrielBitmapToGdiBitmap(fw);
  ASSERT_NE(gdi, nullptr);
  Color c;
  gdi->GetPixel(2, 0, &c);  // 0x80404040 premultiplied = grey 0x80 at half alpha
  EXPECT_EQ(c.GetA(), 0x80);
  EXPECT_NEAR(c.GetR(), 0x80, 1);
  IBitmap* back = GdiBitmapToOrielBitmap(gdi, factory);
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->Width(), 3u);
  auto* got = static_cast<const uint32_t*>(back->GetPixelBits());
  for (size_t i = 0; i < px.size(); ++i) {
    for (int ch = 0; ch < 32; ch += 8)
      EXPECT_NEAR((int)((got[i] >> ch) & 0xFF), (int)((px[i] >> ch) & 0xFF), 1) << "pixel " << i;
  }
  back->Release();
  delete gdi;
  EXPECT_EQ(OrielBitmapToGdiBitmap(nullptr), nullptr);
  EXPECT_EQ(GdiBitmapToOrielBitmap(nullptr, factory), nullptr);
}

// The image window's three calls in a row on a translucent picture: inside
// the ellipse the pixels come back as they went in (premultiplied once),
// outside it they are clear.
TEST_F(GdiplusHelpers, RoundPictureOfATranslucentFrameworkBitmapKeepsItsPixels) {
  const uint32_t half = 0x80402010;  // premultiplied: alpha 0x80 over a dark orange
  std::vector<uint32_t> px(20 * 10, half);
  IBitmap* fw = NewBitmap(20, 10, px.data());
  Bitmap* gdi = OrielBitmapToGdiBitmap(fw);
  ASSERT_NE(gdi, nullptr);
  Bitmap* round = MakeRoundImage(gdi);
  ASSERT_NE(round, nullptr);
  IBitmap* shown = GdiBitmapToOrielBitmap(round, factory);
  ASSERT_NE(shown, nullptr);
  ASSERT_EQ(shown->Width(), 20u);
  ASSERT_EQ(shown->Height(), 10u);
  auto* got = static_cast<const uint32_t*>(shown->GetPixelBits());
  for (int x : {6, 10, 13}) {
    uint32_t p = got[5 * 20 + x];
    for (int ch = 0; ch < 32; ch += 8)
      EXPECT_NEAR((int)((p >> ch) & 0xFF), (int)((half >> ch) & 0xFF), 1) << "pixel " << x << ",5 channel " << ch;
  }
  for (int i : {0, 19, 9 * 20, 9 * 20 + 19}) EXPECT_EQ(got[i], 0u) << "corner " << i;
  shown->Release();
  delete round;
  delete gdi;
}

TEST_F(GdiplusHelpers, ALockedBitmapConvertsToNothing) {
  Bitmap busy(4, 4);
  BitmapData d{};
  Rect all(0, 0, 4, 4);
  ASSERT_EQ(busy.LockBits(&all, ImageLockModeRead, PixelFormat32bppARGB, &d), Ok);
  EXPECT_EQ(GdiBitmapToOrielBitmap(&busy, factory), nullptr);
  busy.UnlockBits(&d);
  IBitmap* ok = GdiBitmapToOrielBitmap(&busy, factory);
  ASSERT_NE(ok, nullptr);
  ok->Release();
}

TEST_F(GdiplusHelpers, RawPixelsAndMemoryImages) {
  uint32_t raw[4] = {0xFF0000FF, 0x80FF0000, 0, 0xFFFFFFFF};
  Bitmap* b = RawPixelsToGdiBitmap(raw, 2, 2, PixelFormat32bppARGB);
  ASSERT_NE(b, nullptr);
  Color c;
  b->GetPixel(1, 0, &c);
  EXPECT_EQ(c.GetValue(), 0x80FF0000u);
  delete b;
  EXPECT_EQ(RawPixelsToGdiBitmap(nullptr, 2, 2, PixelFormat32bppARGB), nullptr);
  EXPECT_EQ(RawPixelsToGdiBitmap(raw, 2, 2, 0x00021005 /* 16-bit */), nullptr);

  std::ifstream in(std::string(QUORVALE_GOLDEN_DIR) + "/round_rect.png", std::ios::binary);
  std::vector<char> png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  IBitmap* img = LoadOrielBitmapFromMemory(png.data(), png.size(), factory);
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(img->Width(), 160u);
  img->Release();
  EXPECT_EQ(LoadOrielBitmapFromMemory(png.data(), png.size() / 3, factory), nullptr);
}

TEST_F(GdiplusHelpers, MeasureTextSizeSingleAndMultiLine) {
  IRenderTarget* rt = NewTarget(0, 0);
  rt->SelectObject(TestFont(14), nullptr);
  SIZE ab{}, cd{}, line{};
  rt->MeasureText(L"ab", 2, &ab);
  rt->MeasureText(L"cdcd", 4, &cd);
  rt->MeasureText(L"A", 1, &line);
  SIZE multi = MeasureTextSize(rt, SStringW(L"ab\ncdcd"), true);
  EXPECT_EQ(multi.cx, cd.cx);
  EXPECT_EQ(multi.cy, 2 * line.cy);
  SIZE single = MeasureTextSize(rt, SStringW(L"ab\ncdcd"), false);
  EXPECT_EQ(single.cy, line.cy);
  SIZE trailing = MeasureTextSize(rt, SStringW(L"ab\n"), true);
  EXPECT_EQ(trailing.cy, 2 * line.cy) << "a final line feed adds an empty line";
  SIZE empty = MeasureTextSize(rt, SStringW(L""), true);
  EXPECT_EQ(empty.cx, 0);
  EXPECT_EQ(empty.cy, 0);
  EXPECT_EQ(MeasureTextSize(nullptr, SStringW(L"x"), false).cx, 0);
}

TEST(GdiplusHelperValues, SmallHelpers) {
  EXPECT_EQ(ScaleByPercent(15, 150), 23);
  EXPECT_EQ(ScaleByPercent(10, 125), 13);
  EXPECT_EQ(FloorFloat(2.7f), 2.0f);
  EXPECT_EQ(FloorFloat(-0.5f), -1.0f);
  SStringW text(L"abcab");
  EXPECT_EQ(text.Find(L"ab", 1), 3);
  EXPECT_EQ(text.Find(L"ab", 5), -1);
  EXPECT_EQ(text.Find(L"ab", 6), -1);
  IObjRef* none = nullptr;
  ReleaseRefHolder(&none);
  EXPECT_EQ(none, nullptr);
}

}  // namespace
