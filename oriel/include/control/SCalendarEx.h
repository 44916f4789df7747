// The month calendar of the date picker: a title with the year and month
// between previous- and next-month buttons, a row of weekday names, six
// weeks of days (the neighbouring months' days greyed) and a line with
// today's date that brings it back.
#pragma once

#include "core/SWnd.h"

namespace ORIEL {

class EventCalendarExChanged : public TplEventArgs<EventCalendarExChanged> {
  ORIEL_EVENT(EventCalendarExChanged, 20002, L"on_calendarex_changed")
  WORD iNewDay = 0;
  WORD iNewMonth = 0;
  WORD iNewYear = 0;
  // The cell index, kPrevMonth, kNextMonth, kToday, or SetDate's code.
  int nBtnType = 0;
};

class SCalendarEx : public SWindow {
  SOBJ_CLASS(SCalendarEx, SWindow, L"calendarex", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }

  // Hit and hover codes besides the day cells 0-41.
  enum : int {
    kNone = -1,  // also the weekday row
    kPrevMonth = -10,
    kNextMonth = -11,
    kTitle = -12,
    kToday = 42,
    kTodayLine = 43,
  };
  static constexpr int kCells = 42;

  // The current local date.
  SCalendarEx();
  // That date, or today when it is not valid.
  SCalendarEx(WORD year, WORD month, WORD day);

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;

  // Fills the grid for the month and selects the day; false (nothing
  // changed) for a month outside 1-12, a year outside 1600-6999 or a day
  // the month does not have.
  BOOL SetDate(WORD year, WORD month, WORD day, int code = 0, BOOL notify = FALSE);
  // The shown year and month and the selected day (1 when none is).
  void GetDate(WORD& year, WORD& month, WORD& day) const;
  void ShowPreviousMonth();
  void ShowFollowingMonth();

  // A point of the host's client area as a hit code.
  int HitTest(POINT pt) const;
  struct Cell {
    WORD day;
    int kind;  // -1 previous month, 0 this month, 1 next month
  };
  const Cell& GetCell(int index) const { return m_days[index]; }
  int GetSelected() const { return m_iSelDay; }
  int GetHover() const { return m_iHoverDay; }
  RECT GetDayRect(int cell) const;
  SStringW GetWeekTitle(int weekday) const { return m_strWeek[weekday].GetText(); }

 protected:
  int OnCreate() override;
  void OnPaint(IRenderTarget* rt) override;
  void OnLButtonDown(UINT keys, POINT pt) override;
  void OnLButtonUp(UINT keys, POINT pt) override;
  void OnMouseLeave() override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void UpdateScale(int scale) override;
  BOOL RefreshTranslation() override;

 private:
  struct Layout {
    RECT title, week, grid, todayLine;
  };
  Layout Geometry() const;
  RECT TodayTextRect(IRenderTarget* rt, const RECT& line) const;
  SStringW TodayText() const;
  void SetHover(int code);
  void ShowToday();

  SLayoutSize m_nYearHei{30.0f, SLayoutSize::dp};
  SLayoutSize m_nWeekHei{20.0f, SLayoutSize::dp};
  SLayoutSize m_nTodayHei{20.0f, SLayoutSize::dp};
  COLORREF m_crSelText = 0xFFFFFFFF;
  COLORREF m_crOtherText = 0xFFA0A0A0;
  COLORREF m_crSelBg = 0xFFCC7A00;
  COLORREF m_crHoverText = 0xFFCC7A00;
  ISkinObj* m_pSkinPrev = nullptr;
  ISkinObj* m_pSkinNext = nullptr;
  ISkinObj* m_pSkinDay = nullptr;
  SStringW m_strSkinPrev, m_strSkinNext, m_strSkinDay;
  SLocalizedText m_strWeek[7] = {SLocalizedText(this), SLocalizedText(this), SLocalizedText(this),
                                 SLocalizedText(this), SLocalizedText(this), SLocalizedText(this),
                                 SLocalizedText(this)};
  Cell m_days[kCells] = {};
  int m_iSelDay = -1;
  int m_iHoverDay = kNone;
  WORD m_wYear = 0, m_wMonth = 0;
  SYSTEMTIME m_Today{};
  RECT m_rcToday{0, 0, 0, 0};
};

}  // namespace ORIEL
