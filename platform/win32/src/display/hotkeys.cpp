// RegisterHotKey/UnregisterHotKey: a passive grab of the key on the root
// window for every combination of the lock modifiers, so the hot key works
// whatever Caps Lock and Num Lock are. Another client's grab makes the
// server answer BadAccess, and the registration fails as on Windows.
#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "../user/window_state.h"
#include "event_routing.h"
#include "keyboard.h"
#include "win32/kernel32.h"
#include "win32/messaging.h"
#include "win32/user32.h"
#include "x_display.h"

namespace win32::display {
namespace {

struct HotKey {
  HWND hwnd;
  DWORD thread;  // for hot keys without a window
  int id;
  UINT modifiers;
  UINT vk;
  KeyCode keycode;
  unsigned int xModifiers;
};

std::mutex g_mutex;
std::vector<HotKey> g_hotKeys;

constexpr UINT kModifierBits = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

unsigned int xModifiersOf(UINT modifiers) {
  unsigned int mask = 0;
  if (modifiers & MOD_ALT) mask |= Mod1Mask;
  if (modifiers & MOD_CONTROL) mask |= ControlMask;
  if (modifiers & MOD_SHIFT) mask |= ShiftMask;
  if (modifiers & MOD_WIN) mask |= Mod4Mask;
  return mask;
}

unsigned int numLockMask(XDisplay* x) {
  unsigned int mask = Mod2Mask;
  XModifierKeymap* map = XGetModifierMapping(x->dpy);
  if (!map) return mask;
  const KeyCode numLock = XKeysymToKeycode(x->dpy, XK_Num_Lock);
  for (int modifier = 0; modifier < 8; ++modifier) {
    for (int k = 0; k < map->max_keypermod; ++k) {
      if (numLock && map->modifiermap[modifier * map->max_keypermod + k] == numLock)
        mask = 1u << modifier;
    }
  }
  XFreeModifiermap(map);
  return mask;
}

std::vector<unsigned int> lockVariants(XDisplay* x, unsigned int base) {
  const unsigned int num = numLockMask(x);
  return {base, base | LockMask, base | num, base | LockMask | num};
}

}  // namespace

bool dispatchHotKey(XDisplay* x, const XKeyEvent& event) {
  const unsigned int ignored = LockMask | numLockMask(x);
  const unsigned int state = event.state & ~ignored & (ShiftMask | ControlMask | Mod1Mask | Mod4Mask);
  std::lock_guard<std::mutex> lock(g_mutex);
  for (const HotKey& key : g_hotKeys) {
    if (key.keycode != event.keycode || key.xModifiers != state) continue;
    const LPARAM lParam = MAKELPARAM(key.modifiers & kModifierBits, key.vk);
    if (key.hwnd) PostMessageW(key.hwnd, WM_HOTKEY, static_cast<WPARAM>(key.id), lParam);
    else PostThreadMessageW(key.thread, WM_HOTKEY, static_cast<WPARAM>(key.id), lParam);
    return true;
  }
  return true;  // a root key event that is no longer ours: nothing to do
}

}  // namespace win32::display

using namespace win32::display;

BOOL RegisterHotKey(HWND hWnd, int id, UINT fsModifiers, UINT vk) {
  if (hWnd && !IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const KeySym keysym = keysymOfVirtualKey(vk);
  if (!keysym) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HotKey key{hWnd, GetCurrentThreadId(), id, fsModifiers & (kModifierBits | MOD_NOREPEAT), vk, 0,
             xModifiersOf(fsModifiers)};
  std::lock_guard<std::mutex> lock(g_mutex);
  for (const HotKey& other : g_hotKeys) {
    const bool sameId = other.hwnd == hWnd && other.id == id &&
                        (hWnd || other.thread == key.thread);
    const bool sameKeys = other.vk == vk && other.xModifiers == key.xModifiers;
    if (sameId || sameKeys) {
      SetLastError(ERROR_HOTKEY_ALREADY_REGISTERED);
      return FALSE;
    }
  }
  if (XDisplay* x = xdisplay()) {
    key.keycode = XKeysymToKeycode(x->dpy, keysym);
    if (!key.keycode) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    const auto variants = lockVariants(x, key.xModifiers);
    const int error = withErrorTrap(x, [&] {
      for (unsigned int modifiers : variants)
        XGrabKey(x->dpy, key.keycode, modifiers, x->root, False, GrabModeAsync, GrabModeAsync);
    });
    if (error) {
      // Someone else holds it: take back whatever part we did get.
      withErrorTrap(x, [&] {
        for (unsigned int modifiers : variants) XUngrabKey(x->dpy, key.keycode, modifiers, x->root);
      });
      SetLastError(ERROR_HOTKEY_ALREADY_REGISTERED);
      return FALSE;
    }
  }
  g_hotKeys.push_back(key);
  return TRUE;
}

namespace {

void release(const HotKey& key) {
  XDisplay* x = activeDisplay();
  if (!x || !key.keycode) return;
  withErrorTrap(x, [&] {
    for (unsigned int modifiers : lockVariants(x, key.xModifiers))
      XUngrabKey(x->dpy, key.keycode, modifiers, x->root);
  });
}

}  // namespace

BOOL UnregisterHotKey(HWND hWnd, int id) {
  std::lock_guard<std::mutex> lock(g_mutex);
  const DWORD thread = GetCurrentThreadId();
  auto it = std::find_if(g_hotKeys.begin(), g_hotKeys.end(), [&](const HotKey& key) {
    return key.hwnd == hWnd && key.id == id && (hWnd || key.thread == thread);
  });
  if (it == g_hotKeys.end()) {
    SetLastError(ERROR_HOTKEY_NOT_REGISTERED);
    return FALSE;
  }
  release(*it);
  g_hotKeys.erase(it);
  return TRUE;
}

void win32::detail::forgetHotKeys(HWND hwnd) {
  std::lock_guard<std::mutex> lock(g_mutex);
  std::erase_if(g_hotKeys, [hwnd](const HotKey& key) {
    if (key.hwnd != hwnd) return false;
    release(key);
    return true;
  });
}
