// Owner-drawn Win32 menus without showing them: loading "menu" resources,
// the look's attributes, the registry Attach trusts, items added at run
// time, mnemonics, measuring, and the pixels an item draws.
#include <algorithm>
#include <string>

#include "control/SMenuODWnd.h"
#include "control/SWin32Menu.h"
#include "core/xml_writer_buff.h"
#include "menu_fixture.h"
#include "res.mgr/STemplatePool.h"

using namespace menutest;

namespace {

class Win32MenuTest : public MenuAppTest {
 protected:
  static const SMenuItemData* Data(HMENU menu, UINT position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return reinterpret_cast<const SMenuItemData*>(info.dwItemData);
  }
  static UINT Type(HMENU menu, UINT position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return info.fType;
  }
  // An item drawn by the helper window into a target of its own size.
  IRenderTarget* Draw(SWin32Menu& menu, HMENU level, UINT id, ULONG_PTR data, UINT state, int width) {
    IRenderTarget* rt = NewTarget(width, 24, 0xFF000000);
    SMenuODWnd helper(nullptr, SWin32Menu::AttrOf(menu));
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_MENU;
    dis.itemID = id;
    dis.itemState = state;
    dis.hwndItem = reinterpret_cast<HWND>(level);
    dis.hDC = rt->GetDC(0);
    dis.rcItem = RECT{0, 0, width, 24};
    dis.itemData = data;
    LRESULT result = 0;
    EXPECT_TRUE(helper.HandleWindowMessage(nullptr, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis), result, 0));
    rt->ReleaseDC(dis.hDC);
    return rt;
  }
  static std::vector<uint32_t> Pixels(IRenderTarget* rt) {
    std::vector<uint32_t> all;
    const SIZE size = rt->GetSize();
    for (int y = 0; y < size.cy; ++y)
      for (int x = 0; x < size.cx; ++x) all.push_back(Pixel(rt, x, y));
    return all;
  }
};

TEST_F(Win32MenuTest, AMenuResourceBuildsItsItemsWithTheirFlagsTextsAndMnemonics) {
  AddMenus({{"test", kTestMenu}});
  SWin32Menu menu;
  ASSERT_TRUE(menu.LoadFromXml(L"test", L"XML"));
  HMENU m = menu.GetHMenu();
  ASSERT_EQ(GetMenuItemCount(m), 5);

  EXPECT_EQ(Data(m, 0)->strText, SStringW(L"&Open"));  // the element text, trimmed
  EXPECT_EQ(Data(m, 0)->vHotKey, L'o');
  EXPECT_EQ(Data(m, 0)->dwUserData, 77u);
  EXPECT_EQ(GetMenuItemID(m, 0), 1u);
  EXPECT_EQ(Data(m, 1)->vHotKey, 0);  // no "&", no mnemonic
  EXPECT_TRUE(GetMenuState(m, 1, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_EQ(Data(m, 2)->strText, SStringW(L"More"));  // no element text: the "text" attribute
  EXPECT_NE(Type(m, 3) & MF_SEPARATOR, 0u);
  EXPECT_EQ(Data(m, 3), nullptr);
  EXPECT_TRUE(GetMenuState(m, 4, MF_BYPOSITION) & MF_CHECKED);
  EXPECT_EQ(Type(m, 4) & MFT_RADIOCHECK, 0u);

  HMENU sub = GetSubMenu(m, 2);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(SWin32Menu::AttrOf(sub), SWin32Menu::AttrOf(m));  // one look for the whole tree
  EXPECT_EQ(GetMenuItemCount(sub), 2);
  EXPECT_EQ(GetMenuContextHelpId(m), 5u);
  EXPECT_EQ(GetMenuContextHelpId(sub), 6u);
  EXPECT_NE(Type(sub, 1) & MFT_RADIOCHECK, 0u);  // a radio item counts as checked
  EXPECT_TRUE(GetMenuState(sub, 1, MF_BYPOSITION) & MF_CHECKED);

  SMenuAttr* attr = SWin32Menu::AttrOf(m);
  EXPECT_EQ(attr->m_crTxtGray, 0xFF808080u);
  EXPECT_EQ(attr->ItemHeight(), 24);
  EXPECT_EQ(attr->IconSize().cx, 16);
}

TEST_F(Win32MenuTest, ResourcesThatAreNoMenuOrIdsWithoutOneColonFail) {
  AddMenus({{"test", kTestMenu}, {"other", "<notmenu><item id='1'>x</item></notmenu>"}, {"bad", "<menu"}});
  struct Case {
    const wchar_t* id;
    bool loads;
  } cases[] = {{L"XML:test", true},    {L"XML:other", false}, {L"XML:bad", false},
               {L"XML:missing", false}, {L"XMLtest", false},   {L"XML:test:x", false}};
  for (const Case& c : cases) {
    SWin32Menu menu;
    EXPECT_EQ(menu.LoadFromResName(c.id) != FALSE, c.loads) << XmlUtf8(c.id).c_str();
    EXPECT_EQ(menu.GetHMenu() != nullptr, c.loads) << XmlUtf8(c.id).c_str();
  }
}

TEST_F(Win32MenuTest, TheLookRefusesBadSizesAndEmptyColoursAndTakesTheItemSkinsHeight) {
  SMenuAttr* attr = new SMenuAttr();
  EXPECT_EQ(attr->ApplyAttribute(SStringW(L"iconSize"), SStringW(L"16"), TRUE), E_INVALIDARG);
  EXPECT_EQ(attr->ApplyAttribute(SStringW(L"iconSize"), SStringW(L"1,2,3"), TRUE), E_INVALIDARG);
  EXPECT_EQ(attr->ApplyAttribute(SStringW(L"ICONSIZE"), SStringW(L"20,18"), TRUE), S_OK);
  EXPECT_EQ(attr->IconSize().cx, 20);
  EXPECT_EQ(attr->IconSize().cy, 18);
  EXPECT_EQ(attr->ApplyAttribute(SStringW(L"colorText"), SStringW(), TRUE), E_FAIL);
  // Under the items: the window colour unless the menu names its own.
  EXPECT_EQ(attr->m_crBkgnd & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(attr->ApplyAttribute(SStringW(L"colorBkgnd"), SStringW(L"#333333"), TRUE), S_OK);
  EXPECT_EQ(attr->m_crBkgnd & 0xFFFFFF, 0x333333u);
  attr->Release();

  // No itemHeight: the built-in item skin's height.
  SXmlDoc doc;
  ASSERT_TRUE(doc.load_string("<menu><item id='1'>a</item></menu>"));
  SWin32Menu menu;
  ASSERT_TRUE(menu.LoadFromNode(doc.child("menu")));
  SMenuAttr* loaded = SWin32Menu::AttrOf(menu);
  ISkinObj* builtIn = SSkinPoolMgr::getSingleton().FindSystemSkin(28);
  ASSERT_NE(builtIn, nullptr);
  EXPECT_EQ(loaded->m_pItemSkin, builtIn);
  EXPECT_GT(builtIn->NaturalSize().cy, 0);
  EXPECT_EQ(loaded->ItemHeight(), builtIn->NaturalSize().cy);

  // Shown at another scale, the skins are fetched again at that scale.
  loaded->SetScale(150);
  EXPECT_EQ(loaded->m_pItemSkin, SSkinPoolMgr::getSingleton().GetSkin(L"_skin.sys.menu.skin", 150));
  EXPECT_NE(loaded->m_pItemSkin, builtIn);
}

TEST_F(Win32MenuTest, AttachTrustsOnlyMenuDataThatIsALiveLook) {
  AddMenus({{"test", kTestMenu}});
  SWin32Menu owned;
  ASSERT_TRUE(owned.LoadFromXml(L"test", L"XML"));

  HMENU plain = CreatePopupMenu();
  int notALook = 5;
  SMenuAttr* gone = new SMenuAttr();
  const ULONG_PTR datas[] = {0, reinterpret_cast<ULONG_PTR>(&notALook), reinterpret_cast<ULONG_PTR>(gone)};
  gone->Release();  // its address is now a dangling pointer
  for (ULONG_PTR data : datas) {
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_MENUDATA;
    info.dwMenuData = data;
    SetMenuInfo(plain, &info);
    SWin32Menu attached;
    EXPECT_FALSE(attached.Attach(plain));
    EXPECT_EQ(attached.GetHMenu(), nullptr);
  }
  DestroyMenu(plain);

  {
    SWin32Menu attached;
    ASSERT_TRUE(attached.Attach(owned.GetHMenu()));
    EXPECT_FALSE(attached.Destroy());  // not its menu
  }
  EXPECT_TRUE(IsMenu(owned.GetHMenu()));
  HMENU handle = owned.GetHMenu();
  EXPECT_TRUE(owned.Destroy());
  EXPECT_FALSE(IsMenu(handle));
  EXPECT_EQ(owned.GetHMenu(), nullptr);
  EXPECT_FALSE(owned.Destroy());
}

TEST_F(Win32MenuTest, ItemsAddedAtRunTimeCarryTextIconMnemonicAndTheLook) {
  AddMenus({{"test", kTestMenu}});
  SWin32Menu menu;
  ASSERT_TRUE(menu.LoadFromXml(L"test", L"XML"));
  HMENU m = menu.GetHMenu();
  ASSERT_TRUE(menu.AppendItem(0, 42, L"&Save", 2));
  ASSERT_TRUE(menu.AppendItem(MF_SEPARATOR, 0, L""));
  HMENU extra = CreatePopupMenu();
  ASSERT_TRUE(menu.InsertItem(0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(extra), L"Extra"));
  ASSERT_EQ(GetMenuItemCount(m), 8);
  EXPECT_EQ(SWin32Menu::AttrOf(extra), SWin32Menu::AttrOf(m));

  const SMenuItemData* save = Data(m, 6);
  EXPECT_EQ(save->strText, SStringW(L"&Save"));
  EXPECT_EQ(save->vHotKey, L's');
  EXPECT_EQ(save->iIcon, 2);
  EXPECT_TRUE(menu.ModifyItemText(42, 0, L"Keep"));
  EXPECT_EQ(Data(m, 6)->strText, SStringW(L"Keep"));
  EXPECT_EQ(Data(m, 6)->vHotKey, L's');  // the mnemonic stays as it was

  EXPECT_TRUE(menu.SetItemUserData(42, FALSE, 9));
  EXPECT_EQ(menu.GetItemUserData(42, FALSE), 9u);
  EXPECT_EQ(menu.GetItemUserData(1, TRUE), 77u);  // "&Open", by position after "Extra"
  EXPECT_EQ(menu.GetItemUserData(999, FALSE), 0u);

  EXPECT_TRUE(menu.DeleteItem(42, 0));
  EXPECT_EQ(GetMenuItemCount(m), 7);
  EXPECT_TRUE(menu.DeleteItem(0, MF_BYPOSITION));  // the sub-menu and its look reference
  EXPECT_EQ(GetMenuItemCount(m), 6);
}

TEST_F(Win32MenuTest, MnemonicsAnswerTheItemsPositionToExecute) {
  AddMenus({{"test", kTestMenu}});
  SWin32Menu menu;
  ASSERT_TRUE(menu.LoadFromXml(L"test", L"XML"));
  SMenuODWnd helper(nullptr, SWin32Menu::AttrOf(menu));
  const LPARAM m = reinterpret_cast<LPARAM>(menu.GetHMenu());
  struct Case {
    UINT msg;
    WCHAR ch;
    LRESULT expected;
  } cases[] = {{WM_MENUCHAR, L'O', MAKELONG(0, MNC_EXECUTE)},
               {WM_MENUCHAR, L'o', MAKELONG(0, MNC_EXECUTE)},
               {0x2000 + WM_MENUCHAR, L'o', MAKELONG(0, MNC_EXECUTE)},
               {WM_MENUCHAR, L'd', 0},  // "Disabled" has no "&"
               {WM_MENUCHAR, L'z', 0}};
  for (const Case& c : cases) {
    LRESULT result = -1;
    EXPECT_TRUE(helper.HandleWindowMessage(nullptr, c.msg, MAKEWPARAM(c.ch, MF_POPUP), m, result, 0));
    EXPECT_EQ(result, c.expected) << static_cast<char>(c.ch);
  }
}

TEST_F(Win32MenuTest, MeasuringGivesSeparatorsTheirSkinsHeightAndKeepsItemsWithinMaxWidth) {
  AddMenus({{"capped", "<menu itemHeight='24' maxWidth='60'><item id='1'>A long item text to cut</item>"
                       "<sep/></menu>"},
            {"free", "<menu itemHeight='24'><item id='1'>A long item text to cut</item></menu>"}});
  SWin32Menu capped, free;
  ASSERT_TRUE(capped.LoadFromXml(L"capped", L"XML"));
  ASSERT_TRUE(free.LoadFromXml(L"free", L"XML"));
  auto measure = [](SWin32Menu& menu, UINT position) {
    SMenuODWnd helper(nullptr, SWin32Menu::AttrOf(menu));
    MEASUREITEMSTRUCT mis{ODT_MENU, 0, GetMenuItemID(menu, static_cast<int>(position)), 0, 0,
                          reinterpret_cast<ULONG_PTR>(Data(menu, position))};
    LRESULT result = 0;
    helper.HandleWindowMessage(nullptr, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis), result, 0);
    return mis;
  };
  EXPECT_EQ(measure(capped, 0).itemWidth, 60u);
  EXPECT_EQ(measure(capped, 0).itemHeight, 24u);
  EXPECT_GT(measure(free, 0).itemWidth, 100u);  // 16 + 2 x 2 + the text + 2 x 5
  const MEASUREITEMSTRUCT sep = measure(capped, 1);
  EXPECT_EQ(sep.itemWidth, 0u);
  EXPECT_EQ(static_cast<int>(sep.itemHeight), SSkinPoolMgr::getSingleton().FindSystemSkin(25)->NaturalSize().cy);
}

TEST_F(Win32MenuTest, ItemsDrawTheirSkinFramesCheckFramesAndACutText) {
  AddMenus({{"test", kTestMenu},
            {"capped", "<menu itemSkin='t_item' itemHeight='24' maxWidth='60' colorText='#000000'>"
                       "<item id='1'>A long item text to cut</item></menu>"}});
  SWin32Menu menu;
  ASSERT_TRUE(menu.LoadFromXml(L"test", L"XML"));
  HMENU sub = GetSubMenu(menu, 2);
  const int iconX = 2 + 8, iconY = 12;
  // A radio item draws check frame 1, a check item frame 0, an unchecked one no check.
  IRenderTarget* radio = Draw(menu, sub, 11, reinterpret_cast<ULONG_PTR>(Data(sub, 1)), ODS_CHECKED, 80);
  IRenderTarget* check = Draw(menu, menu, 4, reinterpret_cast<ULONG_PTR>(Data(menu, 4)), ODS_CHECKED, 80);
  IRenderTarget* plain = Draw(menu, sub, 10, reinterpret_cast<ULONG_PTR>(Data(sub, 0)), 0, 80);
  EXPECT_EQ(Pixel(radio, iconX, iconY), 0xFF00FF00u);
  EXPECT_EQ(Pixel(check, iconX, iconY), 0xFFFF0000u);
  EXPECT_EQ(Pixel(plain, iconX, iconY), 0xFFFFFFFFu);
  // Selected: the item skin's frame 1 behind the text.
  IRenderTarget* selected = Draw(menu, sub, 10, reinterpret_cast<ULONG_PTR>(Data(sub, 0)), ODS_SELECTED, 80);
  EXPECT_EQ(Pixel(selected, 78, 2), 0xFF3366CCu);
  EXPECT_EQ(Pixel(plain, 78, 2), 0xFFFFFFFFu);

  // Past maxWidth the text ends in an ellipsis: what a cut one-line text
  // in the text rectangle looks like, and not the plainly clipped text.
  SWin32Menu capped;
  ASSERT_TRUE(capped.LoadFromXml(L"capped", L"XML"));
  IRenderTarget* drawn = Draw(capped, capped, 1, reinterpret_cast<ULONG_PTR>(Data(capped, 0)), 0, 60);
  auto expected = [&](UINT format) {
    IRenderTarget* rt = NewTarget(60, 24, 0xFFFFFFFF);
    if (IFont* font = SWin32Menu::AttrOf(capped)->GetFont()) rt->SelectObject(font, nullptr);
    rt->SetTextColor(0xFF000000);
    RECT text{2 + 16 + 2 + 5, 0, 60 - 5, 24};
    rt->DrawText(L"A long item text to cut", -1, &text, format);
    return Pixels(rt);
  };
  EXPECT_EQ(Pixels(drawn), expected(SMenuODWnd::kItemTextFormat));
  EXPECT_NE(Pixels(drawn), expected(0x24));
}

TEST(XmlWriterBuff, TextsLongerThanTwentyThousandCharactersAreWrittenWhole) {
  const std::wstring body(30000, L'A');
  SXmlDoc doc;
  ASSERT_TRUE(doc.load_string(("<t><big><text>" + std::string(30000, 'A') + "</text></big></t>").c_str()));
  xml_writer_buff writer;
  doc.child("t").child("big").first_child().print(writer, "", pugi::format_raw, pugi::encoding_wchar);
  EXPECT_EQ(std::wstring(writer.buffer()), L"<text>" + body + L"</text>");
  EXPECT_EQ(writer.size(), body.size() + 13);

  // The template pool writes its templates with it.
  STemplatePool pool;
  ASSERT_EQ(pool.Init(doc.child("t")), 1);
  const SStringW kept = pool.GetTemplate(L"big");
  EXPECT_GE(kept.Find(body.c_str()), 0);
}

}  // namespace
