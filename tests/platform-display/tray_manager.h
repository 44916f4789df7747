// The tests' own system-tray manager: an X client of its own that owns
// _NET_SYSTEM_TRAY_S<screen>, announces itself with MANAGER and embeds the
// icons it is asked to dock in a green panel at (300, 10), 24 pixels each
// from (8, 8) on (keeping them in its save-set, as real managers do).
// Debian has no stand-alone tray manager to run instead.
#pragma once

#include <poll.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "display_helper.h"

class TrayManager {
 public:
  static constexpr int kIconSize = 24;
  // The panel's place on the root and its colour.
  static constexpr int kPanelX = 300, kPanelY = 10;
  static constexpr unsigned long kPanelRgb = 0x00FF00;

  TrayManager() {
    dpy_ = XOpenDisplay(nullptr);
    const int screen = DefaultScreen(dpy_);
    root_ = RootWindow(dpy_, screen);
    char name[64];
    std::snprintf(name, sizeof name, "_NET_SYSTEM_TRAY_S%d", screen);
    selection_ = XInternAtom(dpy_, name, False);
    opcode_ = XInternAtom(dpy_, "_NET_SYSTEM_TRAY_OPCODE", False);
    XSetWindowAttributes set{};
    set.background_pixel = kPanelRgb;  // the panel behind the icons
    set.override_redirect = True;
    panel_ = XCreateWindow(dpy_, root_, kPanelX, kPanelY, 200, 40, 0, CopyFromParent, InputOutput, CopyFromParent,
                           CWBackPixel | CWOverrideRedirect, &set);
    XSelectInput(dpy_, panel_, SubstructureNotifyMask);
    XMapRaised(dpy_, panel_);
    XSetSelectionOwner(dpy_, selection_, panel_, CurrentTime);
    XEvent notice{};
    notice.xclient.type = ClientMessage;
    notice.xclient.window = root_;
    notice.xclient.message_type = XInternAtom(dpy_, "MANAGER", False);
    notice.xclient.format = 32;
    notice.xclient.data.l[0] = CurrentTime;
    notice.xclient.data.l[1] = static_cast<long>(selection_);
    notice.xclient.data.l[2] = static_cast<long>(panel_);
    XSendEvent(dpy_, root_, False, StructureNotifyMask, &notice);
    XSync(dpy_, False);
    thread_ = std::thread([this] { Run(); });
  }
  // Ending the client destroys its windows; the icons it held in its
  // save-set go back to the root.
  ~TrayManager() {
    stop_ = true;
    thread_.join();
    XCloseDisplay(dpy_);
  }
  int docked() const { return docked_; }
  ::Window lastIcon() const { return lastIcon_; }

 private:
  void Run() {
    while (!stop_) {
      pollfd fd{ConnectionNumber(dpy_), POLLIN, 0};
      poll(&fd, 1, 20);
      while (XPending(dpy_) > 0) {
        XEvent event;
        XNextEvent(dpy_, &event);
        if (event.type == ClientMessage && event.xclient.message_type == opcode_ && event.xclient.data.l[1] == 0) {
          const auto icon = static_cast<::Window>(event.xclient.data.l[2]);
          XAddToSaveSet(dpy_, icon);
          XReparentWindow(dpy_, icon, panel_, 8 + kIconSize * docked_, 8);
          XResizeWindow(dpy_, icon, kIconSize, kIconSize);
          XMapWindow(dpy_, icon);
          XSync(dpy_, False);
          lastIcon_ = icon;
          ++docked_;
        }
      }
    }
  }
  Display* dpy_ = nullptr;
  ::Window root_ = 0, panel_ = 0;
  Atom selection_ = 0, opcode_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> docked_{0};
  std::atomic<::Window> lastIcon_{0};
  std::thread thread_;
};

// Children of the root that are viewable.
inline bool viewableOnRoot(::Window xid) {
  Display* d = userDisplay();
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  XSync(d, False);
  if (!XQueryTree(d, xid, &root, &parent, &children, &count)) return false;  // gone
  if (children) XFree(children);
  XWindowAttributes attributes{};
  XGetWindowAttributes(d, xid, &attributes);
  return parent == root && attributes.map_state == IsViewable;
}

inline bool windowExists(::Window xid) {
  Display* d = userDisplay();
  XSync(d, False);
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  const bool exists = XQueryTree(d, xid, &root, &parent, &children, &count) != 0;
  if (children) XFree(children);
  return exists;
}
