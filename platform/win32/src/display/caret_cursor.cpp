// The caret (position only: the framework draws it, and the input method
// places its candidate window there) and cursors from the X cursor font.
#include <X11/Xlib.h>
#include <X11/cursorfont.h>

#include <map>
#include <mutex>

#include "../user/geometry.h"
#include "../user/image_cursor.h"
#include "../user/window_state.h"
#include "native.h"
#include "win32/errors.h"
#include "win32/user32.h"
#include "x_display.h"

namespace win32::display {
namespace {

struct Caret {
  HWND hwnd = nullptr;
  POINT pos{};
  SIZE size{};
  int hideCount = 1;  // a new caret starts hidden
};

std::mutex g_caretMutex;
Caret g_caret;

void moveInputMethodSpot(const Caret& caret) {
  XDisplay* x = activeDisplay();
  if (!x || !caret.hwnd) return;
  HWND root = detail::rootOf(caret.hwnd);
  const POINT offset = detail::offsetInRoot(caret.hwnd);
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  Native* native = nativeLocked(root);
  if (!native || !native->ic) return;
  XPoint spot{static_cast<short>(caret.pos.x + offset.x),
              static_cast<short>(caret.pos.y + offset.y + caret.size.cy)};
  XVaNestedList list = XVaCreateNestedList(0, XNSpotLocation, &spot, nullptr);
  XSetICValues(native->ic, XNPreeditAttributes, list, nullptr);
  XFree(list);
}

struct SystemCursor {
  WORD id;
  unsigned int shape;
};
constexpr SystemCursor kCursors[] = {
    {32512, XC_left_ptr}, {32513, XC_xterm}, {32514, XC_watch}, {32515, XC_crosshair},
    {32516, XC_sb_up_arrow}, {32640, XC_fleur}, {32646, XC_fleur},
    {32642, XC_bottom_right_corner}, {32643, XC_bottom_left_corner},
    {32644, XC_sb_h_double_arrow}, {32645, XC_sb_v_double_arrow}, {32648, XC_X_cursor},
    {32649, XC_hand2}, {32651, XC_question_arrow},
};

std::mutex g_cursorMutex;
HCURSOR g_current = nullptr;
std::map<WORD, Cursor> g_xCursors;

// A system cursor's handle is its id, as MAKEINTRESOURCE gives it.
Cursor xCursorOf(XDisplay* x, HCURSOR cursor) {
  if (!IS_INTRESOURCE(cursor)) return imageCursorOf(x, cursor);
  const auto id = static_cast<WORD>(reinterpret_cast<uintptr_t>(cursor));
  for (const SystemCursor& entry : kCursors) {
    if (entry.id != id) continue;
    auto it = g_xCursors.find(id);
    if (it != g_xCursors.end()) return it->second;
    Cursor made = XCreateFontCursor(x->dpy, entry.shape);
    g_xCursors[id] = made;
    return made;
  }
  return None;
}

}  // namespace
}  // namespace win32::display

using namespace win32::display;

BOOL CreateCaret(HWND hWnd, HBITMAP, int nWidth, int nHeight) {
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(g_caretMutex);
  g_caret = Caret{hWnd, POINT{0, 0}, SIZE{nWidth, nHeight}, 1};
  return TRUE;
}

BOOL DestroyCaret() {
  std::lock_guard<std::mutex> lock(g_caretMutex);
  if (!g_caret.hwnd) return FALSE;
  g_caret = Caret{};
  return TRUE;
}

BOOL ShowCaret(HWND hWnd) {
  std::lock_guard<std::mutex> lock(g_caretMutex);
  if (!g_caret.hwnd || (hWnd && hWnd != g_caret.hwnd)) return FALSE;
  if (g_caret.hideCount > 0) --g_caret.hideCount;
  return TRUE;
}

BOOL HideCaret(HWND hWnd) {
  std::lock_guard<std::mutex> lock(g_caretMutex);
  if (!g_caret.hwnd || (hWnd && hWnd != g_caret.hwnd)) return FALSE;
  ++g_caret.hideCount;
  return TRUE;
}

BOOL SetCaretPos(int X, int Y) {
  Caret caret;
  {
    std::lock_guard<std::mutex> lock(g_caretMutex);
    if (!g_caret.hwnd) return FALSE;
    g_caret.pos = POINT{X, Y};
    caret = g_caret;
  }
  moveInputMethodSpot(caret);
  return TRUE;
}

BOOL GetCaretPos(LPPOINT lpPoint) {
  std::lock_guard<std::mutex> lock(g_caretMutex);
  if (!lpPoint || !g_caret.hwnd) return FALSE;
  *lpPoint = g_caret.pos;
  return TRUE;
}

UINT GetCaretBlinkTime() { return 530; }

void win32::detail::forgetCaret(HWND hwnd) {
  std::lock_guard<std::mutex> lock(g_caretMutex);
  if (g_caret.hwnd == hwnd) g_caret = Caret{};
}

HCURSOR LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName) {
  if (!hInstance && IS_INTRESOURCE(lpCursorName)) {
    const auto id = static_cast<WORD>(reinterpret_cast<uintptr_t>(lpCursorName));
    for (const SystemCursor& entry : kCursors) {
      if (entry.id == id) return reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(id));
    }
  }
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

HCURSOR SetCursor(HCURSOR hCursor) {
  HCURSOR previous;
  {
    std::lock_guard<std::mutex> lock(g_cursorMutex);
    previous = g_current;
    g_current = hCursor;
  }
  XDisplay* x = activeDisplay();
  if (!x || previous == hCursor) return previous;
  // The cursor shows over the window under the pointer (or the capture).
  HWND over = GetCapture();
  if (!over) {
    POINT pt{};
    GetCursorPos(&pt);
    over = WindowFromPoint(pt);
  }
  ::Window xid = over ? xidOf(win32::detail::rootOf(over)) : 0;
  if (!xid) return previous;
  std::lock_guard<std::mutex> lock(g_cursorMutex);
  Cursor cursor = hCursor ? xCursorOf(x, hCursor) : None;
  XDefineCursor(x->dpy, xid, cursor);
  XFlush(x->dpy);
  return previous;
}

HCURSOR GetCursor() {
  std::lock_guard<std::mutex> lock(g_cursorMutex);
  return g_current;
}

BOOL DestroyCursor(HCURSOR hCursor) {
  destroyImageCursor(hCursor);
  return TRUE;  // system cursors are shared
}
