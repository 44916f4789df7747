// Backing surfaces and the DCs handed out over them.
#include "paint_store.h"

#include <atomic>
#include <map>
#include <mutex>

#include "../window_table.h"
#include "win32/backend.h"

namespace win32::detail {
namespace {

std::mutex g_mutex;
std::map<HWND, cairo_surface_t*>& surfaces() {
  static auto* map = new std::map<HWND, cairo_surface_t*>();
  return *map;
}
// DCs of our own, for when no GDI layer is installed: handle -> surface.
std::map<HDC, cairo_surface_t*>& ownDCs() {
  static auto* map = new std::map<HDC, cairo_surface_t*>();
  return *map;
}
std::atomic<uintptr_t> g_nextDC{0x7D000000};
std::atomic<const Win32SurfaceDCFactory*> g_factory{nullptr};

cairo_surface_t* makeSurface(int width, int height) {
  return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width > 0 ? width : 1,
                                    height > 0 ? height : 1);
}

}  // namespace

cairo_surface_t* backingSurface(HWND hwnd) {
  RECT rect{};
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hwnd);
    if (!window) return nullptr;
    rect = window->rect;
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  auto& map = surfaces();
  auto it = map.find(hwnd);
  if (it != map.end()) return it->second;
  cairo_surface_t* surface = makeSurface(rect.right - rect.left, rect.bottom - rect.top);
  map[hwnd] = surface;
  return surface;
}

void resizeBacking(HWND hwnd, int width, int height) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto& map = surfaces();
  auto it = map.find(hwnd);
  if (it == map.end()) return;
  cairo_surface_t* old = it->second;
  if (cairo_image_surface_get_width(old) == width && cairo_image_surface_get_height(old) == height)
    return;
  // Keep what was drawn: a resize repaints only what it uncovers.
  cairo_surface_t* surface = makeSurface(width, height);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_surface(cr, old, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  it->second = surface;
  cairo_surface_destroy(old);
}

void dropBacking(HWND hwnd) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto& map = surfaces();
  auto it = map.find(hwnd);
  if (it == map.end()) return;
  cairo_surface_destroy(it->second);
  map.erase(it);
}

HDC makeSurfaceDC(cairo_surface_t* surface) {
  if (const Win32SurfaceDCFactory* factory = g_factory.load(); factory && factory->create)
    return factory->create(surface);
  HDC hdc = reinterpret_cast<HDC>(g_nextDC.fetch_add(1));
  std::lock_guard<std::mutex> lock(g_mutex);
  ownDCs()[hdc] = cairo_surface_reference(surface);
  return hdc;
}

void freeSurfaceDC(HDC hdc) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = ownDCs().find(hdc);
    if (it != ownDCs().end()) {
      cairo_surface_destroy(it->second);
      ownDCs().erase(it);
      return;
    }
  }
  if (const Win32SurfaceDCFactory* factory = g_factory.load(); factory && factory->destroy)
    factory->destroy(hdc);
}

}  // namespace win32::detail

void Win32SetSurfaceDCFactory(const Win32SurfaceDCFactory* factory) {
  win32::detail::g_factory.store(factory ? new Win32SurfaceDCFactory(*factory) : nullptr);
}

void* Win32SurfaceOfDC(HDC hdc) {
  {
    std::lock_guard<std::mutex> lock(win32::detail::g_mutex);
    auto& own = win32::detail::ownDCs();
    auto it = own.find(hdc);
    if (it != own.end()) return it->second;
  }
  const Win32SurfaceDCFactory* factory = win32::detail::g_factory.load();
  return factory && factory->surfaceOf ? factory->surfaceOf(hdc) : nullptr;
}

HDC Win32CreateSurfaceDC(void* cairoSurface) {
  return cairoSurface ? win32::detail::makeSurfaceDC(static_cast<cairo_surface_t*>(cairoSurface))
                      : nullptr;
}

void Win32DeleteSurfaceDC(HDC hdc) { win32::detail::freeSurfaceDC(hdc); }
