// "link": a text whose drawn words (not the space beside them) take
// clicks, show the hand cursor of its style and open its target.
#pragma once

#include "control/SStatic.h"

namespace ORIEL {

class SLink : public SWindow {
  SOBJ_CLASS(SLink, SWindow, L"link", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  SLink();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL LoadXmlNode(pugi::xml_node element) override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  BOOL ApplyStyleCursor(POINT pt) override;

  const SStringW& GetLinkTarget() const { return href_; }
  // Where the text was last drawn, the part that reacts to the mouse.
  RECT GetTextRect() const { return textRect_; }

 protected:
  void OnPaint(IRenderTarget* rt) override;

 private:
  bool InText(POINT pt) const { return PtInRect(&textRect_, pt) != 0; }

  RECT textRect_{0, 0, 0, 0};
  SStringW href_;
};

}  // namespace ORIEL
