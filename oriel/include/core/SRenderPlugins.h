// The render and image-decoder plug-ins, opened by full path from the
// program's folder (dlopen does not search it), and the start-up wiring the
// application installs once: window DCs over the GDI layer, the display's
// DPI for GDI, and the screen size for the base library.
#pragma once

#include "core/SString.h"
#include "render/IRender.h"

namespace ORIEL {

class SRenderPlugins {
 public:
  SRenderPlugins() = default;
  ~SRenderPlugins();  // unloads the modules, the decoder's last
  SRenderPlugins(const SRenderPlugins&) = delete;
  SRenderPlugins& operator=(const SRenderPlugins&) = delete;

  // Loads "render-cairo.so" and "imgdecoder-pixbuf.so" from `folder` (the
  // program's when empty) and gives the decoder to a new render factory
  // (one reference for the caller). Null with the reason in LastError().
  IRenderFactory* CreateRenderFactory(const SStringW& folder = SStringW());
  const SStringW& LastError() const { return error_; }

 private:
  IObjRef* CreateFrom(void*& module, const SStringW& path);
  void* render_ = nullptr;
  void* decoder_ = nullptr;
  SStringW error_;
};

// Idempotent; the application calls it when it is made.
void InstallPlatformWiring();

}  // namespace ORIEL
