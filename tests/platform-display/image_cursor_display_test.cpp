// Cursors made from images: SetCursor shows the picture with its hot spot
// over our window (read back with XFixes), and DestroyCursor frees it.
#include "display_helper.h"

#include <X11/extensions/Xfixes.h>

#include <vector>

#include "gdi/GdiCairo.h"

namespace {

TEST(ImageCursor, ShowsThePictureWithItsHotSpot) {
  RecordingClass cls(L"ImageCursorTest");
  HWND hwnd = CreateWindowExW(0, cls.name(), L"cursor", WS_OVERLAPPEDWINDOW, 40, 40, 200, 150, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  ShowWindow(hwnd, SW_SHOW);
  ASSERT_TRUE(waitViewable(hwnd));
  RECT rc{};
  GetWindowRect(hwnd, &rc);
  moveMouse((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
  pumpFor(100);

  std::vector<uint32_t> px(12 * 10, 0xFFFF0000);  // opaque red, premultiplied BGRA
  px[0] = 0x800000FF;                            // half-transparent blue corner
  HCURSOR cursor = GdiCreateIconFromPixels(12, 10, px.data(), 3, 2, false);
  ASSERT_NE(cursor, nullptr);
  SetCursor(cursor);
  pumpFor(100);
  XFixesCursorImage* image = nullptr;
  ASSERT_TRUE(pumpUntil([&] {
    if (image) XFree(image);
    image = XFixesGetCursorImage(userDisplay());
    return image && image->width == 12;
  }));
  EXPECT_EQ(image->height, 10);
  EXPECT_EQ(image->xhot, 3);
  EXPECT_EQ(image->yhot, 2);
  EXPECT_EQ(image->pixels[5] & 0xFFFFFFFF, 0xFFFF0000ul);
  EXPECT_EQ(image->pixels[0] & 0xFFFFFFFF, 0x800000FFul);
  XFree(image);

  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_TRUE(DestroyCursor(cursor));
  EXPECT_EQ(GdiSurfaceOfIcon(cursor), nullptr);
  DestroyWindow(hwnd);
}

}  // namespace
