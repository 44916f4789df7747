// Skins by (name, scale), and the stack of pools the application asks from
// the newest down. A skin asked for at a scale no entry has is copied on
// demand from the first scale step that has it.
#pragma once

#include "core/SList.h"
#include "core/SMap.h"
#include "core/SSingleton.h"
#include "core/SXml.h"
#include "res.mgr/ISkinObj.h"

namespace ORIEL {

struct SkinKey {
  SStringW name;
  int scale = 100;
  uint32_t Hash() const;
  bool operator==(const SkinKey& o) const { return scale == o.scale && name == o.name; }
};

class SSkinPool : public TObjRefImpl<IObjRef> {
 public:
  SSkinPool();
  ~SSkinPool() override;
  // No reference for the caller.
  ISkinObj* GetSkin(const SStringW& name, int scale);
  // Creates the skins of the node's children; the number created.
  int AddSkinsFromXml(pugi::xml_node node);
  // Stores a skin under (its name, scale) with a reference of its own;
  // false when the key is taken.
  bool AddSkin(const SStringW& name, int scale, ISkinObj* skin);
  size_t GetCount() const { return skins_.GetCount(); }

 private:
  SMap<SkinKey, ISkinObj*> skins_;
};

// The names of the framework's built-in skins, by index (0-34).
constexpr int kSystemSkinCount = 35;
LPCWSTR SystemSkinName(int index);

class SSkinPoolMgr : public SSingleton2<SSkinPoolMgr, SINGLETON_SKINPOOLMGR> {
 public:
  SSkinPoolMgr();
  ~SSkinPoolMgr() override;
  void PushSkinPool(SSkinPool* pool);
  // Null pops the newest entry; a pool is searched oldest first. The system
  // pool is never popped by name.
  void PopPool(SSkinPool* pool);
  ISkinObj* GetSkin(const SStringW& name, int scale);
  ISkinObj* FindSystemSkin(int index, int scale = 100);
  SSkinPool* GetSystemPool() const { return systemPool_; }
  size_t GetPoolCount() const { return pools_.GetCount(); }

 private:
  SList<SSkinPool*> pools_;
  SSkinPool* systemPool_;
};

}  // namespace ORIEL
