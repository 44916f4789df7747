#include "pointer_position.h"

#include <X11/extensions/XInput2.h>

#include <atomic>
#include <chrono>
#include <mutex>

#include "../message_queue.h"
#include "event_routing.h"
#include "x_display.h"

namespace win32::display {
namespace {

using Clock = std::chrono::steady_clock;

// A warp by another client moves the pointer without a raw motion event;
// into, out of or within one of our windows it still shows as a motion or
// crossing event there, so only a warp that stays clear of our windows goes
// unseen: a known position is asked for again after this long all the same.
constexpr std::chrono::milliseconds kRequeryAfter{1000};

std::atomic<unsigned long> g_moves{0};

struct KnownPosition {
  std::mutex mutex;
  bool known = false;
  unsigned long moves = 0;  // g_moves when it was queried
  Clock::time_point at{};
  POINT position{};
};
KnownPosition& known() {
  static auto* k = new KnownPosition();
  return *k;
}

}  // namespace

bool watchPointerMotion(XDisplay* x) {
  int event = 0, error = 0;
  if (!XQueryExtension(x->dpy, "XInputExtension", &x->xiOpcode, &event, &error)) return false;
  // 2.2: raw events reach the root window also while another client holds
  // a grab.
  int major = 2, minor = 2;
  if (XIQueryVersion(x->dpy, &major, &minor) != Success || major < 2 || (major == 2 && minor < 2)) return false;
  unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
  XISetMask(bits, XI_RawMotion);
  XIEventMask mask{XIAllDevices, static_cast<int>(sizeof bits), bits};
  return XISelectEvents(x->dpy, x->root, &mask, 1) == Success;
}

bool isPointerMotion(XDisplay* x, const XEvent& event) {
  return x->hasRawMotion && event.type == GenericEvent && event.xcookie.extension == x->xiOpcode &&
         event.xcookie.evtype == XI_RawMotion;
}

void notePointerMoved() { g_moves.fetch_add(1); }

bool pointerPosition(XDisplay* x, POINT* position) {
  KnownPosition& k = known();
  if (x->hasRawMotion) {
    // Takes in what the server has sent by now (one read, no round trip):
    // a movement made before this call is seen here.
    // A timer's handler asking right after its wake-up is spared the system
    // call (motion arriving since is noted by the input reader all the same).
    if (!detail::connectionJustQuiet()) routeArrivedEvents(x);
    std::lock_guard<std::mutex> lock(k.mutex);
    if (k.known && k.moves == g_moves.load() && Clock::now() - k.at < kRequeryAfter) {
      *position = k.position;
      return true;
    }
  }
  // Read before asking: a movement while the answer travels makes the
  // answer old at once.
  const unsigned long moves = g_moves.load();
  ::Window root = 0, child = 0;
  int rootX = 0, rootY = 0, winX = 0, winY = 0;
  unsigned int buttons = 0;
  if (!XQueryPointer(x->dpy, x->root, &root, &child, &rootX, &rootY, &winX, &winY, &buttons)) return false;
  *position = POINT{rootX, rootY};
  std::lock_guard<std::mutex> lock(k.mutex);
  k.known = true;
  k.moves = moves;
  k.at = Clock::now();
  k.position = *position;
  return true;
}

}  // namespace win32::display
