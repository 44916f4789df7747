// A message-only window on the calling thread whose messages go to a
// function, standing in for the main window in the logic's tests.
#pragma once

#include <functional>

#include "win32/windows.h"

class TestWindow {
 public:
  using Handler = std::function<LRESULT(UINT, WPARAM, LPARAM)>;

  explicit TestWindow(Handler handler) : m_handler(std::move(handler)) {
    static ATOM atom = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = &TestWindow::Proc;
      wc.lpszClassName = L"QuorvaleLogicTestWindow";
      return RegisterClassExW(&wc);
    }();
    (void)atom;
    m_hwnd = CreateWindowExW(0, L"QuorvaleLogicTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                             nullptr);
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~TestWindow() {
    if (m_hwnd) DestroyWindow(m_hwnd);
  }
  HWND hwnd() const { return m_hwnd; }
  void Destroy() {
    DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
  }

  // Handles this thread's messages until done() holds or the time is up.
  static bool PumpUntil(const std::function<bool()>& done, int seconds = 60) {
    DWORD limit = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
    while (!done()) {
      if (static_cast<int>(GetTickCount() - limit) > 0) return false;
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(1);
    }
    return true;
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->m_handler && msg >= 0x400) return self->m_handler(msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }

  Handler m_handler;
  HWND m_hwnd = nullptr;
};
