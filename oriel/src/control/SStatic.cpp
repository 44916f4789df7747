#include "control/SStatic.h"

#include <algorithm>

#include "core/SApplication.h"

namespace ORIEL {

SStatic::SStatic() {
  // Texts let the mouse through to what lies under them.
  ApplyAttribute(SStringW(L"msgTransparent"), SStringW(L"1"), TRUE);
  ApplyAttribute(SStringW(L"align"), SStringW(L"left"), TRUE);
}

HRESULT SStatic::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"multiLines")) {
    multiLines_ = ParseAttrInt(value);
    return FinishAttribute(name, value, loading, S_FALSE);
  }
  if (AttrNameIs(name, L"interHeight")) {
    interHeight_ = ParseAttrInt(value);
    return FinishAttribute(name, value, loading, S_FALSE);
  }
  return SWindow::ApplyAttribute(name, value, loading);
}

void SStatic::OnPaint(IRenderTarget* rt) {
  const SStringW text = GetText();
  if (text.IsEmpty()) return;
  const int index = StateIndex();
  IRenderObj* oldFont = nullptr;
  IFont* font = GetStyle().GetFontForState(index);
  if (font) rt->SelectObject(font, &oldFont);
  const COLORREF color = GetStyle().GetTextColorForState(index);
  const COLORREF oldColor = color != kRenderNoColor ? rt->SetTextColor(color) : kRenderNoColor;
  RECT rc = TextRectangle();
  DrawTextBlock(rt, text, &rc, GetStyle().GetDrawTextFormat());
  if (color != kRenderNoColor) rt->SetTextColor(oldColor);
  if (font) rt->SelectObject(oldFont, nullptr);
}

void SStatic::DrawTextLine(IRenderTarget* rt, const SStringW& text, int first, int count, RECT* rc, UINT format) {
  rt->DrawText(text.c_str() + first, count, rc, format);
}

void SStatic::DrawTextBlock(IRenderTarget* rt, const SStringW& text, RECT* rc, UINT format) {
  if (!multiLines_) {
    DrawTextLine(rt, text, 0, text.GetLength(), rc, format);
    return;
  }
  if ((format & (DT_VCENTER | DT_BOTTOM)) && !(format & DT_CALCRECT)) {
    RECT measured = *rc;
    DrawLines(rt, text, &measured, format | DT_CALCRECT);
    const int textHeight = measured.bottom - measured.top;
    const int height = rc->bottom - rc->top;
    if (format & DT_VCENTER) {
      const int shrink = (height - textHeight) / 2;
      rc->top += shrink;
      rc->bottom -= shrink;
    } else {
      rc->top += height - textHeight;
    }
  }
  DrawLines(rt, text, rc, format);
}

// Lines end at "\n" (backslash and n, as layouts write it) and at line
// feeds, and wrap at whichever character no longer fits.
void SStatic::DrawLines(IRenderTarget* rt, const SStringW& text, RECT* rc, UINT format) {
  const bool measuring = (format & DT_CALCRECT) != 0;
  SIZE letter{0, 0};
  rt->MeasureText(L"A", 1, &letter);
  const int lineHeight = letter.cy;
  const wchar_t* begin = text.c_str();
  const wchar_t* const end = begin + text.GetLength();
  const wchar_t* lineStart = begin;
  int x = rc->left;
  int top = rc->top;
  int widest = rc->left;
  const UINT lineFormat = format & ~(DT_CALCRECT | DT_VCENTER | DT_BOTTOM);
  auto flush = [&](const wchar_t* stop) {
    if (!measuring && stop > lineStart) {
      RECT line{rc->left, top, rc->right, top + lineHeight};
      DrawTextLine(rt, text, static_cast<int>(lineStart - begin), static_cast<int>(stop - lineStart), &line,
                   lineFormat);
    }
  };
  const wchar_t* p = begin;
  bool stopped = false;
  while (p < end) {
    const wchar_t* next = CharNextW(p);
    const bool escapedBreak = *p == L'\\' && next < end && *next == L'n';
    if (escapedBreak || *p == L'\n') {
      flush(p);
      top += lineHeight + interHeight_;
      x = rc->left;
      p = escapedBreak ? CharNextW(next) : next;
      lineStart = p;
      continue;
    }
    SIZE ch{0, 0};
    rt->MeasureText(p, static_cast<int>(next - p), &ch);
    if (x + ch.cx <= rc->right || p == lineStart) {
      x += ch.cx;
      widest = std::max(widest, x);
      p = next;
      continue;
    }
    flush(p);
    if (top + interHeight_ + lineHeight > rc->bottom) {
      stopped = true;
      break;
    }
    top += lineHeight + interHeight_;
    x = rc->left;
    lineStart = p;
  }
  if (!stopped) flush(end);
  if (measuring) {
    const int lastBottom = top + lineHeight;
    if (lastBottom < rc->bottom) rc->bottom = lastBottom;
    rc->right = widest;
  }
}

SIZE SStatic::MeasureContent(const RECT* limit) {
  SApplication* app = SApplication::getSingletonPtr();
  const SStringW text = GetText();
  if (!multiLines_ || text.IsEmpty() || !app || !GetLayoutParam()->IsWrapContent(Any))
    return SWindow::MeasureContent(limit);
  IRenderTarget* rt = nullptr;
  if (!app->GetRenderFactory()->CreateRenderTarget(&rt, 0, 0)) return SWindow::MeasureContent(limit);
  if (IFont* font = GetStyle().GetFontForState(0)) rt->SelectObject(font, nullptr);
  const RECT m = GetStyle().GetScaledMargin();
  const RECT pad = GetStyle().GetScaledPadding();
  const int bandX = m.left + m.right + pad.left + pad.right;
  const int bandY = m.top + m.bottom + pad.top + pad.bottom;
  constexpr int kUnbounded = 0x7FFFFF;
  const int maxWidth = GetMaxWidth().IsValid() ? GetMaxWidth().ToPixels(GetScale()) : -1;
  int width = kUnbounded;
  if (!GetLayoutParam()->IsWrapContent(Horz) && limit) width = limit->right - limit->left;
  else if (maxWidth >= 0) width = maxWidth;
  RECT rc{0, 0, std::max(width - bandX, 1), kUnbounded};
  DrawLines(rt, text, &rc, GetStyle().GetDrawTextFormat() | DT_CALCRECT);
  rt->Release();
  const SIZE base = SWindow::MeasureContent(limit);
  SIZE size = base;
  if (GetLayoutParam()->IsWrapContent(Horz)) size.cx = rc.right - rc.left + bandX;
  if (GetLayoutParam()->IsWrapContent(Vert)) size.cy = rc.bottom - rc.top + bandY;
  return size;
}

}  // namespace ORIEL
