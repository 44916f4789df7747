// Named styles (sets of attributes a window takes through its "class"
// attribute) and the stack of style pools, answered from the newest down.
#pragma once

#include "core/SList.h"
#include "core/SMap.h"
#include "core/SSingleton.h"
#include "core/SXml.h"
#include "render/TObjRefImpl.h"

namespace ORIEL {

class SStylePool : public TObjRefImpl<IObjRef> {
 public:
  SStylePool();
  // Copies the node; each "class" child (by its "name", removed) or other
  // child (by its element name) is a style; the first of a name wins.
  // 0 for an empty node.
  int Init(pugi::xml_node node);
  pugi::xml_node GetStyle(const SStringW& name) const;
  size_t GetCount() const { return styles_.GetCount(); }

 private:
  SMap<SStringW, pugi::xml_node> styles_;
  SXmlDoc doc_;
};

class SStylePoolMgr : public SSingleton2<SStylePoolMgr, SINGLETON_STYLEPOOLMGR> {
 public:
  SStylePoolMgr();
  ~SStylePoolMgr() override;
  void PushStylePool(SStylePool* pool);
  // Null pops the newest; a pool is searched oldest first.
  void PopStylePool(SStylePool* pool);
  pugi::xml_node GetStyle(const SStringW& name) const;

 private:
  mutable SList<SStylePool*> pools_;
};

}  // namespace ORIEL
