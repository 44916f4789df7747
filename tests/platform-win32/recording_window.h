// A window class whose procedure records every message it gets and can be
// given a per-test handler, for tests of the messaging core.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "win32/windows.h"

struct Recorded {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD thread;
};

using MessageHandler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

inline std::mutex g_logMutex;
inline std::vector<Recorded> g_log;
inline MessageHandler g_handler;

inline LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  {
    std::lock_guard<std::mutex> lock(g_logMutex);
    g_log.push_back({hwnd, message, wParam, lParam, GetCurrentThreadId()});
  }
  if (g_handler) {
    if (auto result = g_handler(hwnd, message, wParam, lParam)) return *result;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

inline std::vector<Recorded> takeLog() {
  std::lock_guard<std::mutex> lock(g_logMutex);
  std::vector<Recorded> out;
  out.swap(g_log);
  return out;
}

// The messages of `log` that are in `wanted`, as (hwnd, message) pairs.
inline std::vector<std::pair<HWND, UINT>> only(const std::vector<Recorded>& log,
                                               std::initializer_list<UINT> wanted) {
  std::vector<std::pair<HWND, UINT>> out;
  for (const Recorded& r : log) {
    for (UINT w : wanted) {
      if (r.message == w) out.emplace_back(r.hwnd, r.message);
    }
  }
  return out;
}

class RecordingWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    className_ = L"RecordingWindow" + std::to_wstring(++counter);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = RecordingProc;
    wc.cbWndExtra = 16;
    wc.lpszClassName = className_.c_str();
    atom_ = RegisterClassExW(&wc);
    ASSERT_NE(atom_, 0);
    takeLog();
  }

  void TearDown() override {
    g_handler = nullptr;
    for (HWND hwnd : created_) {
      if (IsWindow(hwnd) && GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId())
        DestroyWindow(hwnd);
    }
    UnregisterClassW(className_.c_str(), nullptr);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    takeLog();
  }

  HWND create(LPCWSTR title = L"", DWORD style = WS_POPUP, HWND parent = nullptr,
              HMENU menuOrId = nullptr, LPVOID param = nullptr) {
    HWND hwnd = CreateWindowExW(0, className_.c_str(), title, style, 0, 0, 100, 50, parent,
                                menuOrId, nullptr, param);
    if (hwnd) created_.push_back(hwnd);
    return hwnd;
  }

  std::wstring className_;
  ATOM atom_ = 0;
  std::vector<HWND> created_;
};
