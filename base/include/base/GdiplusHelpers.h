// Moving pixels between GDI+ bitmaps and the framework's bitmaps, round
// pictures, and text measurement in a render target. Every function returns
// a new object the caller owns (a GDI+ bitmap to delete, or a framework
// bitmap holding one reference) and never takes ownership of its argument.
#pragma once

#include <cstddef>

#include "core/SString.h"
#include "gdiplus/gdiplus.h"
#include "render/IRender.h"

// The source drawn inside the largest ellipse of its size, transparent
// outside; null for a null source.
Gdiplus::Bitmap* MakeRoundImage(Gdiplus::Bitmap* source);

// A 32-bit ARGB GDI+ bitmap with the framework bitmap's pixels; null for a
// null bitmap or when locking fails. The framework's pixels are already
// premultiplied, so they go in as premultiplied pixels: premultiplied once.
Gdiplus::Bitmap* OrielBitmapToGdiBitmap(IBitmap* bitmap);

// A framework bitmap made by `factory` (the application's render factory)
// with the GDI+ bitmap's size and premultiplied pixels; null for a null
// argument or when the GDI+ bitmap cannot be locked.
IBitmap* GdiBitmapToOrielBitmap(Gdiplus::Bitmap* bitmap, IRenderFactory* factory);

// A GDI+ bitmap of `format` holding width x height pixels of that format;
// null for null pixels, an unsupported format or a failed lock.
Gdiplus::Bitmap* RawPixelsToGdiBitmap(const void* pixels, int width, int height, Gdiplus::PixelFormat format);

// Decodes an image in memory through GDI+ into a framework bitmap; null when
// no memory stream can be made or the data does not decode.
IBitmap* LoadOrielBitmapFromMemory(const void* bytes, size_t count, IRenderFactory* factory);

// Width and height of a text in the font and style `target` was prepared
// with (the window's inherited paint setup). Multi-line texts are cut at
// each "\n": the widest line gives the width, the lines' heights add up.
// An empty text is 0 x 0.
SIZE MeasureTextSize(IRenderTarget* target, const SStringW& text, bool multiLine);

// Releases the held object and clears the holder; nothing for a null
// holder or an empty one.
template <class T>
void ReleaseRefHolder(T** holder) {
  if (holder && *holder) {
    (*holder)->Release();
    *holder = nullptr;
  }
}

// The value rounded down, computed in double precision.
float FloorFloat(float value);

// value x percent / 100 + 0.5 in single precision, rounded down.
int ScaleByPercent(int value, int percent);
