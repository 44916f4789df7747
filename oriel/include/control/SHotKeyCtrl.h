// "hotkey": the field in which the user presses a key combination. It
// shows the combination as text and tells each change through
// EventSetHotKey.
#pragma once

#include "core/SAccelerator.h"
#include "core/SWnd.h"

namespace ORIEL {

class EventSetHotKey : public TplEventArgs<EventSetHotKey> {
  ORIEL_EVENT(EventSetHotKey, 23000, L"on_hot_key_set_event")
  WORD vKey = 0;
  WORD wModifiers = 0;
};

class SHotKeyCtrl : public SWindow, public CAccelerator {
  SOBJ_CLASS(SHotKeyCtrl, SWindow, L"hotkey", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  SHotKeyCtrl();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  // System keys (Alt combinations) come here; Tab still moves the focus.
  UINT GetDlgCode() const override { return 0x8000FFFD; }
  SStringW GetText(bool raw = false) const override;

  void SetHotKey(WORD key, WORD modifiers);
  void GetHotKey(WORD& key, WORD& modifiers) const {
    key = GetKey();
    modifiers = GetModifier();
  }
  // Combinations whose code bit is in `invalid` take `replacement` modifiers.
  void SetRule(WORD invalid, WORD replacement) {
    invalidComb_ = invalid;
    replacement_ = replacement;
  }

 protected:
  void OnPaint(IRenderTarget* rt) override;

 private:
  void OnKeyDown(UINT vk);
  void OnKeyUp(UINT vk);
  void UpdateModifiers();
  void PlaceCaret();
  SIZE MeasureShown(const SStringW& text) const;

  WORD invalidComb_ = 1;
  WORD replacement_ = 0;
  bool inEntry_ = false;
};

}  // namespace ORIEL
