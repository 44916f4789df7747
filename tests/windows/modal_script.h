// Acting on a modal dialog while its loop runs: a script of steps, one per
// tick of a helper window's timer, each done when it returns true; and the
// framework input a user's click gives, sent at once or posted (posted
// when the click opens a modal window of its own, so the step returns and
// the next steps run inside that window's loop).
#pragma once

#include "../platform-display/display_helper.h"

#include <functional>
#include <string>
#include <vector>

#include "controls/CDlgStack.h"
#include "core/CSimpleWnd.h"
#include "core/SHostWnd.h"
#include "core/SXml.h"
#include "win32/backend.h"

class ModalScript {
 public:
  explicit ModalScript(std::vector<std::function<bool()>> steps, UINT tickMs = 60)
      : cls_((L"ModalScript" + std::to_wstring(++count_)).c_str()), steps_(std::move(steps)) {
    hwnd_ = CreateWindowExW(0, cls_.name(), L"script", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    cls_.handler = [this](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (msg == WM_TIMER && next_ < steps_.size() && !running_) {
        running_ = true;
        if (steps_[next_]()) ++next_;
        running_ = false;
      }
      return std::nullopt;
    };
    SetTimer(hwnd_, 1, tickMs, nullptr);
  }
  ~ModalScript() { DestroyWindow(hwnd_); }
  bool finished() const { return next_ == steps_.size(); }
  // The step the script stands at (for a failure message).
  size_t at() const { return next_; }

 private:
  static inline int count_ = 0;
  RecordingClass cls_;
  HWND hwnd_ = nullptr;
  std::vector<std::function<bool()>> steps_;
  size_t next_ = 0;
  bool running_ = false;
};

inline bool Shown(ORIEL::SHostWnd& host) { return IsWindow(host.GetHwnd()) && IsWindowVisible(host.GetHwnd()); }

inline ORIEL::SStringW TextOf(ORIEL::SHostWnd& host, const wchar_t* name) {
  ORIEL::SWindow* w = host.FindDescendantByName(name);
  return w ? w->GetText() : ORIEL::SStringW(L"<none>");
}

// A click on a framework element, as the mouse gives it; with `post` the
// messages are queued instead of handled before the call returns.
inline void ClickElement(ORIEL::SHostWnd& host, const wchar_t* name, bool post = false) {
  ORIEL::SWindow* w = host.FindDescendantByName(name);
  ASSERT_NE(w, nullptr) << ORIEL::XmlUtf8(ORIEL::SStringW(name)).c_str();
  const RECT rc = w->GetWindowRect();
  const LPARAM pt = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
  auto send = [post](HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (post)
      PostMessageW(h, m, wp, lp);
    else
      SendMessageW(h, m, wp, lp);
  };
  send(host.GetHwnd(), WM_MOUSEMOVE, 0, pt);
  send(host.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, pt);
  send(host.GetHwnd(), WM_LBUTTONUP, 0, pt);
}

// The modal dialog on top of the dialog stack, when it is a T.
template <class T>
T* TopDialog() {
  HWND top = ORIEL::CDlgStack::Instance().Top();
  return top ? dynamic_cast<T*>(ORIEL::CSimpleWnd::FromHandle(top)) : nullptr;
}

// Gives the X input focus to the host's window, so real keys reach it.
inline void FocusForKeys(ORIEL::SHostWnd& host) {
  XSetInputFocus(userDisplay(), Win32XWindowOf(host.GetHwnd()), RevertToParent, CurrentTime);
  XSync(userDisplay(), False);
}
