#include "res.mgr/STemplatePool.h"

#include "PoolStack.h"

namespace ORIEL {

STemplatePool::STemplatePool() : templates_(17, 0.75f, 0.25f, 2.25f, 10) {}

int STemplatePool::Init(pugi::xml_node node) {
  if (!node) return 0;
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    const SStringW name = XmlName(c);
    if (templates_.Lookup(name)) continue;
    templates_.SetAt(name, c.first_child() ? XmlToString(c.first_child(), "") : SStringW());
  }
  return 1;
}

SStringW STemplatePool::GetTemplate(const SStringW& name) const {
  SStringW text;
  templates_.Lookup(name, text);
  return text;
}

STemplatePoolMgr::STemplatePoolMgr() : pools_(10) {}
STemplatePoolMgr::~STemplatePoolMgr() { PoolStackClear(pools_); }
void STemplatePoolMgr::PushTemplatePool(STemplatePool* pool) { PoolStackPush(pools_, pool); }
void STemplatePoolMgr::PopTemplatePool(STemplatePool* pool) { PoolStackPop(pools_, pool); }

SStringW STemplatePoolMgr::FindTemplate(const SStringW& name) const {
  for (SPOSITION pos = pools_.GetTailPosition(); pos;) {
    SStringW text = pools_.GetPrev(pos)->GetTemplate(name);
    if (!text.IsEmpty()) return text;
  }
  return SStringW();
}

}  // namespace ORIEL
