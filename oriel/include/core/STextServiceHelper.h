// Access to the windowless text services behind every edit field. Linux has
// no system library of that kind: the program links its own engine, and the
// helper hands out its CreateTextServices entry.
#pragma once

#include "core/SSingleton.h"
#include "richedit/textserv.h"

namespace ORIEL {

class STextServiceHelper : public SSingleton2<STextServiceHelper, SINGLETON_TEXTSERVICEHELPER> {
 public:
  using CreateFn = HRESULT (*)(IUnknown* outer, ITextHost* host, IUnknown** unknown);

  STextServiceHelper() : create_(&::CreateTextServices) {}

  bool HasService() const { return create_ != nullptr; }
  // The engine for `host`, or E_NOTIMPL when no entry is there.
  HRESULT CreateTextServices(IUnknown* outer, ITextHost* host, IUnknown** unknown) const {
    if (unknown) *unknown = nullptr;
    if (!create_) return E_NOTIMPL;
    return create_(outer, host, unknown);
  }
  // Test switch: with `missing` set the helper acts as if the entry could
  // not be found, so edits fail their creation.
  void SimulateMissingService(bool missing) { create_ = missing ? nullptr : &::CreateTextServices; }

 private:
  CreateFn create_;
};

}  // namespace ORIEL
