#include "base/GdiplusHelpers.h"

#include <cmath>
#include <cstring>

using namespace Gdiplus;

Bitmap* MakeRoundImage(Bitmap* source) {
  if (!source || !source->native()) return nullptr;
  GpBitmap* src = source->native();
  UINT w = 0, h = 0;
  GdipGetImageWidth(src, &w);
  GdipGetImageHeight(src, &h);
  GpBitmap* out = nullptr;
  if (GdipCreateBitmapFromScan0((INT)w, (INT)h, 0, PixelFormat32bppARGB, nullptr, &out) != Ok) return nullptr;
  // Failures past this point leave the new bitmap as it is, transparent.
  GpGraphics* g = nullptr;
  GdipGetImageGraphicsContext(out, &g);
  GpTexture* texture = nullptr;
  GdipCreateTexture2I(src, WrapModeClamp, 0, 0, (INT)w, (INT)h, &texture);
  if (texture) GdipScaleTextureTransform(texture, (REAL)w / w, (REAL)h / h, MatrixOrderPrepend);
  if (g) {
    GdipSetSmoothingMode(g, SmoothingModeAntiAlias);
    if (texture) GdipFillEllipseI(g, texture, 0, 0, (INT)w, (INT)h);
    GdipDeleteGraphics(g);
  }
  if (texture) GdipDeleteBrush(texture);
  return Bitmap::FromNative(out);
}

Bitmap* OrielBitmapToGdiBitmap(IBitmap* bitmap) {
  if (!bitmap) return nullptr;
  const int w = (int)bitmap->Width(), h = (int)bitmap->Height();
  auto* gdi = new Bitmap(w, h, PixelFormat32bppARGB);
  BitmapData data{};
  Rect all(0, 0, w, h);
  // Written as premultiplied pixels: locking as straight ARGB would have the
  // premultiplied values taken for straight ones and premultiplied again on
  // the way back.
  if (gdi->GetLastStatus() != Ok ||
      gdi->LockBits(&all, ImageLockModeWrite, PixelFormat32bppPARGB, &data) != Ok) {
    delete gdi;
    return nullptr;
  }
  const void* bits = bitmap->GetPixelBits();
  const size_t bytes = (size_t)w * h * 4;
  if (bits && data.Stride == w * 4) memcpy(data.Scan0, bits, bytes);
  if (gdi->UnlockBits(&data) != Ok) {
    delete gdi;
    return nullptr;
  }
  return gdi;
}

IBitmap* GdiBitmapToOrielBitmap(Bitmap* bitmap, IRenderFactory* factory) {
  if (!bitmap || !factory || !bitmap->native()) return nullptr;
  const UINT w = bitmap->GetWidth(), h = bitmap->GetHeight();
  BitmapData data{};
  Rect all(0, 0, (INT)w, (INT)h);
  // Without a lock there are no pixels to copy: nothing is made.
  if (bitmap->LockBits(&all, ImageLockModeRead, PixelFormat32bppPARGB, &data) != Ok) return nullptr;
  IBitmap* out = nullptr;
  if (factory->CreateBitmap(&out) && out) {
    if (FAILED(out->Init((int)w, (int)h, data.Scan0))) {
      out->Release();
      out = nullptr;
    }
  }
  bitmap->UnlockBits(&data);
  return out;
}

Bitmap* RawPixelsToGdiBitmap(const void* pixels, int width, int height, PixelFormat format) {
  if (!pixels) return nullptr;
  auto* gdi = new Bitmap(width, height, format);
  BitmapData data{};
  Rect all(0, 0, width, height);
  if (gdi->GetLastStatus() != Ok || gdi->LockBits(&all, ImageLockModeWrite, format, &data) != Ok) {
    delete gdi;
    return nullptr;
  }
  const size_t rowBytes = (size_t)width * GetPixelFormatSize(format) / 8;
  for (int y = 0; y < height; ++y)
    memcpy(static_cast<BYTE*>(data.Scan0) + (size_t)y * data.Stride, static_cast<const BYTE*>(pixels) + y * rowBytes,
           rowBytes);
  if (gdi->UnlockBits(&data) != Ok) {
    delete gdi;
    return nullptr;
  }
  return gdi;
}

IBitmap* LoadOrielBitmapFromMemory(const void* bytes, size_t count, IRenderFactory* factory) {
  // A stream on a new memory block that the stream frees when released.
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK) return nullptr;
  ULONG written = 0;
  if (bytes && count) stream->Write(bytes, (ULONG)count, &written);
  Bitmap* gdi = Bitmap::FromStream(stream);
  stream->Release();
  IBitmap* out = gdi->GetLastStatus() == Ok ? GdiBitmapToOrielBitmap(gdi, factory) : nullptr;
  delete gdi;
  return out;
}

SIZE MeasureTextSize(IRenderTarget* target, const SStringW& text, bool multiLine) {
  SIZE result{0, 0};
  if (!target || text.IsEmpty()) return result;
  if (!multiLine) {
    target->MeasureText(text.c_str(), text.GetLength(), &result);
    return result;
  }
  // Cut at each line feed alone; a carriage return stays with its line.
  int start = 0;
  for (;;) {
    int end = text.Find(L'\n', start);
    int len = (end < 0 ? text.GetLength() : end) - start;
    SIZE line{0, 0};
    target->MeasureText(text.c_str() + start, len, &line);
    if (line.cx > result.cx) result.cx = line.cx;
    result.cy += line.cy;
    if (end < 0) break;
    start = end + 1;
  }
  return result;
}

float FloorFloat(float value) { return (float)std::floor((double)value); }

int ScaleByPercent(int value, int percent) {
  float scaled = (float)value * (float)percent / 100.0f + 0.5f;
  return (int)std::floor(scaled);
}
