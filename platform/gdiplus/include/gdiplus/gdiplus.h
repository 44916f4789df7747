// The GDI+ subset the system calls, over Cairo image surfaces (ARGB32,
// premultiplied) with gdk-pixbuf decoding. Every bitmap keeps its pixels
// premultiplied; LockBits converts for the straight-alpha formats.
//
// Lock semantics: ImageLockModeRead hands out pixels to read (changes are
// not written back), ImageLockModeWrite writes the buffer back on unlock.
// A failed lock leaves the BitmapData untouched and reports why.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gdi/gdi.h"
#include "win32/windows.h"

// --- Memory streams: the part of COM's IStream that decoding from memory
// needs. Global memory blocks are kernel32's (platform/win32); they are
// declared here only when that header does not declare them.
#ifndef GMEM_MOVEABLE
typedef HANDLE HGLOBAL;
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
LPVOID GlobalLock(HGLOBAL mem);
BOOL GlobalUnlock(HGLOBAL mem);
SIZE_T GlobalSize(HGLOBAL mem);
HGLOBAL GlobalFree(HGLOBAL mem);
#endif
typedef ULONG PROPID;
#define STREAM_SEEK_SET 0
#define STREAM_SEEK_CUR 1
#define STREAM_SEEK_END 2

struct IStream {
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  virtual HRESULT Read(void* buffer, ULONG bytes, ULONG* read) = 0;
  virtual HRESULT Write(const void* buffer, ULONG bytes, ULONG* written) = 0;
  virtual HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPos) = 0;

 protected:
  ~IStream() = default;
};

// A stream over a global memory block's bytes, or over a new, empty block
// when `mem` is null. Writes grow the stream, not the caller's block; with
// deleteOnRelease the stream frees `mem` when it is released.
HRESULT CreateStreamOnHGlobal(HGLOBAL mem, BOOL deleteOnRelease, IStream** out);

#include "win32/guid.h"

namespace Gdiplus {

enum Status {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  PropertyNotFound = 19,
};

typedef DWORD ARGB;
typedef INT PixelFormat;
typedef float REAL;


constexpr PixelFormat PixelFormat32bppRGB = 0x00022009;
constexpr PixelFormat PixelFormat32bppARGB = 0x0026200A;
constexpr PixelFormat PixelFormat32bppPARGB = 0x000E200B;
inline UINT GetPixelFormatSize(PixelFormat f) { return (f >> 8) & 0xFF; }

enum ImageLockMode { ImageLockModeRead = 1, ImageLockModeWrite = 2, ImageLockModeUserInputBuf = 4 };
enum SmoothingMode {
  SmoothingModeDefault = 0,
  SmoothingModeHighSpeed = 1,
  SmoothingModeHighQuality = 2,
  SmoothingModeNone = 3,
  SmoothingModeAntiAlias = 4
};
enum FillMode { FillModeAlternate = 0, FillModeWinding = 1 };
enum WrapMode { WrapModeTile = 0, WrapModeTileFlipX = 1, WrapModeTileFlipY = 2, WrapModeTileFlipXY = 3, WrapModeClamp = 4 };
enum MatrixOrder { MatrixOrderPrepend = 0, MatrixOrderAppend = 1 };
enum Unit { UnitWorld = 0, UnitDisplay = 1, UnitPixel = 2 };

constexpr PROPID PropertyTagFrameDelay = 0x5100;
constexpr WORD PropertyTagTypeLong = 4;

extern const GUID FrameDimensionTime;
extern const GUID FrameDimensionPage;

struct PropertyItem {
  PROPID id;
  ULONG length;
  WORD type;
  VOID* value;
};

struct GdiplusStartupInput {
  UINT GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = FALSE;
  BOOL SuppressExternalCodecs = FALSE;
};
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, void* output);
void GdiplusShutdown(ULONG_PTR token);

struct Point {
  INT X = 0, Y = 0;
  Point() = default;
  Point(INT x, INT y) : X(x), Y(y) {}
};
struct PointF {
  REAL X = 0, Y = 0;
  PointF() = default;
  PointF(REAL x, REAL y) : X(x), Y(y) {}
};
struct Rect {
  INT X = 0, Y = 0, Width = 0, Height = 0;
  Rect() = default;
  Rect(INT x, INT y, INT w, INT h) : X(x), Y(y), Width(w), Height(h) {}
};
struct RectF {
  REAL X = 0, Y = 0, Width = 0, Height = 0;
  RectF() = default;
  RectF(REAL x, REAL y, REAL w, REAL h) : X(x), Y(y), Width(w), Height(h) {}
};

class Color {
 public:
  Color() : argb_(0xFF000000) {}
  explicit Color(ARGB argb) : argb_(argb) {}
  Color(BYTE r, BYTE g, BYTE b) : argb_(MakeARGB(255, r, g, b)) {}
  Color(BYTE a, BYTE r, BYTE g, BYTE b) : argb_(MakeARGB(a, r, g, b)) {}
  ARGB GetValue() const { return argb_; }
  BYTE GetA() const { return argb_ >> 24; }
  BYTE GetR() const { return (argb_ >> 16) & 0xFF; }
  BYTE GetG() const { return (argb_ >> 8) & 0xFF; }
  BYTE GetB() const { return argb_ & 0xFF; }
  static ARGB MakeARGB(BYTE a, BYTE r, BYTE g, BYTE b) {
    return ((ARGB)a << 24) | ((ARGB)r << 16) | ((ARGB)g << 8) | b;
  }

 private:
  ARGB argb_;
};

struct BitmapData {
  UINT Width;
  UINT Height;
  INT Stride;
  INT PixelFormat;  // a Gdiplus::PixelFormat value
  VOID* Scan0;
  UINT_PTR Reserved;
};

}  // namespace Gdiplus

// --- The flat API's objects. GpBitmap is a GpImage; a texture is a brush.
struct GpImage;
struct GpGraphics;
struct GpBrush;
typedef GpImage GpBitmap;
typedef GpBrush GpTexture;
typedef GpBrush GpSolidFill;
struct GpPath;
typedef Gdiplus::Status GpStatus;
typedef Gdiplus::Rect GpRect;

GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, Gdiplus::PixelFormat format, BYTE* scan0,
                                   GpBitmap** out);
GpStatus GdipCreateBitmapFromStream(IStream* stream, GpBitmap** out);
GpStatus GdipCreateBitmapFromFile(LPCWSTR path, GpBitmap** out);
GpStatus GdipGetImageWidth(GpImage* image, UINT* width);
GpStatus GdipGetImageHeight(GpImage* image, UINT* height);
GpStatus GdipGetImagePixelFormat(GpImage* image, Gdiplus::PixelFormat* format);
GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** out);
GpStatus GdipCreateTexture2I(GpImage* image, Gdiplus::WrapMode wrap, INT x, INT y, INT width, INT height,
                             GpTexture** out);
GpStatus GdipScaleTextureTransform(GpTexture* brush, Gdiplus::REAL sx, Gdiplus::REAL sy, Gdiplus::MatrixOrder order);
GpStatus GdipCreateSolidFill(Gdiplus::ARGB color, GpSolidFill** out);
GpStatus GdipSetSmoothingMode(GpGraphics* g, Gdiplus::SmoothingMode mode);
GpStatus GdipGraphicsClear(GpGraphics* g, Gdiplus::ARGB color);
GpStatus GdipFillEllipseI(GpGraphics* g, GpBrush* brush, INT x, INT y, INT width, INT height);
GpStatus GdipFillEllipse(GpGraphics* g, GpBrush* brush, Gdiplus::REAL x, Gdiplus::REAL y, Gdiplus::REAL width,
                         Gdiplus::REAL height);
GpStatus GdipFillRectangleI(GpGraphics* g, GpBrush* brush, INT x, INT y, INT width, INT height);
GpStatus GdipFillPolygon(GpGraphics* g, GpBrush* brush, const Gdiplus::PointF* pts, INT count,
                         Gdiplus::FillMode mode);
GpStatus GdipFillPath(GpGraphics* g, GpBrush* brush, GpPath* path);
GpStatus GdipDrawImageRectI(GpGraphics* g, GpImage* image, INT x, INT y, INT width, INT height);
GpStatus GdipBitmapLockBits(GpBitmap* bitmap, const GpRect* rect, UINT flags, Gdiplus::PixelFormat format,
                            Gdiplus::BitmapData* data);
GpStatus GdipBitmapUnlockBits(GpBitmap* bitmap, Gdiplus::BitmapData* data);
GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, Gdiplus::ARGB* color);
GpStatus GdipCloneBitmapAreaI(INT x, INT y, INT width, INT height, Gdiplus::PixelFormat format, GpBitmap* src,
                              GpBitmap** out);
GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP hbm, void* palette, GpBitmap** out);
GpStatus GdipGetImageThumbnail(GpImage* image, UINT width, UINT height, GpImage** out);
GpStatus GdipImageGetFrameDimensionsCount(GpImage* image, UINT* count);
GpStatus GdipImageGetFrameDimensionsList(GpImage* image, GUID* ids, UINT count);
GpStatus GdipImageGetFrameCount(GpImage* image, const GUID* dimension, UINT* count);
GpStatus GdipImageSelectActiveFrame(GpImage* image, const GUID* dimension, UINT index);
GpStatus GdipGetPropertyItemSize(GpImage* image, PROPID id, UINT* size);
GpStatus GdipGetPropertyItem(GpImage* image, PROPID id, UINT size, Gdiplus::PropertyItem* item);
GpStatus GdipCreatePath(Gdiplus::FillMode mode, GpPath** out);
GpStatus GdipAddPathEllipseI(GpPath* path, INT x, INT y, INT width, INT height);
GpStatus GdipAddPathPolygon(GpPath* path, const Gdiplus::PointF* pts, INT count);
GpStatus GdipDeletePath(GpPath* path);
GpStatus GdipDisposeImage(GpImage* image);
GpStatus GdipDeleteGraphics(GpGraphics* g);
GpStatus GdipDeleteBrush(GpBrush* brush);

// The surface behind an image's active frame (not referenced), for callers
// that hand GDI+ pictures to Cairo.
typedef struct _cairo_surface cairo_surface_t;
cairo_surface_t* GdipImageSurface(GpImage* image);

#include "gdiplus/GdiplusClasses.h"
