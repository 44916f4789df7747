// TrackPopupMenu: one pop-up window of ours per menu level, running its own
// modal loop with the pointer and keyboard grabbed, so a click anywhere
// outside dismisses it. Owner-drawn items are measured and drawn by the
// owner window (WM_MEASUREITEM, WM_DRAWITEM); plain items are drawn here.
#include <cairo.h>

#include <algorithm>
#include <atomic>
#include <cwctype>

#include "../display/native.h"
#include "../display/x_display.h"
#include "../window_class.h"
#include "menu_store.h"
#include "win32/backend.h"
#include "win32/messaging.h"
#include "win32/user32.h"

using namespace win32::detail;

namespace {

constexpr int kPlainItemHeight = 22;
constexpr int kPlainSeparatorHeight = 8;

std::atomic<bool> g_endMenu{false};

struct Level {
  HMENU menu;
  std::shared_ptr<Menu> items;
  HWND owner;
  std::vector<RECT> rects;  // item rectangles in the pop-up's client area
  int width = 0, height = 0;
  int selected = -1;
  HWND window = nullptr;
};

bool selectable(const MenuItem& item) {
  return !(item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED));
}

void measure(Level& level) {
  int y = 0, width = 0;
  for (const MenuItem& item : level.items->items) {
    int w = 0, h = 0;
    if (item.flags & MF_OWNERDRAW) {
      MEASUREITEMSTRUCT mis{ODT_MENU, 0, static_cast<UINT>(item.id), 0, 0, item.data};
      if (item.flags & MF_SEPARATOR) mis.itemID = 0;
      SendMessageW(level.owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
      w = static_cast<int>(mis.itemWidth);
      h = static_cast<int>(mis.itemHeight);
    } else if (item.flags & MF_SEPARATOR) {
      h = kPlainSeparatorHeight;
    } else {
      w = 40 + 8 * static_cast<int>(item.text.size());
      h = kPlainItemHeight;
    }
    level.rects.push_back(RECT{0, y, 0, y + h});
    y += h;
    width = std::max(width, w);
  }
  width = std::max(width, 20);
  for (RECT& r : level.rects) r.right = width;
  level.width = width;
  level.height = std::max(y, 1);
}

void drawPlainItem(cairo_t* cr, const MenuItem& item, const RECT& r, bool selected) {
  cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (selected) cairo_set_source_rgb(cr, 0.2, 0.45, 0.85);
  else cairo_set_source_rgb(cr, 0.97, 0.97, 0.97);
  cairo_fill(cr);
  if (item.flags & MF_SEPARATOR) {
    cairo_set_source_rgb(cr, 0.75, 0.75, 0.75);
    cairo_rectangle(cr, r.left + 4, (r.top + r.bottom) / 2, r.right - r.left - 8, 1);
    cairo_fill(cr);
    return;
  }
  std::wstring text;
  for (wchar_t ch : item.text) {
    if (ch != L'&') text.push_back(ch);
  }
  const bool grey = (item.flags & (MF_GRAYED | MF_DISABLED)) != 0;
  if (grey) cairo_set_source_rgb(cr, 0.55, 0.55, 0.55);
  else if (selected) cairo_set_source_rgb(cr, 1, 1, 1);
  else cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_select_font_face(cr, "Noto Sans CJK SC", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 13);
  cairo_move_to(cr, r.left + 24, r.bottom - 6);
  cairo_show_text(cr, win32::display::toUtf8(text).c_str());
  if (item.flags & MF_CHECKED) {
    cairo_move_to(cr, r.left + 6, r.bottom - 6);
    cairo_show_text(cr, "\xE2\x9C\x93");
  }
}

void paintLevel(Level& level) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(level.window, &ps);
  auto* surface = static_cast<cairo_surface_t*>(Win32SurfaceOfDC(hdc));
  for (size_t i = 0; i < level.items->items.size(); ++i) {
    const MenuItem& item = level.items->items[i];
    const bool selected = static_cast<int>(i) == level.selected;
    if (item.flags & MF_OWNERDRAW) {
      DRAWITEMSTRUCT dis{};
      dis.CtlType = ODT_MENU;
      dis.itemID = (item.flags & MF_SEPARATOR) ? 0 : static_cast<UINT>(item.id);
      dis.itemAction = ODA_DRAWENTIRE;
      if (selected) dis.itemState |= ODS_SELECTED;
      if (item.flags & MF_GRAYED) dis.itemState |= ODS_GRAYED;
      if (item.flags & MF_DISABLED) dis.itemState |= ODS_DISABLED;
      if (item.flags & MF_CHECKED) dis.itemState |= ODS_CHECKED;
      dis.hwndItem = reinterpret_cast<HWND>(level.menu);
      dis.hDC = hdc;
      dis.rcItem = level.rects[i];
      dis.itemData = item.data;
      SendMessageW(level.owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    } else if (surface) {
      cairo_t* cr = cairo_create(surface);
      drawPlainItem(cr, item, level.rects[i], selected);
      cairo_destroy(cr);
    }
  }
  // Whatever the owner left unpainted below the items stays opaque.
  EndPaint(level.window, &ps);
}

LRESULT CALLBACK menuProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* level = reinterpret_cast<Level*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
      break;
    case WM_PAINT:
      if (level) {
        paintLevel(*level);
        return 0;
      }
      break;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

const wchar_t* menuClass() {
  static const wchar_t* name = registerLayerClass(L"QuorvalePopupMenu", menuProc);
  return name;
}

POINT placeLevel(const Level& level, int x, int y, UINT flags) {
  if (flags & TPM_CENTERALIGN) x -= level.width / 2;
  else if (flags & TPM_RIGHTALIGN) x -= level.width;
  if (flags & TPM_VCENTERALIGN) y -= level.height / 2;
  else if (flags & TPM_BOTTOMALIGN) y -= level.height;
  // Kept on the monitor the menu opens on.
  MONITORINFO info{};
  info.cbSize = sizeof info;
  POINT at{x, y};
  GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &info);
  const RECT& m = info.rcMonitor;
  if (x + level.width > m.right) x = m.right - level.width;
  if (y + level.height > m.bottom) y = m.bottom - level.height;
  x = std::max<int>(x, m.left);
  y = std::max<int>(y, m.top);
  return POINT{x, y};
}

void select(Level& level, int index) {
  if (level.selected == index) return;
  level.selected = index;
  if (index >= 0) {
    const MenuItem& item = level.items->items[static_cast<size_t>(index)];
    const UINT flags = (item.flags & 0xFFFF) | MF_HILITE;
    const UINT idOrPos = (item.flags & MF_POPUP) ? static_cast<UINT>(index) : static_cast<UINT>(item.id);
    SendMessageW(level.owner, WM_MENUSELECT, MAKEWPARAM(idOrPos, flags), reinterpret_cast<LPARAM>(level.menu));
  }
  InvalidateRect(level.window, nullptr, FALSE);
  UpdateWindow(level.window);
}

int itemAt(const Level& level, POINT client) {
  for (size_t i = 0; i < level.rects.size(); ++i) {
    if (PtInRect(&level.rects[i], client)) return static_cast<int>(i);
  }
  return -1;
}

int step(const Level& level, int from, int direction) {
  const int count = static_cast<int>(level.items->items.size());
  for (int n = 1; n <= count; ++n) {
    const int index = ((from < 0 ? (direction > 0 ? -1 : 0) : from) + direction * n + count * 2) % count;
    if (selectable(level.items->items[static_cast<size_t>(index)])) return index;
  }
  return -1;
}

int mnemonicIndex(const Level& level, wchar_t ch) {
  const LRESULT answer = SendMessageW(level.owner, WM_MENUCHAR, MAKEWPARAM(ch, MF_POPUP),
                                      reinterpret_cast<LPARAM>(level.menu));
  if (HIWORD(answer) == MNC_EXECUTE || HIWORD(answer) == MNC_SELECT) return LOWORD(answer);
  if (HIWORD(answer) == MNC_CLOSE) return -2;
  const wchar_t lower = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
  for (size_t i = 0; i < level.items->items.size(); ++i) {
    const std::wstring& text = level.items->items[i].text;
    const size_t amp = text.find(L'&');
    if (amp != std::wstring::npos && amp + 1 < text.size() &&
        static_cast<wchar_t>(std::towlower(static_cast<wint_t>(text[amp + 1]))) == lower)
      return static_cast<int>(i);
  }
  return -1;
}

enum class Outcome { kChosen, kDismissed, kBack, kQuit };

struct Result {
  Outcome outcome;
  UINT id = 0;
};

Result runLevel(HMENU menu, HWND owner, int x, int y, UINT flags, bool topLevel);

Result openSub(Level& level, int index, UINT flags) {
  const MenuItem& item = level.items->items[static_cast<size_t>(index)];
  RECT r = level.rects[static_cast<size_t>(index)];
  POINT at{r.right, r.top};
  ClientToScreen(level.window, &at);
  if (!(flags & TPM_NONOTIFY))
    SendMessageW(level.owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(item.subMenu),
                 MAKELPARAM(index, FALSE));
  Result result = runLevel(item.subMenu, level.owner, at.x, at.y, flags & ~(TPM_CENTERALIGN | TPM_RIGHTALIGN | TPM_VCENTERALIGN | TPM_BOTTOMALIGN), false);
  // Back at this level: it takes the pointer and keys again.
  if (result.outcome == Outcome::kBack) {
    SetCapture(level.window);
    win32::display::nativeGrabKeyboard(level.window);
  }
  return result;
}

Result choose(Level& level, int index, UINT flags) {
  if (index < 0) return Result{Outcome::kDismissed};
  const MenuItem& item = level.items->items[static_cast<size_t>(index)];
  if (!selectable(item)) return Result{Outcome::kBack};  // nothing happens
  if (item.flags & MF_POPUP) return openSub(level, index, flags);
  return Result{Outcome::kChosen, static_cast<UINT>(item.id)};
}

Result runLevel(HMENU menu, HWND owner, int x, int y, UINT flags, bool topLevel) {
  Level level{menu, menuSnapshot(menu), owner, {}};
  if (!level.items || level.items->items.empty()) return Result{Outcome::kDismissed};
  measure(level);
  const POINT at = placeLevel(level, x, y, topLevel ? flags : 0);
  level.window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, menuClass(), L"",
                                 WS_POPUP, at.x, at.y, level.width, level.height, nullptr, nullptr,
                                 nullptr, &level);
  if (!level.window) return Result{Outcome::kDismissed};
  ShowWindow(level.window, SW_SHOWNA);
  UpdateWindow(level.window);
  SetCapture(level.window);
  win32::display::nativeGrabKeyboard(level.window);
  if (!topLevel) select(level, step(level, -1, 1));

  Result result{Outcome::kDismissed};
  bool armed = !topLevel;  // a button-up only chooses after the menu saw the pointer act
  bool done = false;
  MSG msg{};
  while (!done) {
    if (g_endMenu.load()) break;
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      result = Result{Outcome::kQuit};
      break;
    }
    if (msg.hwnd != level.window) {
      // Input for other windows waits; painting and timers go on.
      if ((msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
          (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST))
        continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      continue;
    }
    const POINT client{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
    const bool inside = client.x >= 0 && client.y >= 0 && client.x < level.width && client.y < level.height;
    switch (msg.message) {
      case WM_MOUSEMOVE: {
        const int index = inside ? itemAt(level, client) : -1;
        if (index != level.selected && (index < 0 || selectable(level.items->items[static_cast<size_t>(index)]))) {
          if (index >= 0 || level.selected >= 0) armed = true;
          select(level, index);
        }
        break;
      }
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
        if (!inside) {
          result = Result{Outcome::kDismissed};
          done = true;
        } else {
          armed = true;
        }
        break;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
        if (inside && armed) {
          Result chosen = choose(level, itemAt(level, client), flags);
          if (chosen.outcome != Outcome::kBack) {
            result = chosen;
            done = true;
          }
        }
        break;
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        switch (msg.wParam) {
          case VK_DOWN: select(level, step(level, level.selected, 1)); break;
          case VK_UP: select(level, step(level, level.selected, -1)); break;
          case VK_HOME: select(level, step(level, -1, 1)); break;
          case VK_END: select(level, step(level, -1, -1)); break;
          case VK_RIGHT:
            if (level.selected >= 0 && (level.items->items[static_cast<size_t>(level.selected)].flags & MF_POPUP)) {
              Result sub = openSub(level, level.selected, flags);
              if (sub.outcome != Outcome::kBack) {
                result = sub;
                done = true;
              }
            }
            break;
          case VK_LEFT:
            if (!topLevel) {
              result = Result{Outcome::kBack};
              done = true;
            }
            break;
          case VK_ESCAPE:
            result = Result{topLevel ? Outcome::kDismissed : Outcome::kBack};
            done = true;
            break;
          case VK_RETURN:
          case VK_SPACE:
            if (level.selected >= 0) {
              Result chosen = choose(level, level.selected, flags);
              if (chosen.outcome != Outcome::kBack) {
                result = chosen;
                done = true;
              }
            }
            break;
          default:
            TranslateMessage(&msg);
            break;
        }
        break;
      case WM_CHAR:
      case WM_SYSCHAR: {
        const int index = mnemonicIndex(level, static_cast<wchar_t>(msg.wParam));
        if (index == -2) {
          result = Result{Outcome::kDismissed};
          done = true;
        } else if (index >= 0 && index < static_cast<int>(level.items->items.size())) {
          select(level, index);
          Result chosen = choose(level, index, flags);
          if (chosen.outcome != Outcome::kBack) {
            result = chosen;
            done = true;
          }
        }
        break;
      }
      default:
        DispatchMessageW(&msg);
        break;
    }
  }
  win32::display::nativeUngrabKeyboard();
  if (GetCapture() == level.window) ReleaseCapture();
  DestroyWindow(level.window);
  if (result.outcome == Outcome::kQuit) PostQuitMessage(static_cast<int>(msg.wParam));
  return result;
}

}  // namespace

BOOL TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int, HWND hWnd, const RECT*) {
  if (!IsMenu(hMenu)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const bool notify = !(uFlags & TPM_NONOTIFY);
  if (notify) {
    SendMessageW(hWnd, WM_ENTERMENULOOP, TRUE, 0);
    SendMessageW(hWnd, WM_INITMENU, reinterpret_cast<WPARAM>(hMenu), 0);
    SendMessageW(hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hMenu), 0);
  }
  Result result{Outcome::kDismissed};
  g_endMenu = false;
  // Without a display there is nothing to choose from.
  if (Win32HasDisplay()) result = runLevel(hMenu, hWnd, x, y, uFlags, true);
  if (notify) {
    SendMessageW(hWnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    SendMessageW(hWnd, WM_EXITMENULOOP, TRUE, 0);
  }
  const UINT id = result.outcome == Outcome::kChosen ? result.id : 0;
  if (uFlags & TPM_RETURNCMD) return static_cast<BOOL>(id);
  if (id) PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  return id ? TRUE : FALSE;
}

BOOL EndMenu() {
  g_endMenu = true;
  PostMessageW(nullptr, WM_NULL, 0, 0);
  return TRUE;
}
