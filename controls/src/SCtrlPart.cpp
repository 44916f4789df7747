#include "controls/SCtrlPart.h"

#include "core/SApplication.h"
#include "core/SStringSplit.h"
#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

BOOL SCaptionEx::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const bool mouse = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_MOUSEMOVE || msg == WM_LBUTTONUP;
  if (!mouse || dragMode_ == kDragHost) return SCaption::HandleSwndMessage(msg, wParam, lParam, result);
  result = 0;
  if (dragMode_ != kDragInParent) return TRUE;  // an unknown mode swallows the mouse
  const POINT pt{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
  switch (msg) {
    case WM_LBUTTONDOWN:
      last_ = pt;
      dragging_ = true;
      break;
    case WM_MOUSEMOVE:
      if (dragging_) {
        RECT rc = GetWindowRect();
        OffsetRect(&rc, pt.x - last_.x, pt.y - last_.y);
        Move(&rc);
        last_ = pt;
      }
      break;
    case WM_LBUTTONUP:
      dragging_ = false;
      break;
    default:  // a double click does nothing here
      break;
  }
  return TRUE;
}

void ISCtrlPartHandler::OnTimer(UINT_PTR) {}

SWindow* ISCtrlPartHandler::FindChildByName(const SStringW& name, int depth) const {
  return part_ ? part_->FindDescendantByName(name, depth) : nullptr;
}

SWindow* ISCtrlPartHandler::FindChildByID(int id, int depth) const {
  return part_ ? part_->FindDescendantById(id, depth) : nullptr;
}

void ISCtrlPartHandler::InvalidatePart() {
  if (part_) part_->Invalidate();
}

HRESULT SCtrlPart::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (!AttrNameIs(name, L"src")) return SCaptionEx::ApplyAttribute(name, value, loading);
  source_ = SResProviderMgr::LookupNamedString(value);
  // The window itself has no use for it: nothing to redraw.
  return FinishAttribute(name, value, loading, S_FALSE);
}

void SCtrlPart::SetHandler(ISCtrlPartHandler* handler) {
  handler_ = handler;
  SendSwndMessage(WM_INITDIALOG, 0, 0);
}

void SCtrlPart::LoadPartLayout() {
  if (source_.IsEmpty()) return;
  SStringWArray parts;
  const int n = ParseResName(source_, parts);
  const SStringW type = n == 2 ? parts[0] : SStringW(L"LAYOUT");
  const SStringW name = n == 2 ? parts[1] : source_;
  SApplication* app = SApplication::getSingletonPtr();
  SXmlDoc doc;
  if (!app || name.IsEmpty() || !app->LoadXmlDocByType(doc, name, type)) return;
  if (pugi::xml_node include = XmlChild(doc, L"include")) CreateChildren(include);
}

BOOL SCtrlPart::OfferToHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  msgHandled_ = FALSE;
  if (!handler_) return FALSE;
  result = 0;
  switch (msg) {
    case WM_COPYDATA: handler_->OnCopyData(wParam, lParam); break;
    case WM_COMMAND: handler_->OnCommand(HIWORD(wParam), LOWORD(wParam), lParam); break;
    case WM_TIMER: handler_->OnTimer(wParam); break;
    case WM_INITDIALOG: handler_->OnInit(); break;
    default: result = handler_->OnUserMessage(msg, wParam, lParam); break;
  }
  return msgHandled_;
}

BOOL SCtrlPart::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_CREATE) {
    const BOOL handled = SCaptionEx::HandleSwndMessage(msg, wParam, lParam, result);
    // A window that failed to be created is not given children.
    if (handled && result != 0) return TRUE;
    LoadPartLayout();
    result = 0;
    return TRUE;
  }
  const bool routed = msg == WM_COPYDATA || msg == WM_COMMAND || msg == WM_TIMER || msg == WM_INITDIALOG ||
                      msg >= WM_USER;
  if (routed && OfferToHandler(msg, wParam, lParam, result)) return TRUE;
  return SCaptionEx::HandleSwndMessage(msg, wParam, lParam, result);
}

}  // namespace ORIEL
