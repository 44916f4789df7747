// The cache behind the search for a descendant window by id or by name:
// (parent, id or name, depth) → the handle found. An entry whose window is
// gone counts as a miss and is dropped.
#pragma once

#include "core/SMap.h"
#include "core/SSingleton.h"
#include "core/SString.h"
#include "core/SWindowMgr.h"

namespace ORIEL {

struct SFindInfo {
  SWND parent = 0;
  bool byName = false;
  SStringW name;
  int id = 0;
  int depth = 0;
  uint32_t Hash() const;
  bool operator==(const SFindInfo& o) const;
};

class SWindowFinder : public SSingleton2<SWindowFinder, SINGLETON_WINDOWFINDER> {
 public:
  SWindowFinder();
  // Null for a miss (id 0, empty name or depth 0 always miss).
  SWindow* FindChildById(SWND parent, int id, int depth);
  SWindow* FindChildByName(SWND parent, const SStringW& name, int depth);
  void CacheResultForID(SWND parent, int id, int depth, SWND found);
  void CacheResultForName(SWND parent, const SStringW& name, int depth, SWND found);

 private:
  SWindow* Find(const SFindInfo& key);
  SMap<SFindInfo, SWND> cache_;
};

}  // namespace ORIEL
