// The XML tags of the program's own controls. Start-up registers them in
// two groups, loading the web engine between them; a tag already
// registered keeps its first factory.
#pragma once

#include "core/SObjectFactory.h"

namespace ORIEL {

struct ControlFactoryRow {
  const wchar_t* className;  // the XML tag
  int type;                  // kObjWindow or kObjSkin
  const wchar_t* baseName;   // the class whose defaults it starts from
  bool (*registerIn)(SObjectFactoryMgr& mgr);
};

// The rows of each group, in registration order (group 1 or 2); the count
// through `count`.
const ControlFactoryRow* ControlFactoryRows(int group, size_t* count);

// Registers each row of the group with replace off; the number of rows that
// were new.
int RegisterControlFactories(SObjectFactoryMgr& mgr, int group);

}  // namespace ORIEL
