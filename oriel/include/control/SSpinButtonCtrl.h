// An up/down button pair that steps an integer between a minimum and a
// maximum, repeating while held, and mirrors the value into a "buddy"
// window found by name. Subscribers may turn the value into any text.
#pragma once

#include "core/SWnd.h"

namespace ORIEL {

class EventSpinValue2String : public TplEventArgs<EventSpinValue2String> {
  ORIEL_EVENT(EventSpinValue2String, 21000, L"on_spin_value2string")
  BOOL bInit = FALSE;
  int nValue = 0;
  SStringW strValue;
};

class SSpinButtonCtrl : public SWindow {
  SOBJ_CLASS(SSpinButtonCtrl, SWindow, L"spinButton", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  enum { kTimerRepeat = 1 };
  static constexpr UINT kRepeatMs = 200;
  // The notice a text field raises when its text changes.
  static constexpr int kBuddyNotifyEvent = 16000;

  SSpinButtonCtrl();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  SIZE MeasureContent(const RECT* limit) override;
  void UpdateScale(int scale) override;
  void Colorize(COLORREF color) override;
  BOOL NeedRedrawOnStateChange() const override { return TRUE; }

  void SetRange(int minimum, int maximum);
  void SetStep(int step) { step_ = step; }
  // Stored as given, not clamped.
  void SetValue(int value);
  int GetValue() const { return value_; }
  int GetMin() const { return min_; }
  int GetMax() const { return max_; }
  int GetAction() const { return action_; }
  SWindow* GetBuddy();
  // One step in the direction of the current action.
  void Step();

  // A decimal integer written as an optional sign and digits only.
  static bool ParseStrictInt(const SStringW& text, int& out);

 protected:
  int OnCreate() override;
  void OnPaint(IRenderTarget* rt) override;
  void OnLButtonDown(UINT keys, POINT pt) override;
  void OnLButtonUp(UINT keys, POINT pt) override;

 private:
  void UpdateBuddy(BOOL init);
  void ListenToBuddy();
  void OnBuddyNotify();
  void UpdateAction(POINT pt);
  void FetchSkins(int scale);

  int max_ = 100;
  int min_ = 0;
  int value_ = 0;
  int step_ = 1;
  int circle_ = 1;
  SStringW buddy_;
  SRefPtr<ISkinObj> upSkin_;
  SRefPtr<ISkinObj> downSkin_;
  SStringW upName_{L"_skin.sys.spin.up"};
  SStringW downName_{L"_skin.sys.spin.down"};
  int action_ = -1;
  SWND listenedBuddy_ = 0;
};

}  // namespace ORIEL
