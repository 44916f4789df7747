// "dateTimePicker": a date (and optionally a time) as text segments edited
// with the keys and the wheel, and a drop button that opens a month
// calendar in a drop-down whose day clicks set the date.
#pragma once

#include "control/SCalendarEx.h"
#include "control/SDropDownWnd.h"

namespace ORIEL {

class EventDateTimeChanged : public TplEventArgs<EventDateTimeChanged> {
  ORIEL_EVENT(EventDateTimeChanged, 20003, L"on_datetime_changed")
  SYSTEMTIME newTime{};
};

class SDateTimePicker : public SWindow, public ISDropDownOwner {
  SOBJ_CLASS(SDateTimePicker, SWindow, L"dateTimePicker", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  // Segments of the text.
  enum Segment { kNone = 0, kYear, kMonth, kDay, kHour, kMinute, kSecond };
  // The years the calendar helpers know.
  static constexpr int kMinYear = 1600, kMaxYear = 6999;

  SDateTimePicker();
  ~SDateTimePicker() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL CreateChildren(pugi::xml_node element) override;
  SStringW GetText(bool raw = false) const override;
  void PaintFocusIndicator(IRenderTarget*) override {}

  // The value, settled: a segment still being typed reads as its typed
  // value when that is complete and valid, else as its value before the
  // typing, so a half-typed date is never read.
  SYSTEMTIME GetTime() const { return Settled(); }
  void SetTime(const SYSTEMTIME& time);
  void SetTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second);

  int GetSelectedSegment() const { return sel_; }
  // Digits typed into the selected segment since its typing began.
  int GetTypedDigits() const { return typed_; }
  SCalendarEx* GetCalendar() const { return calendar_; }
  SDropDownWnd* GetDropDown() const { return dropDown_; }
  // The drop button's square in host coordinates.
  RECT DropButtonRect() const;
  // The segment under x (host coordinates).
  int SegmentAt(int x);
  // Ends an open drop-down with `code`.
  void CloseUp(int code = 2);

  // ISDropDownOwner
  SWindow* GetDropDownOwner() override { return this; }
  void PrepareDropDown(SDropDownWnd* dropDown) override;
  void ReleaseDropDown(SDropDownWnd* dropDown) override;

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnDestroy() override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void MeasureUnits(IRenderTarget* rt);
  void EnsureUnits();
  void OnButtonDown(POINT pt);
  void OpenDropDown();
  void OnKey(UINT key);
  void OnDigit(int digit);
  void Step(bool up);
  void SelectSegment(int segment);
  // The value with the segment being typed settled: a year of fewer than
  // four digits back to its earlier value, a typed year within range, a
  // month or day left at 0 back to its earlier value, the day within its
  // month.
  SYSTEMTIME Settled() const;
  // Stores the settled value and ends the typing.
  void EndEditing();
  void SetButtonState(int state);
  bool OnCalendarChanged(EventArgs* e);

  int btnState_ = 0;
  ISkinObj* btnSkin_ = nullptr;
  SDropDownWnd_ComboBox* dropDown_ = nullptr;
  int sel_ = kNone;
  int digitW_ = 0, textH_ = 0, sepW_ = 0;
  bool measured_ = false;
  COLORREF selBg_ = 0xFFD77800, selText_ = 0xFFFFFFFF;
  SYSTEMTIME value_{};
  SYSTEMTIME before_{};  // the value when typing into a segment began
  int dropWidth_ = 220;
  bool timeEnable_ = true;
  SCalendarEx* calendar_ = nullptr;
  WORD accum_ = 0;
  int typed_ = 0;  // digits typed into the segment
  SXmlDoc calStyle_;
};

}  // namespace ORIEL
