// Start and end of the engine: GTK on the x11 backend, initialised on the
// thread that calls wkeInitializeEx, with GLib's default main context run
// from that thread's message waits through the program's poll hook.
#include "Engine.h"

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "gdi/GdiCairo.h"
#include "win32/poll_hook.h"

namespace {

// GLib's turn in the thread's waits. A wake-up that brings GLib nothing
// (none of its descriptors ready, its time-out not reached, no call into
// the engine since it prepared) leaves it prepared, so the next wait polls
// the same set without asking every source again: the thread wakes for its
// own timers many times a second, and the engine's sources cost more to
// ask than the wake-up itself.
struct GlibLoop {
  GMainContext* context = nullptr;
  int maxPriority = 0;
  bool prepared = false;
  bool ready = false;
  bool engineCalled = false;  // a source may have been added on this thread
  int timeout = -1;
  std::chrono::steady_clock::time_point deadline{};  // of `timeout`
  std::vector<GPollFD> fds;
};

bool g_initialized = false;
bool g_highDpi = false;
GlibLoop g_loop;
WebKitUserContentManager* g_content = nullptr;
std::vector<WkeViewImpl*> g_views;
using SetHookFn = void (*)(const Win32PollHook*);
SetHookFn g_setHook = nullptr;

// GPollFD and pollfd share their layout on Linux, and G_IO_IN is POLLIN.
static_assert(sizeof(GPollFD) == sizeof(pollfd));

int PrepareGlib(void*, pollfd* fds, int capacity, int* timeoutMs) {
  GlibLoop& loop = g_loop;
  const auto now = std::chrono::steady_clock::now();
  // A source added on the owning thread wakes nothing: after a call into the
  // engine the sources are asked again.
  if (!loop.prepared || loop.engineCalled) {
    loop.engineCalled = false;
    loop.ready = g_main_context_prepare(loop.context, &loop.maxPriority);
    loop.fds.resize(8);
    int n;
    while ((n = g_main_context_query(loop.context, loop.maxPriority, &loop.timeout, loop.fds.data(),
                                     static_cast<int>(loop.fds.size()))) > static_cast<int>(loop.fds.size()))
      loop.fds.resize(static_cast<size_t>(n));
    loop.fds.resize(static_cast<size_t>(n));
    loop.deadline = now + std::chrono::milliseconds(loop.timeout < 0 ? 0 : loop.timeout);
    loop.prepared = true;
  }
  const int n = static_cast<int>(loop.fds.size());
  if (n > capacity) return n;
  for (int i = 0; i < n; ++i) fds[i] = pollfd{loop.fds[i].fd, static_cast<short>(loop.fds[i].events), 0};
  int wait = -1;
  if (loop.ready) wait = 0;
  else if (loop.timeout >= 0)
    wait = static_cast<int>(std::max<long long>(
        0, std::chrono::ceil<std::chrono::milliseconds>(loop.deadline - now).count()));
  if (wait >= 0 && (*timeoutMs < 0 || wait < *timeoutMs)) *timeoutMs = wait;
  return n;
}

void DispatchGlib(void*, pollfd* fds, int count) {
  GlibLoop& loop = g_loop;
  if (!loop.prepared) return;
  const int n = std::min(count, static_cast<int>(loop.fds.size()));
  bool input = false;
  for (int i = 0; i < n; ++i) {
    loop.fds[i].revents = static_cast<gushort>(fds[i].revents);
    input = input || fds[i].revents != 0;
  }
  const bool due = loop.ready || input || loop.engineCalled ||
                   (loop.timeout >= 0 && std::chrono::steady_clock::now() >= loop.deadline);
  if (!due) return;
  loop.prepared = false;
  if (g_main_context_check(loop.context, loop.maxPriority, loop.fds.data(), n)) g_main_context_dispatch(loop.context);
}

}  // namespace

namespace wke {

bool Initialized() { return g_initialized; }

void EngineCalled() { g_loop.engineCalled = true; }

double PageScale() {
  if (!g_highDpi) return 1.0;
  return (GdiScreenDpi() * 100 / 96) / 100.0;
}

// WebKit already scales pages by GTK's font resolution (Xft.dpi): the zoom
// level makes up only the rest.
double ViewZoom() {
  double own = gdk_screen_get_resolution(gdk_screen_get_default());
  if (own <= 0) own = 96.0;
  return PageScale() / (own / 96.0);
}

WebKitUserContentManager* SharedContentManager() { return g_content; }
std::vector<WkeViewImpl*>& LiveViews() { return g_views; }
bool IsLiveView(const WkeViewImpl* view) {
  return view && std::find(g_views.begin(), g_views.end(), view) != g_views.end();
}

std::string ToUtf8(const wchar_t* text) {
  if (!text) return {};
  std::string out;
  for (; *text; ++text) {
    char buf[6];
    const int n = g_unichar_to_utf8(static_cast<gunichar>(*text), buf);
    out.append(buf, static_cast<size_t>(n));
  }
  return out;
}

std::wstring FromUtf8(const char* text) {
  std::wstring out;
  if (!text) return out;
  for (const char* p = text; *p; p = g_utf8_next_char(p)) {
    const gunichar c = g_utf8_get_char_validated(p, -1);
    if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) break;
    out.push_back(static_cast<wchar_t>(c));
  }
  return out;
}

}  // namespace wke

WKE_EXPORT void wkeInitializeEx(const void*) {
  if (g_initialized) return;
  g_setHook = reinterpret_cast<SetHookFn>(dlsym(RTLD_DEFAULT, "Win32SetThreadPollHook"));
  if (!g_setHook) {
    std::fprintf(stderr, "web engine: the program offers no message-loop hook; the engine stays off\n");
    return;
  }
  gdk_set_allowed_backends("x11");
  if (!gtk_init_check(nullptr, nullptr)) {
    std::fprintf(stderr, "web engine: GTK could not open the display; the engine stays off\n");
    return;
  }
  g_loop.context = g_main_context_default();
  if (!g_main_context_acquire(g_loop.context)) {
    std::fprintf(stderr, "web engine: GLib's main context belongs to another thread; the engine stays off\n");
    return;
  }
  g_content = webkit_user_content_manager_new();
  wke::InstallBindings(g_content);
  const Win32PollHook hook{&PrepareGlib, &DispatchGlib, nullptr};
  g_setHook(&hook);
  g_initialized = true;
}

WKE_EXPORT bool wkeIsInitialize() { return g_initialized; }

WKE_EXPORT void wkeEnableHighDPISupport() {
  wke::EngineCalled();
  g_highDpi = true;
  for (WkeViewImpl* view : g_views) webkit_web_view_set_zoom_level(view->web, wke::ViewZoom());
}

WKE_EXPORT void wkeDestroyWebView(wkeWebView view);

WKE_EXPORT void wkeShutdown() {
  if (!g_initialized) return;
  while (!g_views.empty()) wkeDestroyWebView(g_views.back());
  g_setHook(nullptr);
  g_main_context_release(g_loop.context);
  g_loop = GlibLoop{};
  g_clear_object(&g_content);
  g_initialized = false;
}
