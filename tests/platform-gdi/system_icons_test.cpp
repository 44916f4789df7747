// LoadIconW gives the four system icons as 32 x 32 pictures of their own
// colours, a new icon per call, and nothing for other names.
#include <gtest/gtest.h>

#include <cairo.h>

#include "gdi/GdiCairo.h"
#include "gdi/gdi.h"

namespace {

// The premultiplied BGRA pixel of an icon.
uint32_t IconPixel(HICON icon, int x, int y) {
  cairo_surface_t* s = GdiSurfaceOfIcon(icon);
  cairo_surface_flush(s);
  return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) +
                                           static_cast<size_t>(y) * cairo_image_surface_get_stride(s))[x];
}

// The colour a pixel is nearest to among red, blue, amber and teal.
int Hue(uint32_t px) {
  const int r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
  if (r > 150 && g < 100 && b < 100) return 0;   // red
  if (b > 150 && r < 100) return 1;              // blue
  if (r > 200 && g > 140 && b < 80) return 2;    // amber
  if (g > 120 && b > 100 && r < 80) return 3;    // teal
  return -1;
}

TEST(SystemIcons, FourIconsOfTheirOwnColoursAtThirtyTwoPixels) {
  const LPCWSTR ids[] = {IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK};
  for (int i = 0; i < 4; ++i) {
    HICON icon = LoadIconW(nullptr, ids[i]);
    ASSERT_NE(icon, nullptr) << i;
    cairo_surface_t* s = GdiSurfaceOfIcon(icon);
    EXPECT_EQ(cairo_image_surface_get_width(s), 32);
    EXPECT_EQ(cairo_image_surface_get_height(s), 32);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_EQ(info.xHotspot, 16u);
    EXPECT_EQ(info.yHotspot, 16u);
    EXPECT_TRUE(info.fIcon);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    // The body colour just inside the edge, clear in the corner.
    EXPECT_EQ(Hue(IconPixel(icon, 16, 26)), i) << std::hex << IconPixel(icon, 16, 26);
    EXPECT_EQ(IconPixel(icon, 0, 0) >> 24, 0u);
    // Each call gives an icon of its own, which the caller may destroy.
    HICON again = LoadIconW(nullptr, ids[i]);
    EXPECT_NE(again, icon);
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_EQ(Hue(IconPixel(again, 16, 26)), i);
    EXPECT_TRUE(DestroyIcon(again));
  }
}

TEST(SystemIcons, OtherNamesAndInstancesGiveNothing) {
  EXPECT_EQ(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(32512)), nullptr);
  EXPECT_EQ(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(32517)), nullptr);
  EXPECT_EQ(LoadIconW(nullptr, L"ICON_LOGO"), nullptr);
  EXPECT_EQ(LoadIconW(reinterpret_cast<HINSTANCE>(1), IDI_HAND), nullptr);
}

}  // namespace
