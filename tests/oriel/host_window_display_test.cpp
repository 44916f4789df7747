// Host windows on the X server: a layout shown through the host's back
// buffer, repaints of what changed only, translucent round corners over
// what lies beneath (with and without a compositor), an idle host left
// alone by the system.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include "HostTestWindow.h"
#include "OrielTestApp.h"
#include "../platform-display/display_helper.h"

extern char** environ;

namespace {

constexpr int kX = 200, kY = 150;

const char* kOpaqueLayout =
    "<ORIEL width='200' height='120' title='opaque host'>"
    "<root colorBkgnd='#ffffff'>"
    "<window name='red' pos='10,10,60,60' colorBkgnd='#ff0000'/>"
    "<window name='blue' pos='100,10,150,60' colorBkgnd='#0000ff'/>"
    "</root></ORIEL>";

// A blue rounded rectangle with 24-pixel corners on a transparent root.
const char* kRoundLayout =
    "<ORIEL width='160' height='100' translucent='1'>"
    "<skin><shape name='round' shape='rectangle'><solid color='#2060c0'/><corners radius='24'/></shape></skin>"
    "<root skin='round'/></ORIEL>";

const char* kGreenLayout =
    "<ORIEL width='240' height='180'><root colorBkgnd='#00ff00'/></ORIEL>";

class HostWindowTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    moveMouse(5, 5);  // away from every window of the test
  }
  void TearDown() override {
    for (TestHost* h : hosts_) {
      h->DestroyHostWindow();
      delete h;
    }
    hosts_.clear();
    OrielAppTest::TearDown();
  }
  TestHost* Show(const char* xml, int x, int y) {
    auto* host = new TestHost;
    hosts_.push_back(host);
    EXPECT_TRUE(MakeHost(*host, xml, x, y));
    ShowWindow(host->GetHwnd(), SW_SHOWNA);
    EXPECT_TRUE(waitViewable(host->GetHwnd()));
    return host;
  }
  std::vector<TestHost*> hosts_;
};

TEST_F(HostWindowTest, LayoutReachesTheScreenAndAChangeRepaintsOnlyItsRectangle) {
  TestHost* host = Show(kOpaqueLayout, kX, kY);
  RECT rc{};
  GetWindowRect(host->GetHwnd(), &rc);
  EXPECT_EQ(rc.right - rc.left, 200);
  EXPECT_EQ(rc.bottom - rc.top, 120);
  ASSERT_TRUE(pumpUntil([&] {
    return screenPixel(kX + 30, kY + 30) == 0xFF0000 && screenPixel(kX + 120, kY + 30) == 0x0000FF &&
           screenPixel(kX + 80, kY + 100) == 0xFFFFFF;
  })) << std::hex << screenPixel(kX + 30, kY + 30);

  SWindow* red = host->FindDescendantByName(L"red");
  SWindow* blue = host->FindDescendantByName(L"blue");
  pumpFor(50);
  const int bluePaints = blue->GetPaintCount();
  red->ApplyAttribute(SStringW(L"colorBkgnd"), SStringW(L"#00ff00"), FALSE);
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + 30, kY + 30) == 0x00FF00; }));
  pumpFor(50);
  // The other window lies outside the dirty region: not painted again.
  EXPECT_EQ(blue->GetPaintCount(), bluePaints);
  EXPECT_EQ(screenPixel(kX + 120, kY + 30), 0x0000FFu);
}

TEST_F(HostWindowTest, APaintedIdleHostReceivesNoMessageForASecond) {
  TestHost* host = Show(kOpaqueLayout, kX, kY);
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + 30, kY + 30) == 0xFF0000; }));
  pumpFor(200);
  const size_t before = host->seen.size();
  pumpFor(1000);
  std::vector<UINT> after(host->seen.begin() + static_cast<long>(before), host->seen.end());
  EXPECT_TRUE(after.empty()) << "first message 0x" << std::hex << (after.empty() ? 0 : after[0]);
}

TEST_F(HostWindowTest, LayoutNameLoadsTheResourceAndAMissingOneLeavesAnEmptyWindow) {
  auto* log = new CapturingLog;
  app->SetLogger(log);
  TestHost missing(L"LAYOUT:no_such_layout");
  ASSERT_TRUE(missing.Create(nullptr, WS_POPUP, 0, kX, kY, 50, 40));
  EXPECT_EQ(missing.GetChildrenCount(), 0);
  // The framework's log names the layout that did not load.
  EXPECT_NE(log->lines.find("LAYOUT:no_such_layout"), std::string::npos) << log->lines;
  missing.DestroyHostWindow();
  app->SetLogger(nullptr);
  log->Release();
}

// Translucent hosts: the corners outside the rounded shape show the window
// beneath, and the inside shows the shape's colour.
void ExpectRoundCorners(TestHost* round, int x, int y) {
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(x + 80, y + 50) == 0x2060C0; }))
      << std::hex << screenPixel(x + 80, y + 50);
  for (POINT p : {POINT{1, 1}, POINT{158, 1}, POINT{1, 98}, POINT{158, 98}})
    EXPECT_EQ(screenPixel(x + p.x, y + p.y), 0x00FF00u) << p.x << "," << p.y;
  // Along the straight edges the shape is solid.
  EXPECT_EQ(screenPixel(x + 80, y + 1), 0x2060C0u);
  EXPECT_EQ(screenPixel(x + 1, y + 50), 0x2060C0u);
  EXPECT_EQ(round->GetPaintWindow() != nullptr, true);
}

TEST_F(HostWindowTest, TranslucentRoundCornersShowTheWindowBeneath) {
  Show(kGreenLayout, kX - 40, kY - 40);
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX - 30, kY - 30) == 0x00FF00; }));
  TestHost* round = Show(kRoundLayout, kX, kY);
  ExpectRoundCorners(round, kX, kY);
}

TEST_F(HostWindowTest, TranslucentHostMakesOneHiddenPaintWindowThatNeverActivates) {
  const unsigned long corner = screenPixel(3, 3);
  TestHost* round = Show(kRoundLayout, kX, kY);
  HWND paint = round->GetPaintWindow();
  // At 0,0 it shows nothing and takes no click.
  pumpFor(100);
  EXPECT_EQ(screenPixel(3, 3), corner);
  EXPECT_TRUE(GetWindowLongW(paint, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  ASSERT_NE(paint, nullptr);
  RECT rc{};
  GetWindowRect(paint, &rc);
  EXPECT_EQ(rc.right - rc.left, 10);
  EXPECT_EQ(rc.bottom - rc.top, 10);
  EXPECT_TRUE(GetWindowLongW(paint, GWL_EXSTYLE) & WS_EX_NOACTIVATE);
  BYTE alpha = 255;
  DWORD flags = 0;
  EXPECT_TRUE(GetLayeredWindowAttributes(paint, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 0);
  EXPECT_NE(GetActiveWindow(), paint);
  // A run-time change reaches the screen through the paint window.
  round->ApplyAttribute(SStringW(L"alpha"), SStringW(L"255"), FALSE);
  SWindow* root = round;
  root->ApplyAttribute(SStringW(L"skin"), SStringW(L""), FALSE);
  root->ApplyAttribute(SStringW(L"colorBkgnd"), SStringW(L"#c02020"), FALSE);
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + 80, kY + 50) == 0xC02020; }))
      << std::hex << screenPixel(kX + 80, kY + 50);
}

class CompositedHostTest : public HostWindowTest {
 protected:
  void SetUp() override {
    HostWindowTest::SetUp();
    char program[] = "xcompmgr";
    char* argv[] = {program, nullptr};
    ASSERT_EQ(posix_spawnp(&compositor_, "xcompmgr", nullptr, nullptr, argv, environ), 0);
    Display* d = userDisplay();
    char name[32];
    std::snprintf(name, sizeof name, "_NET_WM_CM_S%d", DefaultScreen(d));
    const Atom selection = XInternAtom(d, name, False);
    ASSERT_TRUE(pumpUntil([&] { return XGetSelectionOwner(d, selection) != 0; }));
  }
  void TearDown() override {
    HostWindowTest::TearDown();
    if (compositor_ > 0) {
      kill(compositor_, SIGTERM);
      waitpid(compositor_, nullptr, 0);
    }
  }
  pid_t compositor_ = 0;
};

TEST_F(CompositedHostTest, TranslucentRoundCornersShowTheWindowBeneath) {
  Show(kGreenLayout, kX - 40, kY - 40);
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX - 30, kY - 30) == 0x00FF00; }));
  TestHost* round = Show(kRoundLayout, kX, kY);
  ExpectRoundCorners(round, kX, kY);
}

}  // namespace
