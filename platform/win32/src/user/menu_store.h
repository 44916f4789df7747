// Menu records behind HMENU handles.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "win32/menus.h"

namespace win32::detail {

struct MenuItem {
  UINT flags = 0;       // MF_* type and state bits
  UINT_PTR id = 0;      // command id; the sub-menu for MF_POPUP items
  HMENU subMenu = nullptr;
  std::wstring text;    // for items that are not owner-drawn
  ULONG_PTR data = 0;   // item data (the pointer given for MF_OWNERDRAW)
};

struct Menu {
  std::vector<MenuItem> items;
  ULONG_PTR menuData = 0;
  DWORD helpId = 0;
};

// A copy of the menu's record, or null when the handle is no menu.
std::shared_ptr<Menu> menuSnapshot(HMENU menu);

}  // namespace win32::detail
