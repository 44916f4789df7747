// The web engine's entry points, resolved once from its module at start-up
// into process-wide pointers (null when missing), the engine's scale, and
// the start and end of the engine for the program.
#pragma once

#include "wke/WkeApiNames.h"
#include "wke/WkeTypes.h"

enum WkeApiIndex : int {
#define WKE_API_INDEX(name) kWkeApi_##name,
  WKE_API_NAMES(WKE_API_INDEX)
#undef WKE_API_INDEX
  kWkeApiCount
};
static_assert(kWkeApiCount == kWkeApiNameCount);

// The resolved entry point at `index`; null when missing or not loaded.
void* WkeApiPointer(int index);
// The entry point `name` as its own function type, e.g. WKE_API(wkeResize).
#define WKE_API(name) (reinterpret_cast<PFN_##name>(WkeApiPointer(kWkeApi_##name)))
// Whether the entry point `name` is there to call.
#define WKE_HAS(name) (WkeApiPointer(kWkeApi_##name) != nullptr)

// Loads the engine module ("node.dll") once, starts the engine and resolves
// every entry point: 1 when the engine runs, 0 when the module is missing
// or the engine would not start (then nothing is resolved and no view can
// be made). A missing entry point is logged once by name and stays null.
int LoadWkeApi();

// The engine's scale: the screen's horizontal DPI as a percentage of 96.
int WkeEngineScale();
// Reads the scale from the screen's device context.
void UpdateWkeEngineScale();

// Start-up's steps for the engine: load it, turn on its high-DPI support
// and read the scale; false when there is no engine (the program runs
// without web views). Shut-down ends the engine when it was started.
bool StartWebEngine();
void StopWebEngine();
