#include "control/SEdit.h"

#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

SEdit::SEdit() {
  SRichEdit::ApplyAttribute(SStringW(L"rich"), SStringW(L"0"), TRUE);
  SRichEdit::HandleUnknownAttribute(SStringW(L"autoSel"), SStringW(L"1"), TRUE);
}

HRESULT SEdit::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_OK;
  if (AttrNameIs(name, L"cueColor")) {
    if (value.IsEmpty()) return E_FAIL;
    cueColor_ = SResProviderMgr::LookupNamedColor(value);
  } else if (AttrNameIs(name, L"cueText")) {
    cueText_.SetText(SResProviderMgr::LookupNamedString(value));
  } else {
    return SRichEdit::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

void SEdit::OnPaint(IRenderTarget* rt) {
  SRichEdit::OnPaint(rt);
  const SStringW cue = cueText_.GetText();
  if (cue.IsEmpty() || IsFocused()) return;
  LRESULT length = 0;
  if (!SendToServices(WM_GETTEXTLENGTH, 0, 0, &length) || length != 0) return;
  IRenderObj* oldFont = nullptr;
  IFont* font = GetStyle().GetFontForState(StateIndex());
  if (font) rt->SelectObject(font, &oldFont);
  const COLORREF oldColor = rt->SetTextColor(cueColor_);
  RECT rc = ClientRect();
  const RECT padding = GetStyle().GetScaledPadding();
  rc.left += padding.left;
  rc.top += padding.top;
  rc.right -= padding.right;
  rc.bottom -= padding.bottom;
  const DWORD style = GetEditStyle();
  const UINT align = (style & ES_CENTER) ? DT_CENTER : (style & ES_RIGHT) ? DT_RIGHT : DT_LEFT;
  const UINT format = (GetStyle().GetDrawTextFormat() & ~(DT_CENTER | DT_RIGHT)) | align;
  rt->DrawText(cue.c_str(), cue.GetLength(), &rc, format);
  rt->SetTextColor(oldColor);
  if (font) rt->SelectObject(oldFont, nullptr);
}

bool SEdit::CueVisibilityMayChange() const {
  if (cueText_.GetText().IsEmpty()) return false;
  ITextServices* services = GetTextServices();
  LRESULT length = 0;
  return services && services->TxSendMessage(WM_GETTEXTLENGTH, 0, 0, &length) == S_OK && length == 0;
}

void SEdit::OnSetFocus() {
  SRichEdit::OnSetFocus();
  if (CueVisibilityMayChange()) Invalidate();
}

void SEdit::OnKillFocus() {
  SRichEdit::OnKillFocus();
  if (CueVisibilityMayChange()) Invalidate();
}

BOOL SEdit::RefreshTranslation() {
  const BOOL done = SRichEdit::RefreshTranslation();
  cueText_.Translate();
  return done;
}

}  // namespace ORIEL
