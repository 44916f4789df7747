// The program's global look: skins, styles and colours every window
// shares, loaded from the program's resources into the current UI
// definition by one loader per kind. Each loader keeps its own bundle
// provider in the application's provider list for as long as it lives.
#pragma once

#include <memory>

#include "res.mgr/IResProvider.h"
#include "win32/windows.h"

namespace ORIEL {

class SOrielResourceLoader {
 public:
  enum Kind : int { kStyle = 0, kSkin = 1, kColor = 2, kString = 3 };

  explicit SOrielResourceLoader(int kind) : kind_(kind) {}
  ~SOrielResourceLoader();
  SOrielResourceLoader(const SOrielResourceLoader&) = delete;
  SOrielResourceLoader& operator=(const SOrielResourceLoader&) = delete;

  // Loads "TYPE:name" and hands its element of this loader's kind ("style",
  // "skin", "color", "string") to the UI definition. False without an
  // application or a provider, for a name without a colon, a document that
  // does not load or lacks the element, and a kind outside 0-3.
  bool Load(HINSTANCE module, LPCWSTR resName);

  int GetKind() const { return kind_; }
  // Null until the first Load; no reference for the caller.
  IResProvider* GetProvider() const { return provider_; }

 private:
  bool Apply(pugi::xml_node root) const;

  int kind_;
  IResProvider* provider_ = nullptr;
};

// What start-up keeps for the run: the loaders of the three global
// resources (no string loader is ever made). Destroyed before the
// application, it takes their providers out of the provider list.
class SGlobalUiResources {
 public:
  // Replaces the loaders, then loads "UIDEFGLOBAL:global_skin",
  // "UIDEFGLOBAL:global_style" and "UIDEFGLOBAL:global_color" in this
  // order; true when all three loaded.
  bool LoadGlobalUiResources(HINSTANCE module);

  std::shared_ptr<SOrielResourceLoader> skin, style, string, color;
};

}  // namespace ORIEL
