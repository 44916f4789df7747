#include "control/SButton.h"

#include "control/ControlCommand.h"

namespace ORIEL {

SButton::SButton() {
  ApplyAttribute(SStringW(L"skin"), SStringW(L"_skin.sys.btn.normal"), TRUE);
  ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE);
  SubscribeEvent(EventSwndStateChanged::EventID, [this](EventArgs* e) {
    auto* change = static_cast<EventSwndStateChanged*>(e);
    OnStateChanged(change->dwOldState, change->dwNewState);
    return false;
  });
}

HRESULT SButton::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"accel")) {
    SetAccelerator(CAccelerator::TranslateAccelKey(value));
  } else if (AttrNameIs(name, L"animate")) {
    animate_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"animateStep")) {
    animateStep_ = static_cast<BYTE>(ParseAttrInt(value));
  } else if (AttrNameIs(name, L"disableAccelIfInvisible")) {
    disableAccelIfInvisible_ = ParseAttrBool(value);
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, S_FALSE);
}

void SButton::SetAccelerator(DWORD accel) {
  IAcceleratorMgr* mgr = GetContainer() ? GetContainer()->GetAcceleratorMgr() : nullptr;
  if (accel_ && mgr) mgr->RemoveAccelerator(accel_, this);
  accel_ = accel;
  if (accel_ && mgr) mgr->AddAccelerator(accel_, this);
}

// A text ending in "(&X)" answers Alt+X.
BOOL SButton::LoadXmlNode(pugi::xml_node element) {
  if (!SWindow::LoadXmlNode(element)) return FALSE;
  const SStringW text = GetText();
  const int len = text.GetLength();
  if (len > 0 && text[len - 1] == L')') {
    const int open = text.ReverseFind(L'(');
    if (open >= 0 && open + 2 < len && text[open + 1] == L'&') {
      const DWORD accel = CAccelerator::TranslateAccelKey(SStringW(L"alt+") + text.Mid(open + 2, 1));
      if (accel) SetAccelerator(accel);
    }
  }
  return TRUE;
}

bool SButton::FireAccelerator(DWORD) {
  if (IsDisabled(TRUE)) return false;
  if (disableAccelIfInvisible_ && !IsVisible(TRUE)) return false;
  FireCommand(this);
  return true;
}

void SButton::OnDestroy() {
  StopFade();
  SetAccelerator(0);
  SWindow::OnDestroy();
}

void SButton::StopFade() {
  if (fading_ && GetContainer()) GetContainer()->RemoveTimelineHandler(this);
  fading_ = false;
  fadeAlpha_ = 255;
}

// Entering fades the hover face in, leaving fades it out, unless the
// button holds the mouse (pressed and dragging).
void SButton::OnStateChanged(DWORD oldState, DWORD newState) {
  StopFade();
  ISwndContainer* container = GetContainer();
  if (!container || container->GetCapture() == GetHandle() || !animate_) return;
  if ((oldState == 0 && newState == WndState_Hover) || (oldState == WndState_Hover && newState == 0)) {
    fadeAlpha_ = 50;
    fading_ = container->AddTimelineHandler(this) != FALSE;
  }
}

void SButton::AdvanceFrame() {
  const int next = fadeAlpha_ + animateStep_;
  if (next >= 255) StopFade();
  else fadeAlpha_ = static_cast<WORD>(next);
  Invalidate();
}

void SButton::OnPaint(IRenderTarget* rt) {
  ISkinObj* skin = GetBkgndSkin();
  if (skin) {
    const RECT rc = ClientRect();
    const DWORD state = GetState();
    if (fadeAlpha_ >= 255) {
      int frame = 0;
      if (state & WndState_Disable) frame = 3;
      else if (state & (WndState_PushDown | WndState_Check)) frame = 2;
      else if (state & WndState_Hover) frame = 1;
      skin->DrawByIndex(rt, &rc, skin->StateCount() > frame ? frame : 0);
    } else {
      const int a = skin->GetAlpha();
      const int b = a * fadeAlpha_ / 256;
      skin->DrawByIndexAlpha(rt, &rc, 0, static_cast<BYTE>(a));
      skin->DrawByIndexAlpha(rt, &rc, 1, static_cast<BYTE>((state & WndState_Hover) ? b : (a - b) % 256));
    }
  }
  SWindow::OnPaint(rt);
}

BOOL SButton::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_KEYDOWN:
      if (wParam != VK_SPACE && wParam != VK_RETURN) break;
      ChangeState(WndState_PushDown, 0, TRUE);
      result = 0;
      return TRUE;
    case WM_KEYUP:
      if (wParam != VK_SPACE && wParam != VK_RETURN) break;
      if (GetState() & WndState_PushDown) {
        ChangeState(0, WndState_PushDown, TRUE);
        FireCommand(this);
      }
      result = 0;
      return TRUE;
    case WM_LBUTTONDBLCLK: return SWindow::HandleSwndMessage(WM_LBUTTONDOWN, wParam, lParam, result);
    case SWM_SIZE: StopFade(); break;
    default: break;
  }
  return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
}

SImageButton::SImageButton() { ApplyAttribute(SStringW(L"drawFocusRect"), SStringW(L"0"), TRUE); }

SIZE SImageButton::MeasureDesiredSize(int widthHint, int heightHint) {
  SIZE size = SButton::MeasureDesiredSize(widthHint, heightHint);
  ISkinObj* skin = GetBkgndSkin();
  if (!skin) return size;
  const SIZE natural = skin->NaturalSize();
  if (GetLayoutParam()->IsWrapContent(Horz)) size.cx = natural.cx;
  if (GetLayoutParam()->IsWrapContent(Vert)) size.cy = natural.cy;
  return size;
}

}  // namespace ORIEL
