// Named pieces of layout XML kept as text, and the stack of template pools.
#pragma once

#include "core/SList.h"
#include "core/SMap.h"
#include "core/SSingleton.h"
#include "core/SXml.h"
#include "render/TObjRefImpl.h"

namespace ORIEL {

class STemplatePool : public TObjRefImpl<IObjRef> {
 public:
  STemplatePool();
  // Each child is a template: its first child node (with its subtree)
  // written out as XML; the first of a name wins. 0 for an empty node.
  int Init(pugi::xml_node node);
  SStringW GetTemplate(const SStringW& name) const;

 private:
  SMap<SStringW, SStringW> templates_;
};

class STemplatePoolMgr : public SSingleton2<STemplatePoolMgr, SINGLETON_TEMPLATEPOOLMGR> {
 public:
  STemplatePoolMgr();
  ~STemplatePoolMgr() override;
  void PushTemplatePool(STemplatePool* pool);
  void PopTemplatePool(STemplatePool* pool);
  SStringW FindTemplate(const SStringW& name) const;

 private:
  mutable SList<STemplatePool*> pools_;
};

}  // namespace ORIEL
