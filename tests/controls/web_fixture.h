// Shared by the web view's display tests: the engine module loaded through
// the program's module map, a host window with one web view, pages written
// to files, and a pump that records the view's notices in order.
#pragma once

#include <sys/socket.h>
#include <netinet/in.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "OrielTestApp.h"
#include "SwndWindowHost.h"
#include "controls/SWkeWebkit.h"
#include "windows/ModuleFiles.h"
#include "../platform-display/display_helper.h"
#include <X11/keysym.h>

namespace webtest {

struct Notice {
  int code;
  LPARAM control;
};

// Dispatches messages until `done` holds, recording each 0x486 notice
// before its host handles it.
inline bool PumpRecording(std::vector<Notice>& notices, const std::function<bool()>& done, int timeoutMs = 15000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == ORIEL::UM_WKE_NOTICE)
        notices.push_back(Notice{static_cast<int>(msg.wParam), msg.lParam});
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      if (done()) return true;
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

// Writes `html` to a file under the test's home and returns its file: URL.
inline std::wstring WritePage(const std::string& name, const std::string& html) {
  const char* home = getenv("HOME");
  const std::string path = std::string(home ? home : "/tmp") + "/" + name + "-" + std::to_string(getpid()) + ".html";
  std::ofstream(path) << html;
  return L"file://" + std::wstring(path.begin(), path.end());
}

// A loopback port nothing listens on: bound once for its number, then freed.
inline int RefusedPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  close(fd);
  return ntohs(addr.sin_port);
}

}  // namespace webtest
