#include "controls/SDlgTip.h"

#include <algorithm>

#include "core/SWndTextMeasure.h"
#include "event/SWndEvents.h"

namespace ORIEL {

namespace {

constexpr const wchar_t* kLayout = L"LAYOUTGLOBAL:XML_TIP";

void SetAttr(SWindow* window, const wchar_t* name, const SStringW& value) {
  if (window) window->ApplyAttribute(SStringW(name), value, FALSE);
}

SStringW SizeText(int cx, int cy) {
  SStringW text;
  text.Format(L"%d,%d", cx, cy);
  return text;
}

}  // namespace

SDlgTip::SDlgTip(const SStringW& title, const SStringW& line1, const SStringW& line2, const SStringW& iconSkin,
                 const SStringW& okText, const SStringW& noText)
    : SDlgBase(kLayout), title_(title), iconSkin_(iconSkin), okText_(okText), noText_(noText) {
  AddText(line1);
  AddText(line2);
}

SDlgTip::SDlgTip(const SStringW& title, const SStringW& okText, const SStringW& noText)
    : SDlgBase(kLayout), title_(title), okText_(okText), noText_(noText) {}

SDlgTip::SDlgTip() : SDlgBase(kLayout) {}

SDlgTip::~SDlgTip() = default;

SDlgTip& SDlgTip::AddText(const SStringW& text) {
  if (!text.IsEmpty()) lines_.push_back(text);
  return *this;
}

SDlgTip& SDlgTip::SetTitle(const SStringW& text) {
  title_ = text;
  return *this;
}

SDlgTip& SDlgTip::SetOkText(const SStringW& text) {
  okText_ = text;
  return *this;
}

SDlgTip& SDlgTip::SetNoText(const SStringW& text) {
  noText_ = text;
  return *this;
}

SDlgTip& SDlgTip::SetIconSkin(const SStringW& name) {
  iconSkin_ = name;
  return *this;
}

void SDlgTip::FindChildren() {
  auto find = [this](const wchar_t* name) { return FindDescendantByName(SStringW(name)); };
  wndTip_ = find(L"wnd_tip");
  winTxt_ = find(L"win_txt");
  winPadding_ = find(L"win_padding");
  borderLeft_ = find(L"win_borderLeft");
  borderRight_ = find(L"win_borderRight");
  titleName_ = find(L"title_name");
  btnOk_ = find(L"btn_ok");
  btnNo_ = find(L"btn_no");
  btnClose_ = find(L"btn_close");
  imgTip_ = find(L"img_tip");
}

int SDlgTip::WidthLimit() const {
  HWND hwnd = GetHwnd();
  HWND owner = GetWindow(hwnd, GW_OWNER);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(MonitorFromWindow(owner ? owner : hwnd, MONITOR_DEFAULTTONEAREST), &info)) return 0;
  // The layout is made at scale 100 and scaled afterwards: the limit is
  // taken back to scale 100 so the scaled dialog still fits.
  int scale = DpiHandlingOn() ? ScaleForDpi(static_cast<int>(GetDpiForWindow(hwnd))) : 100;
  if (scale <= 0) scale = 100;
  const int work = info.rcWork.right - info.rcWork.left - kScreenMargin;
  return work * 100 / scale;
}

SStringW SDlgTip::WrapLine(SWindow* control, const SStringW& line, int width, int* count) {
  SStringW out;
  int lines = 0;
  int start = 0;
  const int length = line.GetLength();
  while (start < length) {
    ++lines;
    // The longest piece from `start` that fits, at least one character.
    int lo = 1, hi = length - start;
    while (lo < hi) {
      const int mid = (lo + hi + 1) / 2;
      if (MeasureTextSize(control, line.Mid(start, mid), false).cx <= width) lo = mid;
      else hi = mid - 1;
    }
    int take = lo;
    // Between words where the piece ends inside one.
    if (start + take < length && line[start + take] != L' ') {
      for (int i = take - 1; i > 0; --i) {
        if (line[start + i] == L' ') {
          take = i + 1;
          break;
        }
      }
    }
    SStringW piece = line.Mid(start, take);
    piece.TrimRight();
    if (!out.IsEmpty()) out += L"\n";
    out += piece;
    start += take;
    while (start < length && line[start] == L' ') ++start;
  }
  *count = std::max(lines, 1);
  return out;
}

SWindow* SDlgTip::AddTextControl(const SStringW& text) {
  if (!wndTip_) return nullptr;
  SWindow* control = wndTip_->CreateChildrenFromString(SStringW(L"<edit class=\"_style.tipTxt\"/>"));
  if (control) SetLineText(control, text);
  return control;
}

void SDlgTip::SetLineText(SWindow* control, const SStringW& text) {
  control->SetText(text);
  // The text engine does not size itself to its text: the control is given
  // the size of its lines and padding.
  const SIZE size = MeasureTextSize(control, text, true);
  SetAttr(control, L"size", SizeText(size.cx + 2 * kLinePadding, size.cy + 2 * kLinePadding));
}

void SDlgTip::SetLabelText(SWindow* window, const SStringW& text) {
  if (!window) return;
  window->SetText(text);
  window->SetTipText(text);
  SetAttr(window, L"size", text.IsEmpty() ? SStringW(L"0,0") : SStringW(L"-1,-1"));
}

void SDlgTip::SetButtonText(SWindow* button, const SStringW& text) {
  if (!button) return;
  const SIZE size = MeasureTextSize(button, text, false);
  button->SetText(text);
  SetAttr(button, L"size", text.IsEmpty() ? SStringW(L"0,0") : SizeText(size.cx + 36, size.cy + 8));
  button->SetTipText(text);
}

void SDlgTip::CalcLayout() {
  if (titleName_) titleName_->SetText(title_);
  SetAttr(winTxt_, L"gravity", lines_.size() >= 2 ? SStringW(L"left") : SStringW(L"center"));
  if (!iconSkin_.IsEmpty()) {
    SetAttr(winPadding_, L"size", SStringW(L"9,9"));
    SetAttr(imgTip_, L"size", SStringW(L"-1,-1"));
    SetAttr(imgTip_, L"skin", iconSkin_);
    rect_.bottom += kIconHeight;
  } else {
    SetAttr(winPadding_, L"size", SStringW(L"0,0"));
    SetAttr(imgTip_, L"size", SStringW(L"0,0"));
  }
  const int limit = WidthLimit();
  for (const SStringW& line : lines_) {
    SWindow* control = AddTextControl(line);
    if (!control) continue;
    const int measured = MeasureTextSize(control, line, false).cx;
    const int w = rect_.right - rect_.left;
    int rows = 1;
    if (measured > w - kTextMargin) {
      int width = std::max(w, measured) + kWidenMargin;
      if (limit > 0 && width > limit) {
        // Wider than the screen allows: the line wraps inside the limit.
        width = std::max(limit, w);
        const SStringW wrapped = WrapLine(control, line, width - kTextMargin, &rows);
        SetLineText(control, wrapped);
      }
      rect_.right = rect_.left + width;
    }
    rect_.bottom += kLineHeight * rows;
  }
  MoveWindow(GetHwnd(), rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, TRUE);
  CenterOnOwner(::GetParent(GetHwnd()));
  SetButtonText(btnOk_, okText_);
  SetButtonText(btnNo_, noText_);
  // Without a second button OK stands at the right end of the row.
  const bool single = noText_.IsEmpty();
  SetAttr(borderLeft_, L"weight", single ? SStringW(L"1") : SStringW(L"0"));
  SetAttr(borderRight_, L"weight", single ? SStringW(L"0") : SStringW(L"1"));
  if (btnClose_) btnClose_->SetVisible(closable ? TRUE : FALSE, FALSE);
}

BOOL SDlgTip::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                  DWORD mapId) {
  if (mapId == 0 && msg == WM_INITDIALOG) {
    FindChildren();
    ::GetWindowRect(hwnd, &rect_);
    CalcLayout();
    layoutDone_ = true;
    SetWindowTextW(hwnd, title_.c_str());
  }
  return SDlgBase::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
}

BOOL SDlgTip::OnHostEvent(EventArgs* e) {
  if (e && e->GetId() == EventCmd::EventID) {
    const SStringW& name = e->nameFrom;
    INT_PTR code = 0;
    if (name == L"btn_close") code = kClose;
    else if (name == L"btn_no") code = kNo;
    else if (name == L"btn_ok") code = kOk;
    if (code) {
      e->bubbleUp = 0;
      EndDialog(code);
      return TRUE;
    }
  }
  return SDlgBase::OnHostEvent(e);
}

}  // namespace ORIEL
