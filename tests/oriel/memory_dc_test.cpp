// The scoped memory DC: its own bitmap for a rectangle, drawn on in that
// rectangle's coordinates, and bitmaps swapped in and out.
#include <gtest/gtest.h>
#include <cairo.h>

#include "core/SMemoryDC.h"
#include "gdi/GdiCairo.h"

using ORIEL::SMemoryDC;

namespace {

uint32_t PixelOf(HBITMAP bitmap, int x, int y) {
  cairo_surface_t* s = GdiSurfaceOfBitmap(bitmap);
  cairo_surface_flush(s);
  return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s))[x];
}

void Fill(HDC dc, const RECT& rc, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &rc, brush);
  DeleteObject(brush);
}

TEST(MemoryDC, DrawsInTheRectanglesCoordinatesOnItsOwnBitmap) {
  SMemoryDC mem;
  ASSERT_TRUE(mem.CreateForRect(nullptr, RECT{10, 20, 30, 40}));
  EXPECT_FALSE(mem.CreateForRect(nullptr, RECT{0, 0, 5, 5})) << "one DC per object";
  Fill(mem, RECT{10, 20, 12, 22}, RGB(255, 0, 0));

  HBITMAP own = static_cast<HBITMAP>(GetCurrentObject(mem, OBJ_BITMAP));
  BITMAP info{};
  ASSERT_TRUE(GetObjectW(own, sizeof info, &info));
  EXPECT_EQ(info.bmWidth, 20);
  EXPECT_EQ(info.bmHeight, 20);
  EXPECT_EQ(PixelOf(own, 0, 0), 0xFFFF0000u) << "(10, 20) is the bitmap's first pixel";
  EXPECT_EQ(PixelOf(own, 2, 2) >> 24, 0u);
}

TEST(MemoryDC, SwappedBitmapsComeBackAndTheCallersAreLeftAlive) {
  HBITMAP mine = CreateCompatibleBitmap(nullptr, 8, 8);
  {
    SMemoryDC mem(nullptr, mine);
    EXPECT_EQ(GetCurrentObject(mem, OBJ_BITMAP), mine);
    Fill(mem, RECT{0, 0, 8, 8}, RGB(0, 0, 255));
    HBITMAP other = CreateCompatibleBitmap(nullptr, 4, 4);
    EXPECT_EQ(mem.SwapBitmap(other), mine);
    EXPECT_EQ(mem.SwapBitmap(nullptr), other) << "the DC's first bitmap goes back, the swapped one out";
    EXPECT_EQ(mem.SwapBitmap(nullptr), nullptr) << "nothing selected any more";
    DeleteObject(other);
  }
  // The caller's bitmap outlived the DC with what was drawn on it.
  EXPECT_EQ(PixelOf(mine, 7, 7), 0xFF0000FFu);
  EXPECT_TRUE(DeleteObject(mine));
}

}  // namespace
