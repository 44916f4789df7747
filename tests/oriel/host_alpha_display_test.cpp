// An opaque host with a constant alpha ("alpha" below 255) is shown faded:
// it publishes the opacity a compositor applies, and where none runs (this
// X server) its pixels are blended over what was beneath it, read back
// from the screen. At 255 it is shown as drawn and publishes nothing.
#include <X11/Xatom.h>

#include "../platform-display/display_helper.h"
#include "HostTestWindow.h"
#include "OrielTestApp.h"

namespace {

constexpr int kX = 300, kY = 200;

std::string Layout(int alpha) {
  return "<ORIEL width='160' height='100' alpha='" + std::to_string(alpha) +
         "'><root colorBkgnd='#ffffff'/></ORIEL>";
}

// The window's _NET_WM_WINDOW_OPACITY, or -1 without one.
long Opacity(HWND hwnd) {
  Display* d = userDisplay();
  XSync(d, False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  long value = -1;
  if (XGetWindowProperty(d, Win32XWindowOf(hwnd), XInternAtom(d, "_NET_WM_WINDOW_OPACITY", False), 0, 1, False,
                         XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
      data && count == 1)
    value = static_cast<long>(*reinterpret_cast<unsigned long*>(data) & 0xFFFFFFFFUL);
  if (data) XFree(data);
  return value;
}

// A black window of another client beneath, so the blend has a known
// backdrop.
class Backdrop {
 public:
  Backdrop() {
    Display* d = userDisplay();
    window_ = XCreateSimpleWindow(d, DefaultRootWindow(d), kX - 40, kY - 40, 240, 180, 0, 0,
                                  BlackPixel(d, DefaultScreen(d)));
    XSetWindowAttributes a{};
    a.override_redirect = True;
    XChangeWindowAttributes(d, window_, CWOverrideRedirect, &a);
    XMapRaised(d, window_);
    XSync(d, False);
  }
  ~Backdrop() {
    XDestroyWindow(userDisplay(), window_);
    XSync(userDisplay(), False);
  }

 private:
  ::Window window_ = 0;
};

class HostAlphaDisplay : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
  }
  // Shows a host with `alpha`; the grey it shows at its centre.
  unsigned long ShowWith(int alpha, long* opacity) {
    Backdrop below;
    pumpFor(100);
    auto* host = new TestHost;
    EXPECT_TRUE(MakeHost(*host, Layout(alpha).c_str(), kX, kY));
    ShowWindow(host->GetHwnd(), SW_SHOWNOACTIVATE);
    EXPECT_TRUE(waitViewable(host->GetHwnd()));
    unsigned long pixel = 0;
    // Settled once two reads a while apart agree and it is no longer black.
    pumpUntil([&] {
      const unsigned long first = screenPixel(kX + 80, kY + 50);
      pumpFor(100);
      pixel = screenPixel(kX + 80, kY + 50);
      return pixel == first && pixel != 0;
    });
    *opacity = Opacity(host->GetHwnd());
    host->DestroyHostWindow();
    delete host;
    pumpFor(50);
    return pixel;
  }
};

TEST_F(HostAlphaDisplay, AConstantAlphaFadesAnOpaqueHost) {
  struct Case {
    int alpha;
    long opacity;
  } cases[] = {{200, 200L * 0x01010101L}, {100, 100L * 0x01010101L}, {255, -1}};
  for (const Case& c : cases) {
    long opacity = 0;
    const unsigned long pixel = ShowWith(c.alpha, &opacity);
    EXPECT_EQ(opacity, c.opacity) << "alpha " << c.alpha;
    // White at `alpha` over black: that grey in each channel, within one.
    for (int shift : {0, 8, 16}) {
      const int channel = static_cast<int>((pixel >> shift) & 0xFF);
      EXPECT_NEAR(channel, c.alpha, 1) << "alpha " << c.alpha << std::hex << " pixel " << pixel;
    }
  }
}

}  // namespace
