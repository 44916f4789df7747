// Reference counting shared by every object of the framework and its
// plug-ins: the creator holds the first reference; the Release that takes
// the count to 0 calls OnLastRelease once, which frees the object.
#pragma once

struct IObjRef {
  virtual long AddRef() = 0;
  virtual long Release() = 0;
  virtual void OnLastRelease() = 0;

 protected:
  ~IObjRef() = default;
};
