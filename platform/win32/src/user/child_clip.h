// Real child windows inside their parent's paint: the parent's drawing must
// not show where a visible child lies, so the children's pixels are kept
// aside while the parent holds a DC and put back before it is presented.
#pragma once

#include <cairo.h>

#include <vector>

#include "win32/types.h"

namespace win32::detail {

// The areas of `hwnd`'s visible child windows, in its root's backing,
// with what they show now.
class ChildPixels {
 public:
  ChildPixels() = default;
  ChildPixels(ChildPixels&& other) noexcept;
  ChildPixels& operator=(ChildPixels&& other) noexcept;
  ChildPixels(const ChildPixels&) = delete;
  ChildPixels& operator=(const ChildPixels&) = delete;
  ~ChildPixels();

  static ChildPixels save(HWND hwnd);
  // Puts the saved pixels back into the backing they came from.
  void restore();

 private:
  struct Part {
    RECT inRoot;
    cairo_surface_t* pixels;
  };
  cairo_surface_t* backing_ = nullptr;
  std::vector<Part> parts_;
};

// The rectangles (in `parent`'s client coordinates) of its visible child
// windows. Call with windowLock() held.
std::vector<std::pair<HWND, RECT>> visibleChildrenLocked(HWND parent);

}  // namespace win32::detail
