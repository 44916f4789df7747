#pragma once
// Loads the render and image-decoder plug-ins on demand and keeps each
// loaded module, with its creation function, in a slot of its own, so that
// further objects need no second load. Everything is unloaded, slot 7 down
// to slot 0, when the loader is destroyed; by then every object the
// plug-ins made must be released.

#include "core/SString.h"
#include "render/IObjRef.h"
#include "render/IRender.h"
#include "win32/modules.h"

class ModuleLoader {
 public:
  static constexpr int kSlots = 8;
  static constexpr int kImgDecoderSlot = 0;
  static constexpr int kRenderSlot = 1;
  static constexpr size_t kPathChars = 260;  // with the terminating NUL

  ModuleLoader();
  ~ModuleLoader();
  ModuleLoader(const ModuleLoader&) = delete;
  ModuleLoader& operator=(const ModuleLoader&) = delete;

  // Loads the slot's module on first use and calls its SCreateInstance.
  // False, `out` untouched, when the module cannot be loaded, has no such
  // export or its path does not fit the slot; the slot then stays empty and
  // a later call tries again. The creation function's result otherwise.
  bool CreateInstance(int slot, const SStringW& path, IObjRef** out);
  bool CreateRender(IObjRef** out);
  bool CreateImgDecoder(IObjRef** out);

  // The path a loaded slot was loaded from; empty while the slot is empty.
  const wchar_t* SlotPath(int slot) const { return slot >= 0 && slot < kSlots ? slots_[slot].path : L""; }
  // Why the last load failed.
  const SStringW& GetLastError() const { return error_; }

 private:
  struct Slot {
    HMODULE module = nullptr;
    SCreateInstanceFn create = nullptr;
    wchar_t path[kPathChars] = {};
    Slot() = default;
    Slot(const Slot&) = delete;
    Slot& operator=(const Slot&) = delete;
    ~Slot() {
      if (module) FreeLibrary(module);
    }
  };

  Slot slots_[kSlots];
  SStringW decoderName_;
  SStringW moduleFolder_;
  SStringW error_;
};
