// Runs a test dialog modally while another thread plays the user: once the
// dialog is shown and holds the X server's focus, `user` gets its window. A
// dialog the user could not end is ended with -1, so a test fails on its
// answer instead of hanging.
#pragma once

#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>

#include "HostTestWindow.h"
#include "../platform-display/display_helper.h"

namespace ORIEL {

inline INT_PTR RunDialogAsUser(TestDialog& dialog, HWND owner, const std::function<void(HWND)>& user) {
  constexpr UINT kGiveUp = WM_USER + 99;
  std::atomic<HWND> shown{nullptr};
  auto previous = dialog.before;
  dialog.before = [&, previous](UINT msg, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    if (msg == kGiveUp) dialog.EndDialog(-1);
    std::optional<LRESULT> answer = previous ? previous(msg, w, l) : std::nullopt;
    if (msg == WM_SHOWWINDOW) shown = dialog.GetHwnd();
    return answer;
  };
  std::atomic<bool> ended{false};
  std::thread player([&] {
    for (int i = 0; i < 500 && !shown; ++i) usleep(10000);
    // Keys go where the server's focus is: wait for the dialog to have it.
    for (int i = 0; i < 500 && shown && !hasInputFocus(shown); ++i) usleep(10000);
    usleep(50000);
    if (shown) user(shown);
    for (int i = 0; i < 500 && !ended; ++i) usleep(10000);
    if (!ended && shown) PostMessageW(shown, kGiveUp, 0, 0);
  });
  const INT_PTR code = dialog.DoModal(owner);
  ended = true;
  player.join();
  dialog.before = previous;
  return code;
}

}  // namespace ORIEL
