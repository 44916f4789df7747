// Skins by name for the controls: the newest pool that has the name, at
// the window's scale; null when none has it.
#pragma once

#include "res.mgr/SSkinPool.h"

namespace ORIEL {

inline ISkinObj* LookupControlSkin(const SStringW& name, int scale) {
  SSkinPoolMgr* pools = SSkinPoolMgr::getSingletonPtr();
  return pools && !name.IsEmpty() ? pools->GetSkin(name, scale) : nullptr;
}

// A skin's natural height and width; 0 without a skin.
inline int SkinHeight(ISkinObj* skin) { return skin ? skin->NaturalSize().cy : 0; }
inline int SkinWidth(ISkinObj* skin) { return skin ? skin->NaturalSize().cx : 0; }

}  // namespace ORIEL
