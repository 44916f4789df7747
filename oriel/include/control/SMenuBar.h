// A row of buttons, each dropping down its own menu; sliding to another
// button while a menu is open switches to that button's menu.
#pragma once

#include "control/SWin32Menu.h"
#include "core/SArray.h"
#include "core/SWnd.h"

namespace ORIEL {

class SMenuBar;

class EventSelectMenu : public TplEventArgs<EventSelectMenu> {
  ORIEL_EVENT(EventSelectMenu, 22150, L"on_select_menu")
  UINT nMenuId = 0;
  SWin32Menu* pMenu = nullptr;
};

// One button of the bar with the menu it loads when it is made.
class SMenuItem : public SWindow {
  SOBJ_CLASS(SMenuItem, SWindow, L"menuItem", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }

  SMenuItem(SMenuBar* bar, const SStringW& menuName);

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;

  BOOL IsLoaded() const { return m_bLoaded; }
  SStringW GetMenuName() const { return m_strMenuName; }
  SWin32Menu& GetMenu() { return m_menu; }

 protected:
  void OnLButtonDown(UINT keys, POINT pt) override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // Shows the menu below the button; returns when it closes.
  void PopupMenu();

  SMenuBar* m_pMenuBar;
  SStringW m_strMenuName;
  SWin32Menu m_menu;
  BOOL m_bLoaded = FALSE;
};

class SMenuBar : public SWindow {
  SOBJ_CLASS(SMenuBar, SWindow, L"menubar", kObjWindow)
  friend class SMenuItem;

 public:
  static LPCWSTR BaseClassName() { return L"window"; }

  SMenuBar();
  ~SMenuBar() override;

  // The host window the menus are shown for; false when it is no window.
  // Until then the buttons open nothing.
  BOOL Attach(HWND host);
  // False without a menu name or when the menu cannot be loaded; a
  // negative index appends.
  BOOL InsertItem(const SStringW& title, const SStringW& menuName, int index);
  int GetItemCount() const { return static_cast<int>(m_lstMenuItem.GetCount()); }
  SMenuItem* GetItem(int index) const { return m_lstMenuItem[index]; }
  SMenuItem* GetShowingItem() const { return m_pItemShowing; }
  BOOL IsMenuShowing() const { return m_bIsShow; }

  BOOL CreateChildren(pugi::xml_node element) override;

  // Item size and gaps, in pixels whatever the scale.
  static constexpr int kItemWidth = 49;
  static constexpr int kItemHeight = 20;

 protected:
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void ArrangeItems();

  SArray<SMenuItem*> m_lstMenuItem;
  HWND m_hWnd = nullptr;
  SXmlDoc m_xmlStyle;
  BOOL m_bIsShow = FALSE;
  SMenuItem* m_pItemShowing = nullptr;
};

}  // namespace ORIEL
