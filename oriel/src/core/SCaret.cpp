#include "core/SCaret.h"

#include "core/SApplication.h"
#include "core/SwndContainer.h"

namespace ORIEL {

// The caret is drawn by inverting what lies under it, so its bitmap (or
// the black block without one) only lends it a size.
SCaret::SCaret(SWND owner, HBITMAP bitmap, int width, int height) : owner_(owner), size_{width, height} {
  BITMAP info{};
  if ((width <= 0 || height <= 0) && bitmap && GetObjectW(bitmap, sizeof info, &info) == sizeof info)
    size_ = SIZE{info.bmWidth, info.bmHeight};
}

RECT SCaret::PaintAt(IRenderTarget* target, int x, int y) {
  RECT caret{x, y, x + size_.cx, y + size_.cy};
  SWindow* owner = SWindowMgr::getSingleton().LookupWindow(owner_);
  if (!owner || !target) return RECT{0, 0, 0, 0};
  // Inside the owner's client area and every ancestor's.
  RECT clip = owner->ClientRect();
  for (SWindow* p = owner->GetParent(); p; p = p->GetParent()) {
    const RECT c = p->ClientRect();
    IntersectRect(&clip, &clip, &c);
  }
  if (ISwndContainer* container = owner->GetContainer()) container->AdjustCaretClip(&clip);
  RECT painted{0, 0, 0, 0};
  if (!IntersectRect(&painted, &caret, &clip)) return RECT{0, 0, 0, 0};
  target->BitBlt(&painted, nullptr, 0, 0, 0x550009 /* DSTINVERT */);
  return painted;
}

}  // namespace ORIEL
