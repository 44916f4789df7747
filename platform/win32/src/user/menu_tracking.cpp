// TrackPopupMenu: one pop-up window of ours per open menu level, and one
// modal loop for all of them. The top level holds the keyboard and a
// pop-up pointer grab for the whole run, so the levels (and our other
// windows) see the pointer as usual while a press anywhere else reaches
// the top level from outside and dismisses the menu. Owner-drawn items
// are measured and drawn by the owner window (WM_MEASUREITEM,
// WM_DRAWITEM); plain items are drawn here.
#include <cairo.h>

#include <algorithm>
#include <atomic>
#include <memory>
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

// How long the pointer rests on an item before its sub-menu opens, or
// before another item closes the open one (the menu show delay).
constexpr UINT kMenuShowDelayMs = 400;
constexpr UINT_PTR kRestTimer = 0x4D52;

struct Level {
  HMENU menu;
  std::shared_ptr<Menu> items;
  HWND owner;
  std::vector<RECT> rects;  // item rectangles in the pop-up's client area
  int width = 0, height = 0;
  int selected = -1;
  HWND window = nullptr;
  int openedFrom = -1;  // the parent level's item this level hangs from
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

// Where a level of `size` goes when asked for at (x, y) with the
// alignment flags: kept on the monitor it opens on. A sub-level that would
// pass the monitor's right edge opens at its parent's left instead.
POINT placeLevel(SIZE size, int x, int y, UINT flags, const RECT* parent) {
  if (flags & TPM_CENTERALIGN) x -= size.cx / 2;
  else if (flags & TPM_RIGHTALIGN) x -= size.cx;
  if (flags & TPM_VCENTERALIGN) y -= size.cy / 2;
  else if (flags & TPM_BOTTOMALIGN) y -= size.cy;
  MONITORINFO info{};
  info.cbSize = sizeof info;
  POINT at{x, y};
  GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &info);
  const RECT& m = info.rcMonitor;
  if (parent && x + size.cx > m.right) x = parent->left - size.cx;
  if (x + size.cx > m.right) x = m.right - size.cx;
  if (y + size.cy > m.bottom) y = m.bottom - size.cy;
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

bool isPopupItem(const Level& level, int index) {
  if (index < 0 || index >= static_cast<int>(level.items->items.size())) return false;
  const MenuItem& item = level.items->items[static_cast<size_t>(index)];
  return (item.flags & MF_POPUP) && selectable(item) && item.subMenu;
}

bool isMouseMessage(UINT message) {
  return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONDBLCLK);
}

bool isPress(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_NCMBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: case WM_NCRBUTTONDBLCLK: case WM_NCMBUTTONDBLCLK:
      return true;
    default:
      return false;
  }
}

enum class Outcome { kRunning, kChosen, kDismissed, kQuit };

// One run of a menu: the stack of open levels, innermost last.
class Tracker {
 public:
  Tracker(HWND owner, UINT flags) : owner_(owner), flags_(flags) {}
  ~Tracker() { closeFrom(0); }

  Outcome run(HMENU menu, int x, int y, UINT& chosen);

 private:
  bool open(HMENU menu, int x, int y, UINT alignFlags, const RECT* parentItem, int openedFrom);
  void openSub(size_t parent, int index, bool selectFirst);
  void closeFrom(size_t depth);
  // The innermost level holding the screen point, and its item there.
  bool hit(POINT screen, size_t* depth, int* index) const;
  size_t levelOfWindow(HWND hwnd) const;
  void restOn(size_t depth, int index);
  void restEnded();
  void onMove(POINT screen);
  void onPress(POINT screen);
  void onRelease(POINT screen);
  void onKey(WPARAM key);
  void onChar(wchar_t ch);
  void activate(size_t depth, int index, bool selectFirst);

  HWND owner_;
  UINT flags_;
  std::vector<std::unique_ptr<Level>> levels_;
  // The item the pointer rests on while the rest timer runs.
  size_t restDepth_ = 0;
  int restIndex_ = -1;
  // A release only chooses after the pointer moved onto an item or pressed
  // in the menu, so the release of the click that opened it does nothing.
  bool armed_ = false;
  Outcome outcome_ = Outcome::kRunning;
  UINT chosen_ = 0;
};

bool Tracker::open(HMENU menu, int x, int y, UINT alignFlags, const RECT* parentItem, int openedFrom) {
  auto level = std::make_unique<Level>(Level{menu, menuSnapshot(menu), owner_, {}});
  if (!level->items || level->items->items.empty()) return false;
  level->openedFrom = openedFrom;
  measure(*level);
  const POINT at = placeLevel(SIZE{level->width, level->height}, x, y, alignFlags, parentItem);
  level->window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, menuClass(), L"",
                                  WS_POPUP, at.x, at.y, level->width, level->height, nullptr, nullptr,
                                  nullptr, level.get());
  if (!level->window) return false;
  ShowWindow(level->window, SW_SHOWNA);
  UpdateWindow(level->window);
  levels_.push_back(std::move(level));
  return true;
}

void Tracker::openSub(size_t parent, int index, bool selectFirst) {
  closeFrom(parent + 1);
  Level& level = *levels_[parent];
  if (!isPopupItem(level, index)) return;
  const MenuItem& item = level.items->items[static_cast<size_t>(index)];
  RECT itemRect = level.rects[static_cast<size_t>(index)];
  MapWindowPoints(level.window, nullptr, reinterpret_cast<POINT*>(&itemRect), 2);
  RECT parentRect{};
  GetWindowRect(level.window, &parentRect);
  if (!(flags_ & TPM_NONOTIFY))
    SendMessageW(owner_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(item.subMenu), MAKELPARAM(index, FALSE));
  if (!open(item.subMenu, itemRect.right, itemRect.top, 0, &parentRect, index)) return;
  if (selectFirst) select(*levels_.back(), step(*levels_.back(), -1, 1));
}

void Tracker::closeFrom(size_t depth) {
  while (levels_.size() > depth) {
    DestroyWindow(levels_.back()->window);
    levels_.pop_back();
  }
  if (restDepth_ >= depth) restEnded();
}

bool Tracker::hit(POINT screen, size_t* depth, int* index) const {
  for (size_t d = levels_.size(); d-- > 0;) {
    RECT r{};
    GetWindowRect(levels_[d]->window, &r);
    if (!PtInRect(&r, screen)) continue;
    *depth = d;
    *index = itemAt(*levels_[d], POINT{screen.x - r.left, screen.y - r.top});
    return true;
  }
  return false;
}

size_t Tracker::levelOfWindow(HWND hwnd) const {
  for (size_t d = 0; d < levels_.size(); ++d) {
    if (levels_[d]->window == hwnd) return d;
  }
  return levels_.size();
}

void Tracker::restOn(size_t depth, int index) {
  restDepth_ = depth;
  restIndex_ = index;
  SetTimer(levels_[0]->window, kRestTimer, kMenuShowDelayMs, nullptr);
}

void Tracker::restEnded() {
  if (restIndex_ < 0) return;
  restIndex_ = -1;
  if (!levels_.empty()) KillTimer(levels_[0]->window, kRestTimer);
}

void Tracker::onMove(POINT screen) {
  size_t depth = 0;
  int index = -1;
  if (!hit(screen, &depth, &index)) {
    // Off the menu: the innermost level forgets an item that opens nothing.
    Level& inner = *levels_.back();
    restEnded();
    if (inner.selected >= 0) select(inner, -1);
    return;
  }
  // Back in a sub-level: its parents point at the items it hangs from.
  for (size_t d = depth; d > 0; --d) select(*levels_[d - 1], levels_[d]->openedFrom);
  Level& level = *levels_[depth];
  if (index < 0 || index == level.selected) return;
  const MenuItem& item = level.items->items[static_cast<size_t>(index)];
  if (item.flags & MF_SEPARATOR) return;
  armed_ = true;
  select(level, index);
  const bool itsSubIsOpen = depth + 1 < levels_.size() && levels_[depth + 1]->openedFrom == index;
  if (itsSubIsOpen) {
    restEnded();
    return;
  }
  // Resting here opens this item's sub-menu, or closes the one open beside it.
  const bool anotherIsOpen = depth + 1 < levels_.size();
  if (isPopupItem(level, index) || anotherIsOpen) restOn(depth, index);
  else restEnded();
}

void Tracker::activate(size_t depth, int index, bool selectFirst) {
  Level& level = *levels_[depth];
  if (index < 0) return;
  const MenuItem& item = level.items->items[static_cast<size_t>(index)];
  if (!selectable(item)) return;
  if (item.flags & MF_POPUP) {
    const bool itsSubIsOpen = depth + 1 < levels_.size() && levels_[depth + 1]->openedFrom == index;
    if (!itsSubIsOpen) openSub(depth, index, selectFirst);
    else if (selectFirst) select(*levels_[depth + 1], step(*levels_[depth + 1], -1, 1));
    return;
  }
  outcome_ = Outcome::kChosen;
  chosen_ = static_cast<UINT>(item.id);
}

void Tracker::onPress(POINT screen) {
  size_t depth = 0;
  int index = -1;
  if (!hit(screen, &depth, &index)) {
    outcome_ = Outcome::kDismissed;
    return;
  }
  // A press on a parent level acts there: the sub-menu of another item
  // closes, and a sub-menu item opens its own at once.
  armed_ = true;
  Level& level = *levels_[depth];
  if (index < 0 || (level.items->items[static_cast<size_t>(index)].flags & MF_SEPARATOR)) return;
  const bool itsSubIsOpen = depth + 1 < levels_.size() && levels_[depth + 1]->openedFrom == index;
  if (!itsSubIsOpen) closeFrom(depth + 1);
  select(level, index);
  if (isPopupItem(level, index) && !itsSubIsOpen) {
    restEnded();
    openSub(depth, index, false);
  }
}

void Tracker::onRelease(POINT screen) {
  size_t depth = 0;
  int index = -1;
  if (!armed_ || !hit(screen, &depth, &index) || index < 0) return;
  activate(depth, index, false);
}

void Tracker::onKey(WPARAM key) {
  const size_t inner = levels_.size() - 1;
  Level& level = *levels_[inner];
  switch (key) {
    case VK_DOWN: select(level, step(level, level.selected, 1)); break;
    case VK_UP: select(level, step(level, level.selected, -1)); break;
    case VK_HOME: select(level, step(level, -1, 1)); break;
    case VK_END: select(level, step(level, -1, -1)); break;
    case VK_RIGHT:
      if (isPopupItem(level, level.selected)) openSub(inner, level.selected, true);
      break;
    case VK_LEFT:
      if (inner > 0) closeFrom(inner);
      break;
    case VK_ESCAPE:
      if (inner > 0) closeFrom(inner);
      else outcome_ = Outcome::kDismissed;
      break;
    case VK_RETURN:
    case VK_SPACE:
      activate(inner, level.selected, true);
      break;
    default:
      break;
  }
}

void Tracker::onChar(wchar_t ch) {
  const size_t inner = levels_.size() - 1;
  Level& level = *levels_[inner];
  const int index = mnemonicIndex(level, ch);
  if (index == -2) {
    outcome_ = Outcome::kDismissed;
    return;
  }
  if (index < 0 || index >= static_cast<int>(level.items->items.size())) return;
  select(level, index);
  activate(inner, index, true);
}

Outcome Tracker::run(HMENU menu, int x, int y, UINT& chosen) {
  if (!open(menu, x, y, flags_, nullptr, -1)) return Outcome::kDismissed;
  HWND top = levels_[0]->window;
  // The menu takes the pointer from whoever had it.
  if (GetCapture()) ReleaseCapture();
  Win32BeginPopupGrab(top);
  win32::display::nativeGrabKeyboard(top);

  MSG msg{};
  while (outcome_ == Outcome::kRunning) {
    if (g_endMenu.load()) {
      outcome_ = Outcome::kDismissed;
      break;
    }
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      outcome_ = Outcome::kQuit;
      break;
    }
    const bool ours = levelOfWindow(msg.hwnd) < levels_.size();
    if (isMouseMessage(msg.message)) {
      if (!ours) {
        // Our other windows still follow the pointer (a menu bar switches
        // menus that way); a press on one of them ends the menu, unseen.
        if (isPress(msg.message)) outcome_ = Outcome::kDismissed;
        else if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) DispatchMessageW(&msg);
        continue;
      }
      POINT screen{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
      if (msg.message < WM_NCMOUSEMOVE || msg.message > WM_NCMBUTTONDBLCLK) ClientToScreen(msg.hwnd, &screen);
      switch (msg.message) {
        case WM_MOUSEMOVE: onMove(screen); break;
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK:
          onPress(screen);
          break;
        case WM_LBUTTONUP: case WM_RBUTTONUP: onRelease(screen); break;
        default: break;
      }
      continue;
    }
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
      // The menu owns the thread's keyboard while it is open, whichever of
      // our windows the key reached: one typed before the keyboard grab
      // took hold went to the window that had the focus.
      if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        const WPARAM key = msg.wParam;
        if (key == VK_DOWN || key == VK_UP || key == VK_HOME || key == VK_END || key == VK_RIGHT ||
            key == VK_LEFT || key == VK_ESCAPE || key == VK_RETURN || key == VK_SPACE)
          onKey(key);
        else
          TranslateMessage(&msg);
      } else if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
        onChar(static_cast<wchar_t>(msg.wParam));
      }
      continue;
    }
    if (msg.message == WM_TIMER && msg.hwnd == top && msg.wParam == kRestTimer) {
      const size_t depth = restDepth_;
      const int index = restIndex_;
      restEnded();
      if (index >= 0 && depth < levels_.size() && levels_[depth]->selected == index) {
        if (isPopupItem(*levels_[depth], index)) activate(depth, index, false);
        else closeFrom(depth + 1);
      }
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  restEnded();
  win32::display::nativeUngrabKeyboard();
  Win32EndPopupGrab(top);
  closeFrom(0);
  if (outcome_ == Outcome::kQuit) PostQuitMessage(static_cast<int>(msg.wParam));
  chosen = chosen_;
  return outcome_;
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
  Outcome outcome = Outcome::kDismissed;
  UINT chosen = 0;
  g_endMenu = false;
  // Without a display there is nothing to choose from.
  if (Win32HasDisplay()) {
    Tracker tracker(hWnd, uFlags);
    outcome = tracker.run(hMenu, x, y, chosen);
  }
  if (notify) {
    SendMessageW(hWnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    SendMessageW(hWnd, WM_EXITMENULOOP, TRUE, 0);
  }
  const UINT id = outcome == Outcome::kChosen ? chosen : 0;
  if (uFlags & TPM_RETURNCMD) return static_cast<BOOL>(id);
  if (id) PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  return id ? TRUE : FALSE;
}

BOOL EndMenu() {
  g_endMenu = true;
  PostMessageW(nullptr, WM_NULL, 0, 0);
  return TRUE;
}
