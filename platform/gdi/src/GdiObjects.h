// The layer's own objects behind GDI handles, and the registry that tells a
// live handle from a stale or foreign one.
#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include "gdi/gdi.h"

struct GdiObject {
  explicit GdiObject(DWORD t) : type(t) {}
  virtual ~GdiObject() = default;
  DWORD type;
  bool stock = false;    // stock objects ignore DeleteObject
  int selectedIn = 0;    // DCs holding it selected: GDI refuses to delete those
};

struct GdiBitmap : GdiObject {
  GdiBitmap() : GdiObject(OBJ_BITMAP) {}
  ~GdiBitmap() override;
  cairo_surface_t* surface = nullptr;
};

struct GdiFont : GdiObject {
  GdiFont() : GdiObject(OBJ_FONT) {}
  ~GdiFont() override;
  LOGFONTW lf{};
  PangoFontDescription* desc = nullptr;
};

struct GdiBrush : GdiObject {
  GdiBrush() : GdiObject(OBJ_BRUSH) {}
  COLORREF color = 0;
  bool hollow = false;
};

struct GdiPen : GdiObject {
  GdiPen() : GdiObject(OBJ_PEN) {}
  int style = PS_SOLID;
  int width = 1;
  COLORREF color = 0;
};

struct GdiRegion : GdiObject {
  GdiRegion() : GdiObject(OBJ_REGION) {}
  ~GdiRegion() override;
  cairo_region_t* region = nullptr;
};

// Not a GDI object kind: icons are user32's, kept in the same table.
constexpr DWORD kGdiIconType = 0x100;

struct GdiIcon : GdiObject {
  GdiIcon() : GdiObject(kGdiIconType) {}
  ~GdiIcon() override;
  cairo_surface_t* surface = nullptr;
  int xHotspot = 0, yHotspot = 0;
  bool isIcon = true;
};

struct GdiDC : GdiObject {
  GdiDC() : GdiObject(OBJ_DC) {}
  ~GdiDC() override;
  cairo_surface_t* ownSurface = nullptr;  // a surface DC's target, referenced
  GdiBitmap* bitmap = nullptr;            // selected bitmap (memory DCs)
  GdiBitmap* defaultBitmap = nullptr;     // the 1x1 bitmap a memory DC starts with
  GdiFont* font = nullptr;
  GdiBrush* brush = nullptr;
  GdiPen* pen = nullptr;
  COLORREF textColor = 0;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = OPAQUE;
  POINT viewport{0, 0};
  cairo_region_t* clip = nullptr;  // device coordinates; null = whole surface
};

void GdiRegister(GdiObject* obj);
void GdiUnregister(GdiObject* obj);
// The live object behind a handle when it has the wanted type (0 = any).
GdiObject* GdiLookup(const void* handle, DWORD type = 0);
template <class T>
T* GdiAs(const void* handle, DWORD type) {
  return static_cast<T*>(GdiLookup(handle, type));
}

GdiDC* GdiDCOf(HDC hdc);
cairo_surface_t* GdiTargetOf(GdiDC* dc);
// A Cairo context on the DC's surface with its viewport and clip applied.
// The caller destroys it. Null when the DC has nothing to draw into.
cairo_t* GdiBeginDraw(GdiDC* dc);
// The DC's clip intersected with the surface bounds, in device coordinates;
// the caller destroys it.
cairo_region_t* GdiEffectiveClip(GdiDC* dc);

GdiFont* GdiStockFont();
void GdiSetSourceColorRef(cairo_t* cr, COLORREF c);
