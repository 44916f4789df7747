// Default attributes per window class from a UI definition's "objattr"
// element, each class's entry merged with those of its base classes.
#pragma once

#include "core/SMap.h"
#include "core/SObject.h"
#include "core/SXml.h"

namespace ORIEL {

class SObjDefAttr : public TObjRefImpl2<IObjRef, SObjDefAttr> {
 public:
  SObjDefAttr();
  // False for an empty element. Reads the children of a child named
  // "objattr" of the copy, so an element of another name gives no entries.
  bool Init(pugi::xml_node element);
  // The class's entry (exact case), else its nearest registered ancestor's.
  pugi::xml_node FindClassEntry(const SStringW& className) const;
  size_t GetCount() const { return entries_.GetCount(); }

 private:
  void MergeBaseAttributes(pugi::xml_node element, const SStringW& className);

  SMap<SStringW, pugi::xml_node> entries_;
  SXmlDoc doc_;
};

}  // namespace ORIEL
