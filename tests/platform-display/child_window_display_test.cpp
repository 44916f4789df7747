// Real child windows on the screen: they paint when their parent is shown
// or repainted, and the parent's paint never covers them.
#include "display_helper.h"

#include <cairo.h>

#include <map>

namespace {

constexpr int kX = 200, kY = 200, kW = 200, kH = 120;
constexpr RECT kChild{40, 30, 120, 90};

class ChildWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    cls_.handler = [this](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message != WM_PAINT) return std::nullopt;
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(hwnd, &ps);
      const unsigned long colour = colours_[hwnd];
      cairo_t* cr = cairo_create(static_cast<cairo_surface_t*>(Win32SurfaceOfDC(hdc)));
      cairo_set_source_rgb(cr, ((colour >> 16) & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                           (colour & 0xFF) / 255.0);
      cairo_paint(cr);  // the whole window, whatever the update area
      cairo_destroy(cr);
      EndPaint(hwnd, &ps);
      ++paints_[hwnd];
      return 0;
    };
    parent_ = CreateWindowExW(0, cls_.name(), L"parent", WS_POPUP, kX, kY, kW, kH, nullptr,
                              nullptr, nullptr, nullptr);
    child_ = CreateWindowExW(0, cls_.name(), L"", WS_CHILD | WS_VISIBLE, kChild.left, kChild.top,
                             kChild.right - kChild.left, kChild.bottom - kChild.top, parent_,
                             nullptr, nullptr, nullptr);
    ASSERT_NE(child_, nullptr);
    colours_[parent_] = 0x0000FF;
    colours_[child_] = 0x00FF00;
  }
  void TearDown() override { DestroyWindow(parent_); }

  unsigned long inChild() { return screenPixel(kX + kChild.left + 10, kY + kChild.top + 10); }
  unsigned long inParent() { return screenPixel(kX + 10, kY + 10); }

  RecordingClass cls_{L"ChildWindowTest"};
  HWND parent_ = nullptr, child_ = nullptr;
  std::map<HWND, unsigned long> colours_;
  std::map<HWND, int> paints_;
};

TEST_F(ChildWindow, ShowingOrRepaintingTheParentRepaintsTheChildOverIt) {
  ShowWindow(parent_, SW_SHOWNA);
  ASSERT_TRUE(waitViewable(parent_));
  ASSERT_TRUE(pumpUntil([&] { return inParent() == 0x0000FF && inChild() == 0x00FF00; }))
      << std::hex << inParent() << " " << inChild();

  // The parent repaints in another colour; the child repaints with it and
  // keeps its own.
  colours_[parent_] = 0xFF0000;
  colours_[child_] = 0xFFFF00;
  paints_.clear();
  InvalidateRect(parent_, nullptr, TRUE);
  ASSERT_TRUE(pumpUntil([&] { return inParent() == 0xFF0000 && inChild() == 0xFFFF00; }))
      << std::hex << inParent() << " " << inChild();
  EXPECT_EQ(paints_[child_], 1);

  // Hidden and shown again: both paint, the child on top.
  ShowWindow(parent_, SW_HIDE);
  pumpFor(100);
  colours_[parent_] = 0x00FFFF;
  colours_[child_] = 0xFF00FF;
  paints_.clear();
  ShowWindow(parent_, SW_SHOWNA);
  ASSERT_TRUE(waitViewable(parent_));
  ASSERT_TRUE(pumpUntil([&] { return inParent() == 0x00FFFF && inChild() == 0xFF00FF; }))
      << std::hex << inParent() << " " << inChild();
  pumpFor(100);
  EXPECT_EQ(inChild(), 0xFF00FFUL) << "the parent painted over its child";
  EXPECT_EQ(paints_[child_], 1);
}

}  // namespace
