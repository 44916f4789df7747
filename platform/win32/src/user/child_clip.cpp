// Keeping a parent's paint off its visible child windows.
#include "child_clip.h"

#include <algorithm>
#include <utility>

#include "../window_table.h"
#include "geometry.h"
#include "paint_store.h"

namespace win32::detail {

std::vector<std::pair<HWND, RECT>> visibleChildrenLocked(HWND parent) {
  std::vector<std::pair<HWND, RECT>> out;
  for (auto& [value, window] : windowsLocked()) {
    if (!(window->style & WS_CHILD) || window->parent != parent) continue;
    if (!(window->style & WS_VISIBLE) || window->destroying) continue;
    out.emplace_back(window->hwnd, window->rect);
  }
  return out;
}

ChildPixels::ChildPixels(ChildPixels&& other) noexcept
    : backing_(std::exchange(other.backing_, nullptr)), parts_(std::move(other.parts_)) {
  other.parts_.clear();
}

ChildPixels& ChildPixels::operator=(ChildPixels&& other) noexcept {
  if (this != &other) {
    this->~ChildPixels();
    backing_ = std::exchange(other.backing_, nullptr);
    parts_ = std::move(other.parts_);
    other.parts_.clear();
  }
  return *this;
}

ChildPixels::~ChildPixels() {
  for (Part& part : parts_) cairo_surface_destroy(part.pixels);
  parts_.clear();
  if (backing_) cairo_surface_destroy(backing_);
  backing_ = nullptr;
}

ChildPixels ChildPixels::save(HWND hwnd) {
  ChildPixels saved;
  HWND root = rootOf(hwnd);
  cairo_surface_t* backing = root ? backingSurface(root) : nullptr;
  if (!backing) return saved;
  std::vector<std::pair<HWND, RECT>> children;
  SIZE size{};
  {
    std::lock_guard<std::mutex> lock(windowLock());
    children = visibleChildrenLocked(hwnd);
  }
  if (children.empty() || !clientSize(hwnd, &size)) return saved;
  const POINT offset = offsetInRoot(hwnd);
  saved.backing_ = cairo_surface_reference(backing);
  cairo_surface_flush(backing);
  for (const auto& [child, r] : children) {
    // Only what lies inside the parent's client area is the child's.
    const RECT in{std::max<LONG>(r.left, 0), std::max<LONG>(r.top, 0),
                  std::min<LONG>(r.right, size.cx), std::min<LONG>(r.bottom, size.cy)};
    if (in.right <= in.left || in.bottom <= in.top) continue;
    const RECT inRoot{in.left + offset.x, in.top + offset.y, in.right + offset.x,
                      in.bottom + offset.y};
    cairo_surface_t* pixels = cairo_image_surface_create(
        CAIRO_FORMAT_ARGB32, inRoot.right - inRoot.left, inRoot.bottom - inRoot.top);
    cairo_t* cr = cairo_create(pixels);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, backing, -inRoot.left, -inRoot.top);
    cairo_paint(cr);
    cairo_destroy(cr);
    saved.parts_.push_back(Part{inRoot, pixels});
  }
  return saved;
}

void ChildPixels::restore() {
  if (!backing_) return;
  cairo_t* cr = cairo_create(backing_);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  for (const Part& part : parts_) {
    cairo_set_source_surface(cr, part.pixels, part.inRoot.left, part.inRoot.top);
    cairo_rectangle(cr, part.inRoot.left, part.inRoot.top, part.inRoot.right - part.inRoot.left,
                    part.inRoot.bottom - part.inRoot.top);
    cairo_fill(cr);
  }
  cairo_destroy(cr);
  cairo_surface_flush(backing_);
}

}  // namespace win32::detail
