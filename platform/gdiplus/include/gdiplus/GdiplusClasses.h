// The GDI+ C++ classes: thin owners of the flat API's objects that keep the
// last status of their last call, as the GDI+ wrappers do.
#pragma once

namespace Gdiplus {

class Image {
 public:
  virtual ~Image() {
    if (native_) GdipDisposeImage(native_);
  }
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  static Image* FromFile(LPCWSTR path) {
    GpImage* img = nullptr;
    Status s = GdipCreateBitmapFromFile(path, &img);
    return new Image(img, s);
  }
  static Image* FromStream(IStream* stream) {
    GpImage* img = nullptr;
    Status s = GdipCreateBitmapFromStream(stream, &img);
    return new Image(img, s);
  }

  UINT GetWidth() {
    UINT w = 0;
    SetStatus(GdipGetImageWidth(native_, &w));
    return w;
  }
  UINT GetHeight() {
    UINT h = 0;
    SetStatus(GdipGetImageHeight(native_, &h));
    return h;
  }
  PixelFormat GetPixelFormat() {
    PixelFormat f = 0;
    SetStatus(GdipGetImagePixelFormat(native_, &f));
    return f;
  }
  Status GetLastStatus() {
    Status s = last_;
    last_ = Ok;
    return s;
  }
  UINT GetFrameDimensionsCount() {
    UINT n = 0;
    SetStatus(GdipImageGetFrameDimensionsCount(native_, &n));
    return n;
  }
  Status GetFrameDimensionsList(GUID* ids, UINT count) {
    return SetStatus(GdipImageGetFrameDimensionsList(native_, ids, count));
  }
  UINT GetFrameCount(const GUID* dimension) {
    UINT n = 0;
    SetStatus(GdipImageGetFrameCount(native_, dimension, &n));
    return n;
  }
  Status SelectActiveFrame(const GUID* dimension, UINT index) {
    return SetStatus(GdipImageSelectActiveFrame(native_, dimension, index));
  }
  UINT GetPropertyItemSize(PROPID id) {
    UINT n = 0;
    SetStatus(GdipGetPropertyItemSize(native_, id, &n));
    return n;
  }
  Status GetPropertyItem(PROPID id, UINT size, PropertyItem* item) {
    return SetStatus(GdipGetPropertyItem(native_, id, size, item));
  }
  Image* GetThumbnailImage(UINT width, UINT height, void* = nullptr, void* = nullptr) {
    GpImage* out = nullptr;
    Status s = SetStatus(GdipGetImageThumbnail(native_, width, height, &out));
    return s == Ok ? new Image(out, Ok) : nullptr;
  }

  GpImage* native() const { return native_; }

 protected:
  Image(GpImage* native, Status s) : native_(native), last_(s) {}
  Status SetStatus(Status s) {
    if (s != Ok) last_ = s;
    return s;
  }
  GpImage* native_;
  Status last_;
};

class Bitmap : public Image {
 public:
  Bitmap(INT width, INT height, PixelFormat format = PixelFormat32bppARGB) : Image(nullptr, Ok) {
    last_ = GdipCreateBitmapFromScan0(width, height, 0, format, nullptr, &native_);
  }
  Bitmap(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0) : Image(nullptr, Ok) {
    last_ = GdipCreateBitmapFromScan0(width, height, stride, format, scan0, &native_);
  }
  explicit Bitmap(LPCWSTR path) : Image(nullptr, Ok) { last_ = GdipCreateBitmapFromFile(path, &native_); }
  explicit Bitmap(IStream* stream) : Image(nullptr, Ok) { last_ = GdipCreateBitmapFromStream(stream, &native_); }

  // Wraps a flat-API bitmap; the new object owns and disposes it.
  static Bitmap* FromNative(GpBitmap* native) { return native ? new Bitmap(native, Ok) : nullptr; }
  static Bitmap* FromFile(LPCWSTR path) { return new Bitmap(path); }
  static Bitmap* FromStream(IStream* stream) { return new Bitmap(stream); }
  static Bitmap* FromHBITMAP(HBITMAP hbm, void* palette) {
    GpBitmap* b = nullptr;
    Status s = GdipCreateBitmapFromHBITMAP(hbm, palette, &b);
    return new Bitmap(b, s);
  }

  Bitmap* Clone(const Rect& rect, PixelFormat format) {
    return Clone(rect.X, rect.Y, rect.Width, rect.Height, format);
  }
  Bitmap* Clone(INT x, INT y, INT width, INT height, PixelFormat format) {
    GpBitmap* out = nullptr;
    Status s = SetStatus(GdipCloneBitmapAreaI(x, y, width, height, format, native_, &out));
    return s == Ok ? new Bitmap(out, Ok) : nullptr;
  }
  Status LockBits(const Rect* rect, UINT flags, PixelFormat format, BitmapData* data) {
    return SetStatus(GdipBitmapLockBits(native_, rect, flags, format, data));
  }
  Status UnlockBits(BitmapData* data) { return SetStatus(GdipBitmapUnlockBits(native_, data)); }
  Status GetPixel(INT x, INT y, Color* color) {
    ARGB v = 0;
    Status s = SetStatus(GdipBitmapGetPixel(native_, x, y, &v));
    if (s == Ok && color) *color = Color(v);
    return s;
  }

 private:
  Bitmap(GpBitmap* native, Status s) : Image(native, s) {}
};

class Brush {
 public:
  virtual ~Brush() {
    if (native_) GdipDeleteBrush(native_);
  }
  Brush(const Brush&) = delete;
  Brush& operator=(const Brush&) = delete;
  GpBrush* native() const { return native_; }
  Status GetLastStatus() {
    Status s = last_;
    last_ = Ok;
    return s;
  }

 protected:
  Brush() = default;
  GpBrush* native_ = nullptr;
  Status last_ = Ok;
};

class SolidBrush : public Brush {
 public:
  explicit SolidBrush(const Color& color) { last_ = GdipCreateSolidFill(color.GetValue(), &native_); }
};

class TextureBrush : public Brush {
 public:
  TextureBrush(Image* image, WrapMode wrap = WrapModeTile) {
    UINT w = image ? image->GetWidth() : 0, h = image ? image->GetHeight() : 0;
    last_ = GdipCreateTexture2I(image ? image->native() : nullptr, wrap, 0, 0, w, h, &native_);
  }
  TextureBrush(Image* image, WrapMode wrap, const Rect& rect) {
    last_ = GdipCreateTexture2I(image ? image->native() : nullptr, wrap, rect.X, rect.Y, rect.Width, rect.Height,
                                &native_);
  }
  Status ScaleTransform(REAL sx, REAL sy, MatrixOrder order = MatrixOrderPrepend) {
    return GdipScaleTextureTransform(native_, sx, sy, order);
  }
};

class GraphicsPath {
 public:
  explicit GraphicsPath(FillMode mode = FillModeAlternate) { GdipCreatePath(mode, &native_); }
  ~GraphicsPath() { GdipDeletePath(native_); }
  GraphicsPath(const GraphicsPath&) = delete;
  GraphicsPath& operator=(const GraphicsPath&) = delete;
  Status AddEllipse(INT x, INT y, INT width, INT height) { return GdipAddPathEllipseI(native_, x, y, width, height); }
  Status AddPolygon(const PointF* pts, INT count) { return GdipAddPathPolygon(native_, pts, count); }
  GpPath* native() const { return native_; }

 private:
  GpPath* native_ = nullptr;
};

class Graphics {
 public:
  explicit Graphics(Image* image) { last_ = GdipGetImageGraphicsContext(image ? image->native() : nullptr, &native_); }
  static Graphics* FromImage(Image* image) { return new Graphics(image); }
  ~Graphics() {
    if (native_) GdipDeleteGraphics(native_);
  }
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;

  Status Clear(const Color& color) { return SetStatus(GdipGraphicsClear(native_, color.GetValue())); }
  Status SetSmoothingMode(SmoothingMode mode) { return SetStatus(GdipSetSmoothingMode(native_, mode)); }
  Status FillPolygon(const Brush* brush, const PointF* pts, INT count, FillMode mode = FillModeAlternate) {
    return SetStatus(GdipFillPolygon(native_, brush ? brush->native() : nullptr, pts, count, mode));
  }
  Status FillEllipse(const Brush* brush, INT x, INT y, INT width, INT height) {
    return SetStatus(GdipFillEllipseI(native_, brush ? brush->native() : nullptr, x, y, width, height));
  }
  Status FillEllipse(const Brush* brush, REAL x, REAL y, REAL width, REAL height) {
    return SetStatus(GdipFillEllipse(native_, brush ? brush->native() : nullptr, x, y, width, height));
  }
  Status FillRectangle(const Brush* brush, INT x, INT y, INT width, INT height) {
    return SetStatus(GdipFillRectangleI(native_, brush ? brush->native() : nullptr, x, y, width, height));
  }
  Status FillPath(const Brush* brush, const GraphicsPath* path) {
    return SetStatus(GdipFillPath(native_, brush ? brush->native() : nullptr, path ? path->native() : nullptr));
  }
  Status DrawImage(Image* image, INT x, INT y) {
    if (!image) return SetStatus(InvalidParameter);
    return DrawImage(image, x, y, (INT)image->GetWidth(), (INT)image->GetHeight());
  }
  Status DrawImage(Image* image, INT x, INT y, INT width, INT height) {
    return SetStatus(GdipDrawImageRectI(native_, image ? image->native() : nullptr, x, y, width, height));
  }
  Status DrawImage(Image* image, const Rect& rect) { return DrawImage(image, rect.X, rect.Y, rect.Width, rect.Height); }
  Status GetLastStatus() {
    Status s = last_;
    last_ = Ok;
    return s;
  }

 private:
  Status SetStatus(Status s) {
    if (s != Ok) last_ = s;
    return s;
  }
  GpGraphics* native_ = nullptr;
  Status last_ = Ok;
};

}  // namespace Gdiplus
