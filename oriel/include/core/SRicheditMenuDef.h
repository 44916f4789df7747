// The rich edit's context menu: a copy of the "editmenu" element of the
// framework's resource SYS_XML_EDITMENU.
#pragma once

#include "core/SSingleton.h"
#include "core/SXml.h"

namespace ORIEL {

class SRicheditMenuDef : public SSingleton2<SRicheditMenuDef, SINGLETON_RICHEDITMENUDEF> {
 public:
  // Replaces the document by a copy of the element.
  void SetMenuDef(pugi::xml_node element) {
    doc_.reset();
    if (element) doc_.append_copy(element);
  }
  pugi::xml_node GetMenuDef() const { return doc_.first_child(); }

 private:
  SXmlDoc doc_;
};

}  // namespace ORIEL
