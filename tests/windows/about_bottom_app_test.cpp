// The about box and the bottom bar in the running program: the version
// from the one constant, the web-site link through the desktop's handler,
// every way of closing, the update button by channel and, clicked, as
// menu item 4 (the update check against a provider on 127.0.0.1),
// no advertising panel without an advertisement; the windows drawn from
// their layouts at 100, 150 and 200 %.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../online/local_server.h"
#include "app_fixture.h"
#include "handler_standin.h"
#include "base/CodePage.h"
#include "base/ProductInfo.h"
#include "base/UrlCoding.h"
#include "controls/CDlgStack.h"
#include "controls/SWkeWebkit.h"
#include "online/AdStatusRecord.h"
#include "windows/SDlgAboutUs.h"
#include "windows/SDlgFilelist.h"
#include "windows/SDlgOptionRename.h"
#include "windows/SDlgTipFilelistRemove.h"

using namespace ORIEL;
namespace fs = std::filesystem;

namespace {

std::string Slurp(const std::string& path) { return HandlerStandIn::Slurp(path); }

class AboutAndBottom : public AppTest {
 protected:
  void SetUp() override {
    work = std::string(getenv("HOME")) + "/about/";
    handler = std::make_unique<HandlerStandIn>(work);
    record = handler->Record();
    // The update provider answers with this very version.
    const std::string answer = R"({"version":")" + WideToUtf8(kProductVersion) + R"(","ForceUpdate":0})";
    std::ofstream(work + "product.ini") << "[product]\nwebsite=https://quorvale.example/官网?a=1\nchannel="
                                        << Channel() << "\nupdate_url="
                                        << server.url("/status?code=200&body=" + UrlEncode(answer, false)) << "\n";
    setenv("QUORVALE_PRODUCT_INI", (work + "product.ini").c_str(), 1);
    AppTest::SetUp();
  }
  void TearDown() override {
    AppTest::TearDown();
    unsetenv("QUORVALE_PRODUCT_INI");
    handler.reset();
  }
  virtual std::string Channel() { return "360"; }

  // Runs the about box; `act` gets its window once it is up.
  INT_PTR RunAbout(const std::function<void(SDlgAboutUs&)>& act) {
    SDlgAboutUs about;
    about_ = &about;
    act_ = act;
    // A thread timer: it keeps firing inside the dialog's own loop.
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, &AboutAndBottom::Tick);
    const INT_PTR code = about.DoModal(Hwnd());
    KillTimer(nullptr, timer);
    about_ = nullptr;
    open_ = nullptr;
    return code;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    // A way of closing that did not work fails the test, not hangs it.
    if (!about_ && open_ && GetTickCount() - openedAt_ > 15000) {
      open_->EndDialog(-1);
      open_ = nullptr;
    }
    if (!about_ || !IsWindowVisible(about_->GetHwnd())) return;
    SDlgAboutUs* a = about_;
    about_ = nullptr;
    open_ = a;
    openedAt_ = GetTickCount();
    act_(*a);
  }
  static void ClickElement(SHostWnd& host, SWindow* w) {
    ASSERT_NE(w, nullptr);
    const RECT rc = w->GetWindowRect();
    POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ClientToScreen(host.GetHwnd(), &pt);
    moveMouse(pt.x, pt.y);
    pumpFor(100);
    clickButton(1);
  }

  static LRESULT CALLBACK Spy(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // Item 4 is recorded on its way to the caption's handler.
    if (msg == WM_COMMAND && LOWORD(wParam) == 4) commands.emplace_back(wParam, lParam);
    return CallWindowProcW(previous, hwnd, msg, wParam, lParam);
  }
  // A thread timer: reads the tip the update check shows and clicks its OK.
  static void CALLBACK AnswerTip(HWND, UINT, UINT_PTR, DWORD) {
    if (CDlgStack::Instance().IsEmpty() || !IsWindowVisible(CDlgStack::Instance().Top())) return;
    auto* tip = dynamic_cast<SHostWnd*>(CSimpleWnd::FromHandle(CDlgStack::Instance().Top()));
    SWindow* lines = tip ? tip->FindDescendantByName(L"wnd_tip") : nullptr;
    SWindow* first = lines ? lines->GetRelative(GSW_FIRSTCHILD) : nullptr;
    if (!first || !tipText.empty()) return;
    tipText = first->GetText().c_str();
    ClickElement(*tip, tip->FindDescendantByName(L"btn_ok"));
  }

  online_test::LocalServer server;
  std::string work, record;
  std::unique_ptr<HandlerStandIn> handler;
  static inline std::vector<std::pair<WPARAM, LPARAM>> commands;
  static inline std::wstring tipText;
  static inline WNDPROC previous = nullptr;
  static SDlgAboutUs* about_;
  static inline SDlgAboutUs* open_ = nullptr;
  static inline DWORD openedAt_ = 0;
  static std::function<void(SDlgAboutUs&)> act_;
};
SDlgAboutUs* AboutAndBottom::about_ = nullptr;
std::function<void(SDlgAboutUs&)> AboutAndBottom::act_;

TEST_F(AboutAndBottom, AboutShowsTheVersionOpensTheSiteAndEveryCloseEndsWith8) {
  std::wstring version, website;
  EXPECT_EQ(RunAbout([&](SDlgAboutUs& a) {
              version = a.FindDescendantByName(L"version")->GetText().c_str();
              website = a.FindDescendantByName(L"website")->GetText().c_str();
              ClickElement(a, a.FindDescendantByName(L"website"));
              pumpUntil([&] { return fs::exists(record); }, 10000);
              ClickElement(a, a.FindDescendantByName(L"btn_close"));
            }),
            8);
  EXPECT_EQ(RunAbout([&](SDlgAboutUs& a) {
              // The lower right button: the second "btn_close".
              std::vector<SWindow*> closes;
              std::function<void(SWindow*)> walk = [&](SWindow* p) {
                for (SWindow* c = p->GetRelative(GSW_FIRSTCHILD); c; c = c->GetRelative(GSW_NEXTSIBLING)) {
                  if (c->GetName() == L"btn_close") closes.push_back(c);
                  walk(c);
                }
              };
              walk(&a);
              ASSERT_EQ(closes.size(), 2u);
              ClickElement(a, closes[1]);
            }),
            8);
  EXPECT_EQ(version, std::wstring(L"v ") + kProductVersion);
  EXPECT_EQ(website, L"https://quorvale.example/官网?a=1");
  EXPECT_EQ(Slurp(record), "https://quorvale.example/官网?a=1\n");
  EXPECT_EQ(RunAbout([&](SDlgAboutUs& a) {
              SetForegroundWindow(a.GetHwnd());
              pumpFor(300);
              pressKey(XK_Alt_L);
              tapKey(XK_F4);
              releaseKey(XK_Alt_L);
            }),
            8);
  EXPECT_TRUE(CDlgStack::Instance().IsEmpty());
}

TEST_F(AboutAndBottom, BottomBarVersionUpdateButtonAndNoPanelWithoutAnAdvertisement) {
  EXPECT_EQ(TextOf(L"version"), std::wstring(L"版本：v") + kProductVersion);
  SWindow* update = Element(L"btn_update");
  ASSERT_NE(update, nullptr);
  EXPECT_TRUE(update->IsVisible());
  auto* ad = static_cast<SWkeWebkit*>(Element(L"ui_ad"));
  ASSERT_NE(ad, nullptr);
  EXPECT_FALSE(ad->IsVisible()) << "no advertisement: no panel";
  // A record one byte short is not the status record, and nothing runs.
  std::vector<unsigned char> bytes(kAdStatusRecordSize - 1, 0);
  COPYDATASTRUCT shortData{0, static_cast<DWORD>(bytes.size()), bytes.data()};
  EXPECT_EQ(ReadAdStatusScript(&shortData), nullptr);
  EXPECT_EQ(SendMessageW(Hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&shortData)), 0);
  // A real click on the update button posts menu item 4 to the main
  // window (seen on its way in), which runs the update check: the provider
  // is asked once and its answer, this version, gives the "latest" tip.
  ASSERT_TRUE(server.running());
  commands.clear();
  tipText.clear();
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(Hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Spy)));
  const UINT_PTR timer = SetTimer(nullptr, 0, 200, &AboutAndBottom::AnswerTip);
  Click(L"btn_update");
  pumpUntil([] { return !tipText.empty() && CDlgStack::Instance().IsEmpty(); }, 15000);
  KillTimer(nullptr, timer);
  SetWindowLongPtrW(Hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0], std::make_pair(WPARAM{4}, LPARAM{0}));
  EXPECT_EQ(tipText, L"当前已是最新版！");
  EXPECT_TRUE(CDlgStack::Instance().IsEmpty());
  int asked = 0;
  for (const auto& request : server.requests()) asked += request.path.rfind("/status", 0) == 0;
  EXPECT_EQ(asked, 1);
}

class AboutAndBottomLowChannel : public AboutAndBottom {
  std::string Channel() override { return "1000"; }
};

TEST_F(AboutAndBottomLowChannel, NoUpdateButtonBelow360) {
  SWindow* update = Element(L"btn_update");
  ASSERT_NE(update, nullptr);
  EXPECT_FALSE(update->IsVisible());
}

}  // namespace
