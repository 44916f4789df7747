#include <mutex>
#include <unordered_set>

#include "GdiObjects.h"
#include "gdi/GdiCairo.h"

namespace {

std::mutex& RegistryMutex() {
  static std::mutex m;
  return m;
}
std::unordered_set<const void*>& Registry() {
  static std::unordered_set<const void*> live;
  return live;
}

GdiBrush* MakeStockBrush(COLORREF c, bool hollow) {
  auto* b = new GdiBrush;
  b->color = c;
  b->hollow = hollow;
  b->stock = true;
  GdiRegister(b);
  return b;
}

GdiPen* MakeStockPen(COLORREF c, int style) {
  auto* p = new GdiPen;
  p->color = c;
  p->style = style;
  p->stock = true;
  GdiRegister(p);
  return p;
}

}  // namespace

GdiBitmap::~GdiBitmap() {
  if (surface) cairo_surface_destroy(surface);
}

GdiFont::~GdiFont() {
  if (desc) pango_font_description_free(desc);
}

GdiRegion::~GdiRegion() {
  if (region) cairo_region_destroy(region);
}

GdiDC::~GdiDC() {
  if (ownSurface) cairo_surface_destroy(ownSurface);
  if (clip) cairo_region_destroy(clip);
}

void GdiRegister(GdiObject* obj) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Registry().insert(obj);
}

void GdiUnregister(GdiObject* obj) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Registry().erase(obj);
}

GdiObject* GdiLookup(const void* handle, DWORD type) {
  if (!handle) return nullptr;
  std::lock_guard<std::mutex> lock(RegistryMutex());
  if (!Registry().count(handle)) return nullptr;
  auto* obj = static_cast<GdiObject*>(const_cast<void*>(handle));
  if (type && obj->type != type) return nullptr;
  return obj;
}

GdiDC* GdiDCOf(HDC hdc) { return GdiAs<GdiDC>(hdc, OBJ_DC); }

HGDIOBJ GetStockObject(int index) {
  static GdiBrush* brushes[6] = {
      MakeStockBrush(RGB(255, 255, 255), false), MakeStockBrush(RGB(192, 192, 192), false),
      MakeStockBrush(RGB(128, 128, 128), false), MakeStockBrush(RGB(64, 64, 64), false),
      MakeStockBrush(RGB(0, 0, 0), false),       MakeStockBrush(0, true)};
  static GdiPen* pens[3] = {MakeStockPen(RGB(255, 255, 255), PS_SOLID), MakeStockPen(0, PS_SOLID),
                            MakeStockPen(0, PS_NULL)};
  if (index >= WHITE_BRUSH && index <= NULL_BRUSH) return brushes[index];
  if (index >= WHITE_PEN && index <= NULL_PEN) return pens[index - WHITE_PEN];
  if (index == SYSTEM_FONT || index == DEFAULT_GUI_FONT) return GdiStockFont();
  return nullptr;
}

DWORD GetObjectType(HGDIOBJ obj) {
  GdiObject* o = GdiLookup(obj);
  if (!o || o->type == kGdiIconType) return 0;
  if (o->type == OBJ_DC && static_cast<GdiDC*>(o)->defaultBitmap) return OBJ_MEMDC;
  return o->type;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto* b = new GdiBrush;
  b->color = color & 0xFFFFFF;
  GdiRegister(b);
  return reinterpret_cast<HBRUSH>(b);
}

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style < PS_SOLID || style > PS_NULL) return nullptr;
  auto* p = new GdiPen;
  p->style = style;
  p->width = width < 1 ? 1 : width;
  p->color = color & 0xFFFFFF;
  GdiRegister(p);
  return reinterpret_cast<HPEN>(p);
}

BOOL DeleteObject(HGDIOBJ obj) {
  GdiObject* o = GdiLookup(obj);
  if (!o || o->type == OBJ_DC || o->type == kGdiIconType) return FALSE;
  if (o->stock) return TRUE;
  // GDI keeps an object that is still selected into a DC alive.
  if (o->selectedIn > 0) return FALSE;
  GdiUnregister(o);
  delete o;
  return TRUE;
}

int GetObjectW(HGDIOBJ obj, int size, LPVOID out) {
  GdiObject* o = GdiLookup(obj);
  if (!o) return 0;
  if (o->type == OBJ_BITMAP) {
    if (!out) return sizeof(BITMAP);
    if (size < (int)sizeof(BITMAP)) return 0;
    auto* b = static_cast<GdiBitmap*>(o);
    BITMAP bm{};
    bm.bmWidth = cairo_image_surface_get_width(b->surface);
    bm.bmHeight = cairo_image_surface_get_height(b->surface);
    bm.bmWidthBytes = cairo_image_surface_get_stride(b->surface);
    bm.bmPlanes = 1;
    bm.bmBitsPixel = 32;
    cairo_surface_flush(b->surface);
    bm.bmBits = cairo_image_surface_get_data(b->surface);
    *static_cast<BITMAP*>(out) = bm;
    return sizeof(BITMAP);
  }
  if (o->type == OBJ_FONT) {
    if (!out) return sizeof(LOGFONTW);
    if (size < (int)sizeof(LOGFONTW)) return 0;
    *static_cast<LOGFONTW*>(out) = static_cast<GdiFont*>(o)->lf;
    return sizeof(LOGFONTW);
  }
  if (o->type == OBJ_BRUSH) {
    if (!out) return sizeof(LOGBRUSH);
    if (size < (int)sizeof(LOGBRUSH)) return 0;
    auto* b = static_cast<GdiBrush*>(o);
    *static_cast<LOGBRUSH*>(out) = LOGBRUSH{b->hollow ? 1u : 0u, b->color, 0};
    return sizeof(LOGBRUSH);
  }
  return 0;
}

DWORD GetSysColor(int index) {
  switch (index) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_MENUTEXT: return RGB(0, 0, 0);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT: return RGB(0, 120, 215);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_BTNFACE: return RGB(240, 240, 240);
    case COLOR_GRAYTEXT: return RGB(109, 109, 109);
    case COLOR_INFOTEXT: return RGB(0, 0, 0);
    case COLOR_INFOBK: return RGB(255, 255, 225);
    default: return 0;
  }
}

HBRUSH GetSysColorBrush(int index) {
  static std::mutex m;
  static GdiBrush* cache[32] = {};
  if (index < 0 || index >= 32) return nullptr;
  std::lock_guard<std::mutex> lock(m);
  if (!cache[index]) cache[index] = MakeStockBrush(GetSysColor(index), false);
  return reinterpret_cast<HBRUSH>(cache[index]);
}

void GdiSetSourceColorRef(cairo_t* cr, COLORREF c) {
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}
