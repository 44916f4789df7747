// A second process for the activation tests.
//   base_ui_window_probe <title> <delay ms>
// waits the delay, then shows an "ActivationProbe" window with that title
// without activating it, prints "xid <X window id>", prints "active" each
// time the window is activated, and exits when the window is closed or
// after 20 seconds.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "win32/windows.h"

namespace {

LRESULT CALLBACK probeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
    std::printf("active\n");
    std::fflush(stdout);
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::wstring wide(const char* utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), n);
  out.resize(out.size() - 1);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  Sleep(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = probeProc;
  wc.lpszClassName = L"ActivationProbe";
  RegisterClassExW(&wc);
  HWND hwnd = CreateWindowExW(0, L"ActivationProbe", wide(argv[1]).c_str(), WS_POPUP, 40, 40, 80, 60,
                              nullptr, nullptr, nullptr, nullptr);
  if (!hwnd) return 3;
  ShowWindow(hwnd, SW_SHOWNA);
  std::printf("xid %lu\n", Win32XWindowOf(hwnd));
  std::fflush(stdout);
  const DWORD start = GetTickCount();
  while (IsWindow(hwnd) && GetTickCount() - start < 20000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  return 0;
}
