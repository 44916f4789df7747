// What a window timer's tick costs the message loop: process CPU as a share
// of one core and per tick, and the thread's sleeps (voluntary context
// switches) per second, for a loop with no timer, one 10 ms timer and two
// 10 ms timers set 5 ms apart; first with no display, then with the X
// connection open and a window shown (the wake then also reads the
// connection). The loop is a waveform bench's: drain with PeekMessage, then
// MsgWaitForMultipleObjects with a 50 ms limit. First, the floor: a bare
// poll() that sleeps 10 ms a hundred times a second, no message loop.
//   timer_tick_bench [seconds per phase, default 10]
#include <poll.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "win32/windows.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Usage {
  double cpu;
  long sleeps;
};

Usage Now() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return {u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6, u.ru_nvcsw};
}

long g_ticks = 0;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER) {
    ++g_ticks;
    return 0;
  }
  if (msg == WM_PAINT) {
    ValidateRect(hwnd, nullptr);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void Pump(double seconds) {
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (Clock::now() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

void Measure(const char* name, double seconds) {
  Pump(0.5);
  g_ticks = 0;
  const Usage u0 = Now();
  const auto t0 = Clock::now();
  Pump(seconds);
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  const Usage u1 = Now();
  const double cpu = u1.cpu - u0.cpu;
  printf("%-42s %9.3f %9.1f %9.1f %11.1f\n", name, cpu / wall * 100, g_ticks / wall, (u1.sleeps - u0.sleeps) / wall,
         g_ticks ? cpu * 1e6 / g_ticks : 0.0);
}

void BarePolls(double seconds) {
  const Usage u0 = Now();
  const auto t0 = Clock::now();
  long polls = 0;
  while (Clock::now() - t0 < std::chrono::duration<double>(seconds)) {
    poll(nullptr, 0, 10);
    ++polls;
  }
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  const Usage u1 = Now();
  const double cpu = u1.cpu - u0.cpu;
  printf("%-42s %9.3f %9.1f %9.1f %11.1f\n", "bare poll() sleeps of 10 ms", cpu / wall * 100, polls / wall,
         (u1.sleeps - u0.sleeps) / wall, cpu * 1e6 / polls);
}

void Phases(const char* where, HWND hwnd, double seconds) {
  char name[96];
  snprintf(name, sizeof name, "%s, no timer", where);
  Measure(name, seconds);
  SetTimer(hwnd, 1, 10, nullptr);
  snprintf(name, sizeof name, "%s, one 10 ms timer", where);
  Measure(name, seconds);
  SetTimer(hwnd, 1, 10, nullptr);  // restarted: the second is due 5 ms after it
  Sleep(5);
  SetTimer(hwnd, 2, 10, nullptr);
  snprintf(name, sizeof name, "%s, two 10 ms timers 5 ms apart", where);
  Measure(name, seconds);
  KillTimer(hwnd, 1);
  KillTimer(hwnd, 2);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? atof(argv[1]) : 10.0;
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.lpszClassName = L"TimerTickBench";
  RegisterClassW(&wc);
  printf("%d s per phase\n%-42s %9s %9s %9s %11s\n", static_cast<int>(seconds), "phase", "cpu %core", "ticks/s",
         "sleeps/s", "cpu us/tick");  // a bare poll counts as a tick
  BarePolls(seconds);
  // Headless: no display backend is installed until something asks for it.
  HWND headless = CreateWindowExW(0, wc.lpszClassName, L"bench", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                  nullptr);
  Phases("no display", headless, seconds);
  DestroyWindow(headless);
  if (!Win32HasDisplay()) {
    fprintf(stderr, "timer_tick_bench: no X display; display phases skipped\n");
    return 0;
  }
  HWND shown = CreateWindowExW(0, wc.lpszClassName, L"bench", WS_POPUP, 40, 40, 200, 100, nullptr, nullptr, nullptr,
                               nullptr);
  ShowWindow(shown, SW_SHOWNA);
  Phases("display", shown, seconds);
  DestroyWindow(shown);
  return 0;
}
