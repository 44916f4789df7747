// The web view over the real engine module: pages drawn by WebKit reach the
// screen through the control, loads are told to the host, page script and
// the program call each other, and real input from the X server reaches
// the page.
#include "web_fixture.h"

#include "gdi/GdiCairo.h"

namespace {

using webtest::Notice;

constexpr int kX = 200, kY = 120, kW = 300, kH = 200;

// The block at (20,20) 100x60, red, and a text field below it; a click on
// the block turns it blue and reports to the program.
std::string BlockPage(const std::string& background = "#ffffff", const std::string& onload = "") {
  return "<html><head><meta charset='utf-8'></head><body style='margin:0;background:" + background + "' onload=\"" + onload +
         "\"><div id='block' style='position:absolute;left:20px;top:20px;width:100px;height:60px;"
         "background:#ff0000' onclick=\"this.style.background='#0000ff'; reportToHost('clicked')\"></div>"
         "<input id='field' style='position:absolute;left:20px;top:120px;width:150px;height:24px'>"
         "</body></html>";
}

// What page script handed the program through the bound function.
struct BoundCalls {
  std::vector<std::vector<std::wstring>> calls;
};
BoundCalls g_bound;

jsValue ReportToHost(jsExecState es, void* param) {
  auto* sink = static_cast<BoundCalls*>(param);
  std::vector<std::wstring> args;
  for (int i = 0; i < WKE_API(jsArgCount)(es); ++i) args.emplace_back(WKE_API(jsToStringW)(es, WKE_API(jsArg)(es, i)));
  sink->calls.push_back(args);
  return WKE_API(jsUndefined)();
}

class WebViewDisplayTest : public OrielAppTest {
 protected:
  static void SetUpTestSuite() {
    InstallModuleFileMap();
    engineStarted = StartWebEngine();
    if (engineStarted) WKE_API(wkeJsBindFunction)("reportToHost", &ReportToHost, &g_bound, 0);
  }

  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    ASSERT_TRUE(engineStarted) << "the web engine module did not start";
    OrielAppTest::SetUp();
    app->RegisterClass<SWkeWebkit>();
    g_bound.calls.clear();
  }

  // A host with the view filling it, over a parent of colour `under`.
  void OpenHost(const wchar_t* attributes = L"", const wchar_t* under = L"#ffffff") {
    host = new SwndWindowHost(kX, kY, kW, kH);
    std::wstring xml = L"<window pos='0,0,-0,-0' colorBkgnd='" + std::wstring(under) +
                       L"'><wkeWebkit id='1' pos='0,0,-0,-0' " + attributes + L"/></window>";
    host->CreateChildrenFromString(SStringW(xml.c_str()));
    web = host->FindChildByID2<SWkeWebkit>(1);
    ShowWindow(host->Hwnd(), SW_SHOWNA);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    ASSERT_NE(web, nullptr);
    ASSERT_NE(web->GetWebView(), nullptr);
  }

  void TearDown() override {
    if (host) {
      host->SendSwndMessage(2);
      host->Release();
    }
    OrielAppTest::TearDown();
  }

  void Load(const std::wstring& url) {
    ASSERT_EQ(web->ApplyAttribute(SStringW(L"url"), SStringW(url.c_str()), FALSE), S_OK);
  }
  bool Pump(const std::function<bool()>& done, int timeoutMs = 15000) {
    return webtest::PumpRecording(notices, done, timeoutMs);
  }
  bool LoadedNotice() {
    for (const Notice& n : notices)
      if (n.code == kWkeNoticeLoaded) return true;
    return false;
  }
  void LoadAndWait(const std::wstring& url) {
    notices.clear();
    Load(url);
    ASSERT_TRUE(Pump([&] { return LoadedNotice(); })) << "no load notice";
  }
  unsigned long At(int x, int y) { return screenPixel(kX + x, kY + y); }
  bool ScreenShows(int x, int y, unsigned long rgb) {
    return Pump([&] { return At(x, y) == rgb; }, 10000);
  }

  static bool engineStarted;
  SwndWindowHost* host = nullptr;
  SWkeWebkit* web = nullptr;
  std::vector<Notice> notices;
};
bool WebViewDisplayTest::engineStarted = false;

TEST_F(WebViewDisplayTest, APageShowsAndItsLoadIsToldToTheHost) {
  OpenHost();
  LoadAndWait(webtest::WritePage("block", BlockPage()));
  ASSERT_TRUE(ScreenShows(70, 50, 0xFF0000)) << std::hex << At(70, 50);
  EXPECT_EQ(At(130, 50), 0xFFFFFFu);
  EXPECT_EQ(At(70, 90), 0xFFFFFFu);
  // Every notice names the control, which the registry still knows.
  for (const Notice& n : notices) {
    EXPECT_EQ(n.code, kWkeNoticeLoaded);
    EXPECT_EQ(n.control, reinterpret_cast<LPARAM>(web));
  }
  EXPECT_EQ(SWkeWebkit::FromNotice(notices.front().control), web);
  EXPECT_EQ(SWkeWebkit::FromView(web->GetWebView()), web);

  // Once the control is gone, a notice still in the queue names nothing.
  const LPARAM stale = reinterpret_cast<LPARAM>(web);
  const wkeWebView view = web->GetWebView();
  web->Destroy();
  web = nullptr;
  EXPECT_EQ(SWkeWebkit::FromNotice(stale), nullptr);
  EXPECT_EQ(SWkeWebkit::FromView(view), nullptr);
}

TEST_F(WebViewDisplayTest, ARefusedPortGivesTheFailureThenTheEnd) {
  OpenHost();
  notices.clear();
  Load(L"http://127.0.0.1:" + std::to_wstring(webtest::RefusedPort()) + L"/");
  ASSERT_TRUE(Pump([&] { return LoadedNotice(); })) << "no load notice";
  pumpFor(300);  // nothing else may follow
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0].code, kWkeNoticeFailed);
  EXPECT_EQ(static_cast<WPARAM>(notices[0].code), static_cast<WPARAM>(static_cast<int>(0xFFFFD8F1)));
  EXPECT_EQ(notices[1].code, kWkeNoticeLoaded);
}

TEST_F(WebViewDisplayTest, PageScriptCallsTheBoundFunctionWithItsArguments) {
  OpenHost();
  LoadAndWait(webtest::WritePage("bound", BlockPage("#ffffff", "reportToHost('hello', 42, null, '中文')")));
  ASSERT_TRUE(Pump([&] { return !g_bound.calls.empty(); }));
  ASSERT_EQ(g_bound.calls.size(), 1u);
  EXPECT_EQ(g_bound.calls[0], (std::vector<std::wstring>{L"hello", L"42", L"", L"中文"}));
}

TEST_F(WebViewDisplayTest, RunScriptRecoloursTheBlock) {
  OpenHost();
  LoadAndWait(webtest::WritePage("run", BlockPage()));
  ASSERT_TRUE(ScreenShows(70, 50, 0xFF0000));
  const jsValue result =
      WKE_API(wkeRunJSW)(web->GetWebView(), L"document.getElementById('block').style.background = '#00ff00'");
  EXPECT_EQ(result, WKE_API(jsUndefined)());
  EXPECT_TRUE(ScreenShows(70, 50, 0x00FF00)) << std::hex << At(70, 50);
}

TEST_F(WebViewDisplayTest, AClickRunsTheBlocksHandlerAndTypedKeysReachTheField) {
  OpenHost();
  LoadAndWait(webtest::WritePage("input", BlockPage()));
  ASSERT_TRUE(ScreenShows(70, 50, 0xFF0000));
  moveMouse(kX + 70, kY + 50);
  pumpFor(100);
  clickButton(1);
  ASSERT_TRUE(Pump([&] { return !g_bound.calls.empty(); })) << "the click did not reach the page";
  EXPECT_EQ(g_bound.calls[0], std::vector<std::wstring>{L"clicked"});
  EXPECT_TRUE(ScreenShows(70, 50, 0x0000FF)) << std::hex << At(70, 50);

  moveMouse(kX + 60, kY + 132);
  pumpFor(100);
  clickButton(1);
  pumpFor(300);
  // Over the field the pointer is an I-beam, and the engine's caret sits
  // inside the field (engine and window scale are both 100 here).
  EXPECT_EQ(WKE_API(wkeGetCursorInfoType)(web->GetWebView()), 3);
  ASSERT_TRUE(Pump([&] { return WKE_API(wkeGetCaret)(web->GetWebView()).h > 0; }, 5000));
  const wkeRect caret = WKE_API(wkeGetCaret)(web->GetWebView());
  EXPECT_GE(caret.x, 20);
  EXPECT_LE(caret.x, 170);
  EXPECT_GE(caret.y, 118);
  EXPECT_LE(caret.y + caret.h, 146);
  for (KeySym key : {XK_a, XK_b, XK_c}) tapKey(key);
  tapKey(XK_BackSpace);
  tapKey(XK_d);
  pumpFor(300);
  g_bound.calls.clear();
  WKE_API(wkeRunJSW)(web->GetWebView(), L"reportToHost(document.getElementById('field').value)");
  ASSERT_TRUE(Pump([&] { return !g_bound.calls.empty(); }));
  EXPECT_EQ(g_bound.calls[0], std::vector<std::wstring>{L"abd"});
}

TEST_F(WebViewDisplayTest, CornerAndAlphaShow) {
  OpenHost(L"corner='30' alpha='128'", L"#0000ff");
  LoadAndWait(webtest::WritePage("corner", BlockPage("#000000")));
  // Half the red block over the blue beneath.
  ASSERT_TRUE(Pump([&] {
    const unsigned long p = At(70, 50);
    return ((p >> 16) & 0xFF) > 100 && (p & 0xFF) > 100 && ((p >> 8) & 0xFF) < 20;
  }, 10000)) << std::hex << At(70, 50);
  const unsigned long blend = At(70, 50);
  EXPECT_NEAR(static_cast<int>((blend >> 16) & 0xFF), 128, 12) << std::hex << blend;
  EXPECT_NEAR(static_cast<int>(blend & 0xFF), 127, 12) << std::hex << blend;
  EXPECT_EQ((blend >> 8) & 0xFF, 0u) << std::hex << blend;
  // Half black over blue inside; the rounded-off corner is the blue alone.
  const unsigned long inside = At(150, 150);
  EXPECT_EQ(inside & 0xFFFF00, 0u) << std::hex << inside;
  EXPECT_NEAR(static_cast<int>(inside & 0xFF), 127, 12) << std::hex << inside;
  EXPECT_EQ(At(1, 1), 0x0000FFu) << std::hex << At(1, 1);
  EXPECT_EQ(At(kW - 2, kH - 2), 0x0000FFu) << std::hex << At(kW - 2, kH - 2);
}

}  // namespace
