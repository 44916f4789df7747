#include "controls/SListCtrlsEx.h"

#include <cmath>

#include "core/SApplication.h"
#include "gdi/GdiCairo.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {

namespace {

ISkinObj* SkinAt(const SStringW& name, int scale) {
  SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
  return skins && !name.IsEmpty() ? skins->GetSkin(name, scale) : nullptr;
}

}  // namespace

// --- list box -------------------------------------------------------------

HRESULT SListBoxEx::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"iconSkin")) {
    iconSkinName_ = value;
    iconSkin_ = SkinAt(value, GetScale());
  }
  return SListBox::ApplyAttribute(name, value, loading);
}

void SListBoxEx::UpdateScale(int scale) {
  SListBox::UpdateScale(scale);
  if (!iconSkin_) return;
  iconSkin_ = SkinAt(iconSkinName_, scale);
  SListBox::ApplyAttribute(SStringW(L"iconSkin"), iconSkinName_, TRUE);
}

// --- icon -----------------------------------------------------------------

int ScaledIconSize(int baseSize, int scale) {
  return static_cast<int>(std::floor(static_cast<double>(scale) * baseSize / 100.0 + 0.5));
}

int SCtrlIConEx::GetIconPixelSize() const {
  cairo_surface_t* picture = GetIcon() ? GdiSurfaceOfIcon(GetIcon()) : nullptr;
  return picture ? cairo_image_surface_get_width(picture) : 0;
}

void SCtrlIConEx::LoadAt(int pixels) {
  SApplication* app = SApplication::getSingletonPtr();
  SetIcon(nullptr);
  if (app && !iconName_.IsEmpty()) SetIcon(app->LoadIconByName(iconName_.c_str(), pixels, pixels, FALSE));
}

HRESULT SCtrlIConEx::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"src2")) {
    SetIcon(nullptr);
    const int colon = value.Find(L':');
    iconName_ = colon < 0 ? value : value.Left(colon);
    if (colon >= 0) {
      baseSize_ = static_cast<int>(wcstol(value.Mid(colon + 1).c_str(), nullptr, 10));
      LoadAt(ScaledIconSize(baseSize_, GetScale()));
    } else {
      // Without a size the icon's own size is the base for later scales.
      LoadAt(0);
      baseSize_ = GetIconPixelSize();
    }
    return FinishAttribute(name, value, loading, S_FALSE);
  }
  if (AttrNameIs(name, L"src")) return SIconWnd::ApplyAttribute(name, value, loading);
  return SWindow::ApplyAttribute(name, value, loading);
}

void SCtrlIConEx::UpdateScale(int scale) {
  if (!iconName_.IsEmpty()) LoadAt(ScaledIconSize(baseSize_, scale));
  SIconWnd::UpdateScale(scale);
}

}  // namespace ORIEL
