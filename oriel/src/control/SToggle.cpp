#include "control/SToggle.h"

#include "res.mgr/SSkinPool.h"

namespace ORIEL {

namespace {
ISkinObj* SkinNamed(const SStringW& name, int scale) {
  SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
  return skins ? skins->GetSkin(name, scale) : nullptr;
}
}  // namespace

SToggle::SToggle() { skin_ = SkinNamed(skinName_, 100); }

HRESULT SToggle::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"toggled")) {
    toggled_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"skin")) {
    skinName_ = value;
    skin_ = SkinNamed(value, GetScale());
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, S_OK);
}

int SToggle::FrameIndex() const {
  const DWORD state = GetState();
  int frame = 0;
  if (state & WndState_PushDown) frame = 2;
  else if (state & WndState_Hover) frame = 1;
  return toggled_ ? frame + 3 : frame;
}

void SToggle::OnPaint(IRenderTarget* rt) {
  if (!skin_) return;
  const RECT rc = GetWindowRect();
  skin_->DrawByIndex(rt, &rc, FrameIndex());
}

void SToggle::OnLButtonUp(UINT keys, POINT pt) {
  const RECT rc = GetWindowRect();
  if (PtInRect(&rc, pt)) toggled_ = !toggled_;
  SWindow::OnLButtonUp(keys, pt);
}

SIZE SToggle::MeasureContent(const RECT*) { return skin_ ? skin_->NaturalSize() : SIZE{0, 0}; }

void SToggle::UpdateScale(int scale) {
  SWindow::UpdateScale(scale);
  if (ISkinObj* s = SkinNamed(skinName_, scale)) skin_ = s;
}

void SToggle::Colorize(COLORREF color) {
  if (skin_) skin_->ApplyColorize(color);
  SWindow::Colorize(color);
}

}  // namespace ORIEL
