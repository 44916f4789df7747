// For other stand-in layers whose objects are Windows HANDLEs closed with
// CloseHandle (files, for instance): derive from Win32HandleObject, insert the
// object to get its handle, and look it up in the layer's own calls. The
// object is destroyed when its last handle is closed (DuplicateHandle makes
// more) and no lookup result is held any more. Such handles cannot be waited on.
#pragma once

#include <memory>

#include "win32/types.h"

class Win32HandleObject {
 public:
  virtual ~Win32HandleObject() = default;
};

HANDLE Win32InsertHandle(std::shared_ptr<Win32HandleObject> object);
// Null when the handle is not open.
std::shared_ptr<Win32HandleObject> Win32LookupHandle(HANDLE handle);

template <class T>
std::shared_ptr<T> Win32LookupHandleAs(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(Win32LookupHandle(handle));
}
