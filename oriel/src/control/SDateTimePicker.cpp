#include "control/SDateTimePicker.h"

#include <algorithm>

#include "control/SControlPaint.h"
#include "core/SApplication.h"
#include "core/SCalendarCore.h"
#include "core/SLog.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {
namespace {

constexpr int kSysDropBtn = 7;
constexpr int kSysBorder = 6;
constexpr UINT kCentredLine = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
constexpr UINT kShowWithoutActivation = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW;

int DaysOf(int year, int month) { return CalendarDaysOfMonth(year, month); }

// The day brought within its month when the date does not exist.
void ClampDay(SYSTEMTIME& t) {
  if (!CalendarIsDateValid(t.wYear, t.wMonth, t.wDay)) {
    const int days = DaysOf(t.wYear, t.wMonth);
    if (days > 0 && t.wDay > days) t.wDay = static_cast<WORD>(days);
  }
}

int Wrap(int v, int lo, int hi) { return v < lo ? hi : v > hi ? lo : v; }

}  // namespace

SDateTimePicker::SDateTimePicker() {
  GetLocalTime(&value_);
  before_ = value_;
  if (SSkinPoolMgr* pools = SSkinPoolMgr::getSingletonPtr()) btnSkin_ = pools->FindSystemSkin(kSysDropBtn, 100);
  SWindow::ApplyAttribute(SStringW(L"ncskin"), SStringW(SystemSkinName(kSysBorder)), TRUE);
  SWindow::ApplyAttribute(SStringW(L"margin"), SStringW(L"1"), TRUE);
  SWindow::ApplyAttribute(SStringW(L"align"), SStringW(L"left"), TRUE);
  SWindow::ApplyAttribute(SStringW(L"valign"), SStringW(L"middle"), TRUE);
  SWindow::ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE);
  GetEventSet()->AddEvent(EventDateTimeChanged::EventID, EventDateTimeChanged::EventName());
}

SDateTimePicker::~SDateTimePicker() {
  if (calendar_) {
    calendar_->SendSwndMessage(SWM_DESTROY);
    calendar_->Release();
  }
}

HRESULT SDateTimePicker::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"btnSkin")) {
    SSkinPoolMgr* pools = SSkinPoolMgr::getSingletonPtr();
    btnSkin_ = pools ? pools->GetSkin(value, GetScale()) : nullptr;
  } else if (AttrNameIs(name, L"timeEnable")) {
    timeEnable_ = ParseAttrBool(value);
  } else if (AttrNameIs(name, L"dropWidth")) {
    dropWidth_ = ParseAttrInt(value);
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, S_FALSE);
}

// Only the calendar is made from the children: "calstyle" holds its look.
BOOL SDateTimePicker::CreateChildren(pugi::xml_node element) {
  SApplication* app = SApplication::getSingletonPtr();
  IObject* made = app ? app->NewWindowByClass(SCalendarEx::GetClassName()) : nullptr;
  calendar_ = dynamic_cast<SCalendarEx*>(made);
  if (!calendar_) {
    if (made) made->Release();
    SLOGW(SLOG_LEVEL_ERROR, "ORIEL::SDateTimePicker::CreateChildren", L"the picker's calendar could not be made");
    return FALSE;
  }
  calendar_->SetContainer(GetContainer());
  pugi::xml_node style = calStyle_.append_copy(XmlChild(element, L"calstyle"));
  if (!style) style = calStyle_.append_child("calstyle");
  calendar_->LoadXmlNode(style);
  calendar_->ApplyAttribute(SStringW(L"pos"), SStringW(L"0,0,-0,-0"), TRUE);
  calendar_->SetOwner(this);
  calendar_->SetVisible(FALSE);
  calendar_->SubscribeEvent(EventCalendarExChanged::EventID, [this](EventArgs* e) { return OnCalendarChanged(e); });
  calendar_->SubscribeEvent(EventCmd::EventID, [this](EventArgs*) {
    CloseUp(2);
    return true;
  });
  return TRUE;
}

bool SDateTimePicker::OnCalendarChanged(EventArgs* e) {
  auto* c = static_cast<EventCalendarExChanged*>(e);
  value_.wYear = c->iNewYear;
  value_.wMonth = c->iNewMonth;
  value_.wDay = c->iNewDay;
  Invalidate();
  EventDateTimeChanged changed(this);
  changed.newTime = value_;
  RaiseEvent(&changed);
  return true;
}

SStringW SDateTimePicker::GetText(bool) const {
  SStringW text = SStringW().Format(L"%04d-%02d-%02d", value_.wYear, value_.wMonth, value_.wDay);
  if (timeEnable_) text += SStringW().Format(L" %02d:%02d:%02d", value_.wHour, value_.wMinute, value_.wSecond);
  return text;
}

void SDateTimePicker::SetTime(const SYSTEMTIME& time) {
  value_ = time;
  accum_ = 0;
  typed_ = 0;
  Invalidate();
}

void SDateTimePicker::SetTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME t = value_;
  t.wYear = year, t.wMonth = month, t.wDay = day, t.wHour = hour, t.wMinute = minute, t.wSecond = second;
  SetTime(t);
}

// --- geometry ---------------------------------------------------------------

void SDateTimePicker::MeasureUnits(IRenderTarget* rt) {
  IRenderObj* old = nullptr;
  IFont* font = GetStyle().GetFontForState(0);
  if (font) rt->SelectObject(font, &old);
  SIZE five{0, 0}, dash{0, 0};
  rt->MeasureText(L"5", 1, &five);
  rt->MeasureText(L"-", 1, &dash);
  if (font) rt->SelectObject(old, nullptr);
  digitW_ = five.cx, textH_ = five.cy, sepW_ = dash.cx;
  measured_ = true;
}

void SDateTimePicker::EnsureUnits() {
  if (measured_) return;
  SApplication* app = SApplication::getSingletonPtr();
  IRenderTarget* rt = nullptr;
  if (!app || !app->GetRenderFactory() || !app->GetRenderFactory()->CreateRenderTarget(&rt, 0, 0)) return;
  MeasureUnits(rt);
  rt->Release();
}

RECT SDateTimePicker::DropButtonRect() const {
  const RECT text = TextRectangle();
  const int side = text.bottom - text.top;
  return RECT{text.right - side, text.top, text.right, text.bottom};
}

int SDateTimePicker::SegmentAt(int x) {
  EnsureUnits();
  const int d = digitW_, s = sepW_;
  x -= TextRectangle().left;
  if (x < 4 * d + s) return kYear;
  if (x < 6 * d + 2 * s) return kMonth;
  if (x < 8 * d + 3 * s || !timeEnable_) return kDay;
  if (x < 10 * d + 4 * s) return kHour;
  if (x < 12 * d + 5 * s) return kMinute;
  return kSecond;
}

// --- painting ---------------------------------------------------------------

void SDateTimePicker::OnPaint(IRenderTarget* rt) {
  if (!measured_) MeasureUnits(rt);
  SwndStyle& style = GetStyle();
  const SPaintState saved = ApplyPaintState(this, rt, 0);
  const COLORREF normal = rt->GetTextColor();

  const RECT text = TextRectangle();
  const int top = text.top + (text.bottom - text.top - textH_) / 2 + 1;
  int x = text.left;
  const int d = digitW_, s = sepW_;
  const WORD fields[7] = {0, value_.wYear, value_.wMonth, value_.wDay, value_.wHour, value_.wMinute, value_.wSecond};
  auto segment = [&](int which, int digits) {
    RECT rc{x, top, x + digits * d, top + textH_};
    SStringW t;
    const int v = fields[which];
    if (which == sel_ && typed_ > 0) {
      if (which == kYear) t.Format(v <= 9 ? L"%d" : v <= 99 ? L"%02d" : v <= 999 ? L"%03d" : L"%04d", v);
      else t.Format(L"%d", v);
    } else {
      t.Format(which == kYear ? L"%04d" : L"%02d", v);
    }
    if (which == sel_) {
      rt->FillSolidRect(&rc, selBg_);
      rt->SetTextColor(selText_);
    }
    rt->DrawText(t.c_str(), t.GetLength(), &rc, kCentredLine);
    rt->SetTextColor(normal);
    x = rc.right;
  };
  auto separator = [&](LPCWSTR mark, UINT format) {
    RECT rc{x, top, x + s, top + textH_};
    rt->DrawText(mark, 1, &rc, format);
    x = rc.right;
  };
  const UINT styleFormat = (style.GetDrawTextFormat() & ~(DT_BOTTOM | DT_VCENTER)) | DT_SINGLELINE;
  segment(kYear, 4);
  separator(L"-", styleFormat);
  segment(kMonth, 2);
  separator(L"-", styleFormat);
  segment(kDay, 2);
  if (timeEnable_) {
    x += s;
    segment(kHour, 2);
    separator(L":", kCentredLine);
    segment(kMinute, 2);
    separator(L":", kCentredLine);
    segment(kSecond, 2);
  }

  const RECT button = DropButtonRect();
  if (btnState_ == 1 && GetNcSkin()) {
    RECT around = button;
    InflateRect(&around, 1, 1);
    GetNcSkin()->DrawByIndex(rt, &around, 1);
  }
  if (btnSkin_) {
    const SIZE size = btnSkin_->NaturalSize();
    const int w = size.cx > 0 ? std::min<int>(size.cx, button.right - button.left) : button.right - button.left;
    const int h = size.cy > 0 ? std::min<int>(size.cy, button.bottom - button.top) : button.bottom - button.top;
    const int left = button.left + (button.right - button.left - w) / 2;
    const int t = button.top + (button.bottom - button.top - h) / 2;
    RECT at{left, t, left + w, t + h};
    btnSkin_->DrawByIndex(rt, &at, btnState_ == 2 ? 2 : btnState_ == 1 ? 1 : 0);
  }
  RestorePaintState(rt, saved);
}

// --- editing ------------------------------------------------------------------

SYSTEMTIME SDateTimePicker::Settled() const {
  SYSTEMTIME t = value_;
  if (typed_ == 0 && accum_ == 0) return t;
  if (sel_ == kYear && typed_ < 4) t.wYear = before_.wYear;
  t.wYear = static_cast<WORD>(std::clamp<int>(t.wYear, kMinYear, kMaxYear));
  // A month restored takes back the day its typing shortened.
  if (t.wMonth == 0) t.wMonth = before_.wMonth, t.wDay = before_.wDay;
  if (t.wDay == 0) t.wDay = before_.wDay;
  ClampDay(t);
  return t;
}

void SDateTimePicker::EndEditing() {
  if (typed_ == 0 && accum_ == 0) return;
  value_ = Settled();
  accum_ = 0;
  typed_ = 0;
  Invalidate();
}

void SDateTimePicker::SelectSegment(int segment) {
  EndEditing();
  if (segment == sel_) return;
  sel_ = segment;
  Invalidate();
}

void SDateTimePicker::Step(bool up) {
  EndEditing();
  const int delta = up ? 1 : -1;
  switch (sel_) {
    case kYear:
      // The calendar's years only: stepping stops at either end.
      value_.wYear = static_cast<WORD>(std::clamp<int>(value_.wYear + delta, kMinYear, kMaxYear));
      break;
    case kMonth: value_.wMonth = static_cast<WORD>(Wrap(value_.wMonth + delta, 1, 12)); break;
    case kDay: {
      const int days = std::max(1, DaysOf(value_.wYear, value_.wMonth));
      value_.wDay = static_cast<WORD>(Wrap(value_.wDay + delta, 1, days));
      break;
    }
    case kHour: value_.wHour = static_cast<WORD>(Wrap(value_.wHour + delta, 0, 23)); break;
    case kMinute: value_.wMinute = static_cast<WORD>(Wrap(value_.wMinute + delta, 0, 59)); break;
    case kSecond: value_.wSecond = static_cast<WORD>(Wrap(value_.wSecond + delta, 0, 59)); break;
    default: return;
  }
  ClampDay(value_);
  accum_ = 0;
  typed_ = 0;
  Invalidate();
}

void SDateTimePicker::OnDigit(int digit) {
  if (sel_ < kYear || sel_ > kSecond) return;
  if (typed_ == 0) before_ = value_;
  const int next = accum_ * 10 + digit;
  switch (sel_) {
    case kYear:
      // At most four digits: a fifth starts the year again.
      accum_ = static_cast<WORD>(typed_ >= 4 ? digit : next);
      if (typed_ >= 4) typed_ = 0;
      value_.wYear = accum_;
      break;
    case kMonth:
      if (accum_ == 0 && digit == 0) return;
      accum_ = static_cast<WORD>(next > 12 ? digit : next);
      value_.wMonth = accum_;
      if (value_.wMonth != 0) ClampDay(value_);
      break;
    case kDay:
      if (accum_ == 0 && digit == 0) return;
      accum_ = static_cast<WORD>(CalendarIsDateValid(value_.wYear, value_.wMonth, static_cast<WORD>(next)) ? next : digit);
      value_.wDay = accum_;
      break;
    case kHour:
      accum_ = static_cast<WORD>(next > 23 ? digit : next);
      value_.wHour = accum_;
      break;
    default:
      accum_ = static_cast<WORD>(next > 59 ? digit : next);
      (sel_ == kMinute ? value_.wMinute : value_.wSecond) = accum_;
      break;
  }
  ++typed_;
  Invalidate();
}

void SDateTimePicker::OnKey(UINT key) {
  switch (key) {
    case VK_LEFT:
      if (sel_ != kYear) SelectSegment(sel_ - 1);
      break;
    case VK_RIGHT:
      if (sel_ != kSecond) SelectSegment(sel_ + 1);
      break;
    case VK_UP: Step(true); break;
    case VK_DOWN: Step(false); break;
    default: break;
  }
}

// --- the drop-down --------------------------------------------------------------

void SDateTimePicker::SetButtonState(int state) {
  if (state == btnState_) return;
  btnState_ = state;
  RECT rc = DropButtonRect();
  InflateRect(&rc, 1, 1);
  InvalidateRect(rc);
}

void SDateTimePicker::OnButtonDown(POINT pt) {
  if (dropDown_) return;
  const RECT button = DropButtonRect();
  if (!PtInRect(&button, pt)) {
    SelectSegment(SegmentAt(pt.x));
    return;
  }
  EndEditing();
  if (sel_ != kNone) {
    sel_ = kNone;
    Invalidate();
  }
  OpenDropDown();
}

void SDateTimePicker::OpenDropDown() {
  ISwndContainer* container = GetContainer();
  HWND host = container ? container->GetHostHwnd() : nullptr;
  if (!host || !calendar_) return;
  RECT me = GetWindowRect();
  POINT tl{me.left, me.top}, br{me.right, me.bottom};
  ClientToScreen(host, &tl);
  ClientToScreen(host, &br);
  const int side = SLayoutSize(static_cast<float>(dropWidth_), SLayoutSize::dp).ToPixels(GetScale());
  RECT monitor{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (HMONITOR m = MonitorFromWindow(host, MONITOR_DEFAULTTONULL)) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(m, &info)) monitor = info.rcMonitor;
  }
  RECT rc{br.x - side, br.y, br.x, br.y + side};
  if (rc.bottom > monitor.bottom) rc = RECT{br.x - side, tl.y - side, br.x, tl.y};
  dropDown_ = new SDropDownWnd_ComboBox(this);
  dropDown_->BroadcastMessage(SWM_UPDATESCALE, GetScale());
  if (!dropDown_->Create(rc, nullptr, WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST)) {
    SLOGW(SLOG_LEVEL_ERROR, "ORIEL::SDateTimePicker::OpenDropDown", L"the drop-down window could not be made");
    dropDown_->Release();
    dropDown_ = nullptr;
    return;
  }
  HWND popup = dropDown_->GetHwnd();
  SetWindowPos(popup, nullptr, 0, 0, 0, 0, kShowWithoutActivation);
  if (IsWindow(popup)) ::SetCapture(popup);
}

void SDateTimePicker::PrepareDropDown(SDropDownWnd* dropDown) {
  calendar_->SetDate(value_.wYear, value_.wMonth, value_.wDay, 0, FALSE);
  dropDown->AttachChild(calendar_);
  calendar_->SetContainer(dropDown);
  RECT client{};
  ::GetClientRect(dropDown->GetHwnd(), &client);
  dropDown->RelayoutTo(&client);
  calendar_->SetVisible(TRUE);
  calendar_->SetFocus();
  SetButtonState(2);
}

void SDateTimePicker::ReleaseDropDown(SDropDownWnd* dropDown) {
  calendar_->ReleaseFocus();
  dropDown->DetachChild(calendar_);
  calendar_->SetVisible(FALSE);
  calendar_->SetContainer(GetContainer());
  dropDown_ = nullptr;
  SetButtonState(0);
}

void SDateTimePicker::CloseUp(int code) {
  if (dropDown_) dropDown_->EndDropDown(code);
}

void SDateTimePicker::OnDestroy() {
  CloseUp(2);
  SWindow::OnDestroy();
}

BOOL SDateTimePicker::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SWindow::HandleSwndMessage(WM_LBUTTONDOWN, wParam, lParam, result);
      OnButtonDown(PointOf(lParam));
      result = 0;
      return TRUE;
    case WM_MOUSEMOVE: {
      if (dropDown_) return TRUE;
      SWindow::HandleSwndMessage(msg, wParam, lParam, result);
      const RECT button = DropButtonRect();
      const POINT pt = PointOf(lParam);
      SetButtonState(PtInRect(&button, pt) ? 1 : 0);
      return TRUE;
    }
    case WM_MOUSELEAVE:
      SWindow::HandleSwndMessage(msg, wParam, lParam, result);
      if (!dropDown_) SetButtonState(0);
      return TRUE;
    case WM_MOUSEWHEEL:
      Step(static_cast<SHORT>(HIWORD(wParam)) > 0);
      result = 1;
      return TRUE;
    case WM_KEYDOWN:
      if (wParam == VK_LEFT || wParam == VK_RIGHT || wParam == VK_UP || wParam == VK_DOWN) {
        OnKey(static_cast<UINT>(wParam));
        result = 0;
        return TRUE;
      }
      break;
    case WM_CHAR:
      if (wParam >= L'0' && wParam <= L'9') {
        OnDigit(static_cast<int>(wParam - L'0'));
        result = 0;
        return TRUE;
      }
      break;
    case WM_KILLFOCUS:
      SWindow::HandleSwndMessage(msg, wParam, lParam, result);
      CloseUp(2);
      EndEditing();
      if (sel_ != kNone) {
        sel_ = kNone;
        Invalidate();
      }
      return TRUE;
    default: break;
  }
  return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
}

}  // namespace ORIEL
