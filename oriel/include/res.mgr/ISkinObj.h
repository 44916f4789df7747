// The skin interface every window draws through: one state cell of a look
// into a rectangle of a render target.
#pragma once

#include "core/SObject.h"
#include "render/IRender.h"

namespace ORIEL {

struct ISkinObj : IObject {
  virtual void DrawByIndex(IRenderTarget* rt, const RECT* rc, int index) = 0;
  virtual void DrawByIndexAlpha(IRenderTarget* rt, const RECT* rc, int index, BYTE alpha) = 0;
  virtual SIZE NaturalSize() const = 0;
  virtual BOOL IgnoreState() const = 0;
  virtual int StateCount() const = 0;
  virtual BYTE GetAlpha() const = 0;
  virtual void SetAlpha(BYTE alpha) = 0;
  // Recolours towards `color`; 0 restores the skin's own colours.
  virtual void ApplyColorize(COLORREF color) = 0;
  virtual int GetScale() const = 0;
  // A copy made for another scale (one reference), or null for skins of
  // fixed look.
  virtual ISkinObj* Scale(int scale) = 0;
};

}  // namespace ORIEL
