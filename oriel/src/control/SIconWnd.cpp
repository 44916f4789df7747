#include "control/SIconWnd.h"

#include "core/SApplication.h"

namespace ORIEL {

SIconWnd::~SIconWnd() {
  if (icon_) DestroyIcon(icon_);
}

void SIconWnd::OnDestroy() {
  if (icon_) DestroyIcon(icon_);
  icon_ = nullptr;
  SWindow::OnDestroy();
}

HRESULT SIconWnd::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"src")) {
    if (icon_) DestroyIcon(icon_);
    SApplication* app = SApplication::getSingletonPtr();
    icon_ = app ? app->LoadIconById(value) : nullptr;
    return FinishAttribute(name, value, loading, S_FALSE);
  }
  return SWindow::ApplyAttribute(name, value, loading);
}

void SIconWnd::SetIcon(HICON icon) {
  if (icon == icon_) return;
  if (icon_) DestroyIcon(icon_);
  icon_ = icon;
  Invalidate();
}

void SIconWnd::OnPaint(IRenderTarget* rt) {
  if (!icon_) return;
  const RECT rc = ClientRect();
  rt->DrawIconEx(rc.left, rc.top, icon_, rc.right - rc.left, rc.bottom - rc.top, DI_NORMAL);
}

SIZE SIconWnd::MeasureContent(const RECT*) {
  ICONINFO info{};
  if (!icon_ || !GetIconInfo(icon_, &info)) return SIZE{0, 0};
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return SIZE{static_cast<LONG>(info.xHotspot * 2), static_cast<LONG>(info.yHotspot * 2)};
}

}  // namespace ORIEL
