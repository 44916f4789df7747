// Menu records: building, finding items by position or command, states,
// item and menu data; without a display TrackPopupMenu dismisses at once.
#include "recording_window.h"

namespace {

class Menus : public RecordingWindowTest {};

TEST_F(Menus, ItemsByPositionAndByCommand) {
  HMENU menu = CreatePopupMenu();
  HMENU sub = CreatePopupMenu();
  ASSERT_TRUE(IsMenu(menu));
  int data = 7;
  ASSERT_TRUE(AppendMenuW(menu, MF_OWNERDRAW, 42, reinterpret_cast<LPCWSTR>(&data)));
  ASSERT_TRUE(AppendMenuW(menu, MF_SEPARATOR | MF_OWNERDRAW, 0, nullptr));
  ASSERT_TRUE(AppendMenuW(sub, MF_STRING, 5, L"&Select all"));
  ASSERT_TRUE(AppendMenuW(menu, MF_POPUP | MF_OWNERDRAW, reinterpret_cast<UINT_PTR>(sub), nullptr));
  ASSERT_TRUE(InsertMenuW(menu, 0, MF_BYPOSITION | MF_STRING, 41, L"first"));
  ASSERT_TRUE(InsertMenuW(menu, 42, MF_BYCOMMAND | MF_STRING, 40, L"before 42"));
  EXPECT_FALSE(InsertMenuW(menu, 999, MF_BYCOMMAND, 1, L"nowhere"));
  EXPECT_EQ(GetMenuItemCount(menu), 5);
  EXPECT_EQ(GetMenuItemID(menu, 0), 41u);
  EXPECT_EQ(GetMenuItemID(menu, 1), 40u);
  EXPECT_EQ(GetMenuItemID(menu, 2), 42u);
  EXPECT_EQ(GetMenuItemID(menu, 4), static_cast<UINT>(-1));  // a sub-menu
  EXPECT_EQ(GetSubMenu(menu, 4), sub);

  // Item data of an owner-drawn item is the pointer it was added with.
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_DATA;
  ASSERT_TRUE(GetMenuItemInfoW(menu, 42, FALSE, &info));
  EXPECT_EQ(info.dwItemData, reinterpret_cast<ULONG_PTR>(&data));
  info.dwItemData = 99;
  ASSERT_TRUE(SetMenuItemInfoW(menu, 2, TRUE, &info));
  info.dwItemData = 0;
  GetMenuItemInfoW(menu, 42, FALSE, &info);
  EXPECT_EQ(info.dwItemData, 99u);

  // By command reaches into sub-menus.
  EXPECT_EQ(CheckMenuItem(menu, 5, MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
  EXPECT_EQ(CheckMenuItem(menu, 5, MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
  EXPECT_EQ(CheckMenuItem(menu, 1234, MF_CHECKED), static_cast<DWORD>(-1));
  EXPECT_EQ(EnableMenuItem(menu, 41, MF_GRAYED), MF_ENABLED);
  EXPECT_NE(GetMenuState(menu, 41, MF_BYCOMMAND) & MF_GRAYED, 0u);

  MENUINFO mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIM_MENUDATA;
  mi.dwMenuData = 0xABC;
  ASSERT_TRUE(SetMenuInfo(menu, &mi));
  mi.dwMenuData = 0;
  ASSERT_TRUE(GetMenuInfo(menu, &mi));
  EXPECT_EQ(mi.dwMenuData, 0xABCu);
  ASSERT_TRUE(SetMenuContextHelpId(menu, 17));
  EXPECT_EQ(GetMenuContextHelpId(menu), 17u);

  // Deleting the sub-menu's item destroys the sub-menu with it.
  ASSERT_TRUE(DeleteMenu(menu, 4, MF_BYPOSITION));
  EXPECT_FALSE(IsMenu(sub));
  EXPECT_TRUE(DestroyMenu(menu));
  EXPECT_FALSE(IsMenu(menu));
  EXPECT_FALSE(DestroyMenu(menu));
}

TEST_F(Menus, PopupItemNeedsARealSubMenu) {
  HMENU menu = CreatePopupMenu();
  EXPECT_FALSE(AppendMenuW(menu, MF_POPUP, 0x1234, L"bogus"));
  EXPECT_EQ(GetMenuItemCount(menu), 0);
  DestroyMenu(menu);
}

TEST_F(Menus, TrackingWithoutADisplayDismissesAndTellsTheOwner) {
  HWND owner = create();
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 42, L"show");
  takeLog();
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 10, 10, 0, owner, nullptr), 0);
  const auto loop = only(takeLog(), {WM_ENTERMENULOOP, WM_INITMENUPOPUP, WM_EXITMENULOOP, WM_COMMAND});
  ASSERT_EQ(loop.size(), 3u);
  EXPECT_EQ(loop[0].second, static_cast<UINT>(WM_ENTERMENULOOP));
  EXPECT_EQ(loop[2].second, static_cast<UINT>(WM_EXITMENULOOP));
  EXPECT_FALSE(TrackPopupMenu(reinterpret_cast<HMENU>(0x1234), 0, 0, 0, 0, owner, nullptr));
  EXPECT_FALSE(TrackPopupMenu(menu, 0, 0, 0, 0, nullptr, nullptr));
  DestroyMenu(menu);
}

}  // namespace
