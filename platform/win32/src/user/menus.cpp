// CreatePopupMenu and the calls that build and query menus.
#include <algorithm>
#include <map>
#include <mutex>

#include "menu_store.h"
#include "win32/errors.h"

using namespace win32::detail;

namespace {

std::mutex g_mutex;
std::map<HMENU, std::shared_ptr<Menu>>& menus() {
  static auto* map = new std::map<HMENU, std::shared_ptr<Menu>>();
  return *map;
}
uintptr_t g_next = 0x6E000000;

// Call with g_mutex held.
Menu* lookupLocked(HMENU menu) {
  auto it = menus().find(menu);
  return it == menus().end() ? nullptr : it->second.get();
}

// Finds an item by position or by command id (searching sub-menus, as
// Windows does for MF_BYCOMMAND). Call with g_mutex held.
MenuItem* findItemLocked(HMENU menu, UINT item, bool byPosition, Menu** owner = nullptr,
                         size_t* index = nullptr) {
  Menu* m = lookupLocked(menu);
  if (!m) return nullptr;
  if (byPosition) {
    if (item >= m->items.size()) return nullptr;
    if (owner) *owner = m;
    if (index) *index = item;
    return &m->items[item];
  }
  for (size_t i = 0; i < m->items.size(); ++i) {
    MenuItem& candidate = m->items[i];
    if (!(candidate.flags & MF_POPUP) && candidate.id == item) {
      if (owner) *owner = m;
      if (index) *index = i;
      return &candidate;
    }
    if (candidate.flags & MF_POPUP) {
      if (MenuItem* inner = findItemLocked(candidate.subMenu, item, false, owner, index)) return inner;
    }
  }
  return nullptr;
}

MenuItem makeItem(UINT flags, UINT_PTR id, LPCWSTR content) {
  MenuItem item;
  item.flags = flags & ~MF_BYPOSITION;
  if (flags & MF_POPUP) {
    item.subMenu = reinterpret_cast<HMENU>(id);
    item.id = id;
  } else {
    item.id = id;
  }
  if (flags & MF_OWNERDRAW) item.data = reinterpret_cast<ULONG_PTR>(content);
  else if (!(flags & MF_SEPARATOR) && content) item.text = content;
  return item;
}

HMENU create() {
  std::lock_guard<std::mutex> lock(g_mutex);
  HMENU handle = reinterpret_cast<HMENU>(g_next);
  g_next += 2;
  menus()[handle] = std::make_shared<Menu>();
  return handle;
}

BOOL failMissing() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

}  // namespace

std::shared_ptr<Menu> win32::detail::menuSnapshot(HMENU menu) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Menu* m = lookupLocked(menu);
  return m ? std::make_shared<Menu>(*m) : nullptr;
}

HMENU CreatePopupMenu() { return create(); }
HMENU CreateMenu() { return create(); }

BOOL DestroyMenu(HMENU hMenu) {
  std::vector<HMENU> subMenus;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = menus().find(hMenu);
    if (it == menus().end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    for (const MenuItem& item : it->second->items) {
      if (item.flags & MF_POPUP) subMenus.push_back(item.subMenu);
    }
    menus().erase(it);
  }
  // Sub-menus go with their menu, as on Windows.
  for (HMENU sub : subMenus) DestroyMenu(sub);
  return TRUE;
}

BOOL IsMenu(HMENU hMenu) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return lookupLocked(hMenu) ? TRUE : FALSE;
}

BOOL AppendMenuW(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem) {
  return InsertMenuW(hMenu, static_cast<UINT>(-1), uFlags | MF_BYPOSITION, uIDNewItem, lpNewItem);
}

BOOL InsertMenuW(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Menu* m = lookupLocked(hMenu);
  if (!m) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if ((uFlags & MF_POPUP) && !lookupLocked(reinterpret_cast<HMENU>(uIDNewItem))) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  MenuItem item = makeItem(uFlags, uIDNewItem, lpNewItem);
  if (uPosition == static_cast<UINT>(-1)) {
    m->items.push_back(item);
    return TRUE;
  }
  if (uFlags & MF_BYPOSITION) {
    const size_t at = std::min<size_t>(uPosition, m->items.size());
    m->items.insert(m->items.begin() + static_cast<long>(at), item);
    return TRUE;
  }
  Menu* owner = nullptr;
  size_t index = 0;
  if (!findItemLocked(hMenu, uPosition, false, &owner, &index)) return failMissing();
  owner->items.insert(owner->items.begin() + static_cast<long>(index), item);
  return TRUE;
}

namespace {

BOOL removeItem(HMENU hMenu, UINT uPosition, UINT uFlags, bool destroySub) {
  HMENU sub = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    Menu* owner = nullptr;
    size_t index = 0;
    MenuItem* item = findItemLocked(hMenu, uPosition, (uFlags & MF_BYPOSITION) != 0, &owner, &index);
    if (!item) return failMissing();
    if (item->flags & MF_POPUP) sub = item->subMenu;
    owner->items.erase(owner->items.begin() + static_cast<long>(index));
  }
  if (destroySub && sub) DestroyMenu(sub);
  return TRUE;
}

}  // namespace

BOOL DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
  return removeItem(hMenu, uPosition, uFlags, true);
}

BOOL RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
  return removeItem(hMenu, uPosition, uFlags, false);
}

int GetMenuItemCount(HMENU hMenu) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Menu* m = lookupLocked(hMenu);
  if (!m) {
    SetLastError(ERROR_INVALID_HANDLE);
    return -1;
  }
  return static_cast<int>(m->items.size());
}

UINT GetMenuItemID(HMENU hMenu, int nPos) {
  std::lock_guard<std::mutex> lock(g_mutex);
  MenuItem* item = nPos < 0 ? nullptr : findItemLocked(hMenu, static_cast<UINT>(nPos), true);
  if (!item || (item->flags & MF_POPUP)) return static_cast<UINT>(-1);
  return static_cast<UINT>(item->id);
}

HMENU GetSubMenu(HMENU hMenu, int nPos) {
  std::lock_guard<std::mutex> lock(g_mutex);
  MenuItem* item = nPos < 0 ? nullptr : findItemLocked(hMenu, static_cast<UINT>(nPos), true);
  return item && (item->flags & MF_POPUP) ? item->subMenu : nullptr;
}

UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
  std::lock_guard<std::mutex> lock(g_mutex);
  MenuItem* item = findItemLocked(hMenu, uId, (uFlags & MF_BYPOSITION) != 0);
  if (!item) return static_cast<UINT>(-1);
  UINT state = item->flags & ~MF_POPUP;
  if (item->flags & MF_POPUP) {
    Menu* sub = lookupLocked(item->subMenu);
    state = (item->flags & 0xFF) | MF_POPUP | (static_cast<UINT>(sub ? sub->items.size() : 0) << 8);
  }
  return state;
}

DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck) {
  std::lock_guard<std::mutex> lock(g_mutex);
  MenuItem* item = findItemLocked(hMenu, uIDCheckItem, (uCheck & MF_BYPOSITION) != 0);
  if (!item) return static_cast<DWORD>(-1);
  const DWORD previous = item->flags & MF_CHECKED;
  item->flags = (item->flags & ~MF_CHECKED) | (uCheck & MF_CHECKED);
  return previous;
}

BOOL EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
  std::lock_guard<std::mutex> lock(g_mutex);
  MenuItem* item = findItemLocked(hMenu, uIDEnableItem, (uEnable & MF_BYPOSITION) != 0);
  if (!item) return -1;
  const BOOL previous = static_cast<BOOL>(item->flags & (MF_GRAYED | MF_DISABLED));
  item->flags = (item->flags & ~(MF_GRAYED | MF_DISABLED)) | (uEnable & (MF_GRAYED | MF_DISABLED));
  return previous;
}

#define MIIM_STRING_BIT 0x00000040
#define MFT_OWNERDRAW_BIT 0x00000100

BOOL GetMenuItemInfoW(HMENU hmenu, UINT item, BOOL fByPosition, LPMENUITEMINFOW info) {
  if (!info || info->cbSize != sizeof(MENUITEMINFOW)) return failMissing();
  std::lock_guard<std::mutex> lock(g_mutex);
  MenuItem* found = findItemLocked(hmenu, item, fByPosition != FALSE);
  if (!found) return failMissing();
  if (info->fMask & MIIM_DATA) info->dwItemData = found->data;
  if (info->fMask & MIIM_ID) info->wID = static_cast<UINT>(found->id);
  if (info->fMask & MIIM_STATE) info->fState = found->flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE);
  if (info->fMask & MIIM_SUBMENU) info->hSubMenu = (found->flags & MF_POPUP) ? found->subMenu : nullptr;
  if (info->fMask & MIIM_FTYPE) info->fType = found->flags & (MF_OWNERDRAW | MF_SEPARATOR | MFT_RADIOCHECK);
  if (info->fMask & MIIM_STRING_BIT) {
    if (info->dwTypeData && info->cch > 0) {
      const size_t n = std::min<size_t>(found->text.size(), info->cch - 1);
      found->text.copy(info->dwTypeData, n);
      info->dwTypeData[n] = L'\0';
    }
    info->cch = static_cast<UINT>(found->text.size());
  }
  return TRUE;
}

BOOL SetMenuItemInfoW(HMENU hmenu, UINT item, BOOL fByPosition, LPCMENUITEMINFOW info) {
  if (!info || info->cbSize != sizeof(MENUITEMINFOW)) return failMissing();
  std::lock_guard<std::mutex> lock(g_mutex);
  MenuItem* found = findItemLocked(hmenu, item, fByPosition != FALSE);
  if (!found) return failMissing();
  if (info->fMask & MIIM_DATA) found->data = info->dwItemData;
  if (info->fMask & MIIM_ID) found->id = info->wID;
  if (info->fMask & MIIM_STATE)
    found->flags = (found->flags & ~(MF_GRAYED | MF_DISABLED | MF_CHECKED)) |
                   (info->fState & (MF_GRAYED | MF_DISABLED | MF_CHECKED));
  if (info->fMask & MIIM_FTYPE)
    found->flags = (found->flags & ~(MF_OWNERDRAW | MF_SEPARATOR | MFT_RADIOCHECK)) |
                   (info->fType & (MF_OWNERDRAW | MF_SEPARATOR | MFT_RADIOCHECK));
  if ((info->fMask & MIIM_STRING_BIT) && info->dwTypeData) found->text = info->dwTypeData;
  if ((info->fMask & MIIM_SUBMENU)) {
    found->subMenu = info->hSubMenu;
    found->flags = info->hSubMenu ? (found->flags | MF_POPUP) : (found->flags & ~MF_POPUP);
  }
  return TRUE;
}

BOOL GetMenuInfo(HMENU hMenu, LPMENUINFO info) {
  if (!info || info->cbSize != sizeof(MENUINFO)) return failMissing();
  std::lock_guard<std::mutex> lock(g_mutex);
  Menu* m = lookupLocked(hMenu);
  if (!m) return failMissing();
  if (info->fMask & MIM_MENUDATA) info->dwMenuData = m->menuData;
  info->dwContextHelpID = m->helpId;
  return TRUE;
}

BOOL SetMenuInfo(HMENU hMenu, LPCMENUINFO info) {
  if (!info || info->cbSize != sizeof(MENUINFO)) return failMissing();
  std::lock_guard<std::mutex> lock(g_mutex);
  Menu* m = lookupLocked(hMenu);
  if (!m) return failMissing();
  if (info->fMask & MIM_MENUDATA) m->menuData = info->dwMenuData;
  return TRUE;
}

BOOL SetMenuContextHelpId(HMENU hMenu, DWORD id) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Menu* m = lookupLocked(hMenu);
  if (!m) return failMissing();
  m->helpId = id;
  return TRUE;
}

DWORD GetMenuContextHelpId(HMENU hMenu) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Menu* m = lookupLocked(hMenu);
  return m ? m->helpId : 0;
}
