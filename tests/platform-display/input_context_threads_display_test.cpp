// Windows come and go on several threads at once, each with its own input
// context, while key events are read: the display's list of event filters,
// which every context joins and leaves, must stay whole, or a later key
// press follows a filter that was freed.
#include "display_helper.h"

#include <atomic>
#include <thread>
#include <vector>

#include <X11/keysym.h>

#include "win32/imm.h"

namespace {

TEST(InputContextThreads, ContextsMadeAndDroppedOnManyThreadsLeaveKeysWorking) {
  ASSERT_TRUE(Win32HasDisplay()) << "this test needs an X display";
  // A plain class: the churning windows live on other threads.
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"ContextChurn";
  ASSERT_NE(RegisterClassExW(&wc), 0);
  constexpr int kThreads = 4, kRounds = 150;
  std::atomic<int> made{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"ContextChurn", L"", WS_POPUP,
                                    -3000 - 100 * t, -3000, 20, 20, nullptr, nullptr, nullptr, nullptr);
        if (!hwnd) continue;
        ++made;
        // Detaching and restoring the context leaves and joins the list
        // again, as an edit that takes and gives up the input method does.
        HIMC own = ImmAssociateContext(hwnd, nullptr);
        ImmAssociateContext(hwnd, own);
        DestroyWindow(hwnd);
      }
    });
  }
  // Keys arrive meanwhile, so the reader walks the list as it changes.
  RecordingClass typed{L"ContextChurnTyped", CS_IME};
  HWND target = CreateWindowExW(0, typed.name(), L"churn", WS_POPUP, 100, 100, 200, 100, nullptr, nullptr,
                                nullptr, nullptr);
  ShowWindow(target, SW_SHOW);
  ASSERT_TRUE(waitViewable(target));
  SetForegroundWindow(target);
  SetFocus(target);
  pumpFor(100);
  for (int i = 0; i < 40; ++i) {
    tapKey(XK_a);
    pumpFor(5);
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(made.load(), kThreads * kRounds);

  // The list is still whole: a key typed now reaches the window as text.
  typed.clear();
  tapKey(XK_b);
  bool gotB = false;
  pumpUntil([&] {
    for (const Seen& s : typed.take())
      if (s.message == WM_CHAR && s.wParam == L'b') gotB = true;
    return gotB;
  });
  EXPECT_TRUE(gotB);
  DestroyWindow(target);
  UnregisterClassW(L"ContextChurn", nullptr);
}

}  // namespace
