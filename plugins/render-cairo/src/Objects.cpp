#include "Objects.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "crt/utf8.h"
#include "gdiplus/ImageDecode.h"

namespace {

cairo_rectangle_int_t ToCairo(const RECT& rc) {
  return cairo_rectangle_int_t{rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
}

}  // namespace

bool IsNoColor(COLORREF color) { return color == kRenderNoColor; }

void SetSourceColor(cairo_t* cr, COLORREF c, BYTE alpha) {
  double a = (c >> 24) / 255.0 * (alpha / 255.0);
  cairo_set_source_rgba(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0, a);
}

cairo_filter_t FilterFor(UINT level) {
  switch (level) {
    case kFilterNone: return CAIRO_FILTER_NEAREST;
    case kFilterLow: return CAIRO_FILTER_FAST;
    case kFilterMedium: return CAIRO_FILTER_GOOD;
    default: return CAIRO_FILTER_BEST;
  }
}

// --- Font

Font::Font(IRenderFactory* f, const LOGFONTW& lf) : RenderObj(f), lf_(lf) {
  lf_.lfFaceName[LF_FACESIZE - 1] = 0;
  desc_ = GdiFontDescriptionFromLogFont(lf_);
}

Font::~Font() { pango_font_description_free(desc_); }

// --- Region

void Region::CombineRect(const RECT* rect, int mode) {
  if (!rect) return;
  cairo_rectangle_int_t c = ToCairo(*rect);
  if (c.width < 0 || c.height < 0) c.width = c.height = 0;
  cairo_region_t* r = cairo_region_create_rectangle(&c);
  Combine(r, mode);
  cairo_region_destroy(r);
}

void Region::CombineEllipse(const RECT* rect, int mode) {
  if (!rect) return;
  cairo_region_t* r = GdiMakeEllipseRegion(*rect);
  Combine(r, mode);
  cairo_region_destroy(r);
}

void Region::CombineRoundRect(const RECT* rect, POINT radius, int mode) {
  if (!rect) return;
  cairo_region_t* r = GdiMakeRoundRectRegion(*rect, radius.x * 2, radius.y * 2);
  Combine(r, mode);
  cairo_region_destroy(r);
}

void Region::CombineRegion(const IRegion* other, int mode) {
  auto* o = dynamic_cast<const Region*>(other);
  if (o) Combine(o->region(), mode);
}

void Region::CombineRgn(HRGN rgn, int mode) {
  const cairo_region_t* r = GdiRegionOf(rgn);
  if (r) Combine(r, mode);
}

BOOL Region::PtInRegion(POINT pt) const { return cairo_region_contains_point(rgn_, pt.x, pt.y); }

BOOL Region::RectInRegion(const RECT* rect) const {
  if (!rect) return FALSE;
  cairo_rectangle_int_t c = ToCairo(*rect);
  return cairo_region_contains_rectangle(rgn_, &c) != CAIRO_REGION_OVERLAP_OUT;
}

void Region::GetRgnBox(RECT* box) const {
  if (!box) return;
  cairo_rectangle_int_t e;
  cairo_region_get_extents(rgn_, &e);
  *box = RECT{e.x, e.y, e.x + e.width, e.y + e.height};
}

void Region::Clear() {
  cairo_region_destroy(rgn_);
  rgn_ = cairo_region_create();
}

// --- Path

void Path::AddRoundRect(const RECT* rect, float rx, float ry, int) {
  if (rect) figures_.push_back({1, *rect, rx, ry});
}

void Path::AddOval(const RECT* rect, int) {
  if (rect) figures_.push_back({2, *rect, 0, 0});
}

void Path::AddRect(const RECT* rect, int) {
  if (rect) figures_.push_back({0, *rect, 0, 0});
}

void Path::GetBounds(RECT* box) const {
  if (!box) return;
  *box = RECT{0, 0, 0, 0};
  bool first = true;
  for (const Figure& f : figures_) {
    if (first) {
      *box = f.rc;
      first = false;
      continue;
    }
    box->left = std::min(box->left, f.rc.left);
    box->top = std::min(box->top, f.rc.top);
    box->right = std::max(box->right, f.rc.right);
    box->bottom = std::max(box->bottom, f.rc.bottom);
  }
}

void Path::AppendTo(cairo_t* cr) const {
  for (const Figure& f : figures_) {
    double x = f.rc.left, y = f.rc.top, w = f.rc.right - f.rc.left, h = f.rc.bottom - f.rc.top;
    if (w <= 0 || h <= 0) continue;
    cairo_new_sub_path(cr);
    if (f.kind == 0) {
      cairo_rectangle(cr, x, y, w, h);
    } else if (f.kind == 2) {
      GdiEllipsePath(cr, x, y, w, h);
    } else {
      GdiRoundRectPath(cr, x, y, w, h, f.rx, f.ry);
    }
  }
}

// --- Bitmap

Bitmap::~Bitmap() {
  if (surface_) cairo_surface_destroy(surface_);
}

HRESULT Bitmap::Init(int width, int height, const void* bits) {
  if (width < 0 || height < 0) return E_INVALIDARG;
  cairo_surface_t* s = GdiSurfaceFromPixels(width, height, bits);
  if (!s) return E_OUTOFMEMORY;
  if (surface_) cairo_surface_destroy(surface_);
  surface_ = s;
  return S_OK;
}

HRESULT Bitmap::TakeFrame(IImgX* img) {
  const IImgFrame* f = img->Frame(0);
  if (!f) return E_FAIL;
  return Init((int)f->Width(), (int)f->Height(), f->Pixels());
}

HRESULT Bitmap::LoadFromFile(LPCWSTR path) {
  if (!path) return E_INVALIDARG;
  if (IImgDecoderFactory* dec = GetRenderFactory()->GetImgDecoderFactory()) {
    IImgX* img = nullptr;
    if (!dec->CreateImgX(&img) || !img) return E_FAIL;
    HRESULT hr = img->LoadFromFile(path) > 0 ? TakeFrame(img) : E_FAIL;
    img->Release();
    return hr;
  }
  // Without a decoder plug-in the bitmap decodes through gdk-pixbuf itself.
  DecodedImage d;
  std::string why;
  if (!DecodeImageFile(crt::WideToUtf8(path), &d, &why)) return E_FAIL;
  return Init(d.frames[0].width, d.frames[0].height, d.frames[0].pixels.data());
}

HRESULT Bitmap::LoadFromMemory(const void* data, size_t size) {
  if (!data || !size) return E_INVALIDARG;
  if (IImgDecoderFactory* dec = GetRenderFactory()->GetImgDecoderFactory()) {
    IImgX* img = nullptr;
    if (!dec->CreateImgX(&img) || !img) return E_FAIL;
    HRESULT hr = img->LoadFromMemory(data, size) > 0 ? TakeFrame(img) : E_FAIL;
    img->Release();
    return hr;
  }
  DecodedImage d;
  std::string why;
  if (!DecodeImageBytes(data, size, &d, &why)) return E_FAIL;
  return Init(d.frames[0].width, d.frames[0].height, d.frames[0].pixels.data());
}

UINT Bitmap::Width() const { return surface_ ? cairo_image_surface_get_width(surface_) : 0; }
UINT Bitmap::Height() const { return surface_ ? cairo_image_surface_get_height(surface_) : 0; }

void* Bitmap::LockPixelBits() {
  if (!surface_ || Width() == 0 || Height() == 0) return nullptr;
  cairo_surface_flush(surface_);
  return cairo_image_surface_get_data(surface_);
}

void Bitmap::UnlockPixelBits(void* bits) {
  if (surface_ && bits) cairo_surface_mark_dirty(surface_);
}

const void* Bitmap::GetPixelBits() const {
  if (!surface_ || Width() == 0 || Height() == 0) return nullptr;
  cairo_surface_flush(surface_);
  return cairo_image_surface_get_data(surface_);
}

HRESULT Bitmap::Clone(IBitmap** out) const {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  auto* b = new Bitmap(GetRenderFactory());
  HRESULT hr = b->Init((int)Width(), (int)Height(), GetPixelBits());
  if (FAILED(hr)) {
    b->Release();
    return hr;
  }
  *out = b;
  return S_OK;
}

HRESULT Bitmap::Scale(IBitmap** out, int width, int height, UINT filter) const {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (!surface_ || width <= 0 || height <= 0 || Width() == 0 || Height() == 0) return E_INVALIDARG;
  auto* b = new Bitmap(GetRenderFactory());
  HRESULT hr = b->Init(width, height, nullptr);
  if (FAILED(hr)) {
    b->Release();
    return hr;
  }
  cairo_t* cr = cairo_create(b->surface());
  cairo_scale(cr, (double)width / Width(), (double)height / Height());
  cairo_set_source_surface(cr, surface_, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), FilterFor(filter));
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
  *out = b;
  return S_OK;
}
