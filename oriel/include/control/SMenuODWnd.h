// The hidden window a Win32 menu is tracked with: it measures and draws
// the owner-drawn items with the menu's look, answers mnemonics, and
// passes the menu notices on to the real owner.
#pragma once

#include "control/SMenuAttr.h"
#include "core/CSimpleWnd.h"

namespace ORIEL {

class SMenuODWnd : public CSimpleWnd {
 public:
  SMenuODWnd(HWND owner, SMenuAttr* attr);
  ~SMenuODWnd() override;

  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD msgMapId) override;

  // DrawText format of item texts: one line, centred vertically, cut
  // with an ellipsis.
  static constexpr UINT kItemTextFormat = 0x8024;

 private:
  void MeasureItem(MEASUREITEMSTRUCT* mis);
  void DrawItem(const DRAWITEMSTRUCT* dis);
  LRESULT MenuChar(WCHAR ch, HMENU menu);

  HWND m_hOwner;
  SRefPtr<SMenuAttr> m_attr;
};

}  // namespace ORIEL
