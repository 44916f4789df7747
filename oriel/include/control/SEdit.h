// The plain text field of every layout: a rich edit in plain-text mode that
// selects all on focus and shows a cue text while empty and unfocused.
#pragma once

#include "control/SRichEdit.h"

namespace ORIEL {

class SEdit : public SRichEdit {
  SOBJ_CLASS(SEdit, SRichEdit, L"edit", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"richedit"; }

  SEdit();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SRichEdit::ApplyAttribute;

  SStringW GetCueText(bool raw = false) const { return cueText_.GetText(raw); }
  COLORREF GetCueColor() const { return cueColor_; }

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnSetFocus() override;
  void OnKillFocus() override;
  BOOL RefreshTranslation() override;

 private:
  bool CueVisibilityMayChange() const;

  COLORREF cueColor_ = 0xFFCCCCCC;
  SLocalizedText cueText_{this};
};

}  // namespace ORIEL
