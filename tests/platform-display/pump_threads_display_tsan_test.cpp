// Several UI threads share the one X connection: each reads it, events
// reach the thread that owns their window, and nothing races (built with
// ThreadSanitizer). Windows sit far off screen, so no other test sees them.
#include "display_helper.h"

#include <atomic>
#include <thread>

namespace {

LRESULT CALLBACK countingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOVE) {
    auto* moves = reinterpret_cast<std::atomic<int>*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (moves) ++*moves;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST(PumpThreads, EachThreadHandlesItsOwnWindowsEvents) {
  if (!Win32HasDisplay()) GTEST_SKIP() << "needs an X display";
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = countingProc;
  wc.lpszClassName = L"PumpThreadsWindow";
  ASSERT_NE(RegisterClassExW(&wc), 0);
  constexpr int kThreads = 3, kMoves = 60;
  std::atomic<int> moves[kThreads];
  std::atomic<int> wrongThread{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    moves[t] = 0;
    threads.emplace_back([&, t] {
      HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"PumpThreadsWindow", L"",
                                  WS_POPUP, -3000 - 200 * t, -3000, 50, 50, nullptr, nullptr,
                                  nullptr, nullptr);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&moves[t]));
      ShowWindow(hwnd, SW_SHOWNA);
      const DWORD self = GetCurrentThreadId();
      for (int i = 0; i < kMoves; ++i) {
        MoveWindow(hwnd, -3000 - 200 * t, -3000 - i, 50, 50, FALSE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
          if (msg.hwnd && GetWindowThreadProcessId(msg.hwnd, nullptr) != self) ++wrongThread;
          DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
      }
      DestroyWindow(hwnd);
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_GE(moves[t].load(), kMoves) << t;
  EXPECT_EQ(wrongThread.load(), 0);
  UnregisterClassW(L"PumpThreadsWindow", nullptr);
}

}  // namespace
