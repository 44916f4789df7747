// Shared by the display tests: a second X connection that plays the user
// (XTest input) and the screen (pixels read back), a message pump with a
// deadline, and a window class that records what it receives.
#pragma once

#include <gtest/gtest.h>
// After gtest: Xlib defines macros (None, Bool, Status) that gtest uses as names.
#include <X11/Xlib.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "win32/windows.h"

// The test's own connection, for input and screenshots.
Display* userDisplay();

// Dispatches messages until `done` holds or `timeoutMs` passes; returns
// whether it held.
bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);
// The same with each message handed to `dispatch` (a message loop's own
// dispatch, filters included) instead of translated and dispatched.
bool pumpUntilVia(const std::function<void(MSG*)>& dispatch, const std::function<bool()>& done,
                  int timeoutMs = 5000);
// Dispatches whatever arrives for `ms` milliseconds.
void pumpFor(int ms);

void moveMouse(int x, int y);
void clickButton(unsigned button);
void pressKey(KeySym keysym);
void releaseKey(KeySym keysym);
void tapKey(KeySym keysym);
// Whether the server's keyboard focus is on the window's X window (where
// typed keys go).
bool hasInputFocus(HWND hwnd);

// The names of the atoms in a window's _NET_WM_STATE, as the server has them.
std::vector<std::string> netWmStates(HWND hwnd);

// While it lives, an X error about a window that is gone (BadWindow,
// BadDrawable, BadMatch) is taken as "not there": other processes' windows
// come and go while a test reads the tree. Any other X error fails the
// test. Guards nest: each puts back the handler it found.
class VanishingWindowsAllowed {
 public:
  explicit VanishingWindowsAllowed(Display* display = userDisplay());
  ~VanishingWindowsAllowed();
  VanishingWindowsAllowed(const VanishingWindowsAllowed&) = delete;
  VanishingWindowsAllowed& operator=(const VanishingWindowsAllowed&) = delete;

 private:
  Display* display_;
  XErrorHandler previous_;
};

// The colour of a screen pixel as 0xRRGGBB.
unsigned long screenPixel(int x, int y);
// Viewable top-level windows of any client titled `title` (_NET_WM_NAME, UTF-8).
std::vector<::Window> viewableWindowsTitled(const std::string& title);
// Waits until the window is viewable on the X server and the server has
// caught up with our drawing.
bool waitViewable(HWND hwnd, int timeoutMs = 5000);

// The root's RESOURCE_MANAGER (where a desktop publishes Xft.dpi), read
// and written on the test's own connection; the original is put back when
// the object goes.
class RootResources {
 public:
  RootResources();
  ~RootResources();
  static void write(const std::string& text);
  // The other resources as they were, with this Xft.dpi (none for 0).
  std::string withDpi(int dpi) const;

 private:
  bool had_ = false;
  std::string saved_;
};

// An X server of the test's own (Xvfb, screen `width`×`height`) whose
// resources say Xft.dpi `dpi` from the start, as a desktop set to that
// scale would; stopped when the object goes. It keeps its resources when
// the last client leaves (-noreset).
class PrivateXServer {
 public:
  PrivateXServer(int dpi, int width, int height);
  ~PrivateXServer();
  PrivateXServer(const PrivateXServer&) = delete;
  PrivateXServer& operator=(const PrivateXServer&) = delete;
  // ":<n>", empty when the server did not start.
  const std::string& name() const { return name_; }

 private:
  int pid_ = -1;
  std::string name_;
};

struct Seen {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

// A registered class whose procedure records each message, calls the
// handler first, then DefWindowProcW.
class RecordingClass {
 public:
  explicit RecordingClass(const wchar_t* name, UINT style = 0);
  ~RecordingClass();
  const wchar_t* name() const { return name_.c_str(); }
  std::vector<Seen> take();
  std::vector<UINT> messagesOf(std::initializer_list<UINT> wanted);
  void clear() { take(); }
  Handler handler;

 private:
  static LRESULT CALLBACK proc(HWND, UINT, WPARAM, LPARAM);
  std::wstring name_;
  std::vector<Seen> seen_;
};
