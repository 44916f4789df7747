// The picture that follows the mouse during a drag inside the program (a
// header column being moved, say): a topmost layered popup that never
// takes the mouse, so hit tests reach the windows beneath it. One exists
// at a time.
#pragma once

#include "core/CSimpleWnd.h"
#include "gdi/gdi.h"

namespace ORIEL {

class CDragWnd : public CSimpleWnd {
 public:
  // Makes the drag image from `bitmap` (not taken over: the caller keeps
  // it alive until EndDragImage), hidden until the first move. A 32-bit
  // bitmap is shown with its own per-pixel alpha scaled by `alpha`; any
  // other with the colour key and `alpha` as `layeredFlags` say. False
  // when a drag image exists already or the window cannot be made.
  static bool StartDragImage(HBITMAP bitmap, int hotX, int hotY, COLORREF colorKey, BYTE alpha,
                             DWORD layeredFlags);
  // Puts the hot spot at the screen point and shows the image.
  static void MoveDragImage(int x, int y);
  static void EndDragImage();
  // The drag image's window, null when there is none.
  static HWND GetDragImageHwnd();

  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;

 private:
  CDragWnd() = default;
  ~CDragWnd() override = default;
  void OnPaint(HWND hwnd);

  POINT hotSpot_{0, 0};
  HBITMAP bitmap_ = nullptr;  // painted in WM_PAINT; bitmaps with per-pixel alpha are pushed once instead
};

}  // namespace ORIEL
