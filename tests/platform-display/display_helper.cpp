#include "display_helper.h"

#include <X11/Xatom.h>

#include <X11/extensions/XTest.h>
#include <X11/Xutil.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <map>

Display* userDisplay() {
  static Display* display = XOpenDisplay(nullptr);
  return display;
}

bool pumpUntil(const std::function<bool()>& done, int timeoutMs) {
  return pumpUntilVia(
      [](MSG* msg) {
        TranslateMessage(msg);
        DispatchMessageW(msg);
      },
      done, timeoutMs);
}

bool pumpUntilVia(const std::function<void(MSG*)>& dispatch, const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      dispatch(&msg);
      if (done()) return true;
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

void pumpFor(int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  pumpUntil([&] { return std::chrono::steady_clock::now() >= deadline; }, ms + 1000);
}

void moveMouse(int x, int y) {
  XTestFakeMotionEvent(userDisplay(), -1, x, y, CurrentTime);
  XSync(userDisplay(), False);
}

void clickButton(unsigned button) {
  XTestFakeButtonEvent(userDisplay(), button, True, CurrentTime);
  XTestFakeButtonEvent(userDisplay(), button, False, CurrentTime);
  XSync(userDisplay(), False);
}

void pressKey(KeySym keysym) {
  XTestFakeKeyEvent(userDisplay(), XKeysymToKeycode(userDisplay(), keysym), True, CurrentTime);
  XSync(userDisplay(), False);
}

void releaseKey(KeySym keysym) {
  XTestFakeKeyEvent(userDisplay(), XKeysymToKeycode(userDisplay(), keysym), False, CurrentTime);
  XSync(userDisplay(), False);
}

void tapKey(KeySym keysym) {
  pressKey(keysym);
  releaseKey(keysym);
}

bool hasInputFocus(HWND hwnd) {
  ::Window focus = 0;
  int revert = 0;
  XGetInputFocus(userDisplay(), &focus, &revert);
  return focus != 0 && focus == Win32XWindowOf(hwnd);
}

unsigned long screenPixel(int x, int y) {
  Display* d = userDisplay();
  XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return 0xFFFFFFFF;
  const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return pixel;
}

bool waitViewable(HWND hwnd, int timeoutMs) {
  const ::Window xid = Win32XWindowOf(hwnd);
  if (!xid) return false;
  return pumpUntil(
      [&] {
        XWindowAttributes attributes{};
        XSync(userDisplay(), False);
        return XGetWindowAttributes(userDisplay(), xid, &attributes) &&
               attributes.map_state == IsViewable;
      },
      timeoutMs);
}

namespace {
std::map<std::wstring, RecordingClass*>& classes() {
  static std::map<std::wstring, RecordingClass*> map;
  return map;
}
}  // namespace

RecordingClass::RecordingClass(const wchar_t* name, UINT style) : name_(name) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  EXPECT_NE(RegisterClassExW(&wc), 0);
  classes()[name_] = this;
}

RecordingClass::~RecordingClass() {
  classes().erase(name_);
  UnregisterClassW(name_.c_str(), nullptr);
}

std::vector<Seen> RecordingClass::take() {
  std::vector<Seen> out;
  out.swap(seen_);
  return out;
}

std::vector<UINT> RecordingClass::messagesOf(std::initializer_list<UINT> wanted) {
  std::vector<UINT> out;
  for (const Seen& s : take()) {
    for (UINT w : wanted) {
      if (s.message == w) out.push_back(s.message);
    }
  }
  return out;
}

LRESULT CALLBACK RecordingClass::proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  auto it = classes().find(name);
  if (it != classes().end()) {
    RecordingClass* self = it->second;
    self->seen_.push_back(Seen{hwnd, message, wParam, lParam});
    if (self->handler) {
      if (auto result = self->handler(hwnd, message, wParam, lParam)) return *result;
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

namespace {

std::string readRootResources(bool* present) {
  Display* d = userDisplay();
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string text;
  XGetWindowProperty(d, DefaultRootWindow(d), XA_RESOURCE_MANAGER, 0, 1 << 20, False, XA_STRING, &type, &format,
                     &count, &after, &data);
  *present = data != nullptr && format == 8;
  if (data && format == 8) text.assign(reinterpret_cast<const char*>(data), count);
  if (data) XFree(data);
  return text;
}

}  // namespace

RootResources::RootResources() : saved_(readRootResources(&had_)) {}

RootResources::~RootResources() {
  Display* d = userDisplay();
  if (had_) write(saved_);
  else XDeleteProperty(d, DefaultRootWindow(d), XA_RESOURCE_MANAGER);
  XSync(d, False);
}

void RootResources::write(const std::string& text) {
  Display* d = userDisplay();
  XChangeProperty(d, DefaultRootWindow(d), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  XSync(d, False);
}

std::string RootResources::withDpi(int dpi) const {
  std::string out;
  size_t pos = 0;
  while (pos < saved_.size()) {
    size_t end = saved_.find('\n', pos);
    if (end == std::string::npos) end = saved_.size();
    const std::string line = saved_.substr(pos, end - pos);
    if (line.rfind("Xft.dpi", 0) != 0 && !line.empty()) out += line + "\n";
    pos = end + 1;
  }
  if (dpi) out += "Xft.dpi:\t" + std::to_string(dpi) + "\n";
  return out;
}

PrivateXServer::PrivateXServer(int dpi, int width, int height) {
  // A display number of this process's own, free of a lock file; the server
  // is ours once it takes a connection and still runs (on a number taken
  // meanwhile by another it ends at once, and the next number is tried).
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  for (int attempt = 0; attempt < 8 && name_.empty(); ++attempt) {
    const int number = 300 + (getpid() * 7 + attempt * 97) % 3000;
    const std::string name = ":" + std::to_string(number);
    if (access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0) continue;
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);  // a server kept to the end ends with us
      execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    if (pid_ < 0) return;
    Display* d = nullptr;
    bool ended = false;
    for (int i = 0; i < 100 && !d && !ended; ++i) {
      d = XOpenDisplay(name.c_str());
      ended = waitpid(pid_, nullptr, WNOHANG) != 0;
      if (!d && !ended) usleep(100 * 1000);
    }
    ended = ended || waitpid(pid_, nullptr, WNOHANG) != 0;
    if (d && !ended) {
      const std::string resources = "Xft.dpi:\t" + std::to_string(dpi) + "\n";
      XChangeProperty(d, DefaultRootWindow(d), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(resources.data()), static_cast<int>(resources.size()));
      XSync(d, False);
      name_ = name;
    } else {
      if (!ended) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
      }
      pid_ = -1;
    }
    if (d) XCloseDisplay(d);
  }
}

PrivateXServer::~PrivateXServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

std::vector<std::string> netWmStates(HWND hwnd) {
  Display* d = userDisplay();
  XSync(d, False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<std::string> names;
  if (XGetWindowProperty(d, Win32XWindowOf(hwnd), XInternAtom(d, "_NET_WM_STATE", False), 0, 64, False, XA_ATOM,
                         &type, &format, &count, &after, &data) == Success &&
      data) {
    for (unsigned long i = 0; i < count; ++i) {
      char* name = XGetAtomName(d, reinterpret_cast<const Atom*>(data)[i]);
      names.emplace_back(name);
      XFree(name);
    }
  }
  if (data) XFree(data);
  return names;
}

namespace {

// A window gone between the question that named it and the next one asked
// of it is "not there", not a failure; any other X error fails the test.
int IgnoreVanishedWindows(Display*, XErrorEvent* e) {
  if (e->error_code != BadWindow && e->error_code != BadDrawable && e->error_code != BadMatch)
    ADD_FAILURE() << "X error " << static_cast<int>(e->error_code);
  return 0;
}

}  // namespace

VanishingWindowsAllowed::VanishingWindowsAllowed(Display* display)
    : display_(display), previous_(XSetErrorHandler(&IgnoreVanishedWindows)) {}

VanishingWindowsAllowed::~VanishingWindowsAllowed() {
  // The errors of requests still on their way belong to this guard too.
  if (display_) XSync(display_, False);
  XSetErrorHandler(previous_);
}

std::vector<::Window> viewableWindowsTitled(const std::string& title) {
  Display* d = userDisplay();
  // Another process's windows may vanish between the tree query and the
  // questions asked of each.
  const VanishingWindowsAllowed allowed(d);
  const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  std::vector<::Window> found;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return found;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, children[i], &attributes) || attributes.map_state != IsViewable) continue;
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, children[i], netName, 0, 256, False, utf8, &type, &format, &items, &after, &data) ==
            Success &&
        data) {
      if (std::string(reinterpret_cast<char*>(data), items) == title) found.push_back(children[i]);
      XFree(data);
    }
  }
  if (children) XFree(children);
  return found;
}
