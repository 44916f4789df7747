// A window for input tests: it logs the key, mouse and input-method
// messages it is sent, takes key presses, characters and wheels itself, and
// can ask for Tab or be a member of a group whose selection is its checked
// member.
#pragma once

#include <vector>

#include "core/SWnd.h"

namespace ORIEL {

class LogWindow : public SWindow {
  SOBJ_CLASS(LogWindow, SWindow, L"logwnd", kObjWindow)
 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (msg >= WM_KEYFIRST && msg <= 0x2A3) log.push_back({msg, wParam, lParam});
    if (msg == WM_KEYDOWN || msg == WM_CHAR || msg == WM_SYSCHAR) return TRUE;
    if (msg == WM_MOUSEWHEEL || msg == WM_MOUSEHWHEEL) return TRUE;
    return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
  UINT GetDlgCode() const override { return wantTab ? kDlgWantTab : 0; }
  BOOL IsGroupMember() const override { return group; }
  SWindow* GetGroupSelection() override {
    for (SWindow* w = GetParent()->GetRelative(GSW_FIRSTCHILD); w; w = w->GetRelative(GSW_NEXTSIBLING))
      if (w->IsGroupMember() && w->IsChecked()) return w;
    return nullptr;
  }
  struct Msg {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
  };
  int Count(UINT msg) const {
    int n = 0;
    for (const auto& m : log) n += m.msg == msg;
    return n;
  }
  int Count(UINT msg, WPARAM wParam) const {
    int n = 0;
    for (const auto& m : log) n += m.msg == msg && m.wParam == wParam;
    return n;
  }
  const Msg* Last(UINT msg) const {
    for (auto it = log.rbegin(); it != log.rend(); ++it)
      if (it->msg == msg) return &*it;
    return nullptr;
  }
  std::vector<Msg> log;
  bool wantTab = false;
  bool group = false;
};

}  // namespace ORIEL
