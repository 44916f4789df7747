// The message loop's filters and idle rule, the encoding of short window
// timers on the host, long-id timer delivery, and the default services.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "OrielTestApp.h"
#include "core/CSimpleWnd.h"
#include "core/SDefServices.h"
#include "core/SHostTimerId.h"
#include "core/SMessageLoop.h"
#include "core/STimer2.h"
#include "core/STipCtrl.h"
#include "core/SWindowMgr.h"

namespace {

struct Filter : IMessageFilter {
  std::function<BOOL(MSG*)> on;
  BOOL PreFilter(MSG* msg) override { return on(msg); }
};

struct Idle : IIdleHandler {
  std::function<void(int)> on;
  int calls = 0;
  void OnIdle() override { on(++calls); }
};

class MessageLoopTest : public OrielAppTest {};

TEST(MessageLoopIdle, ActivityTable) {
  struct Case {
    UINT message;
    BOOL resets;
  };
  const Case cases[] = {{WM_PAINT, FALSE},   {0x00A0, FALSE},        {0x0118, FALSE},
                        {WM_MOUSEMOVE, FALSE}, {WM_KEYDOWN, TRUE},   {WM_TIMER, TRUE},
                        {WM_LBUTTONDOWN, TRUE}, {WM_USER, TRUE},     {WM_NCHITTEST, TRUE}};
  for (const Case& k : cases) {
    MSG msg{};
    msg.message = k.message;
    EXPECT_EQ(SMessageLoop::ResetsIdle(&msg), k.resets) << std::hex << k.message;
  }
}

TEST_F(MessageLoopTest, IdleRunsOnceAfterABurstEndingWithAKeyAndNotAgainUntilActivity) {
  SMessageLoop* loop = app->GetMsgLoop();
  const DWORD thread = GetCurrentThreadId();
  std::vector<UINT> dispatched;
  std::vector<size_t> idleAfter;  // how many messages had gone through at each idle call
  Filter watch;
  watch.on = [&](MSG* msg) {
    dispatched.push_back(msg->message);
    return msg->message != WM_TIMER;
  };
  Idle idle;
  idle.on = [&](int n) {
    idleAfter.push_back(dispatched.size());
    if (n == 1) {
      PostThreadMessageW(thread, WM_USER + 1, 0, 0);
      PostThreadMessageW(thread, WM_MOUSEMOVE, 0, 0);
      PostThreadMessageW(thread, WM_KEYDOWN, 'A', 0);
    } else if (n == 2) {
      // Only inactive messages follow; then a timer ends the loop.
      PostThreadMessageW(thread, WM_MOUSEMOVE, 0, 0);
      SetTimer(nullptr, 0, 40, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        SApplication::getSingleton().GetMsgLoop()->Quit();
      });
    }
  };
  loop->AddMessageFilter(&watch);
  loop->AddIdleHandler(&idle);
  loop->Run();
  EXPECT_EQ(idle.calls, 2);
  EXPECT_EQ(idleAfter, (std::vector<size_t>{0, 3}));
  ASSERT_EQ(dispatched.size(), 5u);
  EXPECT_EQ(dispatched[3], (UINT)WM_MOUSEMOVE);
  EXPECT_EQ(dispatched[4], (UINT)WM_TIMER);
  EXPECT_EQ(dispatched[2], (UINT)WM_KEYDOWN);
  EXPECT_TRUE(loop->RemoveIdleHandler(&idle));
  EXPECT_TRUE(loop->RemoveMessageFilter(&watch));
}

TEST_F(MessageLoopTest, FiltersAreAskedNewestFirstAndEmptyEntriesAreSkipped) {
  SMessageLoop loop;
  std::vector<char> asked;
  Filter a, b;
  a.on = [&](MSG*) {
    asked.push_back('a');
    return FALSE;
  };
  b.on = [&](MSG* msg) {
    asked.push_back('b');
    return msg->wParam == 1;
  };
  loop.AddMessageFilter(&a);
  loop.AddMessageFilter(nullptr);
  loop.AddMessageFilter(&b);
  loop.AddMessageFilter(&a);  // the same filter twice
  MSG msg{};
  msg.message = WM_USER;
  msg.wParam = 0;
  EXPECT_FALSE(loop.PreTranslate(&msg));
  EXPECT_EQ(asked, (std::vector<char>{'a', 'b', 'a'}));
  asked.clear();
  msg.wParam = 1;
  EXPECT_TRUE(loop.PreTranslate(&msg));
  EXPECT_EQ(asked, (std::vector<char>{'a', 'b'}));
  // Removing takes the first entry equal to the pointer.
  EXPECT_TRUE(loop.RemoveMessageFilter(&a));
  asked.clear();
  msg.wParam = 0;
  loop.PreTranslate(&msg);
  EXPECT_EQ(asked, (std::vector<char>{'a', 'b'}));
  EXPECT_TRUE(loop.RemoveMessageFilter(&a));
  EXPECT_FALSE(loop.RemoveMessageFilter(&a));
}

// A window whose map records what reaches it.
struct Recorder : CSimpleWnd {
  std::vector<std::pair<UINT, WPARAM>> got;
  BOOL HandleWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result, DWORD) override {
    if (msg != WM_TIMER && msg < WM_USER) return FALSE;
    got.emplace_back(msg, wParam);
    result = 0;
    return TRUE;
  }
};

TEST_F(MessageLoopTest, DispatchOneSkipsTheWindowWhenAFilterConsumes) {
  Recorder wnd;
  HWND hwnd = wnd.Create(L"", WS_POPUP, 0, 0, 0, 10, 10, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  SMessageLoop loop;
  Filter eat;
  eat.on = [](MSG* msg) { return msg->wParam == 2; };
  loop.AddMessageFilter(&eat);
  MSG msg{hwnd, WM_USER + 1, 1, 0, 0, {}};
  loop.DispatchOne(&msg);
  msg.wParam = 2;
  loop.DispatchOne(&msg);
  EXPECT_EQ(wnd.got, (std::vector<std::pair<UINT, WPARAM>>{{WM_USER + 1, 1}}));
  DestroyWindow(hwnd);
}

TEST(HostTimerIds, EncodingOfWindowTimerIds) {
  EXPECT_EQ(MakeHostTimerId(0x2A, 5), 0x8500002Au);
  EXPECT_EQ(MakeHostTimerId(0x12345678, 0), 0x80345678u);  // only the low 24 bits travel
  EXPECT_EQ(MakeHostTimerId(1, 127), 0xFF000001u);
  EXPECT_TRUE(IsHostTimerId(0x8500002Au));
  EXPECT_FALSE(IsHostTimerId(1));  // the host's own caret timer
  EXPECT_FALSE(IsHostTimerId(0x7F00002Au));
  EXPECT_EQ(HostTimerWindow(0x8500002Au), 0x2Au);
  EXPECT_EQ(HostTimerWindowId(0x8500002Au), 5u);
  EXPECT_EQ(HostTimerWindowId(0xFF000001u), 127u);
}

TEST_F(MessageLoopTest, AShortWindowTimerComesBackFromTheHostWithItsWindowAndId) {
  struct Host : CSimpleWnd {
    std::vector<std::pair<UINT, UINT>> split;
    BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT& result, DWORD) override {
      if (msg != WM_TIMER || !IsHostTimerId(wParam)) return FALSE;
      split.emplace_back(HostTimerWindow(wParam), HostTimerWindowId(wParam));
      ::KillTimer(hwnd, wParam);
      SApplication::getSingleton().GetMsgLoop()->Quit();
      result = 0;
      return TRUE;
    }
  } host;
  HWND hwnd = host.Create(L"", WS_POPUP, 0, 0, 0, 10, 10, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  if (::SetTimer(hwnd, MakeHostTimerId(0x2A, 5), 10, nullptr)) app->GetMsgLoop()->Run();
  EXPECT_EQ(host.split, (std::vector<std::pair<UINT, UINT>>{{0x2Au, 5u}}));
  DestroyWindow(hwnd);
}

TEST_F(MessageLoopTest, LongIdTimersReachTheirWindowAs6456WithTheChosenId) {
  SWindowMgr& windows = SWindowMgr::getSingleton();
  int a = 0, b = 0;
  auto* wa = reinterpret_cast<SWindow*>(&a);
  auto* wb = reinterpret_cast<SWindow*>(&b);
  const SWND ha = windows.NewWindow(wa);
  const SWND hb = windows.NewWindow(wb);
  ASSERT_TRUE(STimer2::getSingleton().SetTimer(ha, 0x1234, 10));
  ASSERT_TRUE(STimer2::getSingleton().SetTimer(hb, 77, 10));
  windows.DestroyWindow(hb);  // its timer goes with it
  static std::vector<std::tuple<SWindow*, UINT, WPARAM, LPARAM>> got;
  got.clear();
  STimer2::SetDeliver([](SWindow* w, UINT msg, WPARAM wParam, LPARAM lParam) {
    got.emplace_back(w, msg, wParam, lParam);
    if (got.size() == 3) SApplication::getSingleton().GetMsgLoop()->Quit();
  });
  app->GetMsgLoop()->Run();
  STimer2::SetDeliver(nullptr);
  ASSERT_EQ(got.size(), 3u);
  for (auto& [w, msg, wParam, lParam] : got) {
    EXPECT_EQ(w, wa);
    EXPECT_EQ(msg, 6456u);
    EXPECT_EQ(wParam, 0x1234u);
    EXPECT_EQ(lParam, 0);
  }
  windows.DestroyWindow(ha);
  EXPECT_EQ(STimer2::getSingleton().GetCount(), 0u);
}

TEST_F(MessageLoopTest, DefaultToolTipFactoryMakesTheFrameworksTip) {
  IToolTipFactory* factory = app->GetToolTipFactory();
  ASSERT_NE(factory, nullptr);
  IToolTip* tip = factory->CreateToolTip(nullptr);
  ASSERT_NE(tip, nullptr);
  auto* ctrl = dynamic_cast<STipCtrl*>(tip);
  ASSERT_NE(ctrl, nullptr);
  HWND hwnd = ctrl->GetHwnd();
  ASSERT_NE(hwnd, nullptr);
  wchar_t name[32] = {};
  GetWindowTextW(hwnd, name, 32);
  EXPECT_STREQ(name, L"oriel tooltip");
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)), 0x80000003u);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)), 0x8000088u);
  LOGFONTW lf{};
  ASSERT_TRUE(GetObjectW(ctrl->GetFont(), sizeof lf, &lf));
  EXPECT_EQ(lf.lfHeight, -12);
  EXPECT_STREQ(lf.lfFaceName, L"宋体");
  // Inert filter: never consumes.
  MSG msg{hwnd, WM_MOUSEMOVE, 0, 0, 0, {}};
  EXPECT_FALSE(tip->PreFilter(&msg));
  factory->DestroyToolTip(tip);  // the tip deletes itself with its window
  EXPECT_FALSE(IsWindow(hwnd));
  factory->DestroyToolTip(nullptr);
  app->GetMsgLoopFactory()->DestroyMsgLoop(nullptr);
  SMessageLoop* loop = app->GetMsgLoopFactory()->CreateMsgLoop();
  ASSERT_NE(loop, nullptr);
  EXPECT_FALSE(loop->IsRunning());
  app->GetMsgLoopFactory()->DestroyMsgLoop(loop);
}

TEST(DefaultToolTipFactory, NoWindowNoTip) {
  // Without the application there is no window class to make the tip in.
  auto* factory = new SDefToolTipFactory;
  testing::internal::CaptureStderr();
  EXPECT_EQ(factory->CreateToolTip(nullptr), nullptr);
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("window class is not registered"), std::string::npos) << log;
  EXPECT_EQ(factory->Release(), 0);
}

TEST_F(MessageLoopTest, ScaleRemakesTheTipFont) {
  auto* tip = new STipCtrl;
  ASSERT_TRUE(tip->CreateTipWindow());
  HWND hwnd = tip->GetHwnd();
  const RECT rc{0, 0, 10, 10};
  struct Case {
    DWORD swnd;
    int scale;
    LONG height;
  };
  const Case cases[] = {{1, 150, -18}, {2, 100, -12}, {3, 125, -15}, {4, 200, -24}, {5, 175, -21}};
  for (const Case& k : cases) {
    tip->UpdateTip(TipId{k.swnd, 0}, rc, L"t", k.scale);
    LOGFONTW lf{};
    ASSERT_TRUE(GetObjectW(tip->GetFont(), sizeof lf, &lf));
    EXPECT_EQ(lf.lfHeight, k.height) << k.scale;
  }
  // The same identity again changes nothing, text included.
  tip->UpdateTip(TipId{5, 0}, rc, L"other", 100);
  EXPECT_EQ(tip->GetText(), L"t");
  tip->UpdateTip(TipId{5, 1}, rc, L"a\\nb", 100);
  EXPECT_EQ(tip->GetText(), L"a\nb");
  DestroyWindow(hwnd);
}

}  // namespace
