// The test window host, for controls that repaint a part of themselves at
// once: what they draw outside the paint cycle reaches the screen at the
// next blit of the host's target.
#pragma once

#include "SwndWindowHost.h"

namespace ORIEL {

class ListPresentHost : public SwndWindowHost {
 public:
  using SwndWindowHost::SwndWindowHost;
  void ReleaseRenderTarget(IRenderTarget*, const RECT& rc, DWORD) override {
    if (Hwnd()) ::InvalidateRect(Hwnd(), &rc, FALSE);
  }
};

}  // namespace ORIEL
