// The program's controls on screens of 96, 144 and 192 DPI: the logo loaded
// at the scale's size in a window of that size (its pixels read back), the
// header and the rows; and the logo loaded again when the desktop's Xft.dpi
// changes while the dialog is open. Each DPI runs in a child of this test
// on an X server of its own whose resources carry that DPI at start-up; the
// dialog base takes the scale from it when it initialises.
#include "app_controls_fixture.h"

#include <X11/Xatom.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* ChildDpi() { return getenv("QUORVALE_TEST_XFT_DPI"); }

// In a child: an Xvfb whose resources say the DPI asked for.
class DpiServer : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!ChildDpi()) return;
    // A display number of this process's own; the server is up once it
    // takes a connection.
    const std::string display = ":" + std::to_string(300 + getpid() % 600);
    pid_ = fork();
    if (pid_ == 0) {
      execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    ASSERT_GT(pid_, 0);
    setenv("DISPLAY", display.c_str(), 1);
    Display* x = nullptr;
    for (int i = 0; i < 100 && !x; ++i) {
      x = XOpenDisplay(display.c_str());
      if (!x) usleep(100 * 1000);
    }
    ASSERT_NE(x, nullptr) << "Xvfb " << display << " did not start";
    const std::string resources = std::string("Xft.dpi:\t") + ChildDpi() + "\n";
    XChangeProperty(x, DefaultRootWindow(x), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources.data()), static_cast<int>(resources.size()));
    XSync(x, False);
    XCloseDisplay(x);  // the server keeps its resources: it runs with -noreset
  }
  void TearDown() override {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }

 private:
  pid_t pid_ = -1;
};
[[maybe_unused]] const auto* const kServer = ::testing::AddGlobalTestEnvironment(new DpiServer);

TEST(AppControlsDpi, EachDpiPassesInItsOwnServer) {
  if (ChildDpi()) GTEST_SKIP() << "a child runs the checks";
  for (const char* dpi : {"96", "144", "192"}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      setenv("QUORVALE_TEST_XFT_DPI", dpi, 1);
      execl("/proc/self/exe", "app_controls_dpi_display_test", "--gtest_filter=AppControlsAtDpi.*",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "at Xft.dpi " << dpi;
  }
}

constexpr int kLeft = 60, kTop = 50;

const char* kLayout =
    "<ORIEL width='400' height='300'><root colorBkgnd='#ffffff'>"
    "<iconex name='logo' pos='20,20,@24,@24' src2='ICON_LOGO:24'/>"
    "<mclistviewex name='list' pos='0,80,-0,-0' colorDropBk='#0000ff'>"
    "<header2 matchParent='1' fixWidth='1' sortHeader='0'>"
    "<items><item width='115'>A</item><item width='80'>B</item><item width='165'>C</item>"
    "<item width='85'>D</item><item width='145'>E</item><item width='53'>F</item></items></header2>"
    "<template itemHeight='30' colorNormal='#ffffff' colorSelected='#ff8000'>"
    "<window name='col1' colorBkgnd='#40a040'/></template>"
    "</mclistviewex></root></ORIEL>";

class AppControlsAtDpi : public OrielAppTest {
 protected:
  void SetUp() override {
    if (!ChildDpi()) GTEST_SKIP() << "runs in a child with its own server";
    ASSERT_TRUE(Win32HasDisplay());
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    app->AttachProvider(BundleProvider(), nullptr);
    RegisterAppControls(app);
    SLayoutSize::SetDefaultUnit(L"dp");  // the program's unit: DPI handling on
  }
  void TearDown() override {
    if (!ChildDpi()) return;
    if (window) window->DestroyHostWindow();
    window.reset();
    SLayoutSize::SetDefaultUnit(L"px");
    OrielAppTest::TearDown();
  }
  // The dialog, shown after WM_INITDIALOG has scaled it to the screen.
  void OpenDialog() {
    window = std::make_unique<ControlsWindow>();
    ASSERT_TRUE(window->Create(nullptr, WS_POPUP, 0, kLeft, kTop, 1, 1));
    ASSERT_TRUE(window->Load(kLayout));
    SendMessageW(window->GetHwnd(), WM_INITDIALOG, 0, 0);
    // The scale grows the window around its centre: back on the screen.
    SetWindowPos(window->GetHwnd(), nullptr, kLeft, kTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    logo = window->FindChildByName2<SCtrlIConEx>(SStringW(L"logo"));
    list = window->FindChildByName2<SMCListViewEx>(SStringW(L"list"));
    ASSERT_NE(logo, nullptr);
    ASSERT_NE(list, nullptr);
    auto* adapter = new TaskAdapter(4);
    ASSERT_TRUE(list->SetAdapter(adapter));
    adapter->Release();
    ShowWindow(window->GetHwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(window->GetHwnd()));
    pumpFor(200);
  }
  // The logo's red disc as drawn on the screen, in screen pixels.
  SIZE LogoOnScreen() {
    RECT host{};
    ::GetWindowRect(window->GetHwnd(), &host);
    const RECT at = logo->GetWindowRect();
    const RECT area{host.left + at.left - 4, host.top + at.top - 4, host.left + at.right + 4, host.top + at.bottom + 4};
    const RECT disc = ColourBounds(area, 0xDD2421, 24);
    return SIZE{disc.right - disc.left, disc.bottom - disc.top};
  }
  // The disc fills 30/32 of the icon's side.
  static void ExpectDiscOf(SIZE disc, int pixels) {
    const int want = pixels * 30 / 32;
    EXPECT_NEAR(disc.cx, want, 2) << "the logo should be " << pixels << " px";
    EXPECT_NEAR(disc.cy, want, 2) << "the logo should be " << pixels << " px";
  }
  std::unique_ptr<ControlsWindow> window;
  SCtrlIConEx* logo = nullptr;
  SMCListViewEx* list = nullptr;
};

TEST_F(AppControlsAtDpi, TheLogoTheRowsAndTheHeaderTakeTheScreensScale) {
  const int dpi = atoi(ChildDpi());
  const int scale = dpi * 100 / 96;
  OpenDialog();
  EXPECT_EQ(window->GetScale(), scale);

  const int pixels = 24 * scale / 100;
  EXPECT_EQ(logo->GetIconPixelSize(), pixels);
  const RECT at = logo->GetWindowRect();
  EXPECT_EQ(at.right - at.left, pixels);
  EXPECT_EQ(at.bottom - at.top, pixels);
  ExpectDiscOf(LogoOnScreen(), pixels);
  EXPECT_EQ(list->GetHeaderHeight(), 30 * scale / 100);
  const RECT header = list->GetHeaderCtrl()->GetWindowRect();
  EXPECT_EQ(header.bottom - header.top, 30 * scale / 100);
  const RECT row = list->RowRect(0);
  EXPECT_EQ(row.bottom - row.top, 30 * scale / 100);
  EXPECT_EQ(row.top, header.bottom);
}

// The desktop's DPI changes while the dialog is open: WM_DPICHANGED
// rescales the dialog and the logo is loaded again at the new size.
TEST_F(AppControlsAtDpi, ARunTimeDpiChangeReloadsTheLogo) {
  const int dpi = atoi(ChildDpi());
  const int next = dpi == 192 ? 96 : dpi + 48;
  RootResources resources;
  OpenDialog();
  ASSERT_EQ(logo->GetIconPixelSize(), 24 * dpi / 96);

  RootResources::write(resources.withDpi(next));
  ASSERT_TRUE(pumpUntil([&] { return window->GetScale() == next * 100 / 96; })) << "the dialog never rescaled";
  pumpFor(200);
  const int pixels = 24 * next / 96;
  EXPECT_EQ(logo->GetIconPixelSize(), pixels);
  const RECT at = logo->GetWindowRect();
  EXPECT_EQ(at.right - at.left, pixels);
  ExpectDiscOf(LogoOnScreen(), pixels);

  // And back.
  RootResources::write(resources.withDpi(dpi));
  ASSERT_TRUE(pumpUntil([&] { return window->GetScale() == dpi * 100 / 96; }));
  pumpFor(200);
  EXPECT_EQ(logo->GetIconPixelSize(), 24 * dpi / 96);
  ExpectDiscOf(LogoOnScreen(), 24 * dpi / 96);
}

}  // namespace
