// DCs, 32-bit DIB sections, object selection and blits.
#include <gtest/gtest.h>

#include <cstring>

#include "gdi/GdiCairo.h"
#include "gdi/gdi.h"

namespace {

// A memory DC with a w x h top-down DIB selected; pixels via `bits`.
struct Canvas {
  Canvas(int w, int h) : w(w) {
    dc = CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    old = SelectObject(dc, bmp);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  uint32_t& at(int x, int y) { return bits[y * w + x]; }
  int w;
  HDC dc;
  HBITMAP bmp;
  HGDIOBJ old;
  uint32_t* bits = nullptr;
};

TEST(GdiDc, DibSectionIsTopDownPremultipliedBgraSharedWithTheDc) {
  Canvas c(4, 3);
  ASSERT_NE(c.bits, nullptr);
  BITMAP bm{};
  ASSERT_EQ(GetObjectW(c.bmp, sizeof bm, &bm), (int)sizeof bm);
  EXPECT_EQ(bm.bmWidth, 4);
  EXPECT_EQ(bm.bmHeight, 3);
  EXPECT_EQ(bm.bmWidthBytes, 16);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmBits, c.bits);
  RECT top{0, 0, 4, 1};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(c.dc, &top, red);
  DeleteObject(red);
  EXPECT_EQ(c.at(3, 0), 0xFFFF0000u);  // first row in memory is the top row
  EXPECT_EQ(c.at(0, 1), 0u);
  // Pixels written straight into the bits are what a blit copies.
  c.at(1, 2) = 0x80402010;
  Canvas d(4, 3);
  ASSERT_TRUE(BitBlt(d.dc, 0, 0, 4, 3, c.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(d.at(1, 2), 0x80402010u) << "SRCCOPY keeps alpha";
  EXPECT_EQ(GetCurrentObject(c.dc, OBJ_BITMAP), c.bmp);
}

TEST(GdiDc, SelectionReturnsThePreviousObjectAndGuardsDeletion) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP a = CreateCompatibleBitmap(dc, 2, 2);
  HBITMAP b = CreateCompatibleBitmap(dc, 2, 2);
  HGDIOBJ first = SelectObject(dc, a);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetObjectType(first), (DWORD)OBJ_BITMAP);
  EXPECT_EQ(SelectObject(dc, b), a);
  EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
  EXPECT_FALSE(DeleteObject(b)) << "a bitmap selected into a DC stays alive";
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(other, b), nullptr) << "one bitmap lives in one DC";
  // A memory DC's first bitmap goes with that DC: another DC cannot hold it,
  // or it would draw into freed pixels once the first DC is deleted.
  EXPECT_EQ(SelectObject(other, first), nullptr);
  EXPECT_NE(GetCurrentObject(other, OBJ_BITMAP), first);
  DeleteDC(other);
  SelectObject(dc, first);
  EXPECT_TRUE(DeleteObject(a));
  EXPECT_TRUE(DeleteObject(b));
  EXPECT_FALSE(DeleteObject(b)) << "a stale handle is refused";
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_EQ(GetObjectType(GetStockObject(DEFAULT_GUI_FONT)), (DWORD)OBJ_FONT);
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN))) << "stock objects ignore deletion";
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), (DWORD)OBJ_PEN);
}

TEST(GdiDc, RectangleUsesTheDefaultBlackPenAndWhiteBrush) {
  Canvas c(6, 6);
  ASSERT_TRUE(Rectangle(c.dc, 1, 1, 5, 5));
  EXPECT_EQ(c.at(1, 1), 0xFF000000u);
  EXPECT_EQ(c.at(4, 2), 0xFF000000u);
  EXPECT_EQ(c.at(2, 2), 0xFFFFFFFFu);
  EXPECT_EQ(c.at(5, 5), 0u);
  EXPECT_EQ(c.at(0, 0), 0u);
}

TEST(GdiDc, ViewportAndClipApplyToDrawing) {
  Canvas c(10, 10);
  SetViewportOrgEx(c.dc, 2, 3, nullptr);
  POINT org{};
  GetViewportOrgEx(c.dc, &org);
  EXPECT_EQ(org.x, 2);
  IntersectClipRect(c.dc, 0, 0, 4, 4);
  ExcludeClipRect(c.dc, 1, 1, 2, 2);
  RECT box{};
  EXPECT_EQ(GetClipBox(c.dc, &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.right, 4);
  RECT all{-10, -10, 20, 20};
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  FillRect(c.dc, &all, blue);
  EXPECT_EQ(c.at(2, 3), 0xFF0000FFu);
  EXPECT_EQ(c.at(3, 4), 0u) << "excluded";
  EXPECT_EQ(c.at(6, 3), 0u) << "outside the intersection";
  SelectClipRgn(c.dc, nullptr);
  FillRect(c.dc, &all, blue);
  DeleteObject(blue);
  EXPECT_EQ(c.at(9, 9), 0xFF0000FFu);
}

TEST(GdiDc, DstInvertIsAlphaMinusColourAndTwiceRestores) {
  Canvas c(2, 1);
  c.at(0, 0) = 0x80402010;
  c.at(1, 0) = 0xFFFFFFFF;
  ASSERT_TRUE(BitBlt(c.dc, 0, 0, 2, 1, nullptr, 0, 0, DSTINVERT));
  EXPECT_EQ(c.at(0, 0), 0x80406070u);
  EXPECT_EQ(c.at(1, 0), 0xFF000000u);
  BitBlt(c.dc, 0, 0, 2, 1, nullptr, 0, 0, DSTINVERT);
  EXPECT_EQ(c.at(0, 0), 0x80402010u);
}

TEST(GdiDc, AlphaBlendAndStretchBlt) {
  Canvas src(2, 2), dst(4, 4);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) src.at(x, y) = 0x80800000;  // red at alpha 128, premultiplied
  RECT all{0, 0, 4, 4};
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  FillRect(dst.dc, &all, white);
  DeleteObject(white);
  BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ASSERT_TRUE(AlphaBlend(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, 2, 2, bf));
  uint32_t p = dst.at(1, 1);
  EXPECT_EQ(p >> 24, 255u);
  EXPECT_NEAR((int)((p >> 16) & 0xFF), 255, 1);
  EXPECT_NEAR((int)(p & 0xFF), 127, 1);
  bf.SourceConstantAlpha = 0;
  uint32_t before = dst.at(1, 1);
  AlphaBlend(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, 2, 2, bf);
  EXPECT_EQ(dst.at(1, 1), before) << "constant alpha 0 changes nothing";
  EXPECT_FALSE(AlphaBlend(dst.dc, 0, 0, 2, 2, src.dc, 1, 1, 2, 2, bf)) << "source rectangle outside the bitmap";
  // Without AC_SRC_ALPHA the source is taken as opaque.
  BLENDFUNCTION opaque{AC_SRC_OVER, 0, 255, 0};
  ASSERT_TRUE(AlphaBlend(dst.dc, 2, 2, 2, 2, src.dc, 0, 0, 2, 2, opaque));
  EXPECT_EQ(dst.at(3, 3), 0xFF800000u);
  src.at(0, 0) = 0xFF00FF00;
  ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, 1, 1, SRCCOPY));
  EXPECT_EQ(dst.at(3, 3), 0xFF00FF00u);
  // A source rectangle whose far edge overflows an int is outside the
  // bitmap too, and is refused instead of being reported as drawn.
  const int big = 0x7FFFFFFF;
  EXPECT_FALSE(StretchBlt(dst.dc, 0, 0, 4, 4, src.dc, 1, 0, big, 1, SRCCOPY));
  EXPECT_FALSE(StretchBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 1, 1, big, SRCCOPY));
  EXPECT_FALSE(AlphaBlend(dst.dc, 0, 0, 4, 4, src.dc, 1, 0, big, 1, bf));
}

TEST(GdiDc, SystemValues) {
  EXPECT_EQ(GetSysColor(COLOR_INFOBK), RGB(255, 255, 225));
  EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), RGB(0, 0, 0));
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetGraphicsMode(dc, GM_COMPATIBLE), GM_COMPATIBLE);
  DeleteDC(dc);
}

}  // namespace

namespace {

TEST(GdiIcons, IconsKeepTheirPictureHotSpotAndDraw) {
  uint32_t px[4] = {0xFFFF0000, 0x80008000, 0, 0xFF0000FF};
  HICON icon = GdiCreateIconFromPixels(2, 2, px, 1, 1, true);
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  EXPECT_TRUE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 1u);
  BITMAP bm{};
  GetObjectW(info.hbmColor, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 2);
  EXPECT_EQ(static_cast<uint32_t*>(bm.bmBits)[1], 0x80008000u);
  GetObjectW(info.hbmMask, sizeof bm, &bm);
  EXPECT_EQ(static_cast<uint32_t*>(bm.bmBits)[2], 0xFFFFFFFFu) << "clear pixels are white in the mask";
  EXPECT_EQ(static_cast<uint32_t*>(bm.bmBits)[0], 0xFF000000u);
  HICON copy = CreateIconIndirect(&info);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  ASSERT_NE(copy, nullptr);
  Canvas c(4, 4);
  ASSERT_TRUE(DrawIconEx(c.dc, 0, 0, copy, 4, 4, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(c.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(c.at(3, 3), 0xFF0000FFu);
  EXPECT_TRUE(DestroyIcon(copy));
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_FALSE(DestroyIcon(icon));
  EXPECT_EQ(GetObjectType(icon), 0u);
}

}  // namespace
