// "icon": an icon handle stretched over the client area. The window owns
// the icon and destroys it when it is replaced or the window goes.
#pragma once

#include "core/SWnd.h"

namespace ORIEL {

class SIconWnd : public SWindow {
  SOBJ_CLASS(SIconWnd, SWindow, L"icon", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  SIconWnd() = default;
  ~SIconWnd() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;

  // Takes the icon over; the same icon again changes nothing.
  void SetIcon(HICON icon);
  HICON GetIcon() const { return icon_; }

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnDestroy() override;
  SIZE MeasureContent(const RECT* limit) override;

 private:
  HICON icon_ = nullptr;
};

}  // namespace ORIEL
