// Host windows without a display: the root element's attributes and the
// styles computed from them, wrap-content sizing, the quit rule, the
// message map's answers (resize borders, timers, spy requests, released
// presses) and the limits a host gives the system.
#include <algorithm>
#include <cstdlib>

#include "HostTestWindow.h"
#include "OrielTestApp.h"
#include "core/SMessageLoop.h"

namespace {

// These tests run headless, like the messaging layer's own.
const int g_headless = unsetenv("DISPLAY");

class HostUnitTest : public OrielAppTest {
 protected:
  void TearDown() override {
    for (TestHost* h : hosts_) {
      h->DestroyHostWindow();
      delete h;
    }
    hosts_.clear();
    // Quit requests the hosts left behind must not reach the next test.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    OrielAppTest::TearDown();
  }
  TestHost* Make(const char* xml, DWORD style = WS_POPUP) {
    auto* host = new TestHost;
    hosts_.push_back(host);
    EXPECT_TRUE(host->Create(nullptr, style, 0, 10, 10, 1, 1));
    EXPECT_TRUE(host->Load(xml));
    return host;
  }
  static DWORD Style(TestHost* h) { return static_cast<DWORD>(GetWindowLongW(h->GetHwnd(), GWL_STYLE)); }
  static DWORD ExStyle(TestHost* h) { return static_cast<DWORD>(GetWindowLongW(h->GetHwnd(), GWL_EXSTYLE)); }
  std::vector<TestHost*> hosts_;
};

TEST_F(HostUnitTest, AttributesKeepTheirOldValueWhenTheyFail) {
  SHostWndAttr attr;
  EXPECT_EQ(attr.Alpha(), 255);
  EXPECT_TRUE(attr.AllowSpy());
  struct Case {
    const wchar_t* name;
    const wchar_t* value;
    HRESULT expected;
  } cases[] = {
      {L"margin", L"1,2,3,4", S_OK},      {L"margin", L"1,2,3", E_INVALIDARG}, {L"minsize", L"300,200", S_OK},
      {L"minsize", L"300", E_INVALIDARG}, {L"maxInset", L"1,2", E_INVALIDARG}, {L"wndType", L"appMain", S_OK},
      {L"wndType", L"AppMain", E_FAIL},   {L"alpha", L"0x1C8", S_OK},          {L"noSuchAttribute", L"1", E_FAIL},
  };
  for (const Case& c : cases) EXPECT_EQ(attr.ApplyAttribute(SStringW(c.name), SStringW(c.value), TRUE), c.expected) << c.name;
  EXPECT_EQ(attr.MarginPixels(100).right, 3);
  EXPECT_EQ(attr.MinSizePixels(100).cx, 300);
  EXPECT_EQ(attr.Type(), SHostWndAttr::kAppMain);
  EXPECT_EQ(attr.Alpha(), 0xC8);  // the low byte
  attr.ResetDefaults();
  EXPECT_EQ(attr.Type(), SHostWndAttr::kUndefine);
  EXPECT_EQ(attr.MarginPixels(100).right, 3);  // sizes survive a reset
}

TEST_F(HostUnitTest, StylesAreComputedFromTheFlags) {
  TestHost* plain = Make("<ORIEL width='100' height='80'><root/></ORIEL>");
  EXPECT_EQ(Style(plain) & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX), static_cast<DWORD>(WS_MINIMIZEBOX));
  EXPECT_FALSE(ExStyle(plain) & WS_EX_LAYERED);

  TestHost* main = Make("<ORIEL width='100' height='80' resizable='1' appWnd='1' toolWindow='1'><root/></ORIEL>");
  EXPECT_EQ(Style(main) & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_SYSMENU),
            static_cast<DWORD>(WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_SYSMENU));
  EXPECT_TRUE(ExStyle(main) & WS_EX_APPWINDOW);
  EXPECT_FALSE(ExStyle(main) & WS_EX_TOOLWINDOW);  // an app window is never a tool window

  TestHost* tool = Make("<ORIEL width='100' height='80' toolWindow='1' translucent='1'><root/></ORIEL>");
  EXPECT_TRUE(ExStyle(tool) & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(ExStyle(tool) & WS_EX_LAYERED);

  TestHost* given = Make("<ORIEL width='100' height='80' wndStyle='0x10C00000'><root/></ORIEL>");
  EXPECT_TRUE(Style(given) & WS_CAPTION);
  EXPECT_FALSE(Style(given) & WS_VISIBLE);  // a given style never shows the window by itself

  // A constant alpha on an opaque host makes the whole window that opaque.
  TestHost* faded = Make("<ORIEL width='100' height='80' alpha='200'><root/></ORIEL>");
  EXPECT_TRUE(ExStyle(faded) & WS_EX_LAYERED);
  BYTE alpha = 0;
  EXPECT_TRUE(GetLayeredWindowAttributes(faded->GetHwnd(), nullptr, &alpha, nullptr));
  EXPECT_EQ(alpha, 200);
  wchar_t title[32] = {0};
  TestHost* titled = Make("<ORIEL width='10' height='10' title='录音设置'><root/></ORIEL>");
  GetWindowTextW(titled->GetHwnd(), title, 32);
  EXPECT_STREQ(title, L"录音设置");
}

TEST_F(HostUnitTest, WrapContentSizesTheWindowAndFollowsLaterContent) {
  TestHost* host = Make(
      "<ORIEL width='-1' height='-1' margin='5,5,5,5'>"
      "<root layout='vbox'><window name='w' width='120' height='40'/><window width='60' height='30'/></root></ORIEL>");
  RECT rc{};
  GetWindowRect(host->GetHwnd(), &rc);
  EXPECT_EQ(rc.right - rc.left, 120);
  EXPECT_EQ(rc.bottom - rc.top, 70);
  // Wrap-content sides have no resize border.
  EXPECT_EQ(host->GetHostAttr().MarginPixels(100).left, 0);
  host->FindDescendantByName(L"w")->ApplyAttribute(SStringW(L"width"), SStringW(L"200"), FALSE);
  host->ApplyLayout();
  GetWindowRect(host->GetHwnd(), &rc);
  EXPECT_EQ(rc.right - rc.left, 200);
  EXPECT_EQ(host->GetWindowRect().right, 200);
}

TEST_F(HostUnitTest, ClosingFollowsTheQuitRuleOfTheWindowType) {
  struct Case {
    const char* type;
    DWORD style;
    DWORD exStyle;
    bool quits;
  } cases[] = {
      {"appMain", WS_POPUP, 0, true},   {"undefine", WS_OVERLAPPED, 0, true},
      {"undefine", WS_POPUP, 0, false}, {"undefine", WS_OVERLAPPED, WS_EX_TOOLWINDOW, false},
      {"normal", WS_OVERLAPPED, 0, false},
  };
  for (const Case& c : cases) {
    TestHost host;
    ASSERT_TRUE(host.Create(nullptr, c.style, c.exStyle, 0, 0, 1, 1));
    const std::string xml = std::string("<ORIEL width='10' height='10' wndType='") + c.type + "'><root/></ORIEL>";
    ASSERT_TRUE(host.Load(xml.c_str()));
    host.DestroyHostWindow();
    MSG msg{};
    const bool quit = PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    EXPECT_EQ(quit, c.quits) << c.type << " " << std::hex << c.style;
    if (quit) EXPECT_EQ(msg.wParam, 1u);
  }
}

TEST_F(HostUnitTest, MarginsBecomeResizeBordersScaledWithTheHost) {
  TestHost* host = Make("<ORIEL width='200' height='100' resizable='1' margin='10dp,10,10dp,10'><root/></ORIEL>");
  RECT rc{};
  GetWindowRect(host->GetHwnd(), &rc);
  auto hit = [&](int x, int y) {
    return SendMessageW(host->GetHwnd(), WM_NCHITTEST, 0, MAKELPARAM(rc.left + x, rc.top + y));
  };
  struct Case {
    int x, y;
    LRESULT code;
  } cases[] = {{195, 95, HTBOTTOMRIGHT}, {195, 5, HTTOPRIGHT}, {195, 50, HTRIGHT}, {5, 95, HTBOTTOMLEFT},
               {5, 5, HTTOPLEFT},        {5, 50, HTLEFT},      {100, 95, HTBOTTOM}, {100, 5, HTTOP},
               {100, 50, HTCLIENT}};
  for (const Case& c : cases) EXPECT_EQ(hit(c.x, c.y), c.code) << c.x << "," << c.y;
  // At 150 the dp margins are 15 pixels wide, the px ones stay 10.
  host->UpdateScale(150);
  EXPECT_EQ(hit(187, 50), HTRIGHT);
  EXPECT_EQ(hit(13, 50), HTLEFT);
  EXPECT_EQ(hit(100, 12), HTCLIENT);
  // Minimum size goes to the system as the minimum tracking size.
  host->GetHostAttr().ApplyAttribute(SStringW(L"minsize"), SStringW(L"150,80"), FALSE);
  MINMAXINFO info{};
  SendMessageW(host->GetHwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 150);
  EXPECT_EQ(info.ptMinTrackSize.y, 80);
}

TEST_F(HostUnitTest, APressCutOffBeforeTheMouseMovedIsReleased) {
  TestHost* host = Make("<ORIEL width='100' height='80'><root><window name='b' pos='0,0,-0,-0'/></root></ORIEL>");
  SWindow* b = host->FindDescendantByName(L"b");
  int commands = 0;
  b->SubscribeEvent(EventCmd::EventID, [&](EventArgs*) { return ++commands, true; });
  HWND hwnd = host->GetHwnd();
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  EXPECT_TRUE(b->GetState() & WndState_PushDown);
  SendMessageW(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_FALSE(b->GetState() & WndState_PushDown);
  EXPECT_EQ(commands, 1);

  // Moved since the press: nothing is synthesized.
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(22, 20));
  SendMessageW(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_TRUE(b->GetState() & WndState_PushDown);
  SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(22, 20));

  // A clipboard viewer taking the capture does not release the press.
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"CLIPBRDWNDCLASS";
  RegisterClassW(&wc);
  HWND clip = CreateWindowExW(0, L"CLIPBRDWNDCLASS", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  SendMessageW(hwnd, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(clip));
  EXPECT_TRUE(b->GetState() & WndState_PushDown);
  SendMessageW(hwnd, WM_CAPTURECHANGED, 0, 0);
  EXPECT_FALSE(b->GetState() & WndState_PushDown);
  DestroyWindow(clip);
}

// Records its ticks; the frame counter counts animation frames.
class Ticks : public SWindow {
 public:
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (msg == WM_TIMER) ids.push_back(static_cast<UINT>(wParam));
    return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
  std::vector<UINT> ids;
};
struct Frames : ITimelineHandler {
  void AdvanceFrame() override { ++count; }
  int count = 0;
};

TEST_F(HostUnitTest, FrameworkTimersReachTheirWindowAndFramesRunOnlyWhileWanted) {
  TestHost* host = Make("<ORIEL width='100' height='80'><root/></ORIEL>");
  auto* t = new Ticks;
  host->AttachChild(t);
  SendMessageW(host->GetHwnd(), WM_TIMER, SwndTimerId(9, t->GetHandle()), 0);
  ASSERT_EQ(t->ids.size(), 1u);
  EXPECT_EQ(t->ids[0], 9u);
  // A timer of a window that no longer exists is answered (and killed).
  LRESULT r = SendMessageW(host->GetHwnd(), WM_TIMER, SwndTimerId(3, 0xFFFFF0), 0);
  EXPECT_EQ(r, 0);

  Frames frames;
  host->SetVisible(TRUE);
  ShowWindow(host->GetHwnd(), SW_SHOWNA);
  EXPECT_TRUE(host->AddTimelineHandler(&frames));
  MSG msg;
  const DWORD until = GetTickCount() + 3000;
  while (frames.count < 3 && GetTickCount() < until) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    else Sleep(2);
  }
  EXPECT_GE(frames.count, 3);
  EXPECT_TRUE(host->RemoveTimelineHandler(&frames));
  Sleep(50);
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  const int stopped = frames.count;
  Sleep(60);
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_EQ(frames.count, stopped);
}

// Reports where its wheels arrive.
class WheelSink : public SWindow {
 public:
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (msg == WM_MOUSEWHEEL || msg == WM_MOUSEHWHEEL) {
      points.push_back(POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))});
      result = 0;
      return TRUE;
    }
    return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
  std::vector<POINT> points;
};

TEST_F(HostUnitTest, BothWheelsReachTheTreeInClientCoordinates) {
  TestHost* host = Make("<ORIEL width='100' height='80' sendWheel2Hover='1'><root/></ORIEL>");
  auto* sink = new WheelSink;
  host->AttachChild(sink);
  sink->Move(new RECT{0, 0, 100, 80});
  RECT rc{};
  GetWindowRect(host->GetHwnd(), &rc);
  const LPARAM screen = MAKELPARAM(rc.left + 30, rc.top + 20);
  EXPECT_EQ(SendMessageW(host->GetHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), screen), 1);
  SendMessageW(host->GetHwnd(), WM_MOUSEHWHEEL, MAKEWPARAM(0, 120), screen);
  ASSERT_EQ(sink->points.size(), 2u);
  for (const POINT& p : sink->points) {
    EXPECT_EQ(p.x, 30);
    EXPECT_EQ(p.y, 20);
  }
}

TEST_F(HostUnitTest, ScriptTimersTickThroughTheHostOnceOrRepeatedly) {
  TestHost* host = Make("<ORIEL width='100' height='80'><root/></ORIEL>");
  const UINT_PTR once = host->StartScriptTimeout(SStringW(L"onOnce"), 10);
  const UINT_PTR again = host->StartScriptTimer(SStringW(L"onAgain"), 10);
  ASSERT_NE(once, 0u);
  ASSERT_NE(again, 0u);
  std::vector<WPARAM> ticks;
  host->before = [&](UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (msg == 0x2BD9) ticks.push_back(wParam);
    return std::nullopt;
  };
  MSG msg;
  const DWORD until = GetTickCount() + 3000;
  auto count = [&](WPARAM id) { return std::count(ticks.begin(), ticks.end(), id); };
  while (count(again) < 4 && GetTickCount() < until) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    else Sleep(2);
  }
  EXPECT_GE(count(again), 4);
  EXPECT_EQ(count(once), 1);
  host->StopScriptTimer(again);
}

TEST_F(HostUnitTest, SpyRequestsAnswerNothing) {
  TestHost* host = Make("<ORIEL width='100' height='80'><root><window pos='0,0,-0,-0'/></root></ORIEL>");
  for (UINT msg = 0x2EF8; msg <= 0x2EFB; ++msg)
    EXPECT_EQ(SendMessageW(host->GetHwnd(), msg, 0, reinterpret_cast<LPARAM>(host->GetHwnd())), 0) << msg;
}

}  // namespace
