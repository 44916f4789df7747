// Virtual-key codes, key state and the key-text table.
#include "keyboard.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>

#include "../backend_hooks.h"
#include "../message_queue.h"
#include "win32/messaging.h"
#include "win32/user32.h"
#include "x_display.h"

namespace win32::display {
namespace {

std::atomic<unsigned char> g_keys[256];
std::mutex g_textMutex;
// The texts of the key presses not yet translated, oldest first: the same
// key pressed again before its first press is translated keeps both.
std::map<std::pair<HWND, UINT>, std::deque<std::wstring>> g_texts;
// Presses that are never translated (a filter ate them) leave at most this
// many texts behind per key.
constexpr size_t kPendingTextsPerKey = 32;

struct KeyMap {
  KeySym keysym;
  UINT vk;
};

constexpr KeyMap kKeys[] = {
    {XK_BackSpace, VK_BACK}, {XK_Tab, VK_TAB}, {XK_ISO_Left_Tab, VK_TAB},
    {XK_Return, VK_RETURN}, {XK_KP_Enter, VK_RETURN}, {XK_Shift_L, VK_SHIFT},
    {XK_Shift_R, VK_SHIFT}, {XK_Control_L, VK_CONTROL}, {XK_Control_R, VK_CONTROL},
    {XK_Alt_L, VK_MENU}, {XK_Alt_R, VK_MENU}, {XK_Meta_L, VK_MENU}, {XK_Pause, VK_PAUSE},
    {XK_Caps_Lock, VK_CAPITAL}, {XK_Escape, VK_ESCAPE}, {XK_space, VK_SPACE},
    {XK_Prior, VK_PRIOR}, {XK_Next, VK_NEXT}, {XK_End, VK_END}, {XK_Home, VK_HOME},
    {XK_Left, VK_LEFT}, {XK_Up, VK_UP}, {XK_Right, VK_RIGHT}, {XK_Down, VK_DOWN},
    {XK_Print, VK_SNAPSHOT}, {XK_Insert, VK_INSERT}, {XK_Delete, VK_DELETE},
    {XK_KP_Prior, VK_PRIOR}, {XK_KP_Next, VK_NEXT}, {XK_KP_End, VK_END}, {XK_KP_Home, VK_HOME},
    {XK_KP_Left, VK_LEFT}, {XK_KP_Up, VK_UP}, {XK_KP_Right, VK_RIGHT}, {XK_KP_Down, VK_DOWN},
    {XK_KP_Insert, VK_INSERT}, {XK_KP_Delete, VK_DELETE},
    {XK_Super_L, VK_LWIN}, {XK_Super_R, VK_RWIN}, {XK_Menu, VK_APPS},
    {XK_KP_Multiply, VK_MULTIPLY}, {XK_KP_Add, VK_ADD}, {XK_KP_Separator, VK_SEPARATOR},
    {XK_KP_Subtract, VK_SUBTRACT}, {XK_KP_Decimal, VK_DECIMAL}, {XK_KP_Divide, VK_DIVIDE},
    {XK_Num_Lock, VK_NUMLOCK}, {XK_Scroll_Lock, VK_SCROLL},
    {XK_semicolon, VK_OEM_1}, {XK_colon, VK_OEM_1}, {XK_equal, VK_OEM_PLUS}, {XK_plus, VK_OEM_PLUS},
    {XK_comma, VK_OEM_COMMA}, {XK_less, VK_OEM_COMMA}, {XK_minus, VK_OEM_MINUS},
    {XK_underscore, VK_OEM_MINUS}, {XK_period, VK_OEM_PERIOD}, {XK_greater, VK_OEM_PERIOD},
    {XK_slash, VK_OEM_2}, {XK_question, VK_OEM_2}, {XK_grave, VK_OEM_3},
    {XK_asciitilde, VK_OEM_3}, {XK_bracketleft, VK_OEM_4}, {XK_braceleft, VK_OEM_4},
    {XK_backslash, VK_OEM_5}, {XK_bar, VK_OEM_5}, {XK_bracketright, VK_OEM_6},
    {XK_braceright, VK_OEM_6}, {XK_apostrophe, VK_OEM_7}, {XK_quotedbl, VK_OEM_7},
};

}  // namespace

UINT virtualKeyOf(KeySym keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return static_cast<UINT>('A' + (keysym - XK_a));
  if (keysym >= XK_A && keysym <= XK_Z) return static_cast<UINT>('A' + (keysym - XK_A));
  if (keysym >= XK_0 && keysym <= XK_9) return static_cast<UINT>('0' + (keysym - XK_0));
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return static_cast<UINT>(VK_NUMPAD0 + (keysym - XK_KP_0));
  if (keysym >= XK_F1 && keysym <= XK_F24) return static_cast<UINT>(VK_F1 + (keysym - XK_F1));
  // Shifted digits on a US layout still name their key.
  static constexpr KeySym shiftedDigits[] = {XK_parenright, XK_exclam, XK_at, XK_numbersign,
                                             XK_dollar, XK_percent, XK_asciicircum,
                                             XK_ampersand, XK_asterisk, XK_parenleft};
  for (int i = 0; i < 10; ++i) {
    if (keysym == shiftedDigits[i]) return static_cast<UINT>('0' + i);
  }
  for (const KeyMap& entry : kKeys) {
    if (entry.keysym == keysym) return entry.vk;
  }
  return 0;
}

KeySym keysymOfVirtualKey(UINT vk) {
  if (vk >= 'A' && vk <= 'Z') return XK_a + (vk - 'A');
  if (vk >= '0' && vk <= '9') return XK_0 + (vk - '0');
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return XK_KP_0 + (vk - VK_NUMPAD0);
  if (vk >= VK_F1 && vk <= VK_F1 + 23) return XK_F1 + (vk - VK_F1);
  for (const KeyMap& entry : kKeys) {
    if (entry.vk == vk) return entry.keysym;
  }
  return 0;
}

void setKeyDown(UINT vk, bool down) {
  if (vk >= 256) return;
  unsigned char state = g_keys[vk].load();
  if (down && !(state & 0x80)) state ^= 0x01;  // toggle on each press
  state = down ? (state | 0x80) : (state & 0x7F);
  g_keys[vk].store(state);
}

bool keyDown(UINT vk) { return vk < 256 && (g_keys[vk].load() & 0x80); }

void resyncKeysWithServer(Display* dpy) {
  char keymap[32] = {};
  XQueryKeymap(dpy, keymap);
  bool down[256] = {};
  int minKeycode = 0, maxKeycode = 0;
  XDisplayKeycodes(dpy, &minKeycode, &maxKeycode);
  for (int keycode = minKeycode; keycode <= maxKeycode && keycode < 256; ++keycode) {
    if (!(keymap[keycode / 8] & (1 << (keycode % 8)))) continue;
    const UINT vk = virtualKeyOf(XkbKeycodeToKeysym(dpy, static_cast<KeyCode>(keycode), 0, 0));
    if (vk && vk < 256) down[vk] = true;
  }
  for (UINT vk = 0; vk < 256; ++vk) {
    // The mouse buttons (0x05 and 0x06 the extra ones) have their own way
    // back (managerDragHolds).
    if (vk == VK_LBUTTON || vk == VK_RBUTTON || vk == VK_MBUTTON || vk == 0x05 || vk == 0x06)
      continue;
    const unsigned char state = g_keys[vk].load();
    // Up or down as the server has it; a lock key's toggle stays as it was.
    if (((state & 0x80) != 0) != down[vk]) g_keys[vk].store(down[vk] ? (state | 0x80) : (state & 0x7F));
  }
}

namespace {
std::atomic<bool> g_managerDrag{false};
}  // namespace

void managerTookButtonDrag() { g_managerDrag.store(true); }

// While a manager's drag is on: whether the left button is still down on
// the server. Once it is up, the drag is over and our tables learn of the
// release they never got.
bool managerDragHolds() {
  if (!g_managerDrag.load()) return true;
  XDisplay* x = activeDisplay();
  if (!x) return true;
  ::Window root = 0, child = 0;
  int rootX = 0, rootY = 0, winX = 0, winY = 0;
  unsigned int mask = 0;
  if (!XQueryPointer(x->dpy, x->root, &root, &child, &rootX, &rootY, &winX, &winY, &mask)) return true;
  if (mask & Button1Mask) return true;
  g_managerDrag.store(false);
  setKeyDown(VK_LBUTTON, false);
  detail::forgetRetrievedKeyDown(VK_LBUTTON);
  return false;
}

std::shared_ptr<const detail::KeyStates> keyStatesNow() {
  auto states = std::make_shared<detail::KeyStates>();
  for (size_t vk = 0; vk < states->size(); ++vk) (*states)[vk] = g_keys[vk].load();
  return states;
}

WPARAM mouseKeyState(unsigned int xState) {
  WPARAM keys = 0;
  if (xState & ShiftMask) keys |= MK_SHIFT;
  if (xState & ControlMask) keys |= MK_CONTROL;
  if (xState & Button1Mask) keys |= MK_LBUTTON;
  if (xState & Button2Mask) keys |= MK_MBUTTON;
  if (xState & Button3Mask) keys |= MK_RBUTTON;
  return keys;
}

void rememberKeyText(HWND hwnd, UINT scanCode, const std::wstring& text) {
  std::lock_guard<std::mutex> lock(g_textMutex);
  std::deque<std::wstring>& pending = g_texts[{hwnd, scanCode}];
  // One entry per press, empty ones too, so that each translation takes
  // its own press's text.
  pending.push_back(text);
  while (pending.size() > kPendingTextsPerKey) pending.pop_front();
}

std::wstring takeKeyText(HWND hwnd, UINT scanCode) {
  std::lock_guard<std::mutex> lock(g_textMutex);
  auto it = g_texts.find({hwnd, scanCode});
  if (it == g_texts.end()) return {};
  std::wstring text = std::move(it->second.front());
  it->second.pop_front();
  if (it->second.empty()) g_texts.erase(it);
  return text;
}

BOOL translateKey(const MSG* msg, void*) {
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return FALSE;
  const UINT scan = static_cast<UINT>((msg->lParam >> 16) & 0xFF);
  std::wstring text = takeKeyText(msg->hwnd, scan);
  if (text.empty()) return FALSE;
  const UINT charMessage = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  for (auto it = text.rbegin(); it != text.rend(); ++it)
    detail::postNext(msg->hwnd, charMessage, static_cast<WPARAM>(*it), msg->lParam);
  return TRUE;
}

}  // namespace win32::display

namespace {

SHORT keyStateWord(unsigned char state) {
  return static_cast<SHORT>(((state & 0x80) ? 0x8000 : 0) | (state & 0x01));
}

}  // namespace

// As on Windows, the state as of the input message the thread retrieved
// last, not as the keyboard is now; a thread that has retrieved no input
// sees the keyboard as it is.
SHORT GetKeyState(int nVirtKey) {
  if (nVirtKey < 0 || nVirtKey >= 256) return 0;
  if (nVirtKey == VK_LBUTTON) win32::display::managerDragHolds();
  if (auto retrieved = win32::detail::retrievedKeyStates())
    return keyStateWord((*retrieved)[static_cast<size_t>(nVirtKey)]);
  return keyStateWord(win32::display::g_keys[nVirtKey].load());
}

SHORT GetAsyncKeyState(int vKey) {
  if (vKey < 0 || vKey >= 256) return 0;
  if (vKey == VK_LBUTTON) win32::display::managerDragHolds();
  return keyStateWord(win32::display::g_keys[vKey].load()) & static_cast<SHORT>(0x8000);
}

UINT MapVirtualKeyW(UINT uCode, UINT uMapType) { return MapVirtualKeyA(uCode, uMapType); }

UINT MapVirtualKeyA(UINT uCode, UINT uMapType) {
  if (uMapType != MAPVK_VK_TO_CHAR) return 0;
  if (uCode >= 'A' && uCode <= 'Z') return uCode;
  if (uCode >= '0' && uCode <= '9') return uCode;
  if (uCode >= VK_NUMPAD0 && uCode <= VK_NUMPAD9) return '0' + (uCode - VK_NUMPAD0);
  switch (uCode) {
    case VK_OEM_1: return ';';
    case VK_OEM_PLUS: return '=';
    case VK_OEM_COMMA: return ',';
    case VK_OEM_MINUS: return '-';
    case VK_OEM_PERIOD: return '.';
    case VK_OEM_2: return '/';
    case VK_OEM_3: return '`';
    case VK_OEM_4: return '[';
    case VK_OEM_5: return '\\';
    case VK_OEM_6: return ']';
    case VK_OEM_7: return '\'';
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return '\b';
    case VK_TAB: return '\t';
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    default: return 0;
  }
}
