// The screen DPI the GDI layer reports; the display layer's value is handed
// in once at start-up, since GDI does not talk to the display itself.
#include <atomic>

#include "gdi/GdiCairo.h"

namespace {
std::atomic<int> g_dpi{96};
}

void GdiSetScreenDpi(int dpi) { g_dpi = dpi > 0 ? dpi : 96; }
int GdiScreenDpi() { return g_dpi.load(); }
