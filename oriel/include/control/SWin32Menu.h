// A Win32 pop-up menu whose items the framework draws: built from a "menu"
// element of the resources or item by item, shown with TrackPopupMenu and
// measured and painted through a hidden helper window with the menu's look.
#pragma once

#include "control/SMenuAttr.h"
#include "core/SXml.h"
#include "win32/menus.h"

namespace ORIEL {

class SWin32Menu {
 public:
  SWin32Menu() = default;
  // Wraps the menu without owning it (when its data is a live look).
  explicit SWin32Menu(HMENU menu);
  SWin32Menu(const SWin32Menu& other);
  SWin32Menu& operator=(const SWin32Menu&) = delete;
  ~SWin32Menu();

  // Refused unless the menu's data is a live look object.
  BOOL Attach(HMENU menu);
  HMENU Detach();
  HMENU GetHMenu() const { return m_hMenu; }
  operator HMENU() const { return m_hMenu; }  // NOLINT

  BOOL LoadFromXml(const SStringW& name, const SStringW& type);
  BOOL LoadFromNode(pugi::xml_node element);
  BOOL LoadFromXmlNode(pugi::xml_node element) { return LoadFromNode(element); }
  // "TYPE:NAME".
  BOOL LoadFromResName(const SStringW& resId);

  // With MF_POPUP, `idOrPopup` is the sub-menu, which shares this menu's
  // look when it has none.
  BOOL InsertItem(UINT position, UINT flags, UINT_PTR idOrPopup, const SStringW& text, int icon = -1);
  BOOL AppendItem(UINT flags, UINT_PTR idOrPopup, const SStringW& text, int icon = -1) {
    return InsertItem(static_cast<UINT>(-1), flags, idOrPopup, text, icon);
  }
  // The text as given: no translation, the mnemonic kept.
  BOOL ModifyItemText(UINT item, UINT flags, const SStringW& text);
  DWORD CheckItem(UINT item, UINT check) { return CheckMenuItem(m_hMenu, item, check); }
  BOOL DeleteItem(UINT item, UINT flags);
  ULONG_PTR GetItemUserData(UINT item, BOOL byPosition) const;
  BOOL SetItemUserData(UINT item, BOOL byPosition, ULONG_PTR data);

  // Shows the menu and returns the chosen id (0 for none); without
  // TPM_RETURNCMD in `flags` the owner also gets WM_COMMAND(id, 0).
  UINT ShowPopup(UINT flags, int x, int y, HWND owner, const RECT* exclude = nullptr, int scale = 100);

  BOOL Destroy();

  // The look a menu carries, or null.
  static SMenuAttr* AttrOf(HMENU menu);

 private:
  void BuildMenu(HMENU menu, pugi::xml_node element, SMenuAttr* attr);
  static SMenuItemData* NewItemData(const SStringW& text, int icon, SMenuAttr* attr);
  static SMenuItemData* ItemDataOf(HMENU menu, UINT item, BOOL byPosition);
  // Frees the records and look references of the menu and its sub-menus.
  static void FreeRecords(HMENU menu);

  HMENU m_hMenu = nullptr;
  BOOL m_bAttached = FALSE;
};

}  // namespace ORIEL
