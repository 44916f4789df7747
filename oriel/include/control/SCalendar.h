// A month as a grid of days under a row of weekday names; a click picks a
// day. It carries its own small Gregorian arithmetic.
#pragma once

#include "core/SWnd.h"

namespace ORIEL {

class EventCalendarSelDay : public TplEventArgs<EventCalendarSelDay> {
  ORIEL_EVENT(EventCalendarSelDay, 20000, L"on_calendar_sel_day")
  WORD wOldDay = 0;
  WORD wNewDay = 0;
};

class EventCalendarSetDate : public TplEventArgs<EventCalendarSetDate> {
  ORIEL_EVENT(EventCalendarSetDate, 20001, L"on_calendar_set_date")
};

class SCalendar : public SWindow {
  SOBJ_CLASS(SCalendar, SWindow, L"calendar", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }

  // Today's local date, no event.
  SCalendar();
  // That date, with the event.
  SCalendar(WORD year, WORD month, WORD day);

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;

  // False (nothing changed) for a month outside 1-12 or a year outside
  // 1600-6999; a day past the month's end becomes 0, no selection.
  BOOL SetDate(WORD year, WORD month, WORD day, BOOL notify);
  void GetDate(WORD& year, WORD& month, WORD& day) const;
  // The day under a point of the host's client area, 0 for none.
  WORD HitTest(POINT pt) const;
  RECT GetDayRect(WORD day) const;
  SStringW GetTitle(int weekday) const { return m_strTitle[weekday].GetText(); }

  static SStringW FormatYear(WORD year);
  static SStringW FormatMonth(WORD month);
  static SStringW FormatDay(WORD day);

  // Date arithmetic for the years 1600-6999.
  // False outside those years; `leap` holds the answer.
  static bool IsLeapYear(WORD year, bool& leap);
  static bool IsValidDate(WORD year, WORD month, WORD day);
  // Zero-based; -1 for a date that is not valid or out of range.
  static int DayOfYear(WORD year, WORD month, WORD day);
  // 0 Sunday to 6; -1 where DayOfYear fails.
  static int DayOfWeek(WORD year, WORD month, WORD day);
  // 0 on failure.
  static int DaysInMonth(WORD year, WORD month);
  // Month and day of the 1-based day number; false for 0 or past the year.
  static bool DateFromDayOfYear(WORD year, int dayNumber, WORD& month, WORD& day);

 protected:
  // The title row and one day.
  virtual void DrawTitle(IRenderTarget* rt);
  virtual void DrawDay(IRenderTarget* rt, const RECT& rc, WORD day);

  void OnPaint(IRenderTarget* rt) override;
  void OnLButtonDown(UINT keys, POINT pt) override;
  void OnMouseLeave() override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void UpdateScale(int scale) override;
  BOOL RefreshTranslation() override;

 private:
  void Init();
  RECT GridRect() const;
  int FirstWeekday() const;
  void SetHoverDay(WORD day);

  SLayoutSize m_nTitleHei{20.0f, SLayoutSize::dp};
  SLayoutSize m_nFooterHei{20.0f, SLayoutSize::dp};
  ISkinObj* m_pDaySkin = nullptr;
  ISkinObj* m_pTitleSkin = nullptr;
  SStringW m_strDaySkin, m_strTitleSkin;
  COLORREF m_crWeekend = 0xFF0000FF;
  COLORREF m_crTitleBack = 0xFF00FF00;
  COLORREF m_crDay = 0xFF0000FF;
  COLORREF m_crDayBack = 0xFFFF0000;
  SLocalizedText m_strTitle[7] = {SLocalizedText(this), SLocalizedText(this), SLocalizedText(this),
                                  SLocalizedText(this), SLocalizedText(this), SLocalizedText(this),
                                  SLocalizedText(this)};
  WORD m_wYear = 0, m_wMonth = 0, m_wDay = 0;
  WORD m_wHoverDay = 0;
};

}  // namespace ORIEL
