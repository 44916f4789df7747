// Inert entry points that answer in floating point: defined with their own
// return type, so that a caller reads 0 rather than whatever a register held.
#include "Engine.h"

WKE_EXPORT float wkeZoomFactor(wkeWebView) { return 0.0f; }
WKE_EXPORT float wkeGetZoomFactor(wkeWebView) { return 0.0f; }
WKE_EXPORT float wkeMediaVolume(wkeWebView) { return 0.0f; }
WKE_EXPORT float wkeGetMediaVolume(wkeWebView) { return 0.0f; }
WKE_EXPORT float jsToFloat(jsExecState, jsValue) { return 0.0f; }
WKE_EXPORT double jsToDouble(jsExecState, jsValue) { return 0.0; }
