// LoadImageW and CreateIconFromResource over gdk-pixbuf: files and bytes
// become premultiplied BGRA, then a DIB section or a GDI-layer icon.
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstring>
#include <string>
#include <vector>

#include "crt/utf8.h"
#include "gdi/GdiCairo.h"
#include "gdi/gdi.h"
#include "win32/errors.h"
#include "win32/images.h"
#include "win32/user32.h"

namespace {

struct Pixels {
  int width = 0, height = 0;
  int xHot = 0, yHot = 0;
  std::vector<uint32_t> bgra;  // premultiplied
};

bool fromPixbuf(GdkPixbuf* pb, int cx, int cy, Pixels& out) {
  if (!pb) return false;
  GdkPixbuf* src = pb;
  g_object_ref(src);
  if (cx > 0 && cy > 0 && (gdk_pixbuf_get_width(pb) != cx || gdk_pixbuf_get_height(pb) != cy)) {
    g_object_unref(src);
    src = gdk_pixbuf_scale_simple(pb, cx, cy, GDK_INTERP_BILINEAR);
    if (!src) return false;
  }
  const char* hx = gdk_pixbuf_get_option(pb, "x_hot");
  const char* hy = gdk_pixbuf_get_option(pb, "y_hot");
  out.xHot = hx ? atoi(hx) : 0;
  out.yHot = hy ? atoi(hy) : 0;
  out.width = gdk_pixbuf_get_width(src);
  out.height = gdk_pixbuf_get_height(src);
  const int channels = gdk_pixbuf_get_n_channels(src);
  const bool alpha = gdk_pixbuf_get_has_alpha(src);
  const int stride = gdk_pixbuf_get_rowstride(src);
  const guchar* px = gdk_pixbuf_read_pixels(src);
  out.bgra.resize(static_cast<size_t>(out.width) * out.height);
  for (int y = 0; y < out.height; ++y) {
    const guchar* row = px + static_cast<size_t>(y) * stride;
    for (int x = 0; x < out.width; ++x) {
      const guchar* p = row + x * channels;
      const uint32_t a = alpha ? p[3] : 255;
      const uint32_t r = p[0] * a / 255, g = p[1] * a / 255, b = p[2] * a / 255;
      out.bgra[static_cast<size_t>(y) * out.width + x] = (a << 24) | (r << 16) | (g << 8) | b;
    }
  }
  g_object_unref(src);
  return true;
}

bool decodeFile(LPCWSTR path, int cx, int cy, Pixels& out) {
  const std::string utf8 = crt::WideToUtf8(path);
  GdkPixbuf* pb = gdk_pixbuf_new_from_file(utf8.c_str(), nullptr);
  const bool ok = fromPixbuf(pb, cx, cy, out);
  if (pb) g_object_unref(pb);
  return ok;
}

bool decodeBytes(const BYTE* bytes, DWORD size, Pixels& out) {
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  bool ok = gdk_pixbuf_loader_write(loader, bytes, size, nullptr);
  ok = gdk_pixbuf_loader_close(loader, nullptr) && ok;
  if (ok) ok = fromPixbuf(gdk_pixbuf_loader_get_pixbuf(loader), 0, 0, out);
  g_object_unref(loader);
  return ok;
}

HBITMAP makeDib(const Pixels& px) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = px.width;
  bi.bmiHeader.biHeight = -px.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bmp && bits) memcpy(bits, px.bgra.data(), px.bgra.size() * 4);
  return bmp;
}

}  // namespace

HANDLE LoadImageW(HINSTANCE, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad) {
  if (!(fuLoad & LR_LOADFROMFILE) || !name || IS_INTRESOURCE(name)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  Pixels px;
  const bool sized = type != IMAGE_BITMAP;
  if (!decodeFile(name, sized ? cx : 0, sized ? cy : 0, px)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  switch (type) {
    case IMAGE_BITMAP: return makeDib(px);
    case IMAGE_ICON:
    case IMAGE_CURSOR:
      return GdiCreateIconFromPixels(px.width, px.height, px.bgra.data(), px.xHot, px.yHot, type == IMAGE_ICON);
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
  }
}

HICON CreateIconFromResource(const BYTE* presbits, DWORD dwResSize, BOOL fIcon, DWORD dwVer) {
  Pixels px;
  if (!presbits || dwResSize == 0 || dwVer != 0x00030000 || !decodeBytes(presbits, dwResSize, px)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return GdiCreateIconFromPixels(px.width, px.height, px.bgra.data(), fIcon ? px.width / 2 : px.xHot,
                                 fIcon ? px.height / 2 : px.yHot, fIcon != FALSE);
}
