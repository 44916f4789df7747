// "img": one frame of a skin, or a bitmap given by code, stretched,
// unstretched or tiled over the window, optionally keeping its aspect.
#pragma once

#include "core/SWnd.h"

namespace ORIEL {

class SImageWnd : public SWindow {
  SOBJ_CLASS(SImageWnd, SWindow, L"img", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  SImageWnd();
  ~SImageWnd() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;

  // Shows frame `frame` of `skin`; with `owns` the window keeps a
  // reference of its own. False (and no skin) for a null skin.
  BOOL SetSkin(ISkinObj* skin, int frame = 0, BOOL owns = FALSE);
  ISkinObj* GetSkin() const { return skin_; }
  // False unless a skin is set and the frame exists.
  BOOL SetIcon(int frame);
  int GetIconIndex() const { return frame_; }
  // A bitmap drawn instead of the skin; filter level as the render target takes it.
  void SetImage(IBitmap* image, int filter = 0);
  IBitmap* GetImage() const { return image_; }

  void UpdateScale(int scale) override;
  void Colorize(COLORREF color) override;

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnDestroy() override;
  SIZE MeasureContent(const RECT* limit) override;

 private:
  void DropSkin();

  int tile_ = 0;
  BOOL ownsSkin_ = FALSE;
  int frame_ = 0;
  ISkinObj* skin_ = nullptr;
  SStringW skinName_;
  SRefPtr<IBitmap> image_;
  int filter_ = 0;
  bool keepAspect_ = false;
};

}  // namespace ORIEL
