#include "RenderFactory.h"

#include "RenderTarget.h"

BOOL RenderFactory::CreateRenderTarget(IRenderTarget** out, int width, int height) {
  if (!out) return FALSE;
  *out = nullptr;
  if (width < 0 || height < 0) return FALSE;
  auto* rt = new RenderTarget(this);
  if (FAILED(rt->Resize(SIZE{width, height}))) {
    rt->Release();
    return FALSE;
  }
  *out = rt;
  return TRUE;
}

BOOL RenderFactory::CreateFont(IFont** out, const tagLOGFONTW& lf) {
  if (!out) return FALSE;
  *out = new Font(this, lf);
  return TRUE;
}

BOOL RenderFactory::CreateBitmap(IBitmap** out) {
  if (!out) return FALSE;
  *out = new Bitmap(this);
  return TRUE;
}

BOOL RenderFactory::CreateRegion(IRegion** out) {
  if (!out) return FALSE;
  *out = new Region(this);
  return TRUE;
}

BOOL RenderFactory::CreatePath(IPath** out) {
  if (!out) return FALSE;
  *out = new Path(this);
  return TRUE;
}
