// A plug-in for the loader's tests: SCreateInstance (unless built without
// it) makes counted objects, and unloading appends the module's name to
// the file QUORVALE_TEST_UNLOAD_LOG names.
#include <cstdio>
#include <cstdlib>

#include "render/IObjRef.h"

namespace {
struct Counted : IObjRef {
  long refs = 1;
  long AddRef() override { return ++refs; }
  long Release() override {
    const long left = --refs;
    if (left == 0) OnLastRelease();
    return left;
  }
  void OnLastRelease() override { delete this; }
};

__attribute__((destructor)) void LogUnload() {
  if (const char* log = std::getenv("QUORVALE_TEST_UNLOAD_LOG")) {
    if (FILE* f = std::fopen(log, "a")) {
      std::fprintf(f, "%s\n", TEST_PLUGIN_NAME);
      std::fclose(f);
    }
  }
}
}  // namespace

#ifndef TEST_PLUGIN_NO_EXPORT
extern "C" __attribute__((visibility("default"))) int SCreateInstance(IObjRef** out) {
  *out = new Counted;
  return 1;
}
#endif
