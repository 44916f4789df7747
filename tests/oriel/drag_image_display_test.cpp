// The picture that follows a drag inside the program: hidden until it is
// first moved, drawn with its per-pixel alpha (what is transparent in it
// shows the windows beneath), and never in the way of the mouse.
#include "OrielTestApp.h"
#include "SwndWindowHost.h"
#include "core/CDragWnd.h"
#include "../platform-display/display_helper.h"

namespace {

constexpr int kX = 100, kY = 120, kW = 200, kH = 120;
constexpr int kImageW = 40, kImageH = 30;

class DragImageDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    host = new SwndWindowHost(kX, kY, kW, kH);
    host->CreateChildrenFromString(L"<window id='1' pos='0,0,-0,-0' colorBkgnd='#00ff00'/>");
    ShowWindow(host->Hwnd(), SW_SHOWNA);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + 100, kY + 60) == 0x00FF00; }));
    host->FindDescendantById(1)->SubscribeEvent(EventLButtonDown::EventID, [this](EventArgs*) {
      ++presses;
      return true;
    });
    image = MakeImage();
  }
  void TearDown() override {
    CDragWnd::EndDragImage();
    if (image) DeleteObject(image);
    if (host) {
      host->SendSwndMessage(2);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  // Opaque red on the left half, fully transparent on the right (a new
  // 32-bit bitmap is all zeros).
  static HBITMAP MakeImage() {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kImageW;
    info.bmiHeader.biHeight = -kImageH;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    const RECT left{0, 0, kImageW / 2, kImageH};
    FillRect(dc, &left, red);
    DeleteObject(red);
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
  }

  SwndWindowHost* host = nullptr;
  HBITMAP image = nullptr;
  int presses = 0;
};

TEST_F(DragImageDisplayTest, HiddenUntilMovedShowsItsAlphaAndLetsClicksThrough) {
  ASSERT_TRUE(image);
  ASSERT_TRUE(CDragWnd::StartDragImage(image, 10, 5, 0, 255, 0));
  EXPECT_FALSE(CDragWnd::StartDragImage(image, 0, 0, 0, 255, 0)) << "one drag image at a time";
  HWND drag = CDragWnd::GetDragImageHwnd();
  ASSERT_TRUE(drag);

  EXPECT_EQ(GetWindowLongW(drag, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST),
            WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST);

  // The hot spot lands on the point: the image's top-left is at (90, 55)
  // in the host.
  CDragWnd::MoveDragImage(kX + 100, kY + 60);

  EXPECT_TRUE(IsWindowVisible(drag));
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + 95, kY + 60) == 0xFF0000; }))
      << std::hex << screenPixel(kX + 95, kY + 60);
  EXPECT_EQ(screenPixel(kX + 120, kY + 60), 0x00FF00u) << "the transparent half shows the window beneath";
  EXPECT_EQ(screenPixel(kX + 85, kY + 60), 0x00FF00u) << "left of the image";

  // A click on the image's opaque part reaches the window beneath it.
  moveMouse(kX + 95, kY + 60);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return presses == 1; }));

  CDragWnd::EndDragImage();
  EXPECT_EQ(CDragWnd::GetDragImageHwnd(), nullptr);
  EXPECT_FALSE(IsWindow(drag));
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + 95, kY + 60) == 0x00FF00; }));
  EXPECT_TRUE(CDragWnd::StartDragImage(image, 0, 0, 0, 255, 0)) << "a new drag may start";
}

}  // namespace
