// Without the engine module the program still runs: the loader answers 0,
// no view is made and the window with the web view opens and paints.
#include "web_fixture.h"

namespace {

constexpr int kX = 260, kY = 180, kW = 200, kH = 120;

class WebViewNoEngineDisplayTest : public OrielAppTest {};

TEST_F(WebViewNoEngineDisplayTest, TheWindowOpensWithoutTheModule) {
  ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
  const Win32ModuleFileMapEntry missing[] = {{L"node.dll", L"no-such-web-engine.so"}};
  Win32SetModuleFileMap(missing, 1);
  EXPECT_FALSE(StartWebEngine());
  EXPECT_EQ(LoadWkeApi(), 0);
  EXPECT_FALSE(WKE_HAS(wkeCreateWebView));
  StopWebEngine();  // nothing was started: nothing to end

  app->RegisterClass<SWkeWebkit>();
  auto* host = new SwndWindowHost(kX, kY, kW, kH);
  host->CreateChildrenFromString(
      L"<wkeWebkit id='1' pos='0,0,-0,-0' url='http://127.0.0.1:1/'/>"
      L"<window id='2' pos='10,10,60,60' colorBkgnd='#00ff00'/>");
  auto* web = host->FindChildByID2<SWkeWebkit>(1);
  ASSERT_NE(web, nullptr);
  EXPECT_EQ(web->GetWebView(), nullptr);
  EXPECT_EQ(web->ApplyAttribute(SStringW(L"url"), SStringW(L"http://127.0.0.1:1/"), FALSE), E_FAIL);
  ShowWindow(host->Hwnd(), SW_SHOWNA);
  EXPECT_TRUE(waitViewable(host->Hwnd()));
  EXPECT_TRUE(pumpUntil([&] { return screenPixel(kX + 30, kY + 30) == 0x00FF00; }))
      << std::hex << screenPixel(kX + 30, kY + 30);
  host->SendSwndMessage(2);
  host->Release();
}

}  // namespace
