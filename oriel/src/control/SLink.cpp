#include "control/SLink.h"

#include "res.mgr/SResProviderMgr.h"
#include "shell/shellapi.h"

namespace ORIEL {

SLink::SLink() { ApplyAttribute(SStringW(L"align"), SStringW(L"left"), TRUE); }

HRESULT SLink::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"href")) {
    href_ = SResProviderMgr::LookupNamedString(value);
    return FinishAttribute(name, value, loading, S_FALSE);
  }
  return SWindow::ApplyAttribute(name, value, loading);
}

BOOL SLink::LoadXmlNode(pugi::xml_node element) {
  const BOOL ok = SWindow::LoadXmlNode(element);
  if (ok && GetText(true).IsEmpty() && !href_.IsEmpty()) SetText(href_);
  return ok;
}

void SLink::OnPaint(IRenderTarget* rt) {
  const SStringW text = GetText();
  const int index = StateIndex();
  IRenderObj* oldFont = nullptr;
  IFont* font = GetStyle().GetFontForState(index);
  if (font) rt->SelectObject(font, &oldFont);
  // The reacting area is the text as drawn, placed by the style's format.
  const RECT area = TextRectangle();
  const UINT format = GetStyle().GetDrawTextFormat();
  RECT measured = area;
  rt->DrawText(text.c_str(), text.GetLength(), &measured, format | DT_CALCRECT);
  const int w = measured.right - measured.left, h = measured.bottom - measured.top;
  RECT placed{area.left, area.top, area.left + w, area.top + h};
  if (format & DT_CENTER) OffsetRect(&placed, (area.right - area.left - w) / 2, 0);
  else if (format & DT_RIGHT) OffsetRect(&placed, area.right - area.left - w, 0);
  if (format & DT_VCENTER) OffsetRect(&placed, 0, (area.bottom - area.top - h) / 2);
  else if (format & DT_BOTTOM) OffsetRect(&placed, 0, area.bottom - area.top - h);
  textRect_ = placed;
  if (font) rt->SelectObject(oldFont, nullptr);
  SWindow::OnPaint(rt);
}

BOOL SLink::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const POINT pt = PointOf(lParam);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (InText(pt)) OnLButtonDown(static_cast<UINT>(wParam), pt);
      result = 0;
      return TRUE;
    case WM_LBUTTONUP: {
      if (!InText(pt)) {
        // A press that ends beside the words is no click; its pushed look
        // goes with the capture.
        ReleaseCapture();
        if (GetState() & WndState_PushDown) ChangeState(0, WndState_PushDown, TRUE);
        result = 0;
        return TRUE;
      }
      AddRef();  // a command handler may close the window
      const bool pushed = (GetState() & WndState_PushDown) != 0;
      OnLButtonUp(static_cast<UINT>(wParam), pt);
      if (pushed && !href_.IsEmpty()) ShellExecuteW(nullptr, L"open", href_.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      Release();
      result = 0;
      return TRUE;
    }
    case WM_MOUSEMOVE: {
      const bool hovering = (GetState() & WndState_Hover) != 0;
      if (InText(pt) && !hovering) SWindow::OnMouseHover();
      else if (!InText(pt) && hovering) SWindow::OnMouseLeave();
      result = 0;
      return TRUE;
    }
    case WM_MOUSEHOVER:
      if (InText(pt)) SWindow::OnMouseHover();
      result = 0;
      return TRUE;
    default: return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
}

BOOL SLink::ApplyStyleCursor(POINT pt) {
  if (!InText(pt)) return FALSE;
  return SWindow::ApplyStyleCursor(pt);
}

}  // namespace ORIEL
