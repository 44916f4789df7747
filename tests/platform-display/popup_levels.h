// The pop-up windows on screen as the user's connection sees them: each
// open menu level is a viewable override-redirect window. Tests that run a
// menu's loop on their own thread poll these from the driving thread.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "display_helper.h"

// Viewable override-redirect top-level windows, bottom first, apart from
// the X windows in `ignore`.
inline std::vector<RECT> viewablePopups(std::initializer_list<unsigned long> ignore = {}) {
  Display* d = userDisplay();
  std::vector<RECT> found;
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return found;
  for (unsigned i = 0; i < count; ++i) {
    if (std::find(ignore.begin(), ignore.end(), children[i]) != ignore.end()) continue;
    XWindowAttributes a{};
    if (!XGetWindowAttributes(d, children[i], &a) || !a.override_redirect || a.map_state != IsViewable) continue;
    found.push_back(RECT{a.x, a.y, a.x + a.width, a.y + a.height});
  }
  if (children) XFree(children);
  return found;
}

// Waits, without pumping, until exactly `count` such windows are on screen.
inline bool waitPopupCount(size_t count, std::initializer_list<unsigned long> ignore = {},
                           int timeoutMs = 5000) {
  for (int waited = 0; waited <= timeoutMs; waited += 10) {
    if (viewablePopups(ignore).size() == count) return true;
    usleep(10000);
  }
  return false;
}
