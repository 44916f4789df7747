// The main window's drop-down lists, its menu, a recording of one source
// and the floating window as the screen shows them at 100 %, 150 % and
// 200 % (a desktop whose Xft.dpi is 144 or 192), each against a golden
// picture of its scale. The higher scales run in children of this test,
// each on an X server of its own that carries the DPI from the start, as
// the program takes its scale when it starts.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/CodePage.h"
#include "control/SComboBox.h"
#include "control/SDropDownWnd.h"
#include "control/SMenuAttr.h"
#include "core/SMessageLoop.h"
#include "windows/SDlgFlow.h"
#include "app_fixture.h"
#include "screen_golden.h"
#include "../platform-display/popup_levels.h"

using namespace ORIEL;

namespace {

const char* ChildDpi() { return getenv("QUORVALE_TEST_XFT_DPI"); }
int Scale() { return ChildDpi() ? atoi(ChildDpi()) * 100 / 96 : 100; }
int S(int px) { return px * Scale() / 100; }
std::string Named(const std::string& what) { return what + "_" + std::to_string(Scale()); }

class ScaledServer : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!ChildDpi()) return;
    server_ = std::make_unique<PrivateXServer>(atoi(ChildDpi()), 2000, 1600);
    ASSERT_FALSE(server_->name().empty()) << "Xvfb did not start";
    setenv("DISPLAY", server_->name().c_str(), 1);
  }
  // Ended with the process: the web engine's toolkit ends the process on a
  // display lost under its reader.
  void TearDown() override { (void)server_.release(); }

 private:
  std::unique_ptr<PrivateXServer> server_;
};
[[maybe_unused]] const auto* const kServer = ::testing::AddGlobalTestEnvironment(new ScaledServer);

TEST(ScaledLooksAtHigherScales, EachScaleInAServerOfItsOwn) {
  if (ChildDpi()) GTEST_SKIP() << "a child runs the checks";
  for (const char* dpi : {"144", "192"}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      setenv("QUORVALE_TEST_XFT_DPI", dpi, 1);
      execl("/proc/self/exe", "scaled_looks_app_test", "--gtest_filter=ScaledLooks.*", static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "at Xft.dpi " << dpi;
  }
}

// Steps run one per tick of a thread timer, inside the menu's own loop; a
// step answering false is tried again. A stalled script escapes the menu.
class MenuScript {
 public:
  void Add(std::function<bool()> step) { steps_.push_back(std::move(step)); }
  bool Run(const std::function<void()>& open) {
    current_ = this;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, &MenuScript::Tick);
    open();
    pumpUntil([&] { return next_ >= steps_.size(); }, 20000);
    KillTimer(nullptr, timer);
    current_ = nullptr;
    return !stalled_ && next_ >= steps_.size();
  }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    MenuScript* s = current_;
    if (!s || s->busy_ || s->next_ >= s->steps_.size()) return;
    s->busy_ = true;
    if (++s->ticks_ > 100) {
      s->stalled_ = true;
      s->next_ = s->steps_.size();
      tapKey(XK_Escape);
    } else if (s->steps_[s->next_]()) {
      ++s->next_;
      s->ticks_ = 0;
    }
    s->busy_ = false;
  }
  static inline MenuScript* current_ = nullptr;
  std::vector<std::function<bool()>> steps_;
  size_t next_ = 0;
  int ticks_ = 0;
  bool busy_ = false, stalled_ = false;
};

// The texts of the menu items the main window hears selected.
WNDPROC g_mainProc = nullptr;
std::wstring g_selectedText;
LRESULT CALLBACK HearMenuSelect(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_MENUSELECT && lParam && HIWORD(wParam) != 0xFFFF) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    if (GetMenuItemInfoW(reinterpret_cast<HMENU>(lParam), LOWORD(wParam), FALSE, &info) && info.dwItemData)
      g_selectedText = reinterpret_cast<const SMenuItemData*>(info.dwItemData)->strText.c_str();
  }
  return CallWindowProcW(g_mainProc, hwnd, msg, wParam, lParam);
}

class ScaledLooks : public AppTest {
 protected:
  RECT ScreenRectOf(const wchar_t* name) {
    RECT rc = Element(name)->GetWindowRect();
    POINT tl{rc.left, rc.top}, br{rc.right, rc.bottom};
    ClientToScreen(Hwnd(), &tl);
    ClientToScreen(Hwnd(), &br);
    return RECT{tl.x, tl.y, br.x, br.y};
  }
};

// Each list drops down white, every row readable, the chosen one marked;
// Home and End move the choice to the first and last row.
TEST_F(ScaledLooks, DropDownListsShowTheirRowsAndTakeHomeAndEnd) {
  Bll().GetOutput().output_format = 0;
  Bll().GetOutput().output_quality = 320;
  Bll().GetOutput().output_samplerate = 44100;
  Main().RefreshVolumeState(Bll().GetOutput());
  // The keys go to the window with the keyboard.
  SetForegroundWindow(Hwnd());
  ASSERT_TRUE(pumpUntil([&] { return hasInputFocus(Hwnd()); }));
  for (const wchar_t* name : {L"hz_cb", L"type_cb", L"quality_cb"}) {
    SCOPED_TRACE(WideToUtf8(name));
    auto* combo = dynamic_cast<SComboBox*>(Element(name));
    ASSERT_NE(combo, nullptr);
    const int chosen = combo->GetCurSel();
    Click(name);
    HWND popup = nullptr;
    ASSERT_TRUE(pumpUntil([&] {
      popup = combo->GetDropDown() ? combo->GetDropDown()->GetHwnd() : nullptr;
      return popup && IsWindowVisible(popup) && combo->IsDroppedDown();
    })) << "the list did not drop down";
    waitViewable(popup);
    pumpFor(300);
    RECT list{}, box = ScreenRectOf(name);
    GetWindowRect(popup, &list);
    const RECT both{std::min(list.left, box.left), box.top, std::max(list.right, box.right), list.bottom};
    EXPECT_TRUE(ScreenMatchesGolden(both, Named(std::string("dropdown_") + WideToUtf8(name)), 0));
    // The list is light below its rows' text: a black box shows none.
    const unsigned long back = screenPixel(list.left + S(4), list.bottom - S(6));
    EXPECT_TRUE(((back >> 16) & 0xFF) > 0xE0 && ((back >> 8) & 0xFF) > 0xE0 && (back & 0xFF) > 0xE0) << back;

    // Keys reach the open list through the program's loop and its filters.
    SMessageLoop* loop = Main().GetMessageLoop();
    auto viaLoop = [&](const std::function<bool()>& done) {
      return pumpUntilVia([loop](MSG* msg) { loop->DispatchOne(msg); }, done);
    };
    tapKey(XK_End);
    EXPECT_TRUE(viaLoop([&] { return combo->GetCurSel() == combo->GetCount() - 1; })) << "End";
    tapKey(XK_Home);
    // The lowest rate, 8000 Hz, cannot carry mp3's 320 kbit/s: the list
    // shows the nearest one that can.
    const std::wstring first = name == std::wstring(L"hz_cb") ? L"32000" : std::wstring(combo->GetItemText(0).c_str());
    EXPECT_TRUE(viaLoop([&] { return std::wstring(combo->GetItemText(combo->GetCurSel()).c_str()) == first; }))
        << "Home";
    tapKey(XK_Escape);
    ASSERT_TRUE(viaLoop([&] { return !combo->IsDroppedDown(); }));
    combo->SetCurSel(chosen);
    Main().RefreshVolumeState(Bll().GetOutput());
    pumpFor(100);
  }
}

// The menu's four items show their whole texts; each point the test clicks
// by position selects the item with the text it stands for.
TEST_F(ScaledLooks, TheMainMenuShowsItsWholeTexts) {
  const wchar_t* const texts[] = {L"软件教程", L"检查更新", L"问题反馈", L"关于我们"};
  g_mainProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(Hwnd(), GWLP_WNDPROC,
                                                           reinterpret_cast<LONG_PTR>(&HearMenuSelect)));
  std::vector<std::wstring> heard;
  const POINT button = ScreenPoint(L"btn_menu");
  RECT menu{};
  MenuScript script;
  script.Add([&] {
    for (const RECT& r : viewablePopups())
      if (std::abs(r.left - button.x) <= 2 && std::abs(r.top - button.y) <= 2) menu = r;
    return menu.right > menu.left;
  });
  script.Add([&] {
    EXPECT_TRUE(ScreenMatchesGolden(menu, Named("main_menu"), 0));
    return true;
  });
  for (int i = 0; i < 4; ++i) {
    script.Add([&, i] {
      g_selectedText.clear();
      moveMouse(menu.left + S(30), menu.top + (menu.bottom - menu.top) * (2 * i + 1) / 8);
      return true;
    });
    script.Add([&] {
      if (g_selectedText.empty()) return false;
      heard.push_back(g_selectedText);
      return true;
    });
  }
  script.Add([] {
    tapKey(XK_Escape);
    return true;
  });
  EXPECT_TRUE(script.Run([&] { Click(L"btn_menu"); }));
  SetWindowLongPtrW(Hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_mainProc));
  ASSERT_EQ(heard.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(heard[i], texts[i]) << "item " << i;
}

// With one source recorded, the other's row is gone: none of its icons
// (the microphone's green) shows anywhere on the page.
TEST_F(ScaledLooks, AHiddenSourceRowDrawsNothing) {
  Bll().GetOutput().output_device = 1;
  Bll().GetOutput().output_format = 0;
  Bll().GetOutput().output_quality = 320;
  Bll().GetOutput().output_samplerate = 44100;
  Main().RefreshVolumeState(Bll().GetOutput());
  Click(L"btn_start");
  ASSERT_TRUE(pumpUntil([&] { return Recording() && Page() == 1; }));
  moveMouse(5, 5);
  pumpFor(500);
  const RECT page = ScreenRectOf(L"tab_devInfo");
  int green = 0;
  for (int y = page.top; y < page.bottom; y += 2)
    for (int x = page.left; x < page.right; x += 2) {
      const unsigned long p = screenPixel(x, y);
      const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      if (g > 150 && g > r + 60 && g > b + 20) ++green;
    }
  EXPECT_EQ(green, 0) << "the microphone row's icons show";
  // Nor the row's mute button at the window's left edge.
  const RECT describe = ScreenRectOf(L"wnd_devDescribe");
  EXPECT_TRUE(ScreenMatchesGolden(RECT{page.left, describe.top - S(60), page.left + S(400), describe.bottom},
                                  Named("rows_speaker_only"), 0));
  Click(L"btn_stop");
  EXPECT_TRUE(pumpUntil([&] { return !Recording(); }));
}

// The floating window comes up at the screen's scale.
TEST_F(ScaledLooks, TheFloatingWindowAtTheScreensScale) {
  SHostWnd* flow = Main().GetFlowWindow();
  ASSERT_NE(flow, nullptr);
  ShowWindow(flow->GetHwnd(), SW_SHOW);
  // Away from the screen's edges it stays where it is put; below the main
  // window, so that its translucent corners show the bare screen.
  SetWindowPos(flow->GetHwnd(), nullptr, 100, GetSystemMetrics(SM_CYSCREEN) - S(92) - 10, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  moveMouse(5, 5);
  pumpFor(400);
  RECT rc{};
  GetWindowRect(flow->GetHwnd(), &rc);
  EXPECT_EQ(rc.right - rc.left, S(240));
  EXPECT_EQ(rc.bottom - rc.top, S(92));
  EXPECT_EQ(flow->GetScale(), Scale());
  EXPECT_TRUE(ScreenMatchesGolden(rc, Named("scaled_flow_window"), 0));

}

}  // namespace
