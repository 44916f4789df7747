// A second process for the display tests.
//   probe hotkey <modifiers> <vk>   exit 0 when RegisterHotKey succeeds, 1 when
//                                   it fails as "already registered", 2 else
//   probe clipboard-hold <text>     puts the UTF-8 text on the clipboard,
//                                   prints "ready", serves it until standard
//                                   input closes
//   probe clipboard-read            prints the clipboard text as UTF-8
//   probe window <title>            shows a "ProbeWindow" window, prints
//                                   "ready", then prints each message that
//                                   another process sent it ("user" for
//                                   WM_USER, "close" for WM_CLOSE) and exits
//                                   when the window is destroyed
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "win32/windows.h"

namespace {

std::wstring wide(const char* utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), n);
  out.resize(out.size() - 1);
  return out;
}

std::string narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

int hotkey(UINT modifiers, UINT vk) {
  if (RegisterHotKey(nullptr, 1, modifiers, vk)) return 0;
  return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED ? 1 : 2;
}

int hold(const char* text) {
  const std::wstring value = wide(text);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (value.size() + 1) * sizeof(wchar_t));
  std::memcpy(GlobalLock(memory), value.c_str(), (value.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  if (!OpenClipboard(nullptr) || !EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, memory))
    return 2;
  CloseClipboard();
  std::printf("ready\n");
  std::fflush(stdout);
  // Serve the selection while the test runs.
  for (;;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    pollfd in{STDIN_FILENO, POLLIN, 0};
    if (poll(&in, 1, 0) > 0) {
      char byte;
      if (read(STDIN_FILENO, &byte, 1) <= 0) return 0;
    }
  }
}

int readText() {
  if (!OpenClipboard(nullptr)) return 2;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  std::string text = data ? narrow(static_cast<const wchar_t*>(GlobalLock(data))) : std::string();
  CloseClipboard();
  std::printf("%s", text.c_str());
  return data ? 0 : 1;
}

LRESULT CALLBACK probeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) std::printf("user\n");
  if (message == WM_CLOSE) std::printf("close\n");
  std::fflush(stdout);
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

int window(const char* title) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = probeProc;
  wc.lpszClassName = L"ProbeWindow";
  RegisterClassExW(&wc);
  HWND hwnd = CreateWindowExW(0, L"ProbeWindow", wide(title).c_str(), WS_POPUP, 10, 10, 60, 40,
                              nullptr, nullptr, nullptr, nullptr);
  if (!hwnd) return 2;
  ShowWindow(hwnd, SW_SHOWNA);
  std::printf("ready\n");
  std::fflush(stdout);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string mode = argv[1];
  if (mode == "hotkey" && argc == 4)
    return hotkey(static_cast<UINT>(std::strtoul(argv[2], nullptr, 0)),
                  static_cast<UINT>(std::strtoul(argv[3], nullptr, 0)));
  if (mode == "clipboard-hold" && argc == 3) return hold(argv[2]);
  if (mode == "clipboard-read") return readText();
  if (mode == "window" && argc == 3) return window(argv[2]);
  return 2;
}
