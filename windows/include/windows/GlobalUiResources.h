// The skins, styles and colours every window of the program shares
// ("UIDEFGLOBAL:global_skin", "global_style", "global_color"), loaded once
// after the resource providers and kept until the object is destroyed.
#pragma once

namespace ORIEL {
class SApplication;
class SSkinPool;
class SStylePool;
}  // namespace ORIEL

class GlobalUiResources {
 public:
  GlobalUiResources() = default;
  ~GlobalUiResources();
  GlobalUiResources(const GlobalUiResources&) = delete;
  GlobalUiResources& operator=(const GlobalUiResources&) = delete;

  // Loads the three; a bit per part that failed (1 skins, 2 styles,
  // 4 colours), 0 when all loaded. Loading again replaces what was loaded.
  int Load(ORIEL::SApplication& app);
  void Unload();

 private:
  ORIEL::SSkinPool* skins_ = nullptr;
  ORIEL::SStylePool* styles_ = nullptr;
};
