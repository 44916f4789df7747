// GDI+ images and bitmaps: creation, decoding, frames, properties, locks.
#include <cstdlib>
#include <cstring>
#include <string>

#include "GpObjects.h"
#include "crt/utf8.h"
#include "gdi/GdiCairo.h"
#include "gdiplus/ImageDecode.h"

using namespace Gdiplus;

const GUID Gdiplus::FrameDimensionTime = {0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};
const GUID Gdiplus::FrameDimensionPage = {0x7462dc86, 0x6180, 0x4c7e, {0x8e, 0x3f, 0xee, 0x73, 0x33, 0xa7, 0xa4, 0x83}};

namespace {

bool Supported(PixelFormat f) {
  return f == PixelFormat32bppARGB || f == PixelFormat32bppPARGB || f == PixelFormat32bppRGB;
}

uint32_t* Row(cairo_surface_t* s, int y) {
  return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s) + (size_t)y * cairo_image_surface_get_stride(s));
}

GpImage* FromDecoded(DecodedImage& d) {
  auto* img = new GpImage;
  for (DecodedFrame& f : d.frames) {
    cairo_surface_t* s = GdiSurfaceFromPixels(f.width, f.height, f.pixels.data());
    if (!s) {
      delete img;
      return nullptr;
    }
    img->frames.push_back({s, f.delay});
  }
  img->timeFrames = d.format == "gif";
  img->format = PixelFormat32bppARGB;
  return img;
}

Status Decode(const void* data, size_t size, GpImage** out) {
  DecodedImage d;
  std::string why;
  if (!DecodeImageBytes(data, size, &d, &why)) return size ? UnknownImageFormat : InvalidParameter;
  *out = FromDecoded(d);
  return *out ? Ok : OutOfMemory;
}

bool SameGuid(const GUID& a, const GUID& b) { return memcmp(&a, &b, sizeof(GUID)) == 0; }

GpImage* CopyArea(GpImage* src, int x, int y, int w, int h, PixelFormat format) {
  cairo_surface_t* s = GdiCopySurfaceArea(src->surface(), x, y, w, h);
  if (!s) return nullptr;
  auto* img = new GpImage;
  img->frames.push_back({s, 0});
  img->format = format;
  return img;
}

}  // namespace

GpImage::~GpImage() {
  for (Frame& f : frames) cairo_surface_destroy(f.surface);
}

Status Gdiplus::GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput*, void*) {
  if (!token) return InvalidParameter;
  *token = 1;
  return Ok;
}

void Gdiplus::GdiplusShutdown(ULONG_PTR) {}

cairo_surface_t* GdipImageSurface(GpImage* image) { return image ? image->surface() : nullptr; }

GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0, GpBitmap** out) {
  if (!out) return InvalidParameter;
  *out = nullptr;
  if (width <= 0 || height <= 0 || !Supported(format)) return InvalidParameter;
  if (scan0 && std::llabs((long long)stride) < 4LL * width) return InvalidParameter;
  cairo_surface_t* s = GdiSurfaceFromPixels(width, height, nullptr);
  if (!s) return OutOfMemory;
  if (scan0) {
    // The caller's pixels are copied in; later drawing does not reach them.
    cairo_surface_flush(s);
    for (int y = 0; y < height; ++y) {
      const uint32_t* src = reinterpret_cast<const uint32_t*>(scan0 + (ptrdiff_t)y * stride);
      uint32_t* dst = Row(s, y);
      for (int x = 0; x < width; ++x) dst[x] = GdipToPremultiplied(src[x], format);
    }
    cairo_surface_mark_dirty(s);
  }
  auto* img = new GpImage;
  img->frames.push_back({s, 0});
  img->format = format;
  *out = img;
  return Ok;
}

GpStatus GdipCreateBitmapFromStream(IStream* stream, GpBitmap** out) {
  if (!out) return InvalidParameter;
  *out = nullptr;
  if (!stream) return InvalidParameter;
  std::vector<unsigned char> bytes;
  if (!GdipReadWholeStream(stream, &bytes)) return Win32Error;
  return Decode(bytes.data(), bytes.size(), out);
}

GpStatus GdipCreateBitmapFromFile(LPCWSTR path, GpBitmap** out) {
  if (!out) return InvalidParameter;
  *out = nullptr;
  if (!path) return InvalidParameter;
  // Paths leave the process as UTF-8.
  std::string utf8 = crt::WideToUtf8(path);
  DecodedImage d;
  std::string why;
  if (!DecodeImageFile(utf8, &d, &why)) return why.rfind("cannot open", 0) == 0 ? FileNotFound : UnknownImageFormat;
  *out = FromDecoded(d);
  return *out ? Ok : OutOfMemory;
}

GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP hbm, void*, GpBitmap** out) {
  if (!out) return InvalidParameter;
  *out = nullptr;
  cairo_surface_t* src = GdiSurfaceOfBitmap(hbm);
  if (!src) return InvalidParameter;
  GpImage tmp;
  tmp.frames.push_back({cairo_surface_reference(src), 0});
  *out = CopyArea(&tmp, 0, 0, cairo_image_surface_get_width(src), cairo_image_surface_get_height(src),
                  PixelFormat32bppPARGB);
  return *out ? Ok : OutOfMemory;
}

GpStatus GdipGetImageWidth(GpImage* image, UINT* width) {
  if (!image || !width) return InvalidParameter;
  *width = image->width();
  return Ok;
}

GpStatus GdipGetImageHeight(GpImage* image, UINT* height) {
  if (!image || !height) return InvalidParameter;
  *height = image->height();
  return Ok;
}

GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format) {
  if (!image || !format) return InvalidParameter;
  *format = image->format;
  return Ok;
}

GpStatus GdipCloneBitmapAreaI(INT x, INT y, INT width, INT height, PixelFormat format, GpBitmap* src, GpBitmap** out) {
  if (!out) return InvalidParameter;
  *out = nullptr;
  if (!src || !Supported(format) || !GdipRectInside(x, y, width, height, src->width(), src->height()))
    return InvalidParameter;
  if (src->locked) return WrongState;
  *out = CopyArea(src, x, y, width, height, format);
  return *out ? Ok : OutOfMemory;
}

GpStatus GdipGetImageThumbnail(GpImage* image, UINT width, UINT height, GpImage** out) {
  if (!out) return InvalidParameter;
  *out = nullptr;
  if (!image) return InvalidParameter;
  if (width == 0) width = 120;
  if (height == 0) height = 120;
  cairo_surface_t* s = GdiSurfaceFromPixels((int)width, (int)height, nullptr);
  if (!s) return OutOfMemory;
  cairo_t* cr = cairo_create(s);
  cairo_scale(cr, (double)width / image->width(), (double)height / image->height());
  cairo_set_source_surface(cr, image->surface(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
  auto* img = new GpImage;
  img->frames.push_back({s, 0});
  img->format = PixelFormat32bppPARGB;
  *out = img;
  return Ok;
}

GpStatus GdipImageGetFrameDimensionsCount(GpImage* image, UINT* count) {
  if (!image || !count) return InvalidParameter;
  *count = 1;
  return Ok;
}

GpStatus GdipImageGetFrameDimensionsList(GpImage* image, GUID* ids, UINT count) {
  if (!image || !ids || count < 1) return InvalidParameter;
  ids[0] = image->timeFrames ? FrameDimensionTime : FrameDimensionPage;
  return Ok;
}

GpStatus GdipImageGetFrameCount(GpImage* image, const GUID* dimension, UINT* count) {
  if (!image || !dimension || !count) return InvalidParameter;
  const GUID& own = image->timeFrames ? FrameDimensionTime : FrameDimensionPage;
  if (!SameGuid(*dimension, own)) return InvalidParameter;
  *count = (UINT)image->frames.size();
  return Ok;
}

GpStatus GdipImageSelectActiveFrame(GpImage* image, const GUID* dimension, UINT index) {
  UINT count = 0;
  GpStatus s = GdipImageGetFrameCount(image, dimension, &count);
  if (s != Ok) return s;
  if (index >= count) return InvalidParameter;
  if (image->locked) return WrongState;
  image->active = index;
  return Ok;
}

GpStatus GdipGetPropertyItemSize(GpImage* image, PROPID id, UINT* size) {
  if (!image || !size) return InvalidParameter;
  *size = 0;
  if (id != PropertyTagFrameDelay || !image->timeFrames) return PropertyNotFound;
  *size = (UINT)(sizeof(PropertyItem) + 4 * image->frames.size());
  return Ok;
}

GpStatus GdipGetPropertyItem(GpImage* image, PROPID id, UINT size, PropertyItem* item) {
  UINT need = 0;
  GpStatus s = GdipGetPropertyItemSize(image, id, &need);
  if (s != Ok) return s;
  if (!item || size < need) return InvalidParameter;
  // The values follow the item in the caller's buffer, as GDI+ lays it out.
  auto* values = reinterpret_cast<LONG*>(item + 1);
  for (size_t i = 0; i < image->frames.size(); ++i) values[i] = image->frames[i].delay;
  item->id = id;
  item->length = (ULONG)(4 * image->frames.size());
  item->type = PropertyTagTypeLong;
  item->value = values;
  return Ok;
}

GpStatus GdipBitmapLockBits(GpBitmap* bitmap, const GpRect* rect, UINT flags, PixelFormat format, BitmapData* data) {
  if (!bitmap || !data) return InvalidParameter;
  if (bitmap->locked) return WrongState;
  if (!Supported(format) || !(flags & (ImageLockModeRead | ImageLockModeWrite))) return InvalidParameter;
  Rect r = rect ? *rect : Rect(0, 0, bitmap->width(), bitmap->height());
  if (!GdipRectInside(r.X, r.Y, r.Width, r.Height, bitmap->width(), bitmap->height())) return InvalidParameter;
  uint32_t* target = nullptr;
  INT stride = r.Width * 4;
  if (flags & ImageLockModeUserInputBuf) {
    if (!data->Scan0 || data->Stride < stride) return InvalidParameter;
    target = static_cast<uint32_t*>(data->Scan0);
    stride = data->Stride;
  } else {
    // A read fills every pixel below: no zeroing first.
    if (flags & ImageLockModeRead) bitmap->lockBuffer.resize((size_t)r.Width * r.Height);
    else bitmap->lockBuffer.assign((size_t)r.Width * r.Height, 0);
    target = bitmap->lockBuffer.data();
  }
  cairo_surface_flush(bitmap->surface());
  if (flags & ImageLockModeRead) {
    for (int y = 0; y < r.Height; ++y) {
      const uint32_t* src = Row(bitmap->surface(), r.Y + y) + r.X;
      uint32_t* dst = reinterpret_cast<uint32_t*>(reinterpret_cast<BYTE*>(target) + (size_t)y * stride);
      // The surface holds premultiplied pixels already: a row copy (a
      // waveform's picture is read this way many times a second).
      if (format == PixelFormat32bppPARGB) std::memcpy(dst, src, (size_t)r.Width * 4);
      else
        for (int x = 0; x < r.Width; ++x) dst[x] = GdipFromPremultiplied(src[x], format);
    }
  }
  bitmap->locked = true;
  bitmap->lockRect = r;
  bitmap->lockFlags = flags;
  bitmap->lockFormat = format;
  bitmap->lockTarget = target;
  bitmap->lockStride = stride;
  data->Width = r.Width;
  data->Height = r.Height;
  data->Stride = stride;
  data->PixelFormat = format;
  data->Scan0 = target;
  data->Reserved = 0;
  return Ok;
}

GpStatus GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* data) {
  if (!bitmap || !data) return InvalidParameter;
  if (!bitmap->locked || data->Scan0 != bitmap->lockTarget) return WrongState;
  if (bitmap->lockFlags & ImageLockModeWrite) {
    const Rect& r = bitmap->lockRect;
    cairo_surface_flush(bitmap->surface());
    for (int y = 0; y < r.Height; ++y) {
      const uint32_t* src =
          reinterpret_cast<const uint32_t*>(reinterpret_cast<BYTE*>(bitmap->lockTarget) + (size_t)y * bitmap->lockStride);
      uint32_t* dst = Row(bitmap->surface(), r.Y + y) + r.X;
      for (int x = 0; x < r.Width; ++x) dst[x] = GdipToPremultiplied(src[x], bitmap->lockFormat);
    }
    cairo_surface_mark_dirty(bitmap->surface());
  }
  bitmap->locked = false;
  bitmap->lockBuffer.clear();
  bitmap->lockBuffer.shrink_to_fit();
  bitmap->lockTarget = nullptr;
  return Ok;
}

GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* color) {
  if (!bitmap || !color || x < 0 || y < 0 || x >= bitmap->width() || y >= bitmap->height()) return InvalidParameter;
  if (bitmap->locked) return WrongState;
  cairo_surface_flush(bitmap->surface());
  *color = GdipFromPremultiplied(Row(bitmap->surface(), y)[x], PixelFormat32bppARGB);
  return Ok;
}

GpStatus GdipDisposeImage(GpImage* image) {
  if (!image) return InvalidParameter;
  delete image;
  return Ok;
}
