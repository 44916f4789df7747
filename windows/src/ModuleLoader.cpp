#include "windows/ModuleLoader.h"

#include <cwchar>

ModuleLoader::ModuleLoader() : decoderName_(L"imgdecoder-gdip") {}

// Members go in reverse order: the names first, then the slots from 7 down
// to 0, so the image decoder is unloaded after the render plug-in.
ModuleLoader::~ModuleLoader() = default;

bool ModuleLoader::CreateInstance(int slot, const SStringW& path, IObjRef** out) {
  if (slot < 0 || slot >= kSlots) {
    error_ = L"no such module slot";
    return false;
  }
  Slot& s = slots_[slot];
  if (!s.create) {
    if (static_cast<size_t>(path.GetLength()) >= kPathChars) {
      error_ = SStringW(L"module path too long: ") + path;
      return false;
    }
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module) {
      error_ = SStringW(L"cannot load ") + path + L": " + Win32ModuleLoadError();
      return false;
    }
    auto create = reinterpret_cast<SCreateInstanceFn>(GetProcAddress(module, "SCreateInstance"));
    if (!create) {
      FreeLibrary(module);
      error_ = path + L" exports no SCreateInstance";
      return false;
    }
    s.module = module;
    s.create = create;
    wcsncpy(s.path, path.c_str(), kPathChars - 1);
    s.path[kPathChars - 1] = 0;
  }
  return s.create(out) != FALSE;
}

bool ModuleLoader::CreateRender(IObjRef** out) {
  return CreateInstance(kRenderSlot, moduleFolder_ + L"render-skia.dll", out);
}

bool ModuleLoader::CreateImgDecoder(IObjRef** out) {
  return CreateInstance(kImgDecoderSlot, moduleFolder_ + decoderName_ + L".dll", out);
}
