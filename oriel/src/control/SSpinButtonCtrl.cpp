#include "control/SSpinButtonCtrl.h"

#include <climits>
#include <cwchar>

#include "ControlSkins.h"
#include "core/SWindowMgr.h"
#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

SSpinButtonCtrl::SSpinButtonCtrl() {
  GetEventSet()->AddEvent(EventSpinValue2String::EventID, EventSpinValue2String::EventName());
}

HRESULT SSpinButtonCtrl::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"max")) {
    max_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"min")) {
    min_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"step")) {
    step_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"circle")) {
    circle_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"value")) {
    value_ = static_cast<int>(wcstol(value.c_str(), nullptr, 10));
    if (!loading) UpdateBuddy(FALSE);
  } else if (AttrNameIs(name, L"buddy")) {
    buddy_ = SResProviderMgr::LookupNamedString(value);
  } else if (AttrNameIs(name, L"upskin")) {
    upName_ = value;
    upSkin_ = LookupControlSkin(value, GetScale());
  } else if (AttrNameIs(name, L"downSkin")) {
    downName_ = value;
    downSkin_ = LookupControlSkin(value, GetScale());
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, 0);
}

int SSpinButtonCtrl::OnCreate() {
  const int result = SWindow::OnCreate();
  FetchSkins(GetScale());
  UpdateBuddy(TRUE);
  ListenToBuddy();
  return result;
}

void SSpinButtonCtrl::FetchSkins(int scale) {
  if (ISkinObj* s = LookupControlSkin(upName_, scale)) upSkin_ = s;
  if (ISkinObj* s = LookupControlSkin(downName_, scale)) downSkin_ = s;
}

void SSpinButtonCtrl::UpdateScale(int scale) {
  SWindow::UpdateScale(scale);
  FetchSkins(scale);
}

void SSpinButtonCtrl::Colorize(COLORREF color) {
  if (upSkin_) upSkin_->ApplyColorize(color);
  if (downSkin_) downSkin_->ApplyColorize(color);
  SWindow::Colorize(color);
}

SIZE SSpinButtonCtrl::MeasureContent(const RECT* limit) {
  SIZE size = SWindow::MeasureContent(limit);
  if (!GetLayoutParam()->HasFixedSize(Horz)) size.cx = SkinWidth(downSkin_.get());
  if (!GetLayoutParam()->HasFixedSize(Vert) && limit) size.cy = limit->bottom - limit->top;
  return size;
}

// --- value and buddy ----------------------------------------------------

SWindow* SSpinButtonCtrl::GetBuddy() {
  SWindow* parent = GetParent();
  if (!parent || buddy_.IsEmpty()) return nullptr;
  return parent->FindDescendantByName(buddy_, -1);
}

void SSpinButtonCtrl::UpdateBuddy(BOOL init) {
  SWindow* buddy = GetBuddy();
  if (!buddy) return;
  ListenToBuddy();
  EventSpinValue2String e(this);
  e.bInit = init;
  e.nValue = value_;
  e.strValue.Format(L"%d", value_);
  RaiseEvent(&e);
  buddy->SetText(e.strValue);
}

void SSpinButtonCtrl::ListenToBuddy() {
  SWindow* buddy = GetBuddy();
  if (!buddy || buddy->GetHandle() == listenedBuddy_) return;
  // The buddy may outlive the spin: the subscriber finds the spin by its
  // handle each time instead of keeping a pointer.
  const SWND self = GetHandle();
  const bool subscribed = buddy->SubscribeEvent(kBuddyNotifyEvent, [self](EventArgs*) {
    SWindowMgr* windows = SWindowMgr::getSingletonPtr();
    SWindow* w = windows ? windows->LookupWindow(self) : nullptr;
    if (auto* spin = dynamic_cast<SSpinButtonCtrl*>(w)) spin->OnBuddyNotify();
    return false;
  });
  if (subscribed) listenedBuddy_ = buddy->GetHandle();
}

bool SSpinButtonCtrl::ParseStrictInt(const SStringW& text, int& out) {
  const wchar_t* s = text.c_str();
  bool negative = false;
  if (*s == L'+' || *s == L'-') negative = *s++ == L'-';
  if (*s == 0) return false;
  long long v = 0;
  for (; *s; ++s) {
    if (*s < L'0' || *s > L'9') return false;
    v = v * 10 + (*s - L'0');
    if (v > static_cast<long long>(INT_MAX) + 1) return false;
  }
  v = negative ? -v : v;
  if (v > INT_MAX || v < INT_MIN) return false;
  out = static_cast<int>(v);
  return true;
}

void SSpinButtonCtrl::OnBuddyNotify() {
  SWindow* buddy = GetBuddy();
  if (!buddy) return;
  // Only a whole number inside the range is taken; anything else a user
  // is still typing leaves the value as it was.
  int typed = 0;
  if (!ParseStrictInt(buddy->GetText(), typed) || typed < min_ || typed > max_) return;
  value_ = typed;
  EventSpinValue2String e(this);
  e.nValue = value_;
  e.strValue.Format(L"%d", value_);
  RaiseEvent(&e);
}

void SSpinButtonCtrl::SetRange(int minimum, int maximum) {
  min_ = minimum;
  max_ = maximum;
  if (value_ > max_) value_ = max_;
  if (value_ < min_) value_ = min_;
  UpdateBuddy(FALSE);
}

void SSpinButtonCtrl::SetValue(int value) {
  value_ = value;
  UpdateBuddy(FALSE);
}

void SSpinButtonCtrl::Step() {
  const long long next = action_ == 1 ? static_cast<long long>(value_) - step_ : static_cast<long long>(value_) + step_;
  if (next < min_) value_ = action_ == 1 && circle_ ? max_ : min_;
  else if (next > max_) value_ = circle_ ? min_ : max_;
  else value_ = static_cast<int>(next);
  UpdateBuddy(FALSE);
}

// --- mouse and painting -------------------------------------------------

void SSpinButtonCtrl::UpdateAction(POINT pt) {
  const RECT rc = ClientRect();
  if (!PtInRect(&rc, pt)) {
    action_ = -1;
    return;
  }
  action_ = pt.y >= (rc.bottom - rc.top) / 2 + rc.top ? 1 : 0;
}

BOOL SSpinButtonCtrl::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_MOUSEMOVE: {
      const int before = action_;
      UpdateAction(PointOf(lParam));
      if (before != action_) Invalidate();
      result = 0;
      return TRUE;
    }
    case WM_LBUTTONDBLCLK: OnLButtonDown(static_cast<UINT>(wParam), PointOf(lParam)); result = 0; return TRUE;
    case WM_TIMER:
      if (wParam == kTimerRepeat && action_ != -1) Step();
      result = 0;
      return TRUE;
    default: return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
}

void SSpinButtonCtrl::OnLButtonDown(UINT keys, POINT pt) {
  SWindow::OnLButtonDown(keys, pt);
  UpdateAction(pt);
  Step();
  Invalidate();
  SetTimer(kTimerRepeat, kRepeatMs);
}

void SSpinButtonCtrl::OnLButtonUp(UINT keys, POINT pt) {
  SWindow::OnLButtonUp(keys, pt);
  KillTimer(kTimerRepeat);
  Invalidate();
}

void SSpinButtonCtrl::OnPaint(IRenderTarget* rt) {
  const RECT client = ClientRect();
  const int middle = (client.bottom - client.top) / 2 + client.top;
  RECT up = client, down = client;
  up.bottom = middle;
  down.top = middle;
  const int s = StateIndex();
  const int other = s == 2 ? 1 : s;
  int upState = s, downState = s;
  if (action_ == -1) upState = downState = s == 2 ? 0 : s;
  else if (action_ == 0) downState = other;
  else upState = other;
  auto draw = [rt](ISkinObj* skin, const RECT& rc, int state) {
    if (skin) skin->DrawByIndex(rt, &rc, state < skin->StateCount() ? state : 0);
  };
  draw(upSkin_.get(), up, upState);
  draw(downSkin_.get(), down, downState);
}

}  // namespace ORIEL
