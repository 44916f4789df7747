#include <cstring>

#include "GdiObjects.h"
#include "gdi/GdiCairo.h"

namespace {

GdiBitmap* NewBitmap(int w, int h) {
  if (w < 0 || h < 0) return nullptr;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  auto* b = new GdiBitmap;
  b->surface = s;
  GdiRegister(b);
  return b;
}

void Select(GdiObject*& slot, GdiObject* next) {
  if (slot) slot->selectedIn--;
  slot = next;
  if (slot) slot->selectedIn++;
}

}  // namespace

HDC CreateCompatibleDC(HDC) {
  auto* dc = new GdiDC;
  // A memory DC starts with a 1x1 bitmap, as GDI's does, so drawing before a
  // bitmap is selected has somewhere harmless to go.
  dc->defaultBitmap = NewBitmap(1, 1);
  dc->defaultBitmap->stock = true;
  dc->bitmap = dc->defaultBitmap;
  dc->bitmap->selectedIn++;
  dc->font = GdiStockFont();
  dc->brush = static_cast<GdiBrush*>(GetStockObject(WHITE_BRUSH));
  dc->pen = static_cast<GdiPen*>(GetStockObject(BLACK_PEN));
  GdiRegister(dc);
  return reinterpret_cast<HDC>(dc);
}

HDC GdiCreateSurfaceDC(cairo_surface_t* surface) {
  if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return nullptr;
  auto* dc = new GdiDC;
  dc->ownSurface = cairo_surface_reference(surface);
  dc->font = GdiStockFont();
  dc->brush = static_cast<GdiBrush*>(GetStockObject(WHITE_BRUSH));
  dc->pen = static_cast<GdiPen*>(GetStockObject(BLACK_PEN));
  GdiRegister(dc);
  return reinterpret_cast<HDC>(dc);
}

BOOL DeleteDC(HDC hdc) {
  GdiDC* dc = GdiDCOf(hdc);
  if (!dc) return FALSE;
  GdiUnregister(dc);
  if (dc->bitmap) dc->bitmap->selectedIn--;
  if (dc->font) dc->font->selectedIn--;
  if (dc->brush) dc->brush->selectedIn--;
  if (dc->pen) dc->pen->selectedIn--;
  if (dc->defaultBitmap) {
    GdiUnregister(dc->defaultBitmap);
    delete dc->defaultBitmap;
  }
  delete dc;
  return TRUE;
}

cairo_surface_t* GdiTargetOf(GdiDC* dc) {
  if (dc->ownSurface) return dc->ownSurface;
  return dc->bitmap ? dc->bitmap->surface : nullptr;
}

cairo_surface_t* GdiSurfaceOfDC(HDC hdc) {
  GdiDC* dc = GdiDCOf(hdc);
  return dc ? GdiTargetOf(dc) : nullptr;
}

cairo_surface_t* GdiSurfaceOfBitmap(HBITMAP bitmap) {
  auto* b = GdiAs<GdiBitmap>(bitmap, OBJ_BITMAP);
  return b ? b->surface : nullptr;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  GdiDC* dc = GdiDCOf(hdc);
  GdiObject* o = GdiLookup(obj);
  if (!dc || !o) return nullptr;
  GdiObject* old = nullptr;
  switch (o->type) {
    case OBJ_BITMAP:
      // Only memory DCs take bitmaps; one bitmap lives in one DC at a time.
      if (dc->ownSurface) return nullptr;
      if (o->selectedIn > 0 && o != dc->bitmap) return nullptr;
      // A memory DC's first bitmap is deleted with that DC: no other DC may
      // hold it.
      if (o->stock && o != dc->defaultBitmap) return nullptr;
      old = dc->bitmap;
      Select(reinterpret_cast<GdiObject*&>(dc->bitmap), o);
      return old;
    case OBJ_FONT:
      old = dc->font;
      Select(reinterpret_cast<GdiObject*&>(dc->font), o);
      return old;
    case OBJ_BRUSH:
      old = dc->brush;
      Select(reinterpret_cast<GdiObject*&>(dc->brush), o);
      return old;
    case OBJ_PEN:
      old = dc->pen;
      Select(reinterpret_cast<GdiObject*&>(dc->pen), o);
      return old;
    case OBJ_REGION:
      return reinterpret_cast<HGDIOBJ>((INT_PTR)SelectClipRgn(hdc, static_cast<HRGN>(obj)));
    default:
      return nullptr;
  }
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  GdiDC* dc = GdiDCOf(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_BITMAP: return dc->bitmap;
    case OBJ_FONT: return dc->font;
    case OBJ_BRUSH: return dc->brush;
    case OBJ_PEN: return dc->pen;
    default: return nullptr;
  }
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  GdiDC* dc = GdiDCOf(hdc);
  if (!dc) return FALSE;
  if (old) *old = dc->viewport;
  dc->viewport = POINT{x, y};
  return TRUE;
}

BOOL GetViewportOrgEx(HDC hdc, LPPOINT out) {
  GdiDC* dc = GdiDCOf(hdc);
  if (!dc || !out) return FALSE;
  *out = dc->viewport;
  return TRUE;
}

BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT old) {
  GdiDC* dc = GdiDCOf(hdc);
  if (!dc) return FALSE;
  if (old) *old = dc->viewport;
  dc->viewport.x += dx;
  dc->viewport.y += dy;
  return TRUE;
}

int GetDeviceCaps(HDC hdc, int index) {
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return GdiScreenDpi();
    case BITSPIXEL: return 32;
    case HORZRES:
    case VERTRES: {
      cairo_surface_t* s = GdiSurfaceOfDC(hdc);
      if (!s) return 0;
      return index == HORZRES ? cairo_image_surface_get_width(s) : cairo_image_surface_get_height(s);
    }
    default: return 0;
  }
}

int SetGraphicsMode(HDC hdc, int mode) {
  // Cairo has one coordinate model; the mode is remembered nowhere.
  return GdiDCOf(hdc) && (mode == GM_COMPATIBLE || mode == GM_ADVANCED) ? GM_COMPATIBLE : 0;
}

int SetBkMode(HDC hdc, int mode) {
  GdiDC* dc = GdiDCOf(hdc);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int old = dc->bkMode;
  dc->bkMode = mode;
  return old;
}

int GetBkMode(HDC hdc) {
  GdiDC* dc = GdiDCOf(hdc);
  return dc ? dc->bkMode : 0;
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
  GdiDC* dc = GdiDCOf(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF old = dc->bkColor;
  dc->bkColor = color & 0xFFFFFF;
  return old;
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
  GdiDC* dc = GdiDCOf(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF old = dc->textColor;
  dc->textColor = color & 0xFFFFFF;
  return old;
}

COLORREF GetTextColor(HDC hdc) {
  GdiDC* dc = GdiDCOf(hdc);
  return dc ? dc->textColor : CLR_INVALID;
}

cairo_region_t* GdiEffectiveClip(GdiDC* dc) {
  cairo_surface_t* s = GdiTargetOf(dc);
  cairo_rectangle_int_t all{0, 0, s ? cairo_image_surface_get_width(s) : 0,
                            s ? cairo_image_surface_get_height(s) : 0};
  cairo_region_t* r = cairo_region_create_rectangle(&all);
  if (dc->clip) cairo_region_intersect(r, dc->clip);
  return r;
}

cairo_t* GdiBeginDraw(GdiDC* dc) {
  cairo_surface_t* s = GdiTargetOf(dc);
  if (!s) return nullptr;
  cairo_t* cr = cairo_create(s);
  if (dc->clip) {
    int n = cairo_region_num_rectangles(dc->clip);
    for (int i = 0; i < n; ++i) {
      cairo_rectangle_int_t r;
      cairo_region_get_rectangle(dc->clip, i, &r);
      cairo_rectangle(cr, r.x, r.y, r.width, r.height);
    }
    cairo_clip(cr);
  }
  cairo_translate(cr, dc->viewport.x, dc->viewport.y);
  return cr;
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  return reinterpret_cast<HBITMAP>(NewBitmap(width, height));
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
  if (bits) *bits = nullptr;
  if (!info || usage != DIB_RGB_COLORS || section) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  // Every bitmap of this system is 32-bit; the layer keeps all rows top-down
  // whatever the sign of the height (the system only asks for top-down ones).
  if (h.biBitCount != 32 || h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight == 0) return nullptr;
  int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  GdiBitmap* b = NewBitmap(h.biWidth, height);
  if (!b) return nullptr;
  if (bits) {
    cairo_surface_flush(b->surface);
    *bits = cairo_image_surface_get_data(b->surface);
  }
  return reinterpret_cast<HBITMAP>(b);
}

BOOL GdiFlush() { return TRUE; }
