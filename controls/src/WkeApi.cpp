#include "controls/WkeApi.h"

#include <array>

#include "core/SLog.h"
#include "gdi/gdi.h"
#include "win32/windows.h"

namespace {

constexpr const char* kWkeApiNames[] = {
#define WKE_API_TEXT(name) #name,
    WKE_API_NAMES(WKE_API_TEXT)
#undef WKE_API_TEXT
};

std::array<void*, kWkeApiCount> g_api{};
int g_loaded = -1;  // -1 not tried yet, else LoadWkeApi's answer
bool g_started = false;
// Kept to start the engine again after a shut-down in the same process.
PFN_wkeInitializeEx g_initialize = nullptr;
PFN_wkeIsInitialize g_isInitialized = nullptr;
int g_engineScale = 100;

}  // namespace

void* WkeApiPointer(int index) {
  return index >= 0 && index < kWkeApiCount ? g_api[static_cast<size_t>(index)] : nullptr;
}

int LoadWkeApi() {
  if (g_loaded >= 0) return g_loaded;
  g_loaded = 0;
  HMODULE module = LoadLibraryW(L"node.dll");
  if (!module) {
    SLOGW(SLOG_LEVEL_WARN, "LoadWkeApi", L"web engine not loaded: node.dll (error %u)", GetLastError());
    return 0;
  }
  // The module stays loaded for the life of the process.
  auto initialize = reinterpret_cast<PFN_wkeInitializeEx>(GetProcAddress(module, "wkeInitializeEx"));
  auto isInitialized = reinterpret_cast<PFN_wkeIsInitialize>(GetProcAddress(module, "wkeIsInitialize"));
  if (!initialize || !isInitialized) {
    SLOGW(SLOG_LEVEL_WARN, "LoadWkeApi", L"web engine not started: wkeInitializeEx or wkeIsInitialize missing");
    return 0;
  }
  g_initialize = initialize;
  g_isInitialized = isInitialized;
  initialize(nullptr);
  if (!isInitialized()) {
    SLOGW(SLOG_LEVEL_WARN, "LoadWkeApi", L"web engine not started: the engine refused to start");
    return 0;
  }
  for (int i = 0; i < kWkeApiCount; ++i) {
    g_api[static_cast<size_t>(i)] = reinterpret_cast<void*>(GetProcAddress(module, kWkeApiNames[i]));
    if (!g_api[static_cast<size_t>(i)])
      SLOGW(SLOG_LEVEL_WARN, "LoadWkeApi", L"wke api not found: %S", kWkeApiNames[i]);
  }
  g_loaded = 1;
  return 1;
}

int WkeEngineScale() { return g_engineScale; }

void UpdateWkeEngineScale() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  g_engineScale = dpi > 0 ? dpi * 100 / 96 : 100;
}

bool StartWebEngine() {
  UpdateWkeEngineScale();
  if (!LoadWkeApi()) return false;
  // A start-up after an earlier shut-down in this process (the module stays
  // loaded): the engine is started again.
  if (!g_isInitialized()) {
    g_initialize(nullptr);
    if (!g_isInitialized()) {
      SLOGW(SLOG_LEVEL_WARN, "StartWebEngine", L"web engine not started again after its shut-down");
      return false;
    }
  }
  if (WKE_HAS(wkeEnableHighDPISupport)) WKE_API(wkeEnableHighDPISupport)();
  g_started = true;
  return true;
}

void StopWebEngine() {
  if (!g_started) return;
  if (WKE_HAS(wkeShutdown)) WKE_API(wkeShutdown)();
  g_started = false;
}
