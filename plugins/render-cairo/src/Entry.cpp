// The plug-in's one export: the render factory.
#include "RenderFactory.h"

extern "C" __attribute__((visibility("default"))) BOOL SCreateInstance(IObjRef** out) {
  if (!out) return FALSE;
  *out = new RenderFactory;
  return TRUE;
}
