// Window and thread timers: period, coalescing, replacement and killing.
// Timing is checked loosely: these tests must not flake on a busy machine.
#include <chrono>

#include "recording_window.h"

using Timers = RecordingWindowTest;

namespace {

using Clock = std::chrono::steady_clock;

// Runs the loop for `ms`, dispatching; returns the WM_TIMER messages seen.
std::vector<MSG> pumpFor(int ms) {
  std::vector<MSG> timers;
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (Clock::now() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_TIMER) timers.push_back(msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return timers;
}

std::vector<UINT_PTR> thread_timer_ids;
void CALLBACK recordThreadTimer(HWND hwnd, UINT message, UINT_PTR id, DWORD) {
  EXPECT_EQ(hwnd, nullptr);
  EXPECT_EQ(message, static_cast<UINT>(WM_TIMER));
  thread_timer_ids.push_back(id);
}

}  // namespace

TEST_F(Timers, WindowTimerFiresAtItsPeriodUntilKilled) {
  HWND hwnd = create();
  ASSERT_NE(SetTimer(hwnd, 42, 50, nullptr), 0u);
  auto fired = pumpFor(600);
  // About 12 ticks; loose bounds for a loaded machine.
  EXPECT_GE(fired.size(), 4u);
  EXPECT_LE(fired.size(), 13u);
  for (const MSG& msg : fired) {
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_EQ(msg.wParam, 42u);
  }
  ASSERT_TRUE(KillTimer(hwnd, 42));
  EXPECT_TRUE(pumpFor(150).empty());
  EXPECT_FALSE(KillTimer(hwnd, 42));
}

TEST_F(Timers, ATenMillisecondTimerFiresOnTheSystemTick) {
  HWND hwnd = create();
  ASSERT_NE(SetTimer(hwnd, 3, 10, nullptr), 0u);
  const auto fired = pumpFor(1000);
  // 64 ticks a second, as Windows' default clock gives: never the hundred
  // the period alone would make. A loaded machine can only make fewer.
  EXPECT_LE(fired.size(), 66u);
  EXPECT_GE(fired.size(), 20u);
  ASSERT_TRUE(KillTimer(hwnd, 3));
}

TEST_F(Timers, ALateTimerGivesOneMessageNotABacklog) {
  HWND hwnd = create();
  ASSERT_NE(SetTimer(hwnd, 1, 10, nullptr), 0u);
  Sleep(200);  // twenty periods pass without the loop looking
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  KillTimer(hwnd, 1);
}

TEST_F(Timers, SameWindowAndIdReplacesTheTimer) {
  HWND hwnd = create();
  ASSERT_NE(SetTimer(hwnd, 7, 10, nullptr), 0u);
  ASSERT_NE(SetTimer(hwnd, 7, 5000, nullptr), 0u);  // reset to a long period
  EXPECT_TRUE(pumpFor(150).empty());
  ASSERT_TRUE(KillTimer(hwnd, 7));
  EXPECT_FALSE(KillTimer(hwnd, 7)) << "there was only one timer";
}

TEST_F(Timers, ThreadTimerGetsANewIdAndDispatchCallsItsProcedure) {
  thread_timer_ids.clear();
  UINT_PTR first = SetTimer(nullptr, 0, 20, recordThreadTimer);
  UINT_PTR second = SetTimer(nullptr, 0, 20, recordThreadTimer);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  EXPECT_NE(first, second);
  auto fired = pumpFor(200);
  EXPECT_FALSE(fired.empty());
  for (const MSG& msg : fired) EXPECT_EQ(msg.lParam, reinterpret_cast<LPARAM>(&recordThreadTimer));
  EXPECT_EQ(thread_timer_ids.size(), fired.size());
  EXPECT_NE(std::count(thread_timer_ids.begin(), thread_timer_ids.end(), first), 0);
  EXPECT_NE(std::count(thread_timer_ids.begin(), thread_timer_ids.end(), second), 0);
  EXPECT_TRUE(KillTimer(nullptr, first));
  EXPECT_TRUE(KillTimer(nullptr, second));
}

TEST_F(Timers, AKilledTimersPendingMessageCallsNothing) {
  thread_timer_ids.clear();
  UINT_PTR id = SetTimer(nullptr, 0, 10, recordThreadTimer);
  Sleep(30);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  KillTimer(nullptr, id);
  DispatchMessageW(&msg);
  EXPECT_TRUE(thread_timer_ids.empty());
}

TEST_F(Timers, FrameworkPackedIdsReachTheWindow) {
  HWND hwnd = create();
  const UINT_PTR packed = ((100u | 0x80u) << 24) | (reinterpret_cast<uintptr_t>(hwnd) & 0xFFFFFF);
  ASSERT_NE(SetTimer(hwnd, packed, 10, nullptr), 0u);
  auto fired = pumpFor(100);
  ASSERT_FALSE(fired.empty());
  EXPECT_EQ(fired[0].wParam, packed);
  EXPECT_EQ((fired[0].wParam & 0xFFFFFF), reinterpret_cast<uintptr_t>(hwnd));
  KillTimer(hwnd, packed);
}

TEST_F(Timers, GetMessageWakesForATimer) {
  HWND hwnd = create();
  ASSERT_NE(SetTimer(hwnd, 2, 30, nullptr), 0u);
  MSG msg;
  ASSERT_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);  // blocks until the timer is due
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
  KillTimer(hwnd, 2);
}

// Two timers of one period whose phases differ fire in one wake-up of the
// thread, each still at its own rate: without sharing, their ticks would
// stay 7 ms apart.
TEST_F(Timers, TimersOfOnePeriodShareTheirWakeUps) {
  HWND hwnd = create();
  ASSERT_NE(SetTimer(hwnd, 1, 20, nullptr), 0u);
  Sleep(7);
  ASSERT_NE(SetTimer(hwnd, 2, 20, nullptr), 0u);
  std::vector<std::pair<WPARAM, Clock::time_point>> ticks;
  const auto end = Clock::now() + std::chrono::milliseconds(1000);
  while (Clock::now() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_TIMER) ticks.emplace_back(msg.wParam, Clock::now());
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  KillTimer(hwnd, 1);
  KillTimer(hwnd, 2);
  int first = 0, second = 0, shared = 0;
  for (size_t i = 0; i < ticks.size(); ++i) {
    (ticks[i].first == 1 ? first : second)++;
    if (ticks[i].first != 2) continue;
    for (const auto& other : ticks) {
      if (other.first == 1 && std::chrono::abs(other.second - ticks[i].second) < std::chrono::milliseconds(2)) {
        ++shared;
        break;
      }
    }
  }
  // Each keeps its period (about 50 in the second, never more than 51: none
  // fires early); a loaded machine may lose some.
  EXPECT_GE(first, 20);
  EXPECT_LE(first, 51);
  EXPECT_GE(second, 20);
  EXPECT_LE(second, 51);
  // Nearly every tick of the second timer came with one of the first.
  EXPECT_GE(shared, second * 7 / 10) << shared << " of " << second << " shared";
}
