#include "control/SGroup.h"

#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

HRESULT SGroup::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"colorLine1") || AttrNameIs(name, L"colorLine2")) {
    if (value.IsEmpty()) return E_FAIL;
    (AttrNameIs(name, L"colorLine1") ? line1_ : line2_) = SResProviderMgr::LookupNamedColor(value);
  } else if (AttrNameIs(name, L"round")) {
    round_ = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"headerHeight")) {
    header_ = SResProviderMgr::LookupNamedDimension(value);
    hr = S_OK;
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

void SGroup::GetLayoutArea(RECT* rc) {
  SWindow::GetLayoutArea(rc);
  rc->top += header_.ToPixels(GetScale());
}

SIZE SGroup::MeasureDesiredSize(int widthHint, int heightHint) {
  SIZE size = SWindow::MeasureDesiredSize(widthHint, heightHint);
  size.cy += header_.ToPixels(GetScale());
  return size;
}

void SGroup::OnPaint(IRenderTarget* rt) {
  const RECT w = GetWindowRect();
  const SStringW text = GetText();
  IRenderObj* oldFont = nullptr;
  IFont* font = GetStyle().GetFontForState(StateIndex());
  if (font) rt->SelectObject(font, &oldFont);
  SIZE extent{0, 0};
  if (!text.IsEmpty()) rt->MeasureText(text.c_str(), text.GetLength(), &extent);
  const UINT format = GetStyle().GetDrawTextFormat();
  RECT textRc{w.left + 20, w.top, w.right - 20, w.top + extent.cy + 2};
  if (format & DT_CENTER) {
    textRc.left += (textRc.right - textRc.left - extent.cx) / 2;
    textRc.right = textRc.left + extent.cx;
  } else if (format & DT_RIGHT) {
    textRc.left = textRc.right - extent.cx;
  } else {
    textRc.right = textRc.left + extent.cx;
  }
  if (!text.IsEmpty()) {
    RECT gap = textRc;
    InflateRect(&gap, 5, 5);
    rt->PushClipRect(&gap, kCombineDiff);
  }
  const int g = text.IsEmpty() ? w.top : w.top + extent.cy / 2;
  const int r = round_.ToPixels(GetScale());
  const POINT radius{r, r};
  const COLORREF colors[2] = {line1_, line2_};
  const RECT boxes[2] = {{w.left + 1, g + 1, w.right - 1, w.bottom}, {w.left, g, w.right, w.bottom - 1}};
  for (int i = 0; i < 2; ++i) {
    IPen* pen = nullptr;
    if (rt->CreatePen(0, colors[i], 1, &pen) != S_OK || !pen) continue;
    IRenderObj* old = nullptr;
    rt->SelectObject(pen, &old);
    rt->DrawRoundRect(&boxes[i], radius);
    rt->SelectObject(old, nullptr);
    pen->Release();
  }
  if (!text.IsEmpty()) {
    rt->PopClip();
    const COLORREF color = GetStyle().GetTextColorForState(StateIndex());
    const COLORREF oldColor = color != kRenderNoColor ? rt->SetTextColor(color) : kRenderNoColor;
    rt->DrawText(text.c_str(), text.GetLength(), &textRc, DT_VCENTER | DT_SINGLELINE);
    if (color != kRenderNoColor) rt->SetTextColor(oldColor);
  }
  if (font) rt->SelectObject(oldFont, nullptr);
}

}  // namespace ORIEL
