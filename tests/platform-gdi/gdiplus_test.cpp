// GDI+ bitmaps, locks and drawing over Cairo.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gdiplus/gdiplus.h"

using namespace Gdiplus;

namespace {

TEST(Gdiplus, LockFormatsConvertBetweenStraightAndPremultipliedAlpha) {
  Bitmap bmp(2, 1, PixelFormat32bppARGB);
  BitmapData w{};
  Rect all(0, 0, 2, 1);
  ASSERT_EQ(bmp.LockBits(&all, ImageLockModeWrite, PixelFormat32bppARGB, &w), Ok);
  auto* px = static_cast<uint32_t*>(w.Scan0);
  px[0] = 0x80FF0000;  // straight red at half alpha
  px[1] = 0x00123456;  // fully transparent
  ASSERT_EQ(bmp.UnlockBits(&w), Ok);
  BitmapData r{};
  ASSERT_EQ(bmp.LockBits(&all, ImageLockModeRead, PixelFormat32bppPARGB, &r), Ok);
  EXPECT_EQ(static_cast<uint32_t*>(r.Scan0)[0], 0x80800000u);
  EXPECT_EQ(static_cast<uint32_t*>(r.Scan0)[1], 0u);
  EXPECT_EQ(r.Stride, 8);
  EXPECT_EQ(r.PixelFormat, PixelFormat32bppPARGB);
  static_cast<uint32_t*>(r.Scan0)[0] = 0;  // a read lock writes nothing back
  bmp.UnlockBits(&r);
  ASSERT_EQ(bmp.LockBits(&all, ImageLockModeRead, PixelFormat32bppARGB, &r), Ok);
  EXPECT_EQ(static_cast<uint32_t*>(r.Scan0)[0], 0x80FF0000u);
  bmp.UnlockBits(&r);
}

TEST(Gdiplus, FailedLocksLeaveTheDataUntouched) {
  Bitmap bmp(4, 4);
  BitmapData d;
  memset(&d, 0xAB, sizeof d);
  const BitmapData before = d;
  Rect outside(2, 2, 4, 4);
  EXPECT_EQ(bmp.LockBits(&outside, ImageLockModeRead, PixelFormat32bppARGB, &d), InvalidParameter);
  EXPECT_EQ(memcmp(&d, &before, sizeof d), 0);
  Rect all(0, 0, 4, 4);
  EXPECT_EQ(bmp.LockBits(&all, ImageLockModeRead, 0x00030402 /* 16-bit */, &d), InvalidParameter);
  EXPECT_EQ(memcmp(&d, &before, sizeof d), 0);
  BitmapData first{};
  ASSERT_EQ(bmp.LockBits(&all, ImageLockModeRead, PixelFormat32bppARGB, &first), Ok);
  EXPECT_EQ(bmp.LockBits(&all, ImageLockModeRead, PixelFormat32bppARGB, &d), WrongState) << "one lock at a time";
  EXPECT_EQ(memcmp(&d, &before, sizeof d), 0);
  BitmapData wrong = first;
  wrong.Scan0 = nullptr;
  EXPECT_EQ(bmp.UnlockBits(&wrong), WrongState);
  EXPECT_EQ(bmp.UnlockBits(&first), Ok);
  EXPECT_EQ(bmp.UnlockBits(&first), WrongState);
  Bitmap bad(0, 5);
  EXPECT_EQ(bad.GetLastStatus(), InvalidParameter);
}

TEST(Gdiplus, ClearReplacesPixelsAndPolygonsSmoothOnlyWhenAsked) {
  for (SmoothingMode mode : {SmoothingModeHighQuality, SmoothingModeNone}) {
    SCOPED_TRACE(mode);
    Bitmap bmp(20, 20);
    Graphics g(&bmp);
    g.Clear(Color(255, 10, 20, 30));
    g.Clear(Color(0, 0, 0, 0));
    Color c;
    bmp.GetPixel(0, 0, &c);
    EXPECT_EQ(c.GetValue(), 0u) << "a transparent clear replaces, it does not blend";
    g.SetSmoothingMode(mode);
    SolidBrush brush(Color(0xFFFF9623));
    PointF tri[] = {PointF(0, 0), PointF(20, 7), PointF(0, 20)};
    ASSERT_EQ(g.FillPolygon(&brush, tri, 3, FillModeWinding), Ok);
    int partial = 0, full = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) {
        bmp.GetPixel(x, y, &c);
        partial += c.GetA() > 0 && c.GetA() < 255;
        full += c.GetA() == 255;
      }
    EXPECT_GT(full, 50);
    if (mode == SmoothingModeHighQuality)
      EXPECT_GT(partial, 5);
    else
      EXPECT_EQ(partial, 0);
  }
}

TEST(Gdiplus, TextureBrushFillsAnEllipseWithTheImage) {
  Bitmap src(40, 20);
  {
    Graphics g(&src);
    g.Clear(Color(255, 200, 100, 50));
  }
  Bitmap out(40, 20);
  Graphics g(&out);
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  TextureBrush brush(&src, WrapModeClamp);
  brush.ScaleTransform(1.0f, 1.0f);
  ASSERT_EQ(g.FillEllipse(&brush, 0, 0, 40, 20), Ok);
  Color c;
  out.GetPixel(0, 0, &c);
  EXPECT_EQ(c.GetA(), 0);
  out.GetPixel(20, 10, &c);
  EXPECT_EQ(c.GetValue(), Color(255, 200, 100, 50).GetValue());
}

TEST(Gdiplus, CloneDrawImageAndFromHbitmap) {
  Bitmap bmp(4, 4);
  {
    Graphics g(&bmp);
    g.Clear(Color(255, 0, 0, 255));
    SolidBrush red(Color(255, 255, 0, 0));
    g.FillRectangle(&red, 2, 2, 2, 2);
  }
  Bitmap* part = bmp.Clone(Rect(2, 2, 2, 2), PixelFormat32bppARGB);
  ASSERT_NE(part, nullptr);
  Color c;
  part->GetPixel(0, 0, &c);
  EXPECT_EQ(c.GetR(), 255);
  EXPECT_EQ(bmp.Clone(Rect(3, 3, 2, 2), PixelFormat32bppARGB), nullptr);
  Bitmap big(8, 8);
  Graphics g(&big);
  ASSERT_EQ(g.DrawImage(part, 0, 0, 8, 8), Ok);
  big.GetPixel(7, 7, &c);
  EXPECT_EQ(c.GetValue(), 0xFFFF0000u);
  delete part;

  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP hbm = CreateCompatibleBitmap(dc, 3, 3);
  HGDIOBJ old = SelectObject(dc, hbm);
  RECT rc{0, 0, 3, 3};
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  FillRect(dc, &rc, green);
  SelectObject(dc, old);
  Bitmap* copy = Bitmap::FromHBITMAP(hbm, nullptr);
  ASSERT_EQ(copy->GetLastStatus(), Ok);
  copy->GetPixel(1, 1, &c);
  EXPECT_EQ(c.GetValue(), 0xFF00FF00u);
  delete copy;
  DeleteObject(green);
  DeleteObject(hbm);
  DeleteDC(dc);
}

}  // namespace

namespace {

// Rectangles whose far edge does not fit in an int: checking x + width
// against the bitmap overflowed and let them through.
TEST(Gdiplus, RectanglesReachingPastIntRangeAreRefused) {
  const INT big = 0x7FFFFFFF;
  Bitmap bmp(4, 4);
  BitmapData d{};
  for (Rect r : {Rect(1, 0, big, 1), Rect(0, 1, 1, big), Rect(big, 0, 1, 1)}) {
    SCOPED_TRACE(testing::Message() << r.X << "," << r.Y << " " << r.Width << "x" << r.Height);
    EXPECT_EQ(bmp.LockBits(&r, ImageLockModeRead, PixelFormat32bppARGB, &d), InvalidParameter);
    EXPECT_EQ(bmp.Clone(r, PixelFormat32bppARGB), nullptr);
    TextureBrush brush(&bmp, WrapModeClamp, r);
    EXPECT_EQ(brush.GetLastStatus(), InvalidParameter);
  }
  Rect all(0, 0, 4, 4);
  ASSERT_EQ(bmp.LockBits(&all, ImageLockModeRead, PixelFormat32bppARGB, &d), Ok) << "no lock was left behind";
  bmp.UnlockBits(&d);
}

}  // namespace

namespace {

// A memory stream may be moved past its end; a write there that cannot be
// stored fails with an error instead of ending the process, and the stream
// stays usable.
TEST(GdiplusStream, AWriteFarPastTheEndFailsAndTheStreamStaysUsable) {
  IStream* stream = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
  LARGE_INTEGER far{};
  far.QuadPart = (LONGLONG)1 << 62;
  ASSERT_EQ(stream->Seek(far, STREAM_SEEK_SET, nullptr), S_OK);
  ULONG written = 7;
  EXPECT_TRUE(FAILED(stream->Write("x", 1, &written)));
  EXPECT_EQ(written, 0u);
  LARGE_INTEGER start{};
  ASSERT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
  ASSERT_EQ(stream->Write("ab", 2, &written), S_OK);
  ASSERT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
  char back[3] = {};
  ULONG read = 0;
  EXPECT_EQ(stream->Read(back, 2, &read), S_OK);
  EXPECT_STREQ(back, "ab");
  LARGE_INTEGER past{};
  past.QuadPart = 0x7FFFFFFFFFFFFFFF;
  EXPECT_TRUE(FAILED(stream->Seek(past, STREAM_SEEK_CUR, nullptr))) << "a position that does not fit is refused";
  stream->Release();
}

}  // namespace
