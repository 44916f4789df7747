#include "core/SRenderPlugins.h"

#include <dlfcn.h>

#include <mutex>

#include "base/SysInfo.h"
#include "core/SWin32Utils.h"
#include "core/SXml.h"
#include "gdi/GdiCairo.h"
#include "win32/modules.h"
#include "win32/windows.h"

namespace ORIEL {

SRenderPlugins::~SRenderPlugins() {
  // Objects of the plug-ins must be gone by now; Pango keeps per-thread
  // state inside the render module, so it stays mapped for the process.
  if (decoder_) dlclose(decoder_);
}

IObjRef* SRenderPlugins::CreateFrom(void*& module, const SStringW& path) {
  if (!module) module = dlopen(XmlUtf8(path).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    const char* why = dlerror();
    error_ = SStringW(L"cannot load ") + path + L": " + XmlText(why ? why : "");
    return nullptr;
  }
  auto create = reinterpret_cast<SCreateInstanceFn>(dlsym(module, "SCreateInstance"));
  IObjRef* obj = nullptr;
  if (!create || !create(&obj) || !obj) {
    error_ = path + L": SCreateInstance missing or failed";
    return nullptr;
  }
  return obj;
}

IRenderFactory* SRenderPlugins::CreateRenderFactory(const SStringW& folderIn) {
  const SStringW folder = folderIn.IsEmpty() ? ModuleFolder(GetModuleHandleW(nullptr)) : folderIn;
  auto* render = static_cast<IRenderFactory*>(CreateFrom(render_, folder + L"/render-cairo.so"));
  if (!render) return nullptr;
  auto* decoder = static_cast<IImgDecoderFactory*>(CreateFrom(decoder_, folder + L"/imgdecoder-pixbuf.so"));
  if (!decoder) {
    render->Release();
    return nullptr;
  }
  render->SetImgDecoderFactory(decoder);
  decoder->Release();
  return render;
}

void InstallPlatformWiring() {
  static std::once_flag once;
  std::call_once(once, [] {
    static const Win32SurfaceDCFactory kFactory = {
        [](void* surface) { return GdiCreateSurfaceDC(static_cast<cairo_surface_t*>(surface)); },
        [](HDC hdc) { return DeleteDC(hdc); },
        [](HDC hdc) { return static_cast<void*>(GdiSurfaceOfDC(hdc)); },
    };
    Win32SetSurfaceDCFactory(&kFactory);
    // Window icons reach the window manager as pixels of the GDI layer's icons.
    Win32SetIconSurfaceReader([](HICON icon) { return static_cast<void*>(GdiSurfaceOfIcon(icon)); });
    GdiSetScreenDpi(static_cast<int>(Win32DisplayDpi()));
    base::SetScreenSizeProvider([](int& width, int& height) {
      width = GetSystemMetrics(SM_CXSCREEN);
      height = GetSystemMetrics(SM_CYSCREEN);
      return width > 0 && height > 0;
    });
  });
}

}  // namespace ORIEL
