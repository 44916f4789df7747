#include "control/SCalendar.h"

#include <ctime>

#include "core/SCalendarCore.h"
#include "res.mgr/SResProviderMgr.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {
namespace {

// Centred on one line.
constexpr UINT kCellTextFormat = 37;

bool InRange(WORD year) { return year >= 1600 && year <= 6999; }

ISkinObj* SkinByName(const SStringW& name, int scale) {
  SSkinPoolMgr* pools = SSkinPoolMgr::getSingletonPtr();
  return pools && !name.IsEmpty() ? pools->GetSkin(name, scale) : nullptr;
}

int Width(const RECT& rc) { return rc.right - rc.left; }

}  // namespace

SCalendar::SCalendar() {
  Init();
  time_t now = time(nullptr);
  struct tm local {};
  localtime_r(&now, &local);
  SetDate(static_cast<WORD>(local.tm_year + 1900), static_cast<WORD>(local.tm_mon + 1),
          static_cast<WORD>(local.tm_mday), FALSE);
}

SCalendar::SCalendar(WORD year, WORD month, WORD day) {
  Init();
  SetDate(year, month, day, TRUE);
}

void SCalendar::Init() {
  GetEventSet()->AddEvent(EventCalendarSelDay::EventID, EventCalendarSelDay::EventName());
  GetEventSet()->AddEvent(EventCalendarSetDate::EventID, EventCalendarSetDate::EventName());
  // Titles given in the layout replace these; they are applied later.
  static const wchar_t* const kTitles[7] = {L"日", L"一", L"二", L"三", L"四", L"五", L"六"};
  for (int i = 0; i < 7; ++i) m_strTitle[i].SetText(kTitles[i]);
}

HRESULT SCalendar::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"titleHeight")) {
    m_nTitleHei = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"footerHeight")) {
    m_nFooterHei = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"colorWeekend") || AttrNameIs(name, L"colorTitleBack") ||
             AttrNameIs(name, L"colorDay")) {
    if (value.IsEmpty()) return E_FAIL;
    COLORREF& slot = AttrNameIs(name, L"colorWeekend") ? m_crWeekend
                     : AttrNameIs(name, L"colorTitleBack") ? m_crTitleBack
                                                            : m_crDay;
    slot = SResProviderMgr::LookupNamedColor(value);
    hr = S_OK;
  } else if (AttrNameIs(name, L"daySkin")) {
    m_strDaySkin = value;
    m_pDaySkin = SkinByName(value, GetScale());
  } else if (AttrNameIs(name, L"titleSkin")) {
    m_strTitleSkin = value;
    m_pTitleSkin = SkinByName(value, GetScale());
  } else if (name.GetLength() == 7 && name.Left(6).CompareNoCase(L"title-") == 0 && name[6] >= L'1' &&
             name[6] <= L'7') {
    m_strTitle[name[6] - L'1'].SetText(SResProviderMgr::LookupNamedString(value));
    hr = S_OK;
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

void SCalendar::UpdateScale(int scale) {
  SWindow::UpdateScale(scale);
  if (!m_strDaySkin.IsEmpty()) m_pDaySkin = SkinByName(m_strDaySkin, scale);
  if (!m_strTitleSkin.IsEmpty()) m_pTitleSkin = SkinByName(m_strTitleSkin, scale);
}

BOOL SCalendar::RefreshTranslation() {
  for (SLocalizedText& title : m_strTitle) title.Translate();
  return SWindow::RefreshTranslation();
}

// --- date arithmetic ----------------------------------------------------

bool SCalendar::IsLeapYear(WORD year, bool& leap) {
  leap = false;
  if (!InRange(year)) return false;
  leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return true;
}

bool SCalendar::IsValidDate(WORD year, WORD month, WORD day) { return CalendarIsDateValid(year, month, day); }

int SCalendar::DayOfYear(WORD year, WORD month, WORD day) {
  static const int kBefore[] = {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335};
  bool leap = false;
  if (!IsLeapYear(year, leap) || !IsValidDate(year, month, day)) return -1;
  int n = kBefore[month - 1] + day - 1;
  if (month > 2 && !leap) --n;
  return n;
}

int SCalendar::DayOfWeek(WORD year, WORD month, WORD day) {
  if (DayOfYear(year, month, day) < 0) return -1;
  return CalendarDayOfWeek(year, month, day);
}

int SCalendar::DaysInMonth(WORD year, WORD month) { return CalendarDaysOfMonth(year, month); }

bool SCalendar::DateFromDayOfYear(WORD year, int dayNumber, WORD& month, WORD& day) {
  bool leap = false;
  if (!IsLeapYear(year, leap) || dayNumber < 1 || dayNumber > (leap ? 366 : 365)) return false;
  for (WORD m = 1; m <= 12; ++m) {
    const int length = DaysInMonth(year, m);
    if (dayNumber <= length) {
      month = m;
      day = static_cast<WORD>(dayNumber);
      return true;
    }
    dayNumber -= length;
  }
  return false;
}

SStringW SCalendar::FormatYear(WORD year) { return SStringW().Format(L"%d", year); }
SStringW SCalendar::FormatDay(WORD day) { return SStringW().Format(L"%d", day); }

SStringW SCalendar::FormatMonth(WORD month) {
  static const wchar_t* const kMonths[12] = {L"一", L"二", L"三", L"四", L"五", L"六",
                                             L"七", L"八", L"九", L"十", L"十一", L"十二"};
  return month >= 1 && month <= 12 ? SStringW(kMonths[month - 1]) : SStringW();
}

// --- date and geometry --------------------------------------------------

BOOL SCalendar::SetDate(WORD year, WORD month, WORD day, BOOL notify) {
  if (month < 1 || month > 12 || !InRange(year)) return FALSE;
  if (day > DaysInMonth(year, month)) day = 0;
  m_wYear = year;
  m_wMonth = month;
  m_wDay = day;
  m_wHoverDay = 0;
  Invalidate();
  if (notify) {
    EventCalendarSetDate e(this);
    RaiseEvent(&e);
  }
  return TRUE;
}

void SCalendar::GetDate(WORD& year, WORD& month, WORD& day) const {
  year = m_wYear;
  month = m_wMonth;
  day = m_wDay;
}

int SCalendar::FirstWeekday() const { return DayOfWeek(m_wYear, m_wMonth, 1); }

RECT SCalendar::GridRect() const {
  RECT rc = ClientRect();
  rc.top += m_nTitleHei.ToPixels(GetScale());
  rc.bottom -= m_nFooterHei.ToPixels(GetScale());
  return rc;
}

WORD SCalendar::HitTest(POINT pt) const {
  const RECT grid = GridRect();
  const int cellW = Width(grid) / 7, cellH = (grid.bottom - grid.top) / 6;
  if (pt.x < grid.left || pt.y < grid.top || cellW <= 0 || cellH <= 0) return 0;
  const int column = (pt.x - grid.left) / cellW;
  const int row = (pt.y - grid.top) / cellH;
  // The strip right of the seventh column holds no day.
  if (column >= 7) return 0;
  const int day = row * 7 + column - FirstWeekday() + 1;
  if (day < 1 || day > DaysInMonth(m_wYear, m_wMonth)) return 0;
  return static_cast<WORD>(day);
}

RECT SCalendar::GetDayRect(WORD day) const {
  const RECT grid = GridRect();
  const int cellW = Width(grid) / 7, cellH = (grid.bottom - grid.top) / 6;
  const int first = FirstWeekday();
  const int column = (first + day - 1) % 7, row = (day + first - 1) / 7;
  const int left = grid.left + column * cellW, top = grid.top + row * cellH;
  return RECT{left, top, left + cellW, top + cellH};
}

// --- painting -----------------------------------------------------------

void SCalendar::DrawTitle(IRenderTarget* rt) {
  const RECT client = ClientRect();
  RECT title{client.left, client.top, client.right, client.top + m_nTitleHei.ToPixels(GetScale())};
  if (m_pTitleSkin) m_pTitleSkin->DrawByIndex(rt, &title, 0);
  else rt->FillSolidRect(&title, m_crTitleBack);
  const int cellW = Width(client) / 7;
  const COLORREF normal = rt->GetTextColor();
  for (int i = 0; i < 7; ++i) {
    RECT cell{title.left + i * cellW, title.top, title.left + (i + 1) * cellW, title.bottom};
    rt->SetTextColor(i == 0 || i == 6 ? m_crWeekend : normal);
    const SStringW text = m_strTitle[i].GetText();
    rt->DrawText(text.c_str(), text.GetLength(), &cell, kCellTextFormat);
  }
  rt->SetTextColor(normal);
}

void SCalendar::DrawDay(IRenderTarget* rt, const RECT& rc, WORD day) {
  RECT cell = rc;
  const COLORREF normal = rt->GetTextColor();
  const int weekday = DayOfWeek(m_wYear, m_wMonth, day);
  if (day == m_wDay) {
    if (m_pDaySkin) m_pDaySkin->DrawByIndex(rt, &cell, 2);
    else rt->FillSolidRect(&cell, m_crDayBack);
    rt->SetTextColor(m_crDay);
  } else {
    if (m_pDaySkin) m_pDaySkin->DrawByIndex(rt, &cell, day == m_wHoverDay ? 1 : 0);
    if (weekday == 0 || weekday == 6) rt->SetTextColor(m_crWeekend);
  }
  const SStringW text = SStringW().Format(L"%2d", day);
  rt->DrawText(text.c_str(), text.GetLength(), &cell, kCellTextFormat);
  rt->SetTextColor(normal);
}

void SCalendar::OnPaint(IRenderTarget* rt) {
  SwndStyle& style = GetStyle();
  IRenderObj* oldFont = nullptr;
  IFont* font = style.GetFontForState(0);
  if (font) rt->SelectObject(font, &oldFont);
  const COLORREF colour = style.GetTextColorForState(0);
  const COLORREF oldColour = rt->SetTextColor(colour != kRenderNoColor ? colour : 0xFF000000);
  DrawTitle(rt);
  const int days = DaysInMonth(m_wYear, m_wMonth);
  for (WORD day = 1; day <= days; ++day) DrawDay(rt, GetDayRect(day), day);
  rt->SetTextColor(oldColour);
  if (font) rt->SelectObject(oldFont, nullptr);
}

// --- mouse --------------------------------------------------------------

void SCalendar::OnLButtonDown(UINT keys, POINT pt) {
  SWindow::OnLButtonDown(keys, pt);
  const WORD day = HitTest(pt);
  // Clearing a selection is a change too, reported with day 0.
  if (day != m_wDay) {
    EventCalendarSelDay e(this);
    e.wOldDay = m_wDay;
    e.wNewDay = day;
    m_wDay = day;
    RaiseEvent(&e);
  }
  Invalidate();
}

void SCalendar::SetHoverDay(WORD day) {
  if (day == m_wHoverDay) return;
  const WORD old = m_wHoverDay;
  m_wHoverDay = day;
  if (!m_pDaySkin) return;
  if (old) InvalidateRect(GetDayRect(old));
  if (day) InvalidateRect(GetDayRect(day));
}

void SCalendar::OnMouseLeave() {
  SWindow::OnMouseLeave();
  SetHoverDay(0);
}

BOOL SCalendar::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_MOUSEMOVE) {
    SetHoverDay(HitTest(PointOf(lParam)));
    result = 0;
    return TRUE;
  }
  return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
}

}  // namespace ORIEL
