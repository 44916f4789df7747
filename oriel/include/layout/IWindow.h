// What a layout asks of a window: its children that take part, their
// parameters, scale and wanted size, the area to fill, and the move.
#pragma once

#include "core/SObject.h"

namespace ORIEL {

struct ILayoutParam;

struct IWindow : IObject {
  // The window's place in its parent's layout.
  virtual ILayoutParam* GetLayoutParam() const = 0;
  // The scale in percent at which the window's lengths become pixels.
  virtual int GetScale() const = 0;
  // The rectangle the children are laid out in.
  virtual void GetLayoutArea(RECT* rc) = 0;
  // The next child after `previous` (the first for null) that takes part
  // in this window's layout: not floating, and visible or keeping its
  // place; null at the end.
  virtual IWindow* GetNextLayoutChild(const IWindow* previous) const = 0;
  // The size the window wants; a hint of -1 is an unknown extent.
  virtual SIZE MeasureDesiredSize(int widthHint, int heightHint) = 0;
  // Moves the window; false when nothing changed.
  virtual BOOL RelayoutTo(const RECT* rc) = 0;
};

}  // namespace ORIEL
