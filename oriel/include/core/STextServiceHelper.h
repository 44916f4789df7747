// Access to the windowless rich-edit text service. Linux has no system
// service of that kind; the edit control brings its own, so the helper
// holds none until then.
#pragma once

#include "core/SSingleton.h"

namespace ORIEL {

class STextServiceHelper : public SSingleton2<STextServiceHelper, SINGLETON_TEXTSERVICEHELPER> {
 public:
  bool HasService() const { return false; }
};

}  // namespace ORIEL
