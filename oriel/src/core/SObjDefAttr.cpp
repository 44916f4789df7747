#include "core/SObjDefAttr.h"

#include "core/SApplication.h"

namespace ORIEL {

SObjDefAttr::SObjDefAttr() : entries_(17, 0.75f, 0.25f, 2.25f, 10) {}

bool SObjDefAttr::Init(pugi::xml_node element) {
  if (!element) return false;
  doc_.append_copy(element);
  pugi::xml_node copy = XmlChild(doc_, L"objattr");
  for (pugi::xml_node c = copy.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    const SStringW key = XmlName(c);
    if (!entries_.Lookup(key)) entries_.SetAt(key, c);
  }
  for (SPOSITION pos = entries_.GetStartPosition(); pos;) {
    auto* pair = entries_.GetNext(pos);
    MergeBaseAttributes(pair->m_value, pair->m_key);
  }
  return true;
}

void SObjDefAttr::MergeBaseAttributes(pugi::xml_node element, const SStringW& className) {
  SApplication* app = SApplication::getSingletonPtr();
  if (!app) return;
  SStringW cls = className;
  for (int guard = 0; guard < 256; ++guard) {  // a registry that loops on itself must not hang us
    const SObjectInfo base = app->BaseClassInfo(SObjectInfo(cls, kObjWindow));
    if (base.mName.IsEmpty()) return;
    // Keys are compared exactly, and the base name comes lower-cased from the registry.
    pugi::xml_node baseEntry;
    if (entries_.Lookup(base.mName, baseEntry)) {
      for (pugi::xml_attribute a = baseEntry.first_attribute(); a; a = a.next_attribute()) {
        if (!element.attribute(a.name())) element.append_attribute(a.name()) = a.value();
      }
    }
    cls = base.mName;
  }
}

pugi::xml_node SObjDefAttr::FindClassEntry(const SStringW& className) const {
  SStringW cls = className;
  SApplication* app = SApplication::getSingletonPtr();
  for (int guard = 0; guard < 256; ++guard) {
    pugi::xml_node entry;
    if (entries_.Lookup(cls, entry)) return entry;
    if (!app) break;
    const SObjectInfo base = app->BaseClassInfo(SObjectInfo(cls, kObjWindow));
    if (base.mName.IsEmpty()) break;
    cls = base.mName;
  }
  return pugi::xml_node();
}

}  // namespace ORIEL
