#include "res.mgr/SStylePool.h"

#include "PoolStack.h"

namespace ORIEL {

SStylePool::SStylePool() : styles_(17, 0.75f, 0.25f, 2.25f, 10) {}

int SStylePool::Init(pugi::xml_node node) {
  if (!node) return 0;
  pugi::xml_node copy = doc_.append_copy(node);
  for (pugi::xml_node c = copy.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    SStringW name;
    if (XmlNameIs(c.name(), L"class")) {
      pugi::xml_attribute attr = XmlAttr(c, L"name");
      name = XmlValue(attr);
      if (name.IsEmpty()) continue;
      c.remove_attribute(attr);  // applying a style never names the window
    } else {
      name = XmlName(c);
    }
    if (!styles_.Lookup(name)) styles_.SetAt(name, c);
  }
  return 1;
}

pugi::xml_node SStylePool::GetStyle(const SStringW& name) const {
  pugi::xml_node node;
  styles_.Lookup(name, node);
  return node;
}

SStylePoolMgr::SStylePoolMgr() : pools_(10) {}
SStylePoolMgr::~SStylePoolMgr() { PoolStackClear(pools_); }
void SStylePoolMgr::PushStylePool(SStylePool* pool) { PoolStackPush(pools_, pool); }
void SStylePoolMgr::PopStylePool(SStylePool* pool) { PoolStackPop(pools_, pool); }

pugi::xml_node SStylePoolMgr::GetStyle(const SStringW& name) const {
  for (SPOSITION pos = pools_.GetTailPosition(); pos;) {
    pugi::xml_node style = pools_.GetPrev(pos)->GetStyle(name);
    if (style) return style;
  }
  return pugi::xml_node();
}

}  // namespace ORIEL
