// A render target: an ARGB32 Cairo image surface with a viewport origin, a
// clip stack, selected pen, brush and font, and a text colour.
#pragma once

#include <memory>
#include <vector>

#include "Objects.h"

class RenderTarget final : public TObjRefImpl<IRenderTarget> {
 public:
  explicit RenderTarget(IRenderFactory* factory);
  ~RenderTarget() override;

  HRESULT Resize(SIZE size) override;
  SIZE GetSize() const override;
  IRenderFactory* GetRenderFactory() const override { return factory_.get(); }

  HRESULT SetViewportOrg(POINT pt) override;
  HRESULT GetViewportOrg(POINT* pt) const override;
  HRESULT OffsetViewportOrg(int dx, int dy, POINT* old) override;

  HRESULT Clear(COLORREF color) override;
  HRESULT ClearRect(const RECT* rect, COLORREF color) override;
  HRESULT FillSolidRect(const RECT* rect, COLORREF color) override;

  HRESULT PushClipRect(const RECT* rect, int mode) override;
  HRESULT PushClipRegion(const IRegion* rgn, int mode) override;
  HRESULT PushClipPath(const IPath* path, int mode) override;
  HRESULT PopClip() override;
  HRESULT SaveClip(int* cookie) override;
  HRESULT RestoreClip(int cookie) override;
  HRESULT GetClipBox(RECT* box) const override;
  HRESULT GetClipRegion(IRegion** out) const override;

  HRESULT BitBlt(const RECT* dst, IRenderTarget* src, int xSrc, int ySrc, DWORD rop) override;
  HRESULT AlphaBlend(const RECT* dst, IRenderTarget* src, const RECT* srcRect, BYTE alpha) override;

  HRESULT DrawText(LPCWSTR text, int len, RECT* rect, UINT format) override;
  HRESULT MeasureText(LPCWSTR text, int len, SIZE* size) override;
  COLORREF GetTextColor() const override { return textColor_; }
  COLORREF SetTextColor(COLORREF color) override;

  HRESULT SelectObject(IRenderObj* obj, IRenderObj** old) override;
  HRESULT SelectDefaultObject(RenderObjType type, IRenderObj** old) override;
  IRenderObj* GetCurrentObject(RenderObjType type) const override;
  HRESULT CreatePen(int style, COLORREF color, int width, IPen** out) override;
  HRESULT CreateSolidColorBrush(COLORREF color, IBrush** out) override;

  HRESULT DrawBitmap(const RECT* dst, const IBitmap* bmp, int xSrc, int ySrc, BYTE alpha) override;
  HRESULT DrawBitmapEx(const RECT* dst, const IBitmap* bmp, const RECT* src, UINT expandMode, BYTE alpha) override;
  HRESULT DrawBitmap9Patch(const RECT* dst, const IBitmap* bmp, const RECT* src, const RECT* margins,
                           UINT expandMode, BYTE alpha) override;

  HRESULT FillRectangle(const RECT* rect) override;
  HRESULT FillRoundRect(const RECT* rect, POINT radius) override;
  HRESULT FillSolidRoundRect(const RECT* rect, POINT radius, COLORREF color) override;
  HRESULT FillEllipse(const RECT* rect) override;
  HRESULT DrawRectangle(const RECT* rect) override;
  HRESULT DrawRoundRect(const RECT* rect, POINT radius) override;
  HRESULT DrawEllipse(const RECT* rect) override;
  HRESULT DrawArc(const RECT* rect, float startAngle, float sweepAngle, BOOL useCenter) override;
  HRESULT DrawLines(const POINT* pts, size_t count) override;

  HRESULT GradientFill(const RECT* rect, BOOL vertical, COLORREF from, COLORREF to, BYTE alpha) override;
  HRESULT DrawGradient(const RECT* rect, int type, COLORREF start, COLORREF center, COLORREF end, float angle,
                       float centerX, float centerY, int radius, BYTE alpha) override;

  HRESULT DrawIconEx(int x, int y, HICON icon, int cx, int cy, UINT flags) override;
  HDC GetDC(UINT flags) override;
  void ReleaseDC(HDC hdc) override;

  cairo_surface_t* surface() const { return surface_; }

 private:
  // One level of the clip stack: a pixel region in device coordinates, and
  // anti-aliased paths (device coordinates) that further intersect it.
  // Pushing a rectangle or region combines it with the pixel region only, so
  // a path clip, once pushed, keeps limiting every level above it.
  struct Clip {
    cairo_region_t* region = nullptr;
    std::vector<cairo_path_t*> paths;
  };
  Clip CopyClip(const Clip& c) const;
  void FreeClip(Clip& c);
  Clip& Top() { return clips_.back(); }
  const Clip& Top() const { return clips_.back(); }
  HRESULT PushCombined(const cairo_region_t* deviceRgn, int mode);
  // A context clipped and translated to the viewport; caller destroys it.
  cairo_t* Begin() const;
  cairo_region_t* RegionOfPath(const IPath* path) const;
  void FillPath(cairo_t* cr, COLORREF color);
  bool StrokeSetup(cairo_t* cr, double* inset);
  HRESULT DrawPart(cairo_t* cr, cairo_surface_t* src, const RECT& s, const RECT& d, UINT mode, UINT filter,
                   BYTE alpha);

  RefPtr<IRenderFactory> factory_;
  cairo_surface_t* surface_ = nullptr;
  POINT viewport_{0, 0};
  std::vector<Clip> clips_;
  COLORREF textColor_ = 0xFF000000;
  RefPtr<IRenderObj> pen_, brush_, font_;
  RefPtr<IRenderObj> defPen_, defBrush_, defFont_;
  std::vector<std::pair<HDC, HFONT>> dcs_;  // handed-out DCs and their fonts
};
