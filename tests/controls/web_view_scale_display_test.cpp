// The engine at 150 % (a 144 DPI screen) under a window at 100 %: the
// engine draws the page at one and a half times the control's size and the
// control shows it at its own, so the page keeps its size on screen.
#include "web_fixture.h"

#include <X11/Xatom.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>

#include "gdi/GdiCairo.h"
#include "win32/imm.h"

namespace {

// The test's own X server, whose resources say Xft.dpi 144, so that the
// display layer, GDI and GTK all see a 144 DPI screen from their first
// connection on; the shared server of the other display tests is left as
// it is.
class HighDpiServer : public ::testing::Environment {
 public:
  void SetUp() override {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);  // it ends with this process
      dup2(fds[1], 3);
      execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    char number[32] = {};
    const ssize_t n = read(fds[0], number, sizeof number - 1);
    close(fds[0]);
    ASSERT_GT(n, 0) << "Xvfb did not start";
    const std::string display = ":" + std::string(number, strcspn(number, "\n"));
    setenv("DISPLAY", display.c_str(), 1);
    Display* x = XOpenDisplay(display.c_str());
    ASSERT_NE(x, nullptr);
    const char resources[] = "Xft.dpi:\t144\n";
    XChangeProperty(x, DefaultRootWindow(x), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources), sizeof resources - 1);
    XSync(x, False);
    XCloseDisplay(x);  // the server keeps its resources: it runs with -noreset
  }
  // Not ended here: the process's threads may still read its connection,
  // and the web engine's toolkit ends the process on a lost display. The
  // server ends with the process.
  void TearDown() override {}

 private:
  pid_t pid_ = -1;
};
[[maybe_unused]] const auto* const kServer = ::testing::AddGlobalTestEnvironment(new HighDpiServer);

constexpr int kX = 220, kY = 140, kW = 300, kH = 200;

class WebViewScaleDisplayTest : public OrielAppTest {
 protected:
  static void TearDownTestSuite() {
    if (engineStarted) StopWebEngine();
  }
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    ASSERT_EQ(GdiScreenDpi(), 144);
    // Started once, after the application has read the screen's DPI: the
    // engine's toolkit cannot start again in a process.
    if (!engineStarted) {
      InstallModuleFileMap();
      engineStarted = StartWebEngine();
    }
    ASSERT_TRUE(engineStarted) << "the web engine module did not start";
    app->RegisterClass<SWkeWebkit>();
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(2);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  static bool engineStarted;
  unsigned long At(int x, int y) { return screenPixel(kX + x, kY + y); }
  SwndWindowHost* host = nullptr;
  std::vector<webtest::Notice> notices;
};
bool WebViewScaleDisplayTest::engineStarted = false;

TEST_F(WebViewScaleDisplayTest, TheBlockKeepsItsSizeAtEngineScale150) {
  EXPECT_EQ(WkeEngineScale(), 150);
  host = new SwndWindowHost(kX, kY, kW, kH);
  host->CreateChildrenFromString(L"<wkeWebkit id='1' pos='0,0,-0,-0'/>");
  auto* web = host->FindChildByID2<SWkeWebkit>(1);
  ASSERT_NE(web, nullptr);
  ASSERT_EQ(web->GetScale(), 100);
  EXPECT_FLOAT_EQ(web->EngineRatio(), 1.5f);
  ShowWindow(host->Hwnd(), SW_SHOWNA);
  ASSERT_TRUE(waitViewable(host->Hwnd()));
  const std::wstring page = webtest::WritePage(
      "scaled", "<html><body style='margin:0;background:#ffffff'><div style='position:absolute;left:20px;"
                "top:20px;width:100px;height:60px;background:#ff0000'></div></body></html>");
  web->ApplyAttribute(SStringW(L"url"), SStringW(page.c_str()), FALSE);
  // Inside near each corner of the block, and just outside each edge.
  const struct {
    int x, y;
    unsigned long rgb;
  } probes[] = {{23, 23, 0xFF0000}, {116, 23, 0xFF0000}, {23, 76, 0xFF0000}, {116, 76, 0xFF0000},
                {70, 50, 0xFF0000}, {16, 50, 0xFFFFFF}, {124, 50, 0xFFFFFF}, {70, 16, 0xFFFFFF},
                {70, 84, 0xFFFFFF}, {190, 130, 0xFFFFFF}};
  const bool shown = webtest::PumpRecording(notices, [&] {
    for (const auto& p : probes)
      if (At(p.x, p.y) != p.rgb) return false;
    return true;
  });
  for (const auto& p : probes) EXPECT_EQ(At(p.x, p.y), p.rgb) << p.x << "," << p.y;
  EXPECT_TRUE(shown);
  // The page's size comes back in the control's pixels, once measured
  // after the load.
  webtest::PumpRecording(notices, [&] { return web->GetContentSize().cx > 0; });
  const SIZE content = web->GetContentSize();
  EXPECT_NEAR(content.cx, kW, 2);
  EXPECT_NEAR(content.cy, kH, 2);
}

TEST_F(WebViewScaleDisplayTest, TheInputMethodSpotFollowsTheCaretInTheControlsPixels) {
  host = new SwndWindowHost(kX, kY, kW, kH);
  host->CreateChildrenFromString(L"<wkeWebkit id='1' pos='0,0,-0,-0'/>");
  auto* web = host->FindChildByID2<SWkeWebkit>(1);
  ASSERT_NE(web, nullptr);
  ShowWindow(host->Hwnd(), SW_SHOWNA);
  ASSERT_TRUE(waitViewable(host->Hwnd()));
  const std::wstring page = webtest::WritePage(
      "field", "<html><body style='margin:0;background:#ffffff'><input id='field' style='position:absolute;"
               "left:20px;top:120px;width:150px;height:24px;border:0;background:#00ff00'></body></html>");
  web->ApplyAttribute(SStringW(L"url"), SStringW(page.c_str()), FALSE);
  ASSERT_TRUE(webtest::PumpRecording(notices, [&] { return At(60, 132) == 0x00FF00; }));
  moveMouse(kX + 60, kY + 132);
  pumpFor(100);
  clickButton(1);
  tapKey(XK_a);
  // The engine's caret is in its own pixels (one and a half of ours); the
  // spot handed to the input method is in the window's.
  COMPOSITIONFORM form{};
  const HIMC imc = ImmGetContext(host->Hwnd());
  // (The host places its own spot too, at the start of the window, when
  // the focus arrives.)
  const bool placed = webtest::PumpRecording(notices, [&] {
    return WKE_API(wkeGetCaret)(web->GetWebView()).h > 0 && ImmGetCompositionWindow(imc, &form) &&
           form.ptCurrentPos.y > 0;
  }, 5000);
  EXPECT_TRUE(placed) << "the spot stayed at " << form.ptCurrentPos.x << "," << form.ptCurrentPos.y;
  const wkeRect caret = WKE_API(wkeGetCaret)(web->GetWebView());
  EXPECT_GE(caret.y, 170) << "the engine's caret is at 150 %: " << caret.y;
  EXPECT_GE(form.ptCurrentPos.y, 120);
  EXPECT_LE(form.ptCurrentPos.y, 146);
  EXPECT_GE(form.ptCurrentPos.x, 20);
  EXPECT_LE(form.ptCurrentPos.x, 170);
  moveMouse(0, 0);
}

}  // namespace
