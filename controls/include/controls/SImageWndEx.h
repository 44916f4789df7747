// "imgex": a picture window that shows a skin frame, or a picture fetched
// in the background from a URL or a local "file:///" path, optionally cut
// to a circle. Loads run one after another on the window's own task pool;
// a finished load posts UM_IMAGE_LOADED to the host, which passes it to the
// window (OnImageLoaded) to repaint.
#pragma once

#include <memory>

#include "base/TaskThreadPool.h"
#include "controls/CASyncBitmap.h"
#include "controls/CLoadFile.h"
#include "core/SWnd.h"

namespace ORIEL {

class SImageWndEx : public SWindow {
  // Spelled out rather than SOBJ_CLASS: the class also answers to "img",
  // the picture window it stands in for.
 public:
  static LPCWSTR GetClassName() { return L"imgex"; }
  static int GetClassType() { return kObjWindow; }
  BOOL IsClass(LPCWSTR cls) const override;
  LPCWSTR GetObjectClass() const override { return GetClassName(); }
  int GetObjectType() const override { return kObjWindow; }
  static LPCWSTR BaseClassName() { return L"img"; }

  SImageWndEx();
  ~SImageWndEx() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;

  void LoadUrl(const SStringW& url);
  SStringW GetUrl() const { return url_; }
  // The host's hand-off of UM_IMAGE_LOADED.
  void OnImageLoaded() { Invalidate(); }
  // A host's whole handling of UM_IMAGE_LOADED: the window named by lParam,
  // when it still exists, repaints. False when there is no such window.
  static bool DeliverImageLoaded(LPARAM lParam);

  const std::shared_ptr<CASyncBitmap>& Holder() const { return holder_; }
  // A load is queued or running.
  bool IsLoading() const { return pool_ && pool_->GetTaskCount() > 0; }
  void UpdateScale(int scale) override;

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnDestroy() override;
  SIZE MeasureContent(const RECT* limit) override;

 private:
  void PaintSkin(IRenderTarget* rt);

  std::shared_ptr<CASyncBitmap> holder_;
  std::unique_ptr<CTaskThreadPool> pool_;
  SStringW url_;
  int shape_ = CASyncBitmap::kShapeAsLoaded;
  bool changeLoad_ = false;
  SLoadTimeouts limits_;
  bool keepSkinRatio_ = false;
  bool wndShapeChange_ = false;
  int filter_ = 0;
  ISkinObj* skin_ = nullptr;  // the skin pool owns it
  SStringW skinName_;
  int iconIndex_ = 0;
  int tile_ = 0;
};

}  // namespace ORIEL
