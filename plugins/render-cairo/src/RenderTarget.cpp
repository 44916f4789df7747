#include "RenderTarget.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

namespace {

cairo_rectangle_int_t ToCairo(const RECT& rc) {
  return cairo_rectangle_int_t{rc.left, rc.top, std::max<LONG>(rc.right - rc.left, 0),
                               std::max<LONG>(rc.bottom - rc.top, 0)};
}

bool Empty(const RECT& rc) { return rc.right <= rc.left || rc.bottom <= rc.top; }

// Colour word with its alpha weighted by a drawing alpha, as straight RGBA.
void AddStop(cairo_pattern_t* p, double offset, COLORREF c, BYTE alpha) {
  cairo_pattern_add_color_stop_rgba(p, offset, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                                    ((c >> 16) & 0xFF) / 255.0, (c >> 24) / 255.0 * (alpha / 255.0));
}

// Colour at t in [0, 1] along start -> centre -> end (premultiplied mix).
void MixColor(COLORREF a, COLORREF b, double t, double out[4]) {
  for (int i = 0; i < 4; ++i) {
    double x = ((a >> (8 * i)) & 0xFF) / 255.0, y = ((b >> (8 * i)) & 0xFF) / 255.0;
    out[i] = x + (y - x) * t;
  }
}

cairo_surface_t* CopyPart(cairo_surface_t* src, const RECT& s) {
  return GdiCopySurfaceArea(src, s.left, s.top, s.right - s.left, s.bottom - s.top);
}

// The source part of a bitmap drawing (the whole bitmap when null), kept
// inside the bitmap: skin rectangles may reach past it.
RECT ClampToBitmap(const RECT* src, const Bitmap& b) {
  RECT whole{0, 0, (LONG)b.Width(), (LONG)b.Height()};
  if (!src) return whole;
  return RECT{std::max<LONG>(src->left, 0), std::max<LONG>(src->top, 0), std::min(src->right, whole.right),
              std::min(src->bottom, whole.bottom)};
}

}  // namespace

RenderTarget::RenderTarget(IRenderFactory* factory) : factory_(factory) {
  IRenderObj* obj = nullptr;
  obj = new Pen(factory, PS_SOLID, 0xFF000000, 1);
  defPen_.Reset(obj);
  obj->Release();
  obj = new Brush(factory, 0xFFFFFFFF);
  defBrush_.Reset(obj);
  obj->Release();
  obj = new Font(factory, GdiDefaultLogFont());
  defFont_.Reset(obj);
  obj->Release();
  pen_ = defPen_;
  brush_ = defBrush_;
  font_ = defFont_;
}

RenderTarget::~RenderTarget() {
  while (!dcs_.empty()) ReleaseDC(dcs_.back().first);
  for (Clip& c : clips_) FreeClip(c);
  if (surface_) cairo_surface_destroy(surface_);
}

HRESULT RenderTarget::Resize(SIZE size) {
  if (size.cx < 0 || size.cy < 0) return E_INVALIDARG;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size.cx, size.cy);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return E_OUTOFMEMORY;
  }
  if (surface_) cairo_surface_destroy(surface_);
  surface_ = s;
  // A new size starts with a fresh clip stack: the whole surface.
  for (Clip& c : clips_) FreeClip(c);
  clips_.clear();
  cairo_rectangle_int_t all{0, 0, size.cx, size.cy};
  clips_.push_back(Clip{cairo_region_create_rectangle(&all), {}});
  return S_OK;
}

SIZE RenderTarget::GetSize() const {
  return SIZE{cairo_image_surface_get_width(surface_), cairo_image_surface_get_height(surface_)};
}

HRESULT RenderTarget::SetViewportOrg(POINT pt) {
  viewport_ = pt;
  return S_OK;
}

HRESULT RenderTarget::GetViewportOrg(POINT* pt) const {
  if (!pt) return E_INVALIDARG;
  *pt = viewport_;
  return S_OK;
}

HRESULT RenderTarget::OffsetViewportOrg(int dx, int dy, POINT* old) {
  if (old) *old = viewport_;
  viewport_.x += dx;
  viewport_.y += dy;
  return S_OK;
}

cairo_t* RenderTarget::Begin() const {
  cairo_t* cr = cairo_create(surface_);
  const Clip& c = Top();
  for (int i = 0, n = cairo_region_num_rectangles(c.region); i < n; ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(c.region, i, &r);
    cairo_rectangle(cr, r.x, r.y, r.width, r.height);
  }
  cairo_clip(cr);
  for (cairo_path_t* p : c.paths) {
    cairo_append_path(cr, p);
    cairo_clip(cr);
  }
  cairo_translate(cr, viewport_.x, viewport_.y);
  return cr;
}

RenderTarget::Clip RenderTarget::CopyClip(const Clip& c) const {
  Clip out;
  out.region = cairo_region_copy(c.region);
  for (cairo_path_t* p : c.paths) {
    cairo_t* cr = cairo_create(surface_);
    cairo_append_path(cr, p);
    out.paths.push_back(cairo_copy_path(cr));
    cairo_destroy(cr);
  }
  return out;
}

void RenderTarget::FreeClip(Clip& c) {
  if (c.region) cairo_region_destroy(c.region);
  for (cairo_path_t* p : c.paths) cairo_path_destroy(p);
  c.region = nullptr;
  c.paths.clear();
}

HRESULT RenderTarget::PushCombined(const cairo_region_t* deviceRgn, int mode) {
  if (mode < kCombineAnd || mode > kCombineCopy) return E_INVALIDARG;
  Clip next = CopyClip(Top());
  if (mode == kCombineCopy) {
    for (cairo_path_t* p : next.paths) cairo_path_destroy(p);
    next.paths.clear();
  }
  GdiCombineRegion(next.region, deviceRgn, mode);
  // The clip never reaches beyond the surface.
  cairo_rectangle_int_t all{0, 0, cairo_image_surface_get_width(surface_), cairo_image_surface_get_height(surface_)};
  cairo_region_intersect_rectangle(next.region, &all);
  clips_.push_back(next);
  return S_OK;
}

HRESULT RenderTarget::PushClipRect(const RECT* rect, int mode) {
  if (!rect) return E_INVALIDARG;
  cairo_rectangle_int_t c = ToCairo(*rect);
  c.x += viewport_.x;
  c.y += viewport_.y;
  cairo_region_t* r = cairo_region_create_rectangle(&c);
  HRESULT hr = PushCombined(r, mode);
  cairo_region_destroy(r);
  return hr;
}

HRESULT RenderTarget::PushClipRegion(const IRegion* rgn, int mode) {
  auto* region = dynamic_cast<const Region*>(rgn);
  if (!region) return E_INVALIDARG;
  cairo_region_t* r = cairo_region_copy(region->region());
  cairo_region_translate(r, viewport_.x, viewport_.y);
  HRESULT hr = PushCombined(r, mode);
  cairo_region_destroy(r);
  return hr;
}

cairo_region_t* RenderTarget::RegionOfPath(const IPath* path) const {
  // Pixels whose centre lies inside the path.
  auto* p = static_cast<const Path*>(path);
  cairo_t* cr = cairo_create(surface_);
  cairo_translate(cr, viewport_.x, viewport_.y);
  p->AppendTo(cr);
  cairo_identity_matrix(cr);
  double x0, y0, x1, y1;
  cairo_fill_extents(cr, &x0, &y0, &x1, &y1);
  // Only the target's pixels are tested: the clip is cut to the surface
  // anyway, and a path reaching far beyond it must not cost its whole area.
  const int left = (int)std::max(std::floor(x0), 0.0), top = (int)std::max(std::floor(y0), 0.0);
  const int right = (int)std::min(std::ceil(x1), (double)cairo_image_surface_get_width(surface_));
  const int bottom = (int)std::min(std::ceil(y1), (double)cairo_image_surface_get_height(surface_));
  cairo_region_t* out = cairo_region_create();
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      if (cairo_in_fill(cr, x + 0.5, y + 0.5)) {
        cairo_rectangle_int_t px{x, y, 1, 1};
        cairo_region_union_rectangle(out, &px);
      }
  cairo_destroy(cr);
  return out;
}

HRESULT RenderTarget::PushClipPath(const IPath* path, int mode) {
  auto* p = dynamic_cast<const Path*>(path);
  if (!p) return E_INVALIDARG;
  if (mode != kCombineAnd) {
    cairo_region_t* r = RegionOfPath(p);
    HRESULT hr = PushCombined(r, mode);
    cairo_region_destroy(r);
    return hr;
  }
  // Intersections keep the path itself, so the clip edge is anti-aliased.
  Clip next = CopyClip(Top());
  cairo_t* cr = cairo_create(surface_);
  cairo_translate(cr, viewport_.x, viewport_.y);
  p->AppendTo(cr);
  cairo_identity_matrix(cr);
  next.paths.push_back(cairo_copy_path(cr));
  cairo_destroy(cr);
  clips_.push_back(next);
  return S_OK;
}

HRESULT RenderTarget::PopClip() {
  if (clips_.size() <= 1) return E_FAIL;
  FreeClip(clips_.back());
  clips_.pop_back();
  return S_OK;
}

HRESULT RenderTarget::SaveClip(int* cookie) {
  if (!cookie) return E_INVALIDARG;
  *cookie = (int)clips_.size();
  return S_OK;
}

HRESULT RenderTarget::RestoreClip(int cookie) {
  if (cookie < 1 || cookie > (int)clips_.size()) return E_INVALIDARG;
  while ((int)clips_.size() > cookie) PopClip();
  return S_OK;
}

HRESULT RenderTarget::GetClipBox(RECT* box) const {
  if (!box) return E_INVALIDARG;
  cairo_t* cr = Begin();
  double x0, y0, x1, y1;
  cairo_clip_extents(cr, &x0, &y0, &x1, &y1);
  cairo_destroy(cr);
  *box = RECT{(LONG)std::floor(x0), (LONG)std::floor(y0), (LONG)std::ceil(x1), (LONG)std::ceil(y1)};
  if (box->right < box->left || box->bottom < box->top) *box = RECT{0, 0, 0, 0};
  return S_OK;
}

HRESULT RenderTarget::GetClipRegion(IRegion** out) const {
  if (!out) return E_INVALIDARG;
  auto* r = new Region(factory_.get());
  cairo_region_t* copy = cairo_region_copy(Top().region);
  cairo_region_translate(copy, -viewport_.x, -viewport_.y);
  r->Combine(copy, kCombineCopy);
  cairo_region_destroy(copy);
  *out = r;
  return S_OK;
}

HRESULT RenderTarget::Clear(COLORREF color) {
  SIZE sz = GetSize();
  RECT all{-viewport_.x, -viewport_.y, sz.cx - viewport_.x, sz.cy - viewport_.y};
  return ClearRect(&all, color);
}

HRESULT RenderTarget::ClearRect(const RECT* rect, COLORREF color) {
  if (!rect) return E_INVALIDARG;
  cairo_t* cr = Begin();
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  SetSourceColor(cr, color);
  cairo_rectangle(cr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
  cairo_fill(cr);
  cairo_destroy(cr);
  return S_OK;
}

HRESULT RenderTarget::FillSolidRect(const RECT* rect, COLORREF color) {
  if (!rect) return E_INVALIDARG;
  if (IsNoColor(color)) return S_FALSE;
  cairo_t* cr = Begin();
  SetSourceColor(cr, color);
  cairo_rectangle(cr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
  cairo_fill(cr);
  cairo_destroy(cr);
  return S_OK;
}

HRESULT RenderTarget::BitBlt(const RECT* dst, IRenderTarget* src, int xSrc, int ySrc, DWORD rop) {
  if (!dst) return E_INVALIDARG;
  if (rop == kRopDstInvert) {
    RECT dev{dst->left + viewport_.x, dst->top + viewport_.y, dst->right + viewport_.x, dst->bottom + viewport_.y};
    GdiInvertPixels(surface_, dev, Top().region);
    return S_OK;
  }
  if (rop != kRopSrcCopy) return E_NOTIMPL;
  auto* s = dynamic_cast<RenderTarget*>(src);
  if (!s) return E_INVALIDARG;
  if (Empty(*dst)) return S_OK;
  int sx = xSrc + s->viewport_.x, sy = ySrc + s->viewport_.y;
  cairo_surface_t* source;
  if (s->surface_ == surface_) {
    RECT part{sx, sy, sx + dst->right - dst->left, sy + dst->bottom - dst->top};
    source = CopyPart(surface_, part);
    if (!source) return E_OUTOFMEMORY;
    sx = sy = 0;
  } else {
    source = cairo_surface_reference(s->surface_);
  }
  cairo_t* cr = Begin();
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, source, dst->left - sx, dst->top - sy);
  cairo_rectangle(cr, dst->left, dst->top, dst->right - dst->left, dst->bottom - dst->top);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(source);
  return S_OK;
}

HRESULT RenderTarget::AlphaBlend(const RECT* dst, IRenderTarget* src, const RECT* srcRect, BYTE alpha) {
  auto* s = dynamic_cast<RenderTarget*>(src);
  if (!dst || !s || !srcRect) return E_INVALIDARG;
  if (Empty(*dst) || Empty(*srcRect)) return S_OK;
  RECT dev{srcRect->left + s->viewport_.x, srcRect->top + s->viewport_.y, srcRect->right + s->viewport_.x,
           srcRect->bottom + s->viewport_.y};
  // As GDI's AlphaBlend, a source part outside the source is refused.
  const SIZE size = s->GetSize();
  if (dev.left < 0 || dev.top < 0 || dev.right > size.cx || dev.bottom > size.cy) return E_INVALIDARG;
  cairo_t* cr = Begin();
  HRESULT hr = DrawPart(cr, s->surface_, dev, *dst, EM_STRETCH, kFilterMedium, alpha);
  cairo_destroy(cr);
  return hr;
}

HRESULT RenderTarget::DrawText(LPCWSTR text, int len, RECT* rect, UINT format) {
  if (!text || !rect) return E_INVALIDARG;
  auto* font = static_cast<Font*>(font_.get());
  GdiTextFont tf = font->TextFont();
  if (format & DT_CALCRECT) {
    GdiDrawTextCairo(nullptr, tf, text, len, rect, format, nullptr);
    return S_OK;
  }
  if (IsNoColor(textColor_)) return S_FALSE;
  double rgba[4] = {(textColor_ & 0xFF) / 255.0, ((textColor_ >> 8) & 0xFF) / 255.0,
                    ((textColor_ >> 16) & 0xFF) / 255.0, (textColor_ >> 24) / 255.0};
  cairo_t* cr = Begin();
  GdiDrawTextCairo(cr, tf, text, len, rect, format, rgba);
  cairo_destroy(cr);
  return S_OK;
}

HRESULT RenderTarget::MeasureText(LPCWSTR text, int len, SIZE* size) {
  if (!text || !size) return E_INVALIDARG;
  *size = GdiMeasureTextRun(static_cast<Font*>(font_.get())->TextFont(), text, len);
  return S_OK;
}

COLORREF RenderTarget::SetTextColor(COLORREF color) {
  COLORREF old = textColor_;
  textColor_ = color;
  return old;
}

HRESULT RenderTarget::SelectObject(IRenderObj* obj, IRenderObj** old) {
  if (!obj) return E_INVALIDARG;
  RefPtr<IRenderObj>* slot = nullptr;
  switch (obj->ObjectType()) {
    case OT_PEN: slot = &pen_; break;
    case OT_BRUSH: slot = &brush_; break;
    case OT_FONT: slot = &font_; break;
    default: return E_INVALIDARG;
  }
  // Only this plug-in's own objects can be drawn with.
  if (!dynamic_cast<Pen*>(obj) && !dynamic_cast<Brush*>(obj) && !dynamic_cast<Font*>(obj)) return E_INVALIDARG;
  if (old) *old = slot->get();
  slot->Reset(obj);
  return S_OK;
}

HRESULT RenderTarget::SelectDefaultObject(RenderObjType type, IRenderObj** old) {
  switch (type) {
    case OT_PEN: return SelectObject(defPen_.get(), old);
    case OT_BRUSH: return SelectObject(defBrush_.get(), old);
    case OT_FONT: return SelectObject(defFont_.get(), old);
    default: return E_INVALIDARG;
  }
}

IRenderObj* RenderTarget::GetCurrentObject(RenderObjType type) const {
  switch (type) {
    case OT_PEN: return pen_.get();
    case OT_BRUSH: return brush_.get();
    case OT_FONT: return font_.get();
    default: return nullptr;
  }
}

HRESULT RenderTarget::CreatePen(int style, COLORREF color, int width, IPen** out) {
  if (!out) return E_INVALIDARG;
  *out = new Pen(factory_.get(), style, color, width);
  return S_OK;
}

HRESULT RenderTarget::CreateSolidColorBrush(COLORREF color, IBrush** out) {
  if (!out) return E_INVALIDARG;
  *out = new Brush(factory_.get(), color);
  return S_OK;
}

HRESULT RenderTarget::DrawPart(cairo_t* cr, cairo_surface_t* src, const RECT& s, const RECT& d, UINT mode,
                               UINT filter, BYTE alpha) {
  if (Empty(s) || Empty(d)) return S_OK;
  const int sw = s.right - s.left, sh = s.bottom - s.top;
  const int dw = d.right - d.left, dh = d.bottom - d.top;
  // The part is cut out first so stretching and tiling never reach into the
  // neighbouring cells of a skin image.
  bool whole = s.left == 0 && s.top == 0 && sw == cairo_image_surface_get_width(src) &&
               sh == cairo_image_surface_get_height(src);
  cairo_surface_t* part = whole ? cairo_surface_reference(src) : CopyPart(src, s);
  if (!part) return E_OUTOFMEMORY;
  cairo_save(cr);
  cairo_rectangle(cr, d.left, d.top, dw, dh);
  cairo_clip(cr);
  cairo_translate(cr, d.left, d.top);
  cairo_pattern_t* pat = cairo_pattern_create_for_surface(part);
  if (mode == EM_STRETCH && (sw != dw || sh != dh)) {
    cairo_scale(cr, (double)dw / sw, (double)dh / sh);
    cairo_pattern_set_extend(pat, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pat, FilterFor(filter));
  } else {
    cairo_pattern_set_extend(pat, mode == EM_TILE ? CAIRO_EXTEND_REPEAT : CAIRO_EXTEND_NONE);
    cairo_pattern_set_filter(pat, CAIRO_FILTER_NEAREST);
  }
  cairo_set_source(cr, pat);
  cairo_paint_with_alpha(cr, alpha / 255.0);
  cairo_pattern_destroy(pat);
  cairo_restore(cr);
  cairo_surface_destroy(part);
  return S_OK;
}

HRESULT RenderTarget::DrawBitmap(const RECT* dst, const IBitmap* bmp, int xSrc, int ySrc, BYTE alpha) {
  if (!dst) return E_INVALIDARG;
  RECT src{xSrc, ySrc, xSrc + dst->right - dst->left, ySrc + dst->bottom - dst->top};
  return DrawBitmapEx(dst, bmp, &src, EM_NULL, alpha);
}

HRESULT RenderTarget::DrawBitmapEx(const RECT* dst, const IBitmap* bmp, const RECT* src, UINT expandMode,
                                   BYTE alpha) {
  auto* b = dynamic_cast<const Bitmap*>(bmp);
  if (!dst || !b) return E_INVALIDARG;
  if (!b->surface()) return S_FALSE;
  RECT s = ClampToBitmap(src, *b);
  cairo_t* cr = Begin();
  HRESULT hr = DrawPart(cr, b->surface(), s, *dst, expandMode & 0xFFFF, expandMode >> 16, alpha);
  cairo_destroy(cr);
  return hr;
}

HRESULT RenderTarget::DrawBitmap9Patch(const RECT* dst, const IBitmap* bmp, const RECT* src, const RECT* margins,
                                       UINT expandMode, BYTE alpha) {
  auto* b = dynamic_cast<const Bitmap*>(bmp);
  if (!dst || !b || !margins) return E_INVALIDARG;
  if (!b->surface()) return S_FALSE;
  RECT s = ClampToBitmap(src, *b);
  UINT mode = expandMode & 0xFFFF;
  if (mode == EM_NULL) mode = EM_STRETCH;
  const UINT filter = expandMode >> 16;
  // Margins keep their size unless the destination is too small for both,
  // then they shrink in proportion.
  auto fit = [](LONG a, LONG b, LONG room, LONG* fa, LONG* fb) {
    if (a + b <= room || a + b == 0) {
      *fa = a;
      *fb = b;
    } else {
      *fa = room * a / (a + b);
      *fb = room - *fa;
    }
  };
  LONG dl, dr, dt, db;
  fit(margins->left, margins->right, dst->right - dst->left, &dl, &dr);
  fit(margins->top, margins->bottom, dst->bottom - dst->top, &dt, &db);
  const LONG sx[4] = {s.left, s.left + margins->left, s.right - margins->right, s.right};
  const LONG sy[4] = {s.top, s.top + margins->top, s.bottom - margins->bottom, s.bottom};
  const LONG dx[4] = {dst->left, dst->left + dl, dst->right - dr, dst->right};
  const LONG dy[4] = {dst->top, dst->top + dt, dst->bottom - db, dst->bottom};
  cairo_t* cr = Begin();
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) {
      RECT sc{sx[i], sy[j], sx[i + 1], sy[j + 1]};
      RECT dc{dx[i], dy[j], dx[i + 1], dy[j + 1]};
      bool corner = i != 1 && j != 1;
      DrawPart(cr, b->surface(), sc, dc, corner ? (UINT)EM_STRETCH : mode, filter, alpha);
    }
  cairo_destroy(cr);
  return S_OK;
}

void RenderTarget::FillPath(cairo_t* cr, COLORREF color) {
  SetSourceColor(cr, color);
  cairo_fill(cr);
}

HRESULT RenderTarget::FillRectangle(const RECT* rect) {
  if (!rect) return E_INVALIDARG;
  return FillSolidRect(rect, static_cast<Brush*>(brush_.get())->GetColor());
}

HRESULT RenderTarget::FillRoundRect(const RECT* rect, POINT radius) {
  return FillSolidRoundRect(rect, radius, static_cast<Brush*>(brush_.get())->GetColor());
}

HRESULT RenderTarget::FillSolidRoundRect(const RECT* rect, POINT radius, COLORREF color) {
  if (!rect) return E_INVALIDARG;
  if (IsNoColor(color)) return S_FALSE;
  cairo_t* cr = Begin();
  GdiRoundRectPath(cr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, radius.x, radius.y);
  FillPath(cr, color);
  cairo_destroy(cr);
  return S_OK;
}

HRESULT RenderTarget::FillEllipse(const RECT* rect) {
  if (!rect) return E_INVALIDARG;
  COLORREF color = static_cast<Brush*>(brush_.get())->GetColor();
  if (IsNoColor(color)) return S_FALSE;
  cairo_t* cr = Begin();
  GdiEllipsePath(cr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
  FillPath(cr, color);
  cairo_destroy(cr);
  return S_OK;
}

bool RenderTarget::StrokeSetup(cairo_t* cr, double* inset) {
  auto* pen = static_cast<Pen*>(pen_.get());
  if (pen->GetStyle() == PS_NULL || IsNoColor(pen->GetColor())) return false;
  SetSourceColor(cr, pen->GetColor());
  GdiApplyPenStyle(cr, pen->GetStyle(), pen->GetWidth());
  *inset = pen->GetWidth() / 2.0;
  return true;
}

HRESULT RenderTarget::DrawRectangle(const RECT* rect) {
  if (!rect) return E_INVALIDARG;
  cairo_t* cr = Begin();
  double in;
  if (StrokeSetup(cr, &in)) {
    // The outline lies inside the rectangle, as GDI draws it.
    cairo_rectangle(cr, rect->left + in, rect->top + in, rect->right - rect->left - 2 * in,
                    rect->bottom - rect->top - 2 * in);
    cairo_stroke(cr);
  }
  cairo_destroy(cr);
  return S_OK;
}

HRESULT RenderTarget::DrawRoundRect(const RECT* rect, POINT radius) {
  if (!rect) return E_INVALIDARG;
  cairo_t* cr = Begin();
  double in;
  if (StrokeSetup(cr, &in)) {
    GdiRoundRectPath(cr, rect->left + in, rect->top + in, rect->right - rect->left - 2 * in,
                  rect->bottom - rect->top - 2 * in, radius.x, radius.y);
    cairo_stroke(cr);
  }
  cairo_destroy(cr);
  return S_OK;
}

HRESULT RenderTarget::DrawEllipse(const RECT* rect) {
  if (!rect) return E_INVALIDARG;
  cairo_t* cr = Begin();
  double in;
  if (StrokeSetup(cr, &in)) {
    GdiEllipsePath(cr, rect->left + in, rect->top + in, rect->right - rect->left - 2 * in,
                rect->bottom - rect->top - 2 * in);
    cairo_stroke(cr);
  }
  cairo_destroy(cr);
  return S_OK;
}

HRESULT RenderTarget::DrawArc(const RECT* rect, float startAngle, float sweepAngle, BOOL useCenter) {
  if (!rect) return E_INVALIDARG;
  double w = rect->right - rect->left, h = rect->bottom - rect->top;
  if (w <= 0 || h <= 0) return S_OK;
  cairo_t* cr = Begin();
  double in;
  if (StrokeSetup(cr, &in)) {
    double cx = rect->left + w / 2, cy = rect->top + h / 2;
    double a0 = startAngle * M_PI / 180, a1 = (startAngle + sweepAngle) * M_PI / 180;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, w / 2, h / 2);
    if (sweepAngle >= 0)
      cairo_arc(cr, 0, 0, 1, a0, a1);
    else
      cairo_arc_negative(cr, 0, 0, 1, a0, a1);
    if (useCenter) {
      cairo_line_to(cr, 0, 0);
      cairo_close_path(cr);
    }
    cairo_restore(cr);
    cairo_stroke(cr);
  }
  cairo_destroy(cr);
  return S_OK;
}

HRESULT RenderTarget::DrawLines(const POINT* pts, size_t count) {
  if (!pts || count < 2) return E_INVALIDARG;
  cairo_t* cr = Begin();
  double in;
  if (StrokeSetup(cr, &in)) {
    // Odd widths sit on pixel centres so one-pixel lines stay crisp.
    double off = (static_cast<Pen*>(pen_.get())->GetWidth() % 2) ? 0.5 : 0;
    cairo_move_to(cr, pts[0].x + off, pts[0].y + off);
    for (size_t i = 1; i < count; ++i) cairo_line_to(cr, pts[i].x + off, pts[i].y + off);
    cairo_stroke(cr);
  }
  cairo_destroy(cr);
  return S_OK;
}

HRESULT RenderTarget::GradientFill(const RECT* rect, BOOL vertical, COLORREF from, COLORREF to, BYTE alpha) {
  if (!rect) return E_INVALIDARG;
  if (Empty(*rect)) return S_OK;
  cairo_pattern_t* p = vertical ? cairo_pattern_create_linear(0, rect->top, 0, rect->bottom)
                                : cairo_pattern_create_linear(rect->left, 0, rect->right, 0);
  AddStop(p, 0, from, alpha);
  AddStop(p, 1, to, alpha);
  cairo_t* cr = Begin();
  cairo_set_source(cr, p);
  cairo_rectangle(cr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_pattern_destroy(p);
  return S_OK;
}

HRESULT RenderTarget::DrawGradient(const RECT* rect, int type, COLORREF start, COLORREF center, COLORREF end,
                                   float angle, float centerX, float centerY, int radius, BYTE alpha) {
  if (!rect) return E_INVALIDARG;
  if (Empty(*rect)) return S_OK;
  // An unset colour (the "no colour" word) takes its neighbour's place.
  bool hasCenter = !IsNoColor(center);
  if (IsNoColor(start)) start = hasCenter ? center : end;
  if (IsNoColor(end)) end = hasCenter ? center : start;
  const double w = rect->right - rect->left, h = rect->bottom - rect->top;
  const double cx = rect->left + centerX * w, cy = rect->top + centerY * h;
  const double reach = std::hypot(std::max(cx - rect->left, rect->right - cx), std::max(cy - rect->top, rect->bottom - cy));
  cairo_pattern_t* p = nullptr;
  if (type == kGradientLinear || type == kGradientRadial) {
    if (type == kGradientLinear) {
      double a = angle * M_PI / 180, dx = std::cos(a), dy = std::sin(a);
      double half = (std::fabs(w * dx) + std::fabs(h * dy)) / 2;
      double mx = rect->left + w / 2, my = rect->top + h / 2;
      p = cairo_pattern_create_linear(mx - dx * half, my - dy * half, mx + dx * half, my + dy * half);
    } else {
      p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, radius > 0 ? radius : reach);
    }
    AddStop(p, 0, start, alpha);
    if (hasCenter) AddStop(p, 0.5, center, alpha);
    AddStop(p, 1, end, alpha);
  } else if (type == kGradientSweep) {
    // Cairo has no conic gradient: a fan of mesh patches around the centre,
    // each coloured by its angle.
    p = cairo_pattern_create_mesh();
    const int slices = 90;
    const double R = reach + 2;
    auto colorAt = [&](double t, double out[4]) {
      if (!hasCenter) {
        MixColor(start, end, t, out);
      } else if (t < 0.5) {
        MixColor(start, center, t * 2, out);
      } else {
        MixColor(center, end, (t - 0.5) * 2, out);
      }
      out[3] *= alpha / 255.0;
    };
    for (int i = 0; i < slices; ++i) {
      double t0 = (double)i / slices, t1 = (double)(i + 1) / slices;
      double a0 = angle * M_PI / 180 + t0 * 2 * M_PI, a1 = angle * M_PI / 180 + t1 * 2 * M_PI;
      double c0[4], c1[4];
      colorAt(t0, c0);
      colorAt(t1, c1);
      cairo_mesh_pattern_begin_patch(p);
      cairo_mesh_pattern_move_to(p, cx, cy);
      cairo_mesh_pattern_line_to(p, cx + R * std::cos(a0), cy + R * std::sin(a0));
      cairo_mesh_pattern_line_to(p, cx + R * std::cos(a1), cy + R * std::sin(a1));
      cairo_mesh_pattern_line_to(p, cx, cy);
      cairo_mesh_pattern_set_corner_color_rgba(p, 0, c0[0], c0[1], c0[2], c0[3]);
      cairo_mesh_pattern_set_corner_color_rgba(p, 1, c0[0], c0[1], c0[2], c0[3]);
      cairo_mesh_pattern_set_corner_color_rgba(p, 2, c1[0], c1[1], c1[2], c1[3]);
      cairo_mesh_pattern_set_corner_color_rgba(p, 3, c1[0], c1[1], c1[2], c1[3]);
      cairo_mesh_pattern_end_patch(p);
    }
  } else {
    return E_INVALIDARG;
  }
  cairo_t* cr = Begin();
  cairo_set_source(cr, p);
  cairo_rectangle(cr, rect->left, rect->top, w, h);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_pattern_destroy(p);
  return S_OK;
}

HRESULT RenderTarget::DrawIconEx(int x, int y, HICON icon, int cx, int cy, UINT flags) {
  cairo_surface_t* picture = GdiSurfaceOfIcon(icon);
  if (!picture) return E_INVALIDARG;
  if (!(flags & DI_IMAGE)) return S_OK;
  const int w = cairo_image_surface_get_width(picture), h = cairo_image_surface_get_height(picture);
  RECT src{0, 0, w, h};
  RECT dst{x, y, x + (cx > 0 ? cx : w), y + (cy > 0 ? cy : h)};
  cairo_t* cr = Begin();
  HRESULT hr = DrawPart(cr, picture, src, dst, EM_STRETCH, kFilterMedium, 255);
  cairo_destroy(cr);
  return hr;
}

HDC RenderTarget::GetDC(UINT) {
  HDC dc = GdiCreateSurfaceDC(surface_);
  if (!dc) return nullptr;
  SetViewportOrgEx(dc, viewport_.x, viewport_.y, nullptr);
  // The DC sees the target's clip (its pixel region).
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  for (int i = 0, n = cairo_region_num_rectangles(Top().region); i < n; ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(Top().region, i, &r);
    HRGN part = CreateRectRgn(r.x, r.y, r.x + r.width, r.y + r.height);
    CombineRgn(clip, clip, part, RGN_OR);
    DeleteObject(part);
  }
  SelectClipRgn(dc, clip);
  DeleteObject(clip);
  HFONT font = CreateFontIndirectW(static_cast<Font*>(font_.get())->LogFont());
  ::SelectObject(dc, font);
  ::SetTextColor(dc, RGB(textColor_ & 0xFF, (textColor_ >> 8) & 0xFF, (textColor_ >> 16) & 0xFF));
  SetBkMode(dc, TRANSPARENT);
  dcs_.push_back({dc, font});
  return dc;
}

void RenderTarget::ReleaseDC(HDC hdc) {
  auto it = std::find_if(dcs_.begin(), dcs_.end(), [hdc](const auto& e) { return e.first == hdc; });
  if (it == dcs_.end()) return;
  HFONT font = it->second;
  dcs_.erase(it);
  DeleteDC(hdc);
  DeleteObject(font);
  cairo_surface_mark_dirty(surface_);
}
