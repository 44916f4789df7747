// The render plug-in's interface: everything the framework draws goes
// through a render factory and the objects it makes.
//
// Colours are the framework's colour words: red in bits 0-7, green 8-15,
// blue 16-23, alpha 24-31 (255 opaque); the word 0x00FFFFFF means "no
// colour" and is never drawn. Bitmap pixels are premultiplied 32-bit BGRA,
// top row first, no row padding. Rectangles exclude their right and bottom
// edges. Every Create* hands the caller one reference.
#pragma once

#include <cstddef>

#include "render/IImgDecoder.h"
#include "render/IObjRef.h"
#include "win32/types.h"

namespace pugi {
class xml_node;
}

// The colour word that means "no colour".
constexpr COLORREF kRenderNoColor = 0x00FFFFFF;

// Kinds of selectable objects (SelectDefaultObject, GetCurrentObject).
enum RenderObjType { OT_NULL = 0, OT_PEN = 1, OT_BRUSH = 2, OT_BITMAP = 3, OT_FONT = 4, OT_RGN = 5, OT_PATH = 6 };

// Expand mode word of bitmap drawing: filter level in bits 16-31, the mode
// in the low word.
enum ExpandMode { EM_NULL = 0, EM_STRETCH = 1, EM_TILE = 2 };
enum FilterLevel { kFilterNone = 0, kFilterLow = 1, kFilterMedium = 2, kFilterHigh = 3 };
inline UINT MakeExpandMode(UINT mode, UINT filter) { return (filter << 16) | (mode & 0xFFFF); }

// Clip and region combine modes (the Win32 RGN_* values).
enum RenderCombine { kCombineAnd = 1, kCombineOr = 2, kCombineXor = 3, kCombineDiff = 4, kCombineCopy = 5 };

// Gradient kinds of DrawGradient.
enum GradientType { kGradientLinear = 0, kGradientRadial = 1, kGradientSweep = 2 };

// Raster operations of BitBlt.
constexpr DWORD kRopSrcCopy = 0x00CC0020;
constexpr DWORD kRopDstInvert = 0x00550009;

struct IRenderFactory;
struct IRegion;
struct tagLOGFONTW;

struct IRenderObj : IObjRef {
  virtual IRenderFactory* GetRenderFactory() const = 0;
  virtual RenderObjType ObjectType() const = 0;
};

struct IPen : IRenderObj {
  virtual int GetStyle() const = 0;  // PS_SOLID 0, PS_DASH 1, PS_DOT 2, PS_DASHDOT 3, PS_DASHDOTDOT 4
  virtual int GetWidth() const = 0;
  virtual COLORREF GetColor() const = 0;
  virtual void SetColor(COLORREF color) = 0;
};

struct IBrush : IRenderObj {
  virtual COLORREF GetColor() const = 0;
};

struct IFont : IRenderObj {
  virtual const tagLOGFONTW* LogFont() const = 0;
  virtual LPCWSTR FamilyName() const = 0;
  virtual int TextSize() const = 0;  // character height in pixels
  virtual BOOL IsBold() const = 0;
  virtual BOOL IsItalic() const = 0;
  virtual BOOL IsUnderline() const = 0;
  virtual BOOL IsStrikeOut() const = 0;
  // Further properties from a font element of the UI definition. None is
  // defined beyond the LOGFONTW, so the render-cairo plug-in reads nothing.
  virtual void SetProp(const pugi::xml_node* element) = 0;
};

struct IBitmap : IRenderObj {
  // Sizes the bitmap and copies width x height pixels from `bits` (or clears
  // it when `bits` is null). S_OK or a failure code.
  virtual HRESULT Init(int width, int height, const void* bits) = 0;
  // Decodes through the factory's image-decoder plug-in (first frame).
  virtual HRESULT LoadFromFile(LPCWSTR path) = 0;
  virtual HRESULT LoadFromMemory(const void* data, size_t size) = 0;
  virtual UINT Width() const = 0;
  virtual UINT Height() const = 0;
  virtual SIZE Size() const = 0;
  // Pixels for reading and writing between Lock and Unlock; null when the
  // bitmap is empty.
  virtual void* LockPixelBits() = 0;
  virtual void UnlockPixelBits(void* bits) = 0;
  virtual const void* GetPixelBits() const = 0;
  virtual HRESULT Clone(IBitmap** out) const = 0;
  virtual HRESULT Scale(IBitmap** out, int width, int height, UINT filter) const = 0;
};

struct IRegion : IRenderObj {
  virtual void CombineRect(const RECT* rect, int mode) = 0;
  virtual void CombineEllipse(const RECT* rect, int mode) = 0;
  virtual void CombineRoundRect(const RECT* rect, POINT radius, int mode) = 0;
  virtual void CombineRegion(const IRegion* other, int mode) = 0;
  // Takes a platform region (HRGN) by value; the handle stays the caller's.
  virtual void CombineRgn(HRGN rgn, int mode) = 0;
  virtual BOOL PtInRegion(POINT pt) const = 0;
  virtual BOOL RectInRegion(const RECT* rect) const = 0;
  virtual void GetRgnBox(RECT* box) const = 0;
  virtual BOOL IsEmpty() const = 0;
  virtual void Offset(POINT pt) = 0;
  virtual void Clear() = 0;
};

struct IPath : IRenderObj {
  // `op` is the framework's path-operation argument; 5 (the only value the
  // skins pass) adds the shape as a closed figure.
  virtual void AddRoundRect(const RECT* rect, float rx, float ry, int op) = 0;
  virtual void AddOval(const RECT* rect, int op) = 0;
  virtual void AddRect(const RECT* rect, int op) = 0;
  virtual BOOL IsEmpty() const = 0;
  virtual void Reset() = 0;
  virtual void GetBounds(RECT* box) const = 0;
};

struct IRenderTarget : IObjRef {
  virtual HRESULT Resize(SIZE size) = 0;
  virtual SIZE GetSize() const = 0;
  virtual IRenderFactory* GetRenderFactory() const = 0;

  // Viewport origin: where logical (0, 0) lies in the target's pixels.
  virtual HRESULT SetViewportOrg(POINT pt) = 0;
  virtual HRESULT GetViewportOrg(POINT* pt) const = 0;
  virtual HRESULT OffsetViewportOrg(int dx, int dy, POINT* old) = 0;

  // Replace the pixels of a rectangle (ignores the clip's blending, keeps
  // to the clip) with a colour, alpha included; or blend a colour over it.
  virtual HRESULT Clear(COLORREF color) = 0;
  virtual HRESULT ClearRect(const RECT* rect, COLORREF color) = 0;
  virtual HRESULT FillSolidRect(const RECT* rect, COLORREF color) = 0;

  // Clip stack: each push combines with the current clip by a mode
  // (kCombineCopy replaces it); Pop restores the clip before the push.
  virtual HRESULT PushClipRect(const RECT* rect, int mode) = 0;
  virtual HRESULT PushClipRegion(const IRegion* rgn, int mode) = 0;
  virtual HRESULT PushClipPath(const IPath* path, int mode) = 0;
  virtual HRESULT PopClip() = 0;
  // Saves the clip depth so a later RestoreClip pops back to it.
  virtual HRESULT SaveClip(int* cookie) = 0;
  virtual HRESULT RestoreClip(int cookie) = 0;
  virtual HRESULT GetClipBox(RECT* box) const = 0;
  // The current clip as a new region (logical coordinates).
  virtual HRESULT GetClipRegion(IRegion** out) const = 0;

  // Copies from `src` (its logical point xSrc, ySrc) into `dst` with SRCCOPY
  // (alpha copied); DSTINVERT inverts `dst` and ignores the source (may be
  // null).
  virtual HRESULT BitBlt(const RECT* dst, IRenderTarget* src, int xSrc, int ySrc, DWORD rop) = 0;
  // Blends `srcRect` of `src` over `dst` (stretched when sizes differ) with a
  // constant alpha.
  virtual HRESULT AlphaBlend(const RECT* dst, IRenderTarget* src, const RECT* srcRect, BYTE alpha) = 0;

  // DrawText-style text in the selected font and text colour: DT_* format
  // bits; DT_CALCRECT (0x400) measures only and writes the extent back.
  virtual HRESULT DrawText(LPCWSTR text, int len, RECT* rect, UINT format) = 0;
  virtual HRESULT MeasureText(LPCWSTR text, int len, SIZE* size) = 0;
  virtual COLORREF GetTextColor() const = 0;
  virtual COLORREF SetTextColor(COLORREF color) = 0;

  // Selects a pen, brush or font (the target holds a reference); `old`
  // receives the previous object of that kind without a reference.
  virtual HRESULT SelectObject(IRenderObj* obj, IRenderObj** old) = 0;
  virtual HRESULT SelectDefaultObject(RenderObjType type, IRenderObj** old) = 0;
  virtual IRenderObj* GetCurrentObject(RenderObjType type) const = 0;
  virtual HRESULT CreatePen(int style, COLORREF color, int width, IPen** out) = 0;
  virtual HRESULT CreateSolidColorBrush(COLORREF color, IBrush** out) = 0;

  // Bitmaps: a source part into a rectangle by an expand mode with an
  // alpha; a nine-grid keeps the four margins (left, top, right, bottom in
  // `margins`) and stretches or tiles the rest by the expand mode.
  virtual HRESULT DrawBitmap(const RECT* dst, const IBitmap* bmp, int xSrc, int ySrc, BYTE alpha) = 0;
  virtual HRESULT DrawBitmapEx(const RECT* dst, const IBitmap* bmp, const RECT* src, UINT expandMode,
                               BYTE alpha) = 0;
  virtual HRESULT DrawBitmap9Patch(const RECT* dst, const IBitmap* bmp, const RECT* src, const RECT* margins,
                                   UINT expandMode, BYTE alpha) = 0;

  // Shapes filled with the selected brush, outlined with the selected pen.
  virtual HRESULT FillRectangle(const RECT* rect) = 0;
  virtual HRESULT FillRoundRect(const RECT* rect, POINT radius) = 0;
  virtual HRESULT FillSolidRoundRect(const RECT* rect, POINT radius, COLORREF color) = 0;
  virtual HRESULT FillEllipse(const RECT* rect) = 0;
  virtual HRESULT DrawRectangle(const RECT* rect) = 0;
  virtual HRESULT DrawRoundRect(const RECT* rect, POINT radius) = 0;
  virtual HRESULT DrawEllipse(const RECT* rect) = 0;
  // Arc on the ellipse of `rect`, angles in degrees clockwise from 3 o'clock.
  virtual HRESULT DrawArc(const RECT* rect, float startAngle, float sweepAngle, BOOL useCenter) = 0;
  virtual HRESULT DrawLines(const POINT* pts, size_t count) = 0;

  // Two-colour gradient, vertical (top to bottom) or horizontal, with alpha.
  virtual HRESULT GradientFill(const RECT* rect, BOOL vertical, COLORREF from, COLORREF to, BYTE alpha) = 0;
  // Three-colour gradient of a GradientType: linear along `angle` degrees,
  // radial from the centre (fractions of the rectangle) out to `radius`
  // pixels, or sweeping around the centre.
  virtual HRESULT DrawGradient(const RECT* rect, int type, COLORREF start, COLORREF center, COLORREF end,
                               float angle, float centerX, float centerY, int radius, BYTE alpha) = 0;

  // An icon (HICON) drawn at (x, y), stretched to cx x cy (0 = its own
  // size); flags are DrawIconEx's DI_* bits.
  virtual HRESULT DrawIconEx(int x, int y, HICON icon, int cx, int cy, UINT flags) = 0;

  // A DC over the target's pixels, for GDI callers; give it back with
  // ReleaseDC. The DC sees the current viewport origin and clip.
  virtual HDC GetDC(UINT flags) = 0;
  virtual void ReleaseDC(HDC hdc) = 0;
};

struct IRenderFactory : IObjRef {
  virtual IImgDecoderFactory* GetImgDecoderFactory() = 0;
  virtual void SetImgDecoderFactory(IImgDecoderFactory* factory) = 0;
  virtual BOOL CreateRenderTarget(IRenderTarget** out, int width, int height) = 0;
  virtual BOOL CreateFont(IFont** out, const tagLOGFONTW& lf) = 0;
  virtual BOOL CreateBitmap(IBitmap** out) = 0;
  virtual BOOL CreateRegion(IRegion** out) = 0;
  virtual BOOL CreatePath(IPath** out) = 0;
};

// The entry point every plug-in exports: stores a new object (the render or
// image-decoder factory) with one reference in *out.
typedef BOOL (*SCreateInstanceFn)(IObjRef** out);
