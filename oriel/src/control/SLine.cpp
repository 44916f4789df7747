#include "control/SLine.h"

#include "res.mgr/SNamedValue.h"
#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

namespace {

// A word of `words` by position; -1 when the text is none of them.
int WordIndex(const SStringW& value, std::initializer_list<const wchar_t*> words) {
  int i = 0;
  for (const wchar_t* w : words) {
    if (value == w) return i;
    ++i;
  }
  return -1;
}

}  // namespace

HRESULT SLine::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"colorLine") || AttrNameIs(name, L"lineColor")) {
    if (value.IsEmpty()) return E_FAIL;
    color_ = SResProviderMgr::LookupNamedColor(value);
  } else if (AttrNameIs(name, L"lineSize")) {
    width_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"mode")) {
    const int mode = WordIndex(value, {L"horizontal", L"vertical", L"tilt"});
    if (mode < 0) return E_FAIL;
    mode_ = static_cast<BYTE>(mode);
  } else if (AttrNameIs(name, L"lineStyle")) {
    const int style = WordIndex(value, {L"solid", L"dash", L"dot", L"dashdot", L"dashdotdot"});
    if (style < 0) return E_FAIL;
    style_ = static_cast<BYTE>(style);
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, S_FALSE);
}

void SLine::OnPaint(IRenderTarget* rt) {
  const RECT rc = GetWindowRect();
  POINT pts[2] = {{rc.left, rc.top}, {rc.right, rc.top}};
  if (mode_ == kVertical) pts[1] = POINT{rc.left, rc.bottom};
  else if (mode_ == kTilt) pts[1] = POINT{rc.right, rc.bottom};
  IPen* pen = nullptr;
  if (rt->CreatePen(style_, color_, width_, &pen) != S_OK || !pen) return;
  IRenderObj* old = nullptr;
  rt->SelectObject(pen, &old);
  rt->DrawLines(pts, 2);
  rt->SelectObject(old, nullptr);
  pen->Release();
}

}  // namespace ORIEL
