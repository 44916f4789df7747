// The render plug-in's objects behind the framework's interfaces.
#pragma once

#include <cairo.h>

#include <vector>

#include "RefImpl.h"
#include "gdi/GdiCairo.h"
#include "render/IRender.h"

class RenderFactory;

// Colour word (0xAABBGGRR) to Cairo's straight RGBA, alpha scaled by `alpha`.
void SetSourceColor(cairo_t* cr, COLORREF color, BYTE alpha = 255);
bool IsNoColor(COLORREF color);

template <class Interface>
class RenderObj : public TObjRefImpl<Interface> {
 public:
  explicit RenderObj(IRenderFactory* f) : factory_(f) {}
  IRenderFactory* GetRenderFactory() const override { return factory_.get(); }

 private:
  RefPtr<IRenderFactory> factory_;
};

class Pen final : public RenderObj<IPen> {
 public:
  Pen(IRenderFactory* f, int style, COLORREF color, int width)
      : RenderObj(f), style_(style), color_(color), width_(width < 1 ? 1 : width) {}
  RenderObjType ObjectType() const override { return OT_PEN; }
  int GetStyle() const override { return style_; }
  int GetWidth() const override { return width_; }
  COLORREF GetColor() const override { return color_; }
  void SetColor(COLORREF c) override { color_ = c; }

 private:
  int style_;
  COLORREF color_;
  int width_;
};

class Brush final : public RenderObj<IBrush> {
 public:
  Brush(IRenderFactory* f, COLORREF color) : RenderObj(f), color_(color) {}
  RenderObjType ObjectType() const override { return OT_BRUSH; }
  COLORREF GetColor() const override { return color_; }

 private:
  COLORREF color_;
};

class Font final : public RenderObj<IFont> {
 public:
  Font(IRenderFactory* f, const LOGFONTW& lf);
  ~Font() override;
  RenderObjType ObjectType() const override { return OT_FONT; }
  const LOGFONTW* LogFont() const override { return &lf_; }
  LPCWSTR FamilyName() const override { return lf_.lfFaceName; }
  int TextSize() const override { return lf_.lfHeight < 0 ? -lf_.lfHeight : lf_.lfHeight; }
  BOOL IsBold() const override { return lf_.lfWeight >= FW_BOLD; }
  BOOL IsItalic() const override { return lf_.lfItalic != 0; }
  BOOL IsUnderline() const override { return lf_.lfUnderline != 0; }
  BOOL IsStrikeOut() const override { return lf_.lfStrikeOut != 0; }
  // The system defines no font property beyond the LOGFONTW, so the element
  // has nothing to add.
  void SetProp(const pugi::xml_node*) override {}
  GdiTextFont TextFont() const { return GdiTextFont{desc_, lf_.lfUnderline != 0, lf_.lfStrikeOut != 0}; }

 private:
  LOGFONTW lf_;
  PangoFontDescription* desc_;
};

class Region final : public RenderObj<IRegion> {
 public:
  explicit Region(IRenderFactory* f) : RenderObj(f), rgn_(cairo_region_create()) {}
  ~Region() override { cairo_region_destroy(rgn_); }
  RenderObjType ObjectType() const override { return OT_RGN; }
  void CombineRect(const RECT* rect, int mode) override;
  void CombineEllipse(const RECT* rect, int mode) override;
  void CombineRoundRect(const RECT* rect, POINT radius, int mode) override;
  void CombineRegion(const IRegion* other, int mode) override;
  void CombineRgn(HRGN rgn, int mode) override;
  BOOL PtInRegion(POINT pt) const override;
  BOOL RectInRegion(const RECT* rect) const override;
  void GetRgnBox(RECT* box) const override;
  BOOL IsEmpty() const override { return cairo_region_is_empty(rgn_); }
  void Offset(POINT pt) override { cairo_region_translate(rgn_, pt.x, pt.y); }
  void Clear() override;
  const cairo_region_t* region() const { return rgn_; }
  void Combine(const cairo_region_t* other, int mode) { GdiCombineRegion(rgn_, other, mode); }

 private:
  cairo_region_t* rgn_;
};

class Path final : public RenderObj<IPath> {
 public:
  explicit Path(IRenderFactory* f) : RenderObj(f) {}
  RenderObjType ObjectType() const override { return OT_PATH; }
  void AddRoundRect(const RECT* rect, float rx, float ry, int op) override;
  void AddOval(const RECT* rect, int op) override;
  void AddRect(const RECT* rect, int op) override;
  BOOL IsEmpty() const override { return figures_.empty(); }
  void Reset() override { figures_.clear(); }
  void GetBounds(RECT* box) const override;
  // Adds the figures to `cr`'s current path (in its user coordinates).
  void AppendTo(cairo_t* cr) const;

 private:
  struct Figure {
    int kind;  // 0 rectangle, 1 rounded rectangle, 2 oval
    RECT rc;
    float rx, ry;
  };
  std::vector<Figure> figures_;
};

class Bitmap final : public RenderObj<IBitmap> {
 public:
  explicit Bitmap(IRenderFactory* f) : RenderObj(f) {}
  ~Bitmap() override;
  RenderObjType ObjectType() const override { return OT_BITMAP; }
  HRESULT Init(int width, int height, const void* bits) override;
  HRESULT LoadFromFile(LPCWSTR path) override;
  HRESULT LoadFromMemory(const void* data, size_t size) override;
  UINT Width() const override;
  UINT Height() const override;
  SIZE Size() const override { return SIZE{(LONG)Width(), (LONG)Height()}; }
  void* LockPixelBits() override;
  void UnlockPixelBits(void* bits) override;
  const void* GetPixelBits() const override;
  HRESULT Clone(IBitmap** out) const override;
  HRESULT Scale(IBitmap** out, int width, int height, UINT filter) const override;
  cairo_surface_t* surface() const { return surface_; }

 private:
  HRESULT TakeFrame(IImgX* img);
  cairo_surface_t* surface_ = nullptr;
};

cairo_filter_t FilterFor(UINT level);
