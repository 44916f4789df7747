#include "control/SImageWnd.h"

#include "res.mgr/SSkinPool.h"

namespace ORIEL {

SImageWnd::SImageWnd() { ApplyAttribute(SStringW(L"msgTransparent"), SStringW(L"1"), TRUE); }

SImageWnd::~SImageWnd() { DropSkin(); }

void SImageWnd::OnDestroy() {
  DropSkin();
  image_.reset();
  SWindow::OnDestroy();
}

// Lets go of the skin, and forgets it: a skin the window released must
// never be drawn again.
void SImageWnd::DropSkin() {
  if (skin_ && ownsSkin_) skin_->Release();
  skin_ = nullptr;
  ownsSkin_ = FALSE;
}

HRESULT SImageWnd::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr;
  if (AttrNameIs(name, L"skin")) {
    SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
    DropSkin();
    skin_ = skins ? skins->GetSkin(value, GetScale()) : nullptr;
    skinName_ = value;
    hr = S_OK;
  } else if (AttrNameIs(name, L"iconIndex")) {
    frame_ = ParseAttrInt(value);
    hr = S_FALSE;
  } else if (AttrNameIs(name, L"tile")) {
    tile_ = ParseAttrInt(value);
    hr = S_OK;
  } else if (AttrNameIs(name, L"keepAspect")) {
    keepAspect_ = ParseAttrBool(value);
    hr = S_OK;
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

BOOL SImageWnd::SetSkin(ISkinObj* skin, int frame, BOOL owns) {
  if (IsVisible(TRUE)) Invalidate();
  DropSkin();
  if (!skin) return FALSE;
  skin_ = skin;
  frame_ = frame;
  image_.reset();
  if (owns) {
    skin->AddRef();
    ownsSkin_ = TRUE;
  }
  skinName_ = SStringW();
  if (GetLayoutParam()->IsWrapContent(Any) && GetParent()) GetParent()->MarkRelayoutSelf();
  if (IsVisible(TRUE)) Invalidate();
  return TRUE;
}

BOOL SImageWnd::SetIcon(int frame) {
  if (!skin_ || frame < 0 || frame > skin_->StateCount() - 1) return FALSE;
  frame_ = frame;
  Invalidate();
  return TRUE;
}

void SImageWnd::SetImage(IBitmap* image, int filter) {
  image_ = image;
  filter_ = filter;
  NotifyContentChange();
}

void SImageWnd::UpdateScale(int scale) {
  SWindow::UpdateScale(scale);
  if (skin_ && !ownsSkin_ && !skinName_.IsEmpty())
    if (SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr())
      if (ISkinObj* scaled = skins->GetSkin(skinName_, scale)) skin_ = scaled;
}

void SImageWnd::Colorize(COLORREF color) {
  if (skin_) skin_->ApplyColorize(color);
  SWindow::Colorize(color);
}

void SImageWnd::OnPaint(IRenderTarget* rt) {
  RECT rc = GetWindowRect();
  if (IsRectEmpty(&rc)) return;
  if (keepAspect_) {
    SIZE content{0, 0};
    if (image_) content = image_->Size();
    else if (skin_) content = skin_->NaturalSize();
    if (content.cx <= 0 || content.cy <= 0) return;
    const float ratio = static_cast<float>(content.cx) / static_cast<float>(content.cy);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (static_cast<float>(w) / static_cast<float>(h) > ratio) {
      const int narrowed = static_cast<int>(static_cast<float>(h) * ratio);
      rc.left += (w - narrowed) / 2;
      rc.right = rc.left + narrowed;
    } else {
      const int lowered = static_cast<int>(static_cast<float>(w) / ratio);
      rc.top += (h - lowered) / 2;
      rc.bottom = rc.top + lowered;
    }
  }
  if (!image_) {
    if (skin_) skin_->DrawByIndex(rt, &rc, frame_);
    return;
  }
  UINT mode;
  switch (tile_) {
    case 0: mode = EM_STRETCH; break;
    case 1: mode = EM_NULL; break;
    case 2: mode = EM_TILE; break;
    default: return;
  }
  const SIZE size = image_->Size();
  const RECT src{0, 0, size.cx, size.cy};
  rt->DrawBitmapEx(&rc, image_, &src, MakeExpandMode(mode, static_cast<UINT>(filter_)), 255);
}

SIZE SImageWnd::MeasureContent(const RECT*) {
  if (image_) return image_->Size();
  if (skin_) return skin_->NaturalSize();
  return SIZE{0, 0};
}

}  // namespace ORIEL
