// The close prompt: minimise the program to the tray or exit it, and
// whether to remember the choice. It only collects the answer; the main
// window stores and carries it out. Results: 1 "确定", 8 its close button,
// 2 window close, 100 recalled by the dialog stack.
#pragma once

#include "controls/SDlgBase.h"

class SDlgTipClose : public ORIEL::SDlgBase {
 public:
  static constexpr const wchar_t* kLayout = L"LAYOUT:dlg_tipClose";
  SDlgTipClose() : SDlgBase(kLayout) {}

  // Set by the caller before DoModal; read afterwards.
  bool exitChosen = false;
  bool remember = false;

  BOOL OnHostEvent(ORIEL::EventArgs* e) override;
  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;
};
