#include "control/SHotKeyCtrl.h"

#include "core/SApplication.h"
#include "core/SwndContainer.h"

namespace ORIEL {

namespace {

bool Held(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

bool IsModifierKey(UINT vk) {
  return vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU || vk == VK_LSHIFT || vk == VK_RSHIFT ||
         vk == VK_LCONTROL || vk == VK_RCONTROL || vk == VK_LMENU || vk == VK_RMENU;
}

// The code of the modifier keys held (one bit per combination) and the
// modifiers it stands for.
void HeldCombination(WORD& code, WORD& modifiers) {
  const bool alt = Held(VK_MENU), ctrl = Held(VK_CONTROL), shift = Held(VK_SHIFT);
  modifiers = static_cast<WORD>((alt ? CAccelerator::kAlt : 0) | (ctrl ? CAccelerator::kCtrl : 0) |
                                (shift ? CAccelerator::kShift : 0));
  static const WORD kCodes[8] = {1, 8, 4, 0x40, 2, 0x20, 0x10, 0x80};  // by modifiers 0-7
  code = kCodes[modifiers];
}

}  // namespace

SHotKeyCtrl::SHotKeyCtrl() : CAccelerator(0) {
  ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE);
  GetEventSet()->AddEvent(EventSetHotKey::EventID, EventSetHotKey::EventName());
}

HRESULT SHotKeyCtrl::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"invalidComb")) invalidComb_ = static_cast<WORD>(ParseAttrInt(value));
  else if (AttrNameIs(name, L"defCombKey")) replacement_ = static_cast<WORD>(ParseAttrInt(value));
  else if (AttrNameIs(name, L"combKey")) SetModifier(static_cast<WORD>(ParseAttrInt(value)));
  else if (AttrNameIs(name, L"hotKey")) SetKey(static_cast<WORD>(ParseAttrInt(value)));
  else return SWindow::ApplyAttribute(name, value, loading);
  return FinishAttribute(name, value, loading, S_FALSE);
}

SStringW SHotKeyCtrl::GetText(bool) const { return FormatHotkey(); }

void SHotKeyCtrl::SetHotKey(WORD key, WORD modifiers) {
  SetKey(key);
  SetModifier(modifiers);
  PlaceCaret();
  Invalidate();
}

void SHotKeyCtrl::UpdateModifiers() {
  WORD code = 0, modifiers = 0;
  HeldCombination(code, modifiers);
  if (code & invalidComb_) modifiers = replacement_;
  SetModifier(modifiers);
  EventSetHotKey e(this);
  e.vKey = GetKey();
  e.wModifiers = GetModifier();
  RaiseEvent(&e);
}

void SHotKeyCtrl::OnKeyDown(UINT vk) {
  if (!inEntry_) {
    inEntry_ = true;
    SetKey(0);
    SetModifier(replacement_);
  }
  if (!IsModifierKey(vk) && !KeyNameOf(vk).IsEmpty()) SetKey(static_cast<WORD>(vk));
  UpdateModifiers();
  PlaceCaret();
  Invalidate();
}

void SHotKeyCtrl::OnKeyUp(UINT vk) {
  if (!inEntry_) return;
  if (vk == GetKey()) {
    inEntry_ = false;
    return;
  }
  // Once a key is chosen the combination is the one held at its press: a
  // modifier let go before the key (as a quick hand or a tool types Ctrl+F9)
  // does not take itself out of it.
  if (GetKey() != 0) return;
  const bool anyHeld = Held(VK_MENU) || Held(VK_CONTROL) || Held(VK_SHIFT);
  if (anyHeld) {
    if (!IsModifierKey(vk)) return;
  } else {
    inEntry_ = false;
  }
  UpdateModifiers();
  PlaceCaret();
  Invalidate();
}

BOOL SHotKeyCtrl::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const UINT vk = static_cast<UINT>(wParam);
  switch (msg) {
    case WM_KEYDOWN: OnKeyDown(vk); break;
    case WM_SYSKEYDOWN:
      if (!Held(VK_MENU)) return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
      OnKeyDown(vk);
      break;
    case WM_KEYUP: OnKeyUp(vk); break;
    case WM_SYSKEYUP:
      if (vk != VK_MENU && !Held(VK_MENU)) return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
      OnKeyUp(vk);
      break;
    case WM_CHAR:
    case WM_SYSCHAR: break;  // the combination is the key, not the character it types
    case WM_LBUTTONDOWN:
      SetFocus();
      return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
    case WM_SETFOCUS:
      if (ISwndContainer* c = GetContainer()) {
        const SIZE a = MeasureShown(SStringW(L"A"));
        c->CreateCaret(GetHandle(), nullptr, 1, a.cy);
        PlaceCaret();
        c->ShowCaret(TRUE);
      }
      return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
    case WM_KILLFOCUS:
      if (ISwndContainer* c = GetContainer()) c->ShowCaret(FALSE);
      inEntry_ = false;
      return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
    default: return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
  result = 0;
  return TRUE;
}

SIZE SHotKeyCtrl::MeasureShown(const SStringW& text) const {
  SIZE size{0, 0};
  SApplication* app = SApplication::getSingletonPtr();
  IRenderTarget* rt = nullptr;
  if (!app || !app->GetRenderFactory()->CreateRenderTarget(&rt, 0, 0)) return size;
  if (IFont* font = const_cast<SHotKeyCtrl*>(this)->GetStyle().GetFontForState(0)) rt->SelectObject(font, nullptr);
  rt->MeasureText(text.c_str(), text.GetLength(), &size);
  rt->Release();
  return size;
}

void SHotKeyCtrl::PlaceCaret() {
  ISwndContainer* c = GetContainer();
  if (!c || !IsFocused()) return;
  const SIZE text = MeasureShown(GetText());
  const RECT area = TextRectangle();
  const UINT format = GetStyle().GetDrawTextFormat();
  int x = area.left + text.cx;
  if (format & DT_RIGHT) x = area.right;
  else if (format & DT_CENTER) x = area.left + (area.right - area.left + text.cx) / 2;
  const int y = area.top + (area.bottom - area.top - text.cy) / 2;
  c->SetCaretPos(x, y);
}

void SHotKeyCtrl::OnPaint(IRenderTarget* rt) {
  const SStringW text = GetText();
  IRenderObj* oldFont = nullptr;
  IFont* font = GetStyle().GetFontForState(StateIndex());
  if (font) rt->SelectObject(font, &oldFont);
  const COLORREF color = GetStyle().GetTextColorForState(StateIndex());
  const COLORREF oldColor = color != kRenderNoColor ? rt->SetTextColor(color) : kRenderNoColor;
  RECT rc = TextRectangle();
  rt->DrawText(text.c_str(), text.GetLength(), &rc, (GetStyle().GetDrawTextFormat() & ~DT_BOTTOM) | DT_VCENTER | DT_SINGLELINE);
  if (color != kRenderNoColor) rt->SetTextColor(oldColor);
  if (font) rt->SelectObject(oldFont, nullptr);
}

}  // namespace ORIEL
