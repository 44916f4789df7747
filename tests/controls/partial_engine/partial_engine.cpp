// A stand-in engine module for the loader's tests: it starts, but offers
// only a few of the entry points, so the loader meets missing names.
#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
bool g_started = false;
}

EXPORT void wkeInitializeEx(const void*) { g_started = true; }
EXPORT bool wkeIsInitialize() { return g_started; }
EXPORT void* wkeCreateWebView() { return nullptr; }
EXPORT long long jsUndefined() { return 0; }
