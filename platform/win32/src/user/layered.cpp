// Layered windows: SetLayeredWindowAttributes for windows painted through
// WM_PAINT, UpdateLayeredWindow for windows that hand over a whole
// premultiplied ARGB image. The display shows the result with per-pixel
// alpha under a compositor, or with a shape mask and the constant alpha
// blended over the backdrop without one.
#include <cstring>

#include "../display/native.h"
#include "../window_table.h"
#include "paint_store.h"
#include "win32/backend.h"
#include "win32/errors.h"
#include "win32/user32.h"

// gdi32's record, declared (not defined) by user32.h.
struct _BLENDFUNCTION {
  BYTE BlendOp;
  BYTE BlendFlags;
  BYTE SourceConstantAlpha;
  BYTE AlphaFormat;
};

using namespace win32::detail;

namespace {

struct Attributes {
  bool layered = false;
  COLORREF key = 0;
  BYTE alpha = 255;
  DWORD flags = 0;
  bool byUpdate = false;
};

Attributes attributesOf(HWND hwnd) {
  Attributes a;
  std::lock_guard<std::mutex> lock(windowLock());
  auto window = lookupWindowLocked(hwnd);
  if (!window) return a;
  a.layered = (window->exStyle & WS_EX_LAYERED) != 0;
  a.key = window->layeredKey;
  a.alpha = window->layeredAlpha;
  a.flags = window->layeredFlags;
  a.byUpdate = window->layeredByUpdate;
  return a;
}

uint32_t keyRgb(COLORREF key) {
  return (static_cast<uint32_t>(GetRValue(key)) << 16) |
         (static_cast<uint32_t>(GetGValue(key)) << 8) | GetBValue(key);
}

// Clears pixels of the key colour, in place (premultiplied ARGB32).
void cutKey(cairo_surface_t* image, COLORREF key) {
  cairo_surface_flush(image);
  const int width = cairo_image_surface_get_width(image);
  const int height = cairo_image_surface_get_height(image);
  const int stride = cairo_image_surface_get_stride(image);
  unsigned char* data = cairo_image_surface_get_data(image);
  const uint32_t keyPixel = 0xFF000000u | keyRgb(key);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < width; ++x) {
      if (row[x] == keyPixel) row[x] = 0;
    }
  }
  cairo_surface_mark_dirty(image);
}

// Makes every pixel opaque, for sources without per-pixel alpha.
void makeOpaque(cairo_surface_t* image) {
  cairo_surface_flush(image);
  const int width = cairo_image_surface_get_width(image);
  const int height = cairo_image_surface_get_height(image);
  const int stride = cairo_image_surface_get_stride(image);
  unsigned char* data = cairo_image_surface_get_data(image);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < width; ++x) row[x] |= 0xFF000000u;
  }
  cairo_surface_mark_dirty(image);
}

}  // namespace

bool win32::detail::layeredAttributesLook(HWND hwnd, win32::display::LayeredLook* look) {
  const Attributes a = attributesOf(hwnd);
  if (!a.layered || a.byUpdate) return false;
  *look = win32::display::LayeredLook{};
  look->useKey = (a.flags & LWA_COLORKEY) != 0;
  look->keyRgb = keyRgb(a.key);
  look->alpha = (a.flags & LWA_ALPHA) ? a.alpha : 255;
  return true;
}

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF crKey, BYTE bAlpha, DWORD dwFlags) {
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hwnd);
    if (!window || !(window->exStyle & WS_EX_LAYERED)) {
      SetLastError(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    window->layeredKey = crKey;
    window->layeredAlpha = bAlpha;
    window->layeredFlags = dwFlags;
    window->layeredByUpdate = false;
  }
  InvalidateRect(hwnd, nullptr, FALSE);
  return TRUE;
}

BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* pcrKey, BYTE* pbAlpha, DWORD* pdwFlags) {
  const Attributes a = attributesOf(hwnd);
  if (!a.layered || a.byUpdate) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (pcrKey) *pcrKey = a.key;
  if (pbAlpha) *pbAlpha = a.alpha;
  if (pdwFlags) *pdwFlags = a.flags;
  return TRUE;
}

BOOL UpdateLayeredWindowIndirect(HWND hWnd, const UPDATELAYEREDWINDOWINFO* info) {
  if (!info || info->cbSize != sizeof(UPDATELAYEREDWINDOWINFO)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const Attributes a = attributesOf(hWnd);
  if (!a.layered) {
    SetLastError(IsWindow(hWnd) ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  RECT rect{};
  GetWindowRect(hWnd, &rect);
  const POINT at = info->pptDst ? *info->pptDst : POINT{rect.left, rect.top};
  const SIZE size = info->psize ? *info->psize : SIZE{rect.right - rect.left, rect.bottom - rect.top};
  if (size.cx <= 0 || size.cy <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto* source = static_cast<cairo_surface_t*>(Win32SurfaceOfDC(info->hdcSrc));
  if (info->hdcSrc && !source) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  {
    std::lock_guard<std::mutex> lock(windowLock());
    if (auto window = lookupWindowLocked(hWnd)) window->layeredByUpdate = true;
  }
  if (at.x != rect.left || at.y != rect.top || size.cx != rect.right - rect.left ||
      size.cy != rect.bottom - rect.top)
    SetWindowPos(hWnd, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  if (!source) return TRUE;  // a move only
  // The window's backing keeps the whole image, so a dirty rectangle
  // updates only its part.
  resizeBacking(hWnd, size.cx, size.cy);
  cairo_surface_t* backing = backingSurface(hWnd);
  const POINT from = info->pptSrc ? *info->pptSrc : POINT{0, 0};
  RECT dirty{0, 0, size.cx, size.cy};
  if (info->prcDirty) IntersectRect(&dirty, &dirty, info->prcDirty);
  cairo_surface_t* part =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, dirty.right - dirty.left, dirty.bottom - dirty.top);
  cairo_t* cr = cairo_create(part);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, source, -(from.x + dirty.left), -(from.y + dirty.top));
  cairo_paint(cr);
  cairo_destroy(cr);
  // The backing keeps the per-pixel image; the constant alpha applies to
  // the whole window when it is shown, so a fade changes no pixel here and
  // leaves the shape without a compositor as the pixels make it.
  const bool constant = info->pblend && (info->dwFlags & ULW_ALPHA);
  win32::display::LayeredLook look;
  look.alpha = constant ? info->pblend->SourceConstantAlpha : 255;
  if ((info->dwFlags & ULW_OPAQUE) ||
      (constant && info->pblend->AlphaFormat != 0x01 /* AC_SRC_ALPHA */)) {
    // No per-pixel alpha in the source: every pixel is as opaque as the
    // constant alpha says.
    makeOpaque(part);
  }
  if (info->dwFlags & ULW_COLORKEY) cutKey(part, info->crKey);
  cr = cairo_create(backing);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, part, dirty.left, dirty.top);
  cairo_rectangle(cr, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(part);
  cairo_surface_flush(backing);
  win32::display::presentLayered(hWnd, backing, look, dirty);
  return TRUE;
}

BOOL UpdateLayeredWindow(HWND hWnd, HDC hdcDst, const POINT* pptDst, const SIZE* psize, HDC hdcSrc,
                         const POINT* pptSrc, COLORREF crKey, const _BLENDFUNCTION* pblend,
                         DWORD dwFlags) {
  UPDATELAYEREDWINDOWINFO info{};
  info.cbSize = sizeof info;
  info.hdcDst = hdcDst;
  info.pptDst = pptDst;
  info.psize = psize;
  info.hdcSrc = hdcSrc;
  info.pptSrc = pptSrc;
  info.crKey = crKey;
  info.pblend = pblend;
  info.dwFlags = dwFlags;
  return UpdateLayeredWindowIndirect(hWnd, &info);
}
