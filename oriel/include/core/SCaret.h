// The framework's caret: drawn by inverting the pixels of the host's back
// buffer under it, so drawing it twice at one place restores the picture.
// The bitmap only gives the caret its size.
#pragma once

#include "core/SObject.h"
#include "core/SWindowMgr.h"
#include "render/IRender.h"

namespace ORIEL {

class SCaret : public TObjRefImpl<IObjRef> {
 public:
  // A bitmap gives the size when width or height is not above 0.
  SCaret(SWND owner, HBITMAP bitmap, int width, int height);
  ~SCaret() override = default;

  // Inverts the caret at (x, y) inside the owner's visible client area;
  // returns the rectangle it inverted (empty when nothing showed).
  virtual RECT PaintAt(IRenderTarget* target, int x, int y);
  SIZE GetSize() const { return size_; }

 private:
  SWND owner_;
  SIZE size_{0, 0};
};

}  // namespace ORIEL
