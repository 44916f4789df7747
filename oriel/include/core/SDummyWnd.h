// The hidden paint window of a translucent host. A layered window that
// takes its picture through UpdateLayeredWindow gets no WM_PAINT of its
// own, so the host sends its invalidations here instead: this window's
// WM_PAINT makes the host render and push the dirty part. It never shows
// anything (fully transparent), never takes a click and never activates.
#pragma once

#include "core/CSimpleWnd.h"

namespace ORIEL {

class SHostWnd;

class SDummyWnd : public CSimpleWnd {
 public:
  explicit SDummyWnd(SHostWnd* host) : host_(host) {}
  // Creates and shows the window ("ORIEL_DUMMY_WND", 10 x 10 at 0,0).
  HWND CreatePaintWindow();
  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;

 private:
  SHostWnd* host_;
};

}  // namespace ORIEL
