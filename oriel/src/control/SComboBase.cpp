#include "control/SComboBase.h"

#include <algorithm>

#include "control/ControlSkins.h"
#include "control/SComboEdit.h"
#include "control/SControlPaint.h"
#include "core/SApplication.h"
#include "core/SWndTextMeasure.h"
#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

namespace {

constexpr UINT kShowWithoutActivation = 0x57;  // no size, move, z-order or activation; show
constexpr DWORD kSlideDown = 0x40004;
constexpr DWORD kSlideUp = 0x40008;
constexpr UINT kEnChange = 0x300;
constexpr UINT kSetEventMask = 0x445;
constexpr LPARAM kMaskChange = 1;

}  // namespace

SComboBase::SComboBase() {
  SWindow::ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE);
  GetStyle().ApplyAttribute(SStringW(L"align"), SStringW(L"left"), TRUE);
  GetStyle().ApplyAttribute(SStringW(L"valign"), SStringW(L"middle"), TRUE);
  buttonSkinName_ = L"_skin.sys.dropbtn";
  buttonSkin_ = LookupControlSkin(buttonSkinName_, 100);
  GetEventSet()->AddEvent(EventCBSelChange::EventID, EventCBSelChange::EventName());
  GetEventSet()->AddEvent(EventRENotify::EventID, EventRENotify::EventName());
  GetEventSet()->AddEvent(EventCBDropdown::EventID, EventCBDropdown::EventName());
}

SComboBase::~SComboBase() = default;

HRESULT SComboBase::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"dropDown")) {
    readOnly_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"curSel")) {
    initialSel_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"animateTime")) {
    animateTime_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"autoFitDropBtn")) {
    autoFitDropBtn_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"dropHeight")) {
    dropHeight_ = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"btnSkin")) {
    buttonSkinName_ = value;
    buttonSkin_ = LookupControlSkin(value, GetScale());
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, S_FALSE);
}

// --- creation -------------------------------------------------------------

BOOL SComboBase::CreateChildren(pugi::xml_node element) {
  dropDownStyle_.reset();
  if (pugi::xml_node style = XmlChild(element, L"dropdownStyle")) dropDownStyle_.append_copy(style);
  if (!readOnly_ && !edit_) {
    edit_ = new SComboEdit(this);
    if (SApplication* app = SApplication::getSingletonPtr()) app->ApplyDefaultAttributes(edit_);
    AttachChild(edit_);
    edit_->GetEventSet()->muted = 1;
    if (pugi::xml_node editStyle = XmlChild(element, L"editStyle")) edit_->LoadXmlNode(editStyle);
    else edit_->SendSwndMessage(SWM_CREATE);
    edit_->GetEventSet()->muted = 0;
    edit_->ApplyAttribute(SStringW(L"id"), SStringW(L"-100"), TRUE);
    edit_->SendSwndMessage(kSetEventMask, 0, kMaskChange);
  }
  return CreateList(element);
}

void SComboBase::OnDestroy() {
  CloseUp();
  SWindow::OnDestroy();
  edit_ = nullptr;  // released with the other children
}

// --- texts and list helpers ---------------------------------------------

SStringW SComboBase::GetText(bool raw) const {
  if (edit_) return edit_->GetText(raw);
  const int sel = GetCurSel();
  return sel < 0 ? SStringW() : GetItemText(sel, raw);
}

void SComboBase::SetText(const SStringW& text) {
  SWindow::SetText(text);
  SetCurSel(-1);
  if (edit_) edit_->SetText(text);
}

int SComboBase::FindString(const SStringW& text, int start) const {
  for (int i = std::max(start, 0); i < GetCount(); ++i)
    if (GetItemText(i, true) == text) return i;
  return -1;
}

void SComboBase::FireSelChange() {
  if (clearingByTyping_) return;
  EventCBSelChange e(this);
  e.nCurSel = GetCurSel();
  RaiseEvent(&e);
}

bool SComboBase::EditMuted() const { return edit_ && edit_->GetEventSet()->muted != 0; }

void SComboBase::SetEditTextQuietly(const SStringW& text) {
  if (!edit_) return;
  edit_->GetEventSet()->muted = 1;
  edit_->SetText(text);
  edit_->GetEventSet()->muted = 0;
}

void SComboBase::ShowSelectionAndFire() {
  if (edit_ && !EditMuted()) SetEditTextQuietly(GetItemText(GetCurSel()));
  Invalidate();
  SComboBase::FireSelChange();
}

// Typing clears the list's selection without a selection event: the text
// is the user's own now, not an entry's.
BOOL SComboBase::RaiseEvent(EventArgs* e) {
  if (edit_ && e->GetId() == EventRENotify::EventID && static_cast<EventRENotify*>(e)->iNotify == kEnChange &&
      !EditMuted()) {
    edit_->GetEventSet()->muted = 1;
    clearingByTyping_ = true;
    SetCurSel(-1);
    clearingByTyping_ = false;
    edit_->GetEventSet()->muted = 0;
  }
  return SWindow::RaiseEvent(e);
}

BOOL SComboBase::TakesFocus() const { return readOnly_ && SWindow::TakesFocus(); }

// --- geometry ---------------------------------------------------------------

// A missing skin, or one without a height, makes a button 0 wide.
RECT SComboBase::GetDropButtonRect() const {
  const RECT client = ClientRect();
  const SIZE skin = buttonSkin_ ? buttonSkin_->NaturalSize() : SIZE{0, 0};
  if (autoFitDropBtn_) {
    const int top = client.top + (client.bottom - client.top - skin.cy) / 2;
    return RECT{client.right - skin.cx, top, client.right, top + skin.cy};
  }
  const int h = client.bottom - client.top;
  const int w = skin.cy > 0 ? h * skin.cx / skin.cy : 0;
  return RECT{client.right - w, client.top, client.right, client.bottom};
}

int SComboBase::ButtonWidth() const {
  const RECT b = GetDropButtonRect();
  return b.right - b.left;
}

RECT SComboBase::GetEditTextRect() const {
  RECT rc = ClientRect();
  const RECT pad = const_cast<SComboBase*>(this)->GetStyle().GetScaledPadding();
  rc.left += pad.left;
  rc.top += pad.top;
  rc.right -= pad.right + ButtonWidth();
  rc.bottom -= pad.bottom;
  return rc;
}

void SComboBase::ArrangeChildren() {
  SWindow::ArrangeChildren();
  if (!edit_) return;
  RECT rc = ClientRect();
  const RECT pad = GetStyle().GetScaledPadding();
  const SIZE skin = buttonSkin_ ? buttonSkin_->NaturalSize() : SIZE{0, 0};
  const int h = rc.bottom - rc.top;
  rc.left += pad.left;
  rc.top += pad.top;
  rc.bottom -= pad.bottom;
  rc.right -= pad.right + (skin.cy > 0 ? h * skin.cx / skin.cy : 0);
  edit_->RelayoutTo(&rc);
}

// Wrapping dimensions take the text (or "A", for a height) and the button.
SIZE SComboBase::MeasureDesiredSize(int widthHint, int heightHint) {
  SIZE size = SWindow::MeasureDesiredSize(widthHint, heightHint);
  ILayoutParam* param = GetLayoutParam();
  const bool wrapW = param && param->IsWrapContent(Horz), wrapH = param && param->IsWrapContent(Vert);
  if (!wrapW && !wrapH) return size;
  const SStringW text = GetText();
  const SStringW measured = text.IsEmpty() ? SStringW(L"A") : text;
  SIZE textSize{0, 0};
  if (IRenderTarget* rt = CreateMeasuringTarget(this)) {
    RECT rc{0, 0, 100000, 100000};
    rt->DrawText(measured.c_str(), measured.GetLength(), &rc, (GetStyle().GetDrawTextFormat() & ~0xFu) | DT_CALCRECT);
    textSize = SIZE{text.IsEmpty() ? 0 : rc.right - rc.left, rc.bottom - rc.top};
    rt->Release();
  }
  const SIZE skin = buttonSkin_ ? buttonSkin_->NaturalSize() : SIZE{0, 0};
  const RECT m = GetStyle().GetScaledMargin(), p = GetStyle().GetScaledPadding();
  if (wrapW) size.cx = textSize.cx + skin.cx + m.left + m.right + p.left + p.right;
  if (wrapH) size.cy = std::max(textSize.cy, skin.cy) + m.top + m.bottom + p.top + p.bottom;
  return size;
}

bool SComboBase::GetDropDownRect(int height, RECT* rc) const {
  RECT combo = GetWindowRect();
  ISwndContainer* container = GetContainer();
  HWND host = container ? container->GetHostHwnd() : nullptr;
  if (host) {
    POINT tl{combo.left, combo.top}, br{combo.right, combo.bottom};
    ClientToScreen(host, &tl);
    ClientToScreen(host, &br);
    combo = RECT{tl.x, tl.y, br.x, br.y};
  }
  RECT monitor{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (HMONITOR m = host ? MonitorFromWindow(host, MONITOR_DEFAULTTONULL) : nullptr) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(m, &info)) monitor = info.rcMonitor;
  }
  const bool below = combo.bottom + height <= monitor.bottom;
  *rc = below ? RECT{combo.left, combo.bottom, combo.right, combo.bottom + height}
              : RECT{combo.left, combo.top - height, combo.right, combo.top};
  return below;
}

// --- the drop-down ----------------------------------------------------------

void SComboBase::OpenDropDown() {
  if (buttonState_ == 2) return;
  if (!dropDown_) {
    dropDown_ = new SDropDownWnd_ComboBox(this);
    dropDown_->BroadcastMessage(SWM_UPDATESCALE, GetScale());
  }
  EventCBDropdown e(this);
  e.pDropDown = dropDown_;
  RaiseEvent(&e);
  if (!dropDown_) return;  // a subscriber closed it
  RECT rc{};
  const bool below = GetDropDownRect(GetListHeight(), &rc);
  if (!dropDown_->Create(rc, nullptr, WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST)) {
    SLOGW(SLOG_LEVEL_ERROR, "ORIEL::SComboBase::OpenDropDown", L"the drop-down window could not be made");
    dropDown_->Release();
    dropDown_ = nullptr;
    return;
  }
  HWND popup = dropDown_->GetHwnd();
  if (animateTime_ < 1) SetWindowPos(popup, nullptr, 0, 0, 0, 0, kShowWithoutActivation);
  else dropDown_->PlayWindowAnimation(static_cast<DWORD>(animateTime_), below ? kSlideDown : kSlideUp);
  if (IsWindow(popup)) ::SetCapture(popup);
}

void SComboBase::CloseUp() {
  if (dropDown_) dropDown_->EndDropDown(2);
}

void SComboBase::PrepareDropDown(SDropDownWnd* dropDown) {
  if (pugi::xml_node style = dropDownStyle_.first_child()) {
    if (!XmlAttr(style, L"trCtx")) style.append_attribute("trCtx") = XmlUtf8(GetTrCtx()).c_str();
    RECT client{};
    ::GetClientRect(dropDown->GetHwnd(), &client);
    dropDown->LoadHostXml(style, client.right, client.bottom);
  } else {
    dropDown->GetHostAttr().ApplyAttribute(SStringW(L"trCtx"), GetTrCtx(), TRUE);
  }
  buttonState_ = 2;
  InvalidateButton();
}

void SComboBase::ReleaseDropDown(SDropDownWnd* dropDown) {
  if (edit_) edit_->SetFocus();
  buttonState_ = 0;
  dropDown_ = nullptr;
  InvalidateButton();
  ChangeState(0, WndState_Hover, TRUE);
  if (ISwndContainer* container = GetContainer()) {
    if (HWND host = container->GetHostHwnd()) {
      POINT p{};
      GetCursorPos(&p);
      ScreenToClient(host, &p);
      PostMessageW(host, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
    }
  }
  if (dropDown->GetExitCode() == 1) FireSelChange();
}

// --- painting ---------------------------------------------------------------

void SComboBase::InvalidateButton() { InvalidateRect(GetDropButtonRect()); }

void SComboBase::OnPaint(IRenderTarget* rt) {
  if (!edit_ && GetCurSel() != -1) {
    const SPaintState saved = ApplyPaintState(this, rt);
    const SStringW text = GetText();
    RECT rc = GetEditTextRect();
    rt->DrawText(text.c_str(), text.GetLength(), &rc, GetStyle().GetDrawTextFormat());
    RestorePaintState(rt, saved);
  }
  if (buttonSkin_) {
    const RECT button = GetDropButtonRect();
    const int state = buttonState_ == 2 ? 2 : buttonState_;
    buttonSkin_->DrawByIndex(rt, &button, std::min(state, std::max(buttonSkin_->StateCount() - 1, 0)));
  }
}

void SComboBase::Colorize(COLORREF color) {
  SWindow::Colorize(color);
  if (buttonSkin_) buttonSkin_->ApplyColorize(color);
  if (dropDown_) dropDown_->BroadcastMessage(SWM_COLORIZE, color);
}

BOOL SComboBase::RefreshTranslation() {
  const BOOL result = SWindow::RefreshTranslation();
  if (dropDown_) dropDown_->BroadcastMessage(SWM_LANGUAGECHANGED);
  return result;
}

void SComboBase::UpdateScale(int scale) {
  SWindow::UpdateScale(scale);
  if (dropDown_) dropDown_->BroadcastMessage(SWM_UPDATESCALE, scale);
  if (ISkinObj* scaled = LookupControlSkin(buttonSkinName_, scale)) buttonSkin_ = scaled;
}

// --- input --------------------------------------------------------------------

void SComboBase::OnLButtonDownCombo(POINT) {
  if (TakesFocus()) SetFocus();
  OpenDropDown();
}

void SComboBase::OnMouseMoveCombo(POINT pt) {
  if (buttonState_ == 2) return;
  const RECT button = GetDropButtonRect();
  if (PtInRect(&button, pt)) {
    buttonState_ = 1;
    InvalidateButton();
  } else if (buttonState_ == 1) {
    buttonState_ = 0;
    InvalidateButton();
  }
}

void SComboBase::OnMouseLeaveCombo() {
  if (buttonState_ == 2) return;
  if (GetState() & WndState_Hover) SWindow::OnMouseLeave();
  if (buttonState_ == 1) {
    buttonState_ = 0;
    InvalidateButton();
  }
}

// One entry on, without wrapping; forward from no selection is the first.
void SComboBase::StepSelection(int by) {
  const int current = GetCurSel();
  int next = current + by;
  if (current < 0) {
    if (by < 0) return;
    next = 0;
  }
  if (next < 0 || next >= GetCount()) return;
  SetCurSel(next);
}

BOOL SComboBase::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (msg) {
    // A press soon after the last one (the click that closed the list)
    // arrives as a double click: it opens the list all the same.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: OnLButtonDownCombo(PointOf(lParam)); return TRUE;
    case WM_MOUSEMOVE: OnMouseMoveCombo(PointOf(lParam)); return TRUE;
    case WM_MOUSELEAVE: OnMouseLeaveCombo(); return TRUE;
    case WM_MOUSEWHEEL:
      StepSelection(static_cast<SHORT>(HIWORD(wParam)) > 0 ? -1 : 1);
      result = 1;
      return TRUE;
    case WM_SETFOCUS:
      if (edit_) {
        edit_->SetFocus();
        return TRUE;
      }
      break;
    case WM_KILLFOCUS:
      SWindow::HandleSwndMessage(msg, wParam, lParam, result);
      CloseUp();
      return TRUE;
    case WM_KEYDOWN:
      if (wParam == VK_LEFT || wParam == VK_UP) StepSelection(-1);
      else if (wParam == VK_RIGHT || wParam == VK_DOWN) StepSelection(1);
      return TRUE;
    case WM_CHAR:
      if (edit_) result = edit_->SendSwndMessage(msg, wParam, lParam);
      return TRUE;
    default: break;
  }
  return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
}

}  // namespace ORIEL
