#include "core/SWindowFinder.h"

namespace ORIEL {

uint32_t SFindInfo::Hash() const {
  uint32_t h = ((byName ? 128u : 0u) + static_cast<uint32_t>(depth % 128)) * (1u << 24) + (parent & 0xFFFFFF);
  return h + (byName ? name.Hash() : static_cast<uint32_t>(id) * 65536u);
}

bool SFindInfo::operator==(const SFindInfo& o) const {
  if (byName != o.byName || parent != o.parent || depth != o.depth) return false;
  return byName ? name == o.name : id == o.id;
}

SWindowFinder::SWindowFinder() : cache_(17, 0.75f, 0.25f, 2.25f, 10) {}

SWindow* SWindowFinder::Find(const SFindInfo& key) {
  SWND found = 0;
  if (!cache_.Lookup(key, found)) return nullptr;
  SWindow* window = SWindowMgr::getSingleton().LookupWindow(found);
  if (!window) cache_.RemoveKey(key);
  return window;
}

SWindow* SWindowFinder::FindChildById(SWND parent, int id, int depth) {
  if (id == 0 || depth == 0) return nullptr;
  return Find(SFindInfo{parent, false, SStringW(), id, depth});
}

SWindow* SWindowFinder::FindChildByName(SWND parent, const SStringW& name, int depth) {
  if (name.IsEmpty() || depth == 0) return nullptr;
  return Find(SFindInfo{parent, true, name, 0, depth});
}

void SWindowFinder::CacheResultForID(SWND parent, int id, int depth, SWND found) {
  if (id == 0 || depth == 0 || !found) return;
  cache_.SetAt(SFindInfo{parent, false, SStringW(), id, depth}, found);
}

void SWindowFinder::CacheResultForName(SWND parent, const SStringW& name, int depth, SWND found) {
  if (name.IsEmpty() || depth == 0 || !found) return;
  cache_.SetAt(SFindInfo{parent, true, name, 0, depth}, found);
}

}  // namespace ORIEL
