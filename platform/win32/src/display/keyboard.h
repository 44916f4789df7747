// Keys: X keysyms to virtual-key codes, the key-state table behind
// GetKeyState, and the text of each key press kept for TranslateMessage.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>

#include "../message_queue.h"
#include "win32/types.h"

namespace win32::display {

// 0 when the keysym has no virtual-key code.
UINT virtualKeyOf(KeySym keysym);
void setKeyDown(UINT vk, bool down);
bool keyDown(UINT vk);
// Takes the keyboard as the server has it now: a key whose release went to
// someone else (a window manager's Alt+F4) is no longer held.
void resyncKeysWithServer(Display* dpy);
// The whole key table as it is now, for the input message it goes with.
std::shared_ptr<const detail::KeyStates> keyStatesNow();
// A window manager's move or size loop took the pointer with the left
// button down: its release never reaches us. Until the button is seen up,
// GetKeyState asks the server how the button is.
void managerTookButtonDrag();
// The modifier part of WM_*BUTTON* wParam from an X state mask and our table.
WPARAM mouseKeyState(unsigned int xState);
// The text a key press produced, for TranslateMessage of its WM_KEYDOWN
// (matched by window and scan code).
void rememberKeyText(HWND hwnd, UINT scanCode, const std::wstring& text);
std::wstring takeKeyText(HWND hwnd, UINT scanCode);

}  // namespace win32::display

namespace win32::display {
// The keysym a virtual-key code stands for (unshifted US layout); 0 if none.
KeySym keysymOfVirtualKey(UINT vk);
}  // namespace win32::display
