// "text": a static text, on one line or wrapped at any character over
// several lines with a fixed gap between them.
#pragma once

#include "core/SWnd.h"

namespace ORIEL {

class SStatic : public SWindow {
  SOBJ_CLASS(SStatic, SWindow, L"text", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  SStatic();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;

  // Draws (or with DT_CALCRECT measures into `rc`) the text: the whole text
  // on one line, or line by line when multi-line.
  void DrawTextBlock(IRenderTarget* rt, const SStringW& text, RECT* rc, UINT format);
  // One stretch of the text into a rectangle.
  virtual void DrawTextLine(IRenderTarget* rt, const SStringW& text, int first, int count, RECT* rc, UINT format);
  bool IsMultiLine() const { return multiLines_ != 0; }
  int GetLineSpacing() const { return interHeight_; }

 protected:
  void OnPaint(IRenderTarget* rt) override;
  SIZE MeasureContent(const RECT* limit) override;

 private:
  void DrawLines(IRenderTarget* rt, const SStringW& text, RECT* rc, UINT format);

  int multiLines_ = 0;
  int interHeight_ = 5;
};

}  // namespace ORIEL
