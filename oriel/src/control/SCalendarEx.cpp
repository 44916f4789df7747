#include "control/SCalendarEx.h"

#include <algorithm>
#include <ctime>

#include "core/SCalendarCore.h"
#include "res.mgr/SResProviderMgr.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {
namespace {

constexpr UINT kCentredLine = 37;
// Measuring the today text: centred, one line, centred vertically.
constexpr UINT kMeasureCentredLine = 0x425;
constexpr int kSysBtnPrev = 31;
constexpr int kSysBtnNext = 32;

ISkinObj* SkinByName(const SStringW& name, int scale) {
  SSkinPoolMgr* pools = SSkinPoolMgr::getSingletonPtr();
  return pools && !name.IsEmpty() ? pools->GetSkin(name, scale) : nullptr;
}

bool IsDayCell(int code) { return code >= 0 && code < SCalendarEx::kCells; }

// A skin's frame centred in a square.
void DrawCentred(IRenderTarget* rt, ISkinObj* skin, const RECT& box, int frame) {
  if (!skin) return;
  const SIZE size = skin->NaturalSize();
  const int x = box.left + (box.right - box.left - size.cx) / 2;
  const int y = box.top + (box.bottom - box.top - size.cy) / 2;
  const RECT rc{x, y, x + size.cx, y + size.cy};
  skin->DrawByIndex(rt, &rc, frame);
}

}  // namespace

SCalendarEx::SCalendarEx() {
  GetLocalTime(&m_Today);
  time_t now = time(nullptr);
  struct tm local {};
  localtime_r(&now, &local);
  SWindow::ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE);
  GetEventSet()->AddEvent(EventCalendarExChanged::EventID, EventCalendarExChanged::EventName());
  m_strSkinPrev = SystemSkinName(kSysBtnPrev);
  m_strSkinNext = SystemSkinName(kSysBtnNext);
  m_pSkinPrev = SkinByName(m_strSkinPrev, 100);
  m_pSkinNext = SkinByName(m_strSkinNext, 100);
  SetDate(static_cast<WORD>(local.tm_year + 1900), static_cast<WORD>(local.tm_mon + 1),
          static_cast<WORD>(local.tm_mday));
}

SCalendarEx::SCalendarEx(WORD year, WORD month, WORD day) : SCalendarEx() { SetDate(year, month, day); }

int SCalendarEx::OnCreate() {
  const int result = SWindow::OnCreate();
  static const wchar_t* const kWeek[7] = {L"周日", L"周一", L"周二", L"周三", L"周四", L"周五", L"周六"};
  for (int i = 0; i < 7; ++i) m_strWeek[i].SetText(kWeek[i]);
  return result;
}

BOOL SCalendarEx::RefreshTranslation() {
  for (SLocalizedText& title : m_strWeek) title.Translate();
  return SWindow::RefreshTranslation();
}

HRESULT SCalendarEx::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  SLayoutSize* height = AttrNameIs(name, L"yearHeight")    ? &m_nYearHei
                        : AttrNameIs(name, L"weekHeight")  ? &m_nWeekHei
                        : AttrNameIs(name, L"todayHeight") ? &m_nTodayHei
                                                           : nullptr;
  COLORREF* colour = AttrNameIs(name, L"colorSelText")     ? &m_crSelText
                     : AttrNameIs(name, L"colorOtherText") ? &m_crOtherText
                     : AttrNameIs(name, L"colorSelBg")     ? &m_crSelBg
                     : AttrNameIs(name, L"colorHoverText") ? &m_crHoverText
                                                           : nullptr;
  struct SkinSlot {
    const wchar_t* attr;
    ISkinObj** skin;
    SStringW* name;
  };
  const SkinSlot skins[] = {{L"prevSkin", &m_pSkinPrev, &m_strSkinPrev},
                            {L"nextSkin", &m_pSkinNext, &m_strSkinNext},
                            {L"daySkin", &m_pSkinDay, &m_strSkinDay}};
  if (height) {
    *height = SResProviderMgr::LookupNamedDimension(value);
  } else if (colour) {
    if (value.IsEmpty()) return E_FAIL;
    *colour = SResProviderMgr::LookupNamedColor(value);
    hr = S_OK;
  } else {
    const SkinSlot* slot = nullptr;
    for (const SkinSlot& s : skins) {
      if (AttrNameIs(name, s.attr)) slot = &s;
    }
    if (!slot) return SWindow::ApplyAttribute(name, value, loading);
    *slot->name = value;
    *slot->skin = SkinByName(value, GetScale());
  }
  return FinishAttribute(name, value, loading, hr);
}

void SCalendarEx::UpdateScale(int scale) {
  SWindow::UpdateScale(scale);
  if (!m_strSkinPrev.IsEmpty()) m_pSkinPrev = SkinByName(m_strSkinPrev, scale);
  if (!m_strSkinNext.IsEmpty()) m_pSkinNext = SkinByName(m_strSkinNext, scale);
  if (!m_strSkinDay.IsEmpty()) m_pSkinDay = SkinByName(m_strSkinDay, scale);
}

// --- the date -----------------------------------------------------------

BOOL SCalendarEx::SetDate(WORD year, WORD month, WORD day, int code, BOOL notify) {
  const int weekday = CalendarDayOfWeek(year, month, 1);
  const int length = CalendarDaysOfMonth(year, month);
  if (weekday < 0 || length <= 0 || day < 1 || day > length) return FALSE;
  const WORD prevYear = month == 1 ? static_cast<WORD>(year - 1) : year;
  const WORD prevMonth = month == 1 ? 12 : static_cast<WORD>(month - 1);
  const int prevLength = CalendarDaysOfMonth(prevYear, prevMonth);
  int cell = 0;
  for (int i = weekday; i > 0; --i) m_days[cell++] = Cell{static_cast<WORD>(prevLength - i + 1), -1};
  for (int d = 1; d <= length; ++d) m_days[cell++] = Cell{static_cast<WORD>(d), 0};
  for (int d = 1; cell < kCells; ++d) m_days[cell++] = Cell{static_cast<WORD>(d), 1};
  m_wYear = year;
  m_wMonth = month;
  m_iHoverDay = kNone;
  m_iSelDay = day + weekday - 1;
  Invalidate();
  if (notify) {
    EventCalendarExChanged e(this);
    e.iNewDay = day;
    e.iNewMonth = month;
    e.iNewYear = year;
    e.nBtnType = code;
    RaiseEvent(&e);
  }
  return TRUE;
}

void SCalendarEx::GetDate(WORD& year, WORD& month, WORD& day) const {
  year = m_wYear;
  month = m_wMonth;
  day = m_iSelDay >= 0 ? m_days[m_iSelDay].day : 1;
}

void SCalendarEx::ShowPreviousMonth() {
  const WORD year = m_wMonth == 1 ? static_cast<WORD>(m_wYear - 1) : m_wYear;
  const WORD month = m_wMonth == 1 ? 12 : static_cast<WORD>(m_wMonth - 1);
  SetDate(year, month, 1, kPrevMonth, TRUE);
}

void SCalendarEx::ShowFollowingMonth() {
  const WORD year = m_wMonth == 12 ? static_cast<WORD>(m_wYear + 1) : m_wYear;
  const WORD month = m_wMonth == 12 ? 1 : static_cast<WORD>(m_wMonth + 1);
  SetDate(year, month, 1, kNextMonth, TRUE);
}

void SCalendarEx::ShowToday() { SetDate(m_Today.wYear, m_Today.wMonth, m_Today.wDay, kToday, TRUE); }

// --- geometry -----------------------------------------------------------

SCalendarEx::Layout SCalendarEx::Geometry() const {
  RECT inner = ClientRect();
  const RECT padding = const_cast<SCalendarEx*>(this)->GetStyle().GetScaledPadding();
  inner.left += padding.left;
  inner.top += padding.top;
  inner.right -= padding.right;
  inner.bottom -= padding.bottom;
  const int scale = GetScale();
  Layout l;
  l.title = RECT{inner.left, inner.top, inner.right, inner.top + m_nYearHei.ToPixels(scale)};
  l.week = RECT{inner.left, l.title.bottom, inner.right, l.title.bottom + m_nWeekHei.ToPixels(scale)};
  l.todayLine = RECT{inner.left, inner.bottom - m_nTodayHei.ToPixels(scale), inner.right, inner.bottom};
  l.grid = RECT{inner.left, l.week.bottom, inner.right, l.todayLine.top};
  return l;
}

RECT SCalendarEx::GetDayRect(int cell) const {
  const RECT grid = Geometry().grid;
  const int cellW = (grid.right - grid.left) / 7, cellH = (grid.bottom - grid.top) / 6;
  const int left = grid.left + (cell % 7) * cellW, top = grid.top + (cell / 7) * cellH;
  return RECT{left, top, left + cellW, top + cellH};
}

int SCalendarEx::HitTest(POINT pt) const {
  const Layout l = Geometry();
  if (pt.y < l.grid.top) {
    if (pt.y >= l.week.top) return kNone;
    const int square = l.title.bottom - l.title.top;
    if (pt.x < l.title.left + square) return kPrevMonth;
    if (pt.x >= l.title.right - square) return kNextMonth;
    return kTitle;
  }
  if (pt.y >= l.grid.bottom) return PtInRect(&m_rcToday, pt) ? kToday : kTodayLine;
  const int cellW = (l.grid.right - l.grid.left) / 7, cellH = (l.grid.bottom - l.grid.top) / 6;
  if (cellW <= 0 || cellH <= 0) return kNone;
  // The remainder strips right of and below the cells belong to the last
  // column and row.
  const int column = std::clamp(static_cast<int>((pt.x - l.grid.left) / cellW), 0, 6);
  const int row = std::clamp(static_cast<int>((pt.y - l.grid.top) / cellH), 0, 5);
  return column + 7 * row;
}

SStringW SCalendarEx::TodayText() const {
  return SStringW().Format(L"今天:%04d/%d/%d", m_Today.wYear, m_Today.wMonth, m_Today.wDay);
}

RECT SCalendarEx::TodayTextRect(IRenderTarget* rt, const RECT& line) const {
  const SStringW text = TodayText();
  RECT measured = line;
  rt->DrawText(text.c_str(), text.GetLength(), &measured, kMeasureCentredLine);
  const int width = measured.right - measured.left;
  const int left = line.left + (line.right - line.left - width) / 2;
  return RECT{left, line.top, left + width, line.bottom};
}

// --- painting -----------------------------------------------------------

void SCalendarEx::OnPaint(IRenderTarget* rt) {
  SwndStyle& style = GetStyle();
  IRenderObj* oldFont = nullptr;
  IFont* font = style.GetFontForState(0);
  if (font) rt->SelectObject(font, &oldFont);
  const COLORREF styled = style.GetTextColorForState(0);
  const COLORREF normal = styled != kRenderNoColor ? styled : 0xFF000000;
  const COLORREF oldColour = rt->SetTextColor(normal);
  const Layout l = Geometry();

  // Title: the month buttons in squares at both ends, the year and month between.
  const int square = l.title.bottom - l.title.top;
  DrawCentred(rt, m_pSkinPrev, RECT{l.title.left, l.title.top, l.title.left + square, l.title.bottom},
              m_iHoverDay == kPrevMonth ? 1 : 0);
  DrawCentred(rt, m_pSkinNext, RECT{l.title.right - square, l.title.top, l.title.right, l.title.bottom},
              m_iHoverDay == kNextMonth ? 1 : 0);
  RECT title = l.title;
  const SStringW titleText = SStringW().Format(L"%04d年%d月", m_wYear, m_wMonth);
  rt->SetTextColor(m_iHoverDay == kTitle ? m_crHoverText : normal);
  rt->DrawText(titleText.c_str(), titleText.GetLength(), &title, kCentredLine);

  rt->SetTextColor(normal);
  const int weekW = (l.week.right - l.week.left) / 7;
  for (int i = 0; i < 7; ++i) {
    RECT cell{l.week.left + i * weekW, l.week.top, l.week.left + (i + 1) * weekW, l.week.bottom};
    const SStringW text = m_strWeek[i].GetText();
    rt->DrawText(text.c_str(), text.GetLength(), &cell, kCentredLine);
  }

  for (int i = 0; i < kCells; ++i) {
    RECT cell = GetDayRect(i);
    const Cell& day = m_days[i];
    COLORREF colour = day.kind != 0 ? m_crOtherText : normal;
    int frame = 0;
    if (day.kind == 0 && m_wYear == m_Today.wYear && m_wMonth == m_Today.wMonth && day.day == m_Today.wDay) {
      const POINT corner{1, 1};
      rt->DrawRoundRect(&cell, corner);
    }
    if (i == m_iSelDay) {
      if (m_crSelBg != kRenderNoColor) rt->FillSolidRect(&cell, m_crSelBg);
      if (m_crSelText != kRenderNoColor) colour = m_crSelText;
      frame = 2;
    } else if (i == m_iHoverDay) {
      colour = m_crHoverText;
      frame = 1;
    }
    if (m_pSkinDay) m_pSkinDay->DrawByIndex(rt, &cell, frame);
    rt->SetTextColor(colour);
    const SStringW text = SStringW().Format(L"%d", day.day);
    rt->DrawText(text.c_str(), text.GetLength(), &cell, kCentredLine);
  }

  m_rcToday = TodayTextRect(rt, l.todayLine);
  RECT today = m_rcToday;
  const SStringW todayText = TodayText();
  rt->SetTextColor(m_iHoverDay == kToday ? m_crHoverText : normal);
  rt->DrawText(todayText.c_str(), todayText.GetLength(), &today, kCentredLine);

  rt->SetTextColor(oldColour);
  if (font) rt->SelectObject(oldFont, nullptr);
}

// --- mouse --------------------------------------------------------------

void SCalendarEx::SetHover(int code) {
  if (code == m_iHoverDay) return;
  m_iHoverDay = code;
  Invalidate();
}

void SCalendarEx::OnMouseLeave() {
  SWindow::OnMouseLeave();
  SetHover(kNone);
}

void SCalendarEx::OnLButtonDown(UINT keys, POINT pt) {
  SWindow::OnLButtonDown(keys, pt);
  const int code = HitTest(pt);
  if (code == kPrevMonth) {
    ShowPreviousMonth();
  } else if (code == kNextMonth) {
    ShowFollowingMonth();
  } else if (code == kToday) {
    ShowToday();
  } else if (IsDayCell(code) && code != m_iSelDay) {
    const Cell cell = m_days[code];
    if (cell.kind == 0) {
      m_iSelDay = code;
      EventCalendarExChanged e(this);
      e.iNewDay = cell.day;
      e.iNewMonth = m_wMonth;
      e.iNewYear = m_wYear;
      e.nBtnType = code;
      RaiseEvent(&e);
    } else {
      // A day of a neighbouring month shows that month, so the grid and
      // the reported date agree.
      int month = m_wMonth + cell.kind;
      int year = m_wYear;
      if (month < 1) month = 12, --year;
      if (month > 12) month = 1, ++year;
      SetDate(static_cast<WORD>(year), static_cast<WORD>(month), cell.day, code, TRUE);
    }
  }
  Invalidate();
}

void SCalendarEx::OnLButtonUp(UINT keys, POINT pt) {
  if (IsDayCell(HitTest(pt))) {
    SWindow::OnLButtonUp(keys, pt);
    return;
  }
  // Only a click on a day is a command.
  ++GetEventSet()->muted;
  SWindow::OnLButtonUp(keys, pt);
  --GetEventSet()->muted;
}

BOOL SCalendarEx::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_MOUSEMOVE:
      SetHover(HitTest(PointOf(lParam)));
      result = 0;
      return TRUE;
    case WM_MOUSEWHEEL:
      if (static_cast<SHORT>(HIWORD(wParam)) > 0) ShowPreviousMonth();
      else ShowFollowingMonth();
      result = 1;
      return TRUE;
    default:
      return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
}


}  // namespace ORIEL
