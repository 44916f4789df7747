// Skins by name for the controls: the newest pool that has the name, at
// the window's scale; null when none has it.
#pragma once

#include "res.mgr/SSkinPool.h"

namespace ORIEL {

inline ISkinObj* LookupControlSkin(const SStringW& name, int scale) {
  SSkinPoolMgr* pools = SSkinPoolMgr::getSingletonPtr();
  return pools && !name.IsEmpty() ? pools->GetSkin(name, scale) : nullptr;
}

// The extent of a skin across (vertical false: height) or along an axis.
inline int SkinHeight(ISkinObj* skin) { return skin ? skin->NaturalSize().cy : 0; }
inline int SkinWidth(ISkinObj* skin) { return skin ? skin->NaturalSize().cx : 0; }

}  // namespace ORIEL
