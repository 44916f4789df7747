// The advertising panel in a test host laid out as the bottom bar's "ui_ad":
// the configured page comes from a local server, a real click on its button
// goes adClick → the module → the status record → adStatus in the page,
// which recolours its block. Unconfigured or without the module there is no
// panel and no request.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "../controls/web_fixture.h"
#include "../online/local_server.h"
#include "base/UrlCoding.h"
#include "online/AdvertiseBridge.h"

namespace {

namespace fs = std::filesystem;

constexpr int kX = 160, kY = 140, kW = 320, kH = 180;

// A red block, and a button that reports a click; adStatus colours the
// block by the status it is given (and shows it as the page's title).
const char* kAdPage =
    "<html><head><meta charset='utf-8'><script>"
    "function adStatus(s) { document.title = s;"
    " document.getElementById('block').style.background ="
    "  s == 'a' ? '#0000ff' : s == \"it's\" ? '#00ff00' : '#ffff00'; }"
    "</script></head><body style='margin:0;background:#ffffff'>"
    "<div id='block' style='position:absolute;left:20px;top:20px;width:100px;height:60px;background:#ff0000'></div>"
    "<button id='ad' style='position:absolute;left:160px;top:20px;width:100px;height:60px'"
    " onclick=\"adClick('a','b','c')\">ad</button></body></html>";

// What the bar does with the bridge before a click is reported.
struct PanelUi : IBLLAdvertiseUI {
  void BeforeAdClick(CBLLAdvertiseUI* bridge) override { bridges.push_back(bridge); }
  std::vector<CBLLAdvertiseUI*> bridges;
};

struct CopyDataSeen {
  WPARAM wParam;
  ULONG_PTR dwData;
  DWORD cbData;
  std::wstring script;  // empty when the record was not one
};

class AdvertisingPanelTest : public OrielAppTest {
 protected:
  static void SetUpTestSuite() {
    InstallModuleFileMap();
    engineStarted = StartWebEngine();
  }

  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay());
    ASSERT_TRUE(engineStarted) << "the web engine module did not start";
    OrielAppTest::SetUp();
    app->RegisterClass<SWkeWebkit>();
    ASSERT_TRUE(server.running());
    folder = fs::temp_directory_path() / ("ad-panel-" + std::to_string(getpid()));
    fs::create_directories(folder);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    previousDir = cwd;
    // Start-up makes the program's folder, where the module lies, current.
    ASSERT_EQ(chdir(fs::path(QUORVALE_PALVANE_MODULE).parent_path().c_str()), 0);
    setenv("QUORVALE_PRODUCT_INI", (folder / "product.ini").c_str(), 1);

    host = new SwndWindowHost(kX, kY, kW, kH);
    host->CreateChildrenFromString(
        SStringW(L"<window pos='0,0,-0,-0' colorBkgnd='#ffffff'>"
                 L"<wkeWebkit name='ui_ad' pos='0,1,-0,-0'/></window>"));
    web = host->FindChildByName2<SWkeWebkit>(L"ui_ad");
    ASSERT_NE(web, nullptr);
    active = this;
    previousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(host->Hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostProc)));
    ShowWindow(host->Hwnd(), SW_SHOWNA);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
  }

  void TearDown() override {
    if (host) {
      SetWindowLongPtrW(host->Hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc));
      host->SendSwndMessage(2);
      host->Release();
    }
    active = nullptr;
    unsetenv("QUORVALE_PRODUCT_INI");
    if (!previousDir.empty()) {
      EXPECT_EQ(chdir(previousDir.c_str()), 0);
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    OrielAppTest::TearDown();
  }

  // The host's WM_COPYDATA: what the bottom bar's OnCopyData does.
  static LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA && active) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      const wchar_t* script = ReadAdStatusScript(data);
      active->copies.push_back({wParam, data->dwData, data->cbData, script ? script : L""});
      return RunAdStatusCopyData(active->web, data);
    }
    return CallWindowProcW(active ? active->previousProc : DefWindowProcW, hwnd, msg, wParam, lParam);
  }

  void Configure(const std::string& lines) { std::ofstream(folder / "product.ini") << "[product]\n" << lines; }
  std::string ServiceUrl() { return server.url("/html/" + UrlEncode(kAdPage, false) + "/"); }

  bool Pump(const std::function<bool()>& done, int timeoutMs = 15000) {
    return webtest::PumpRecording(notices, done, timeoutMs);
  }
  unsigned long At(int x, int y) { return screenPixel(kX + x, kY + 1 + y); }
  bool BlockShows(unsigned long rgb) { return Pump([&] { return At(70, 50) == rgb; }, 10000); }
  bool PageLoaded() {
    return Pump([&] {
      for (const webtest::Notice& n : notices)
        if (n.code == kWkeNoticeLoaded) return true;
      return false;
    });
  }

  static bool engineStarted;
  static AdvertisingPanelTest* active;
  online_test::LocalServer server;
  fs::path folder;
  std::string previousDir;
  SwndWindowHost* host = nullptr;
  SWkeWebkit* web = nullptr;
  WNDPROC previousProc = nullptr;
  std::vector<webtest::Notice> notices;
  std::vector<CopyDataSeen> copies;
  PanelUi panelUi;
};
bool AdvertisingPanelTest::engineStarted = false;
AdvertisingPanelTest* AdvertisingPanelTest::active = nullptr;

TEST_F(AdvertisingPanelTest, AClickInThePageComesBackAsItsStatus) {
  Configure("ad_enabled=1\nservice_url=" + ServiceUrl() + "\n");
  CBLLAdvertiseUI bridge;
  ASSERT_NE(bridge.GetManager(), nullptr);
  ASSERT_TRUE(InitAdPanel(bridge, web, host->Hwnd(), &panelUi));
  EXPECT_TRUE(web->IsVisible());
  ASSERT_TRUE(PageLoaded());
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_NE(requests[0].path.find("/Index/advertising"), std::string::npos) << requests[0].path;
  ASSERT_TRUE(BlockShows(0xFF0000)) << std::hex << At(70, 50) << " " << requests[0].path;

  testing::internal::CaptureStderr();
  moveMouse(kX + 210, kY + 1 + 50);
  pumpFor(100);
  clickButton(1);
  const bool recoloured = BlockShows(0x0000FF);
  const std::string said = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(recoloured) << std::hex << At(70, 50) << "\n" << said;
  EXPECT_NE(said.find("Palvane: click [a] [b] [c]"), std::string::npos) << said;
  EXPECT_EQ(panelUi.bridges, std::vector<CBLLAdvertiseUI*>{&bridge});
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies[0].wParam, 0u);
  EXPECT_EQ(copies[0].dwData, 0u);
  EXPECT_EQ(copies[0].cbData, 528u);
  EXPECT_EQ(copies[0].script, L"adStatus('a')");
}

TEST_F(AdvertisingPanelTest, QuotesArriveIntactAndInjectNothing) {
  Configure("ad_enabled=1\nservice_url=" + ServiceUrl() + "\n");
  CBLLAdvertiseUI bridge;
  ASSERT_TRUE(InitAdPanel(bridge, web, host->Hwnd(), &panelUi));
  ASSERT_TRUE(PageLoaded());
  ASSERT_TRUE(BlockShows(0xFF0000));
  // The page reports a status with a quote; the manager answers with it.
  WKE_API(wkeRunJSW)(web->GetWebView(), L"adClick(\"it's\", '', '')");
  ASSERT_TRUE(BlockShows(0x00FF00)) << std::hex << At(70, 50);
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies[0].script, L"adStatus('it\\'s')");
  // A status written to break out of the string only reaches adStatus.
  WKE_API(wkeRunJSW)(web->GetWebView(),
                     L"adClick(\"x'); document.body.style.background = '#000000'; ('\", '', '')");
  ASSERT_TRUE(BlockShows(0xFFFF00)) << std::hex << At(70, 50);
  pumpFor(200);
  EXPECT_EQ(At(200, 120), 0xFFFFFFu) << "the injected script ran";
  // An empty first text reports nothing; the bar is still told.
  WKE_API(wkeRunJSW)(web->GetWebView(), L"adClick('', 'b', 'c')");
  ASSERT_TRUE(Pump([&] { return panelUi.bridges.size() == 3; }, 5000));
  pumpFor(200);
  EXPECT_EQ(copies.size(), 2u);
}

TEST_F(AdvertisingPanelTest, OnlyTheRecordRunsAndOnlyWithAHostWindow) {
  Configure("ad_enabled=1\nservice_url=" + ServiceUrl() + "\n");
  CBLLAdvertiseUI bridge;
  ASSERT_TRUE(InitAdPanel(bridge, web, host->Hwnd(), &panelUi));
  ASSERT_TRUE(PageLoaded());
  ASSERT_TRUE(BlockShows(0xFF0000));
  const wchar_t* script = L"adStatus('a')";
  AdStatusRecord record = MakeAdStatusRecord(script);
  COPYDATASTRUCT shortData{0, 527, &record};
  SendMessageW(host->Hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&shortData));
  AdStatusRecord otherCommand = record;
  otherCommand.bytes[0] = 1;
  COPYDATASTRUCT wrongData{0, 528, &otherCommand};
  SendMessageW(host->Hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&wrongData));
  bridge.SetHostWindow(nullptr);
  bridge.adStatus(L"a");  // no host window: nothing is sent
  pumpFor(500);
  EXPECT_EQ(At(70, 50), 0xFF0000u);
  EXPECT_EQ(copies.size(), 2u);
  bridge.SetHostWindow(host->Hwnd());
  bridge.adStatus(L"a");
  EXPECT_TRUE(BlockShows(0x0000FF));
}

TEST_F(AdvertisingPanelTest, UnconfiguredOrWithoutTheModuleThereIsNoPanelAndNoRequest) {
  struct Case {
    std::string lines;
    bool module;
  } cases[] = {
      {"", true},
      {"ad_enabled=0\nservice_url=" + ServiceUrl() + "\n", true},
      {"ad_enabled=1\n", true},
      {"ad_enabled=1\nservice_url=" + ServiceUrl() + "\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines + (c.module ? "" : "(no module)"));
    Configure(c.lines);
    if (!c.module) ASSERT_EQ(chdir(folder.c_str()), 0);
    testing::internal::CaptureStderr();
    {
      CBLLAdvertiseUI bridge;
      EXPECT_EQ(bridge.GetManager() != nullptr, c.module);
      web->SetVisible(TRUE);
      EXPECT_FALSE(InitAdPanel(bridge, web, host->Hwnd(), &panelUi));
      EXPECT_FALSE(web->IsVisible());
      pumpFor(300);
    }
    const std::string said = testing::internal::GetCapturedStderr();
    if (!c.module) EXPECT_NE(said.find("错误:无法加载Palvane模块,请重新安装程序"), std::string::npos) << said;
  }
  EXPECT_TRUE(server.requests().empty());
}

}  // namespace
