#include "control/SWin32Menu.h"

#include <cwctype>

#include "control/SMenuODWnd.h"
#include "core/SApplication.h"
#include "core/SLog.h"
#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {
namespace {

bool HasElementChild(pugi::xml_node node) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_element) return true;
  }
  return false;
}

bool AttrBool(pugi::xml_node node, const wchar_t* name) {
  pugi::xml_attribute a = XmlAttr(node, name);
  return a && ParseAttrBool(XmlValue(a));
}

int AttrInt(pugi::xml_node node, const wchar_t* name, int fallback) {
  pugi::xml_attribute a = XmlAttr(node, name);
  return a ? ParseAttrInt(XmlValue(a)) : fallback;
}

SStringW Translate(const SStringW& text, const SStringW& context) {
  SApplication* app = SApplication::getSingletonPtr();
  return app ? app->Translate(text, context) : text;
}

void SetMenuAttr(HMENU menu, SMenuAttr* attr) {
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_MENUDATA;
  info.dwMenuData = reinterpret_cast<ULONG_PTR>(attr);
  SetMenuInfo(menu, &info);
}

}  // namespace

SWin32Menu::SWin32Menu(HMENU menu) { Attach(menu); }

SWin32Menu::SWin32Menu(const SWin32Menu& other) { Attach(other.m_hMenu); }

SWin32Menu::~SWin32Menu() { Destroy(); }

SMenuAttr* SWin32Menu::AttrOf(HMENU menu) {
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_MENUDATA;
  if (!menu || !GetMenuInfo(menu, &info)) return nullptr;
  void* data = reinterpret_cast<void*>(info.dwMenuData);
  return SMenuAttr::IsLive(data) ? static_cast<SMenuAttr*>(data) : nullptr;
}

BOOL SWin32Menu::Attach(HMENU menu) {
  if (!AttrOf(menu)) return FALSE;
  m_hMenu = menu;
  m_bAttached = TRUE;
  return TRUE;
}

HMENU SWin32Menu::Detach() {
  HMENU menu = m_hMenu;
  m_hMenu = nullptr;
  m_bAttached = FALSE;
  return menu;
}

BOOL SWin32Menu::LoadFromResName(const SStringW& resId) {
  const int colon = resId.Find(L':');
  if (colon < 0 || resId.Find(L':', colon + 1) >= 0) return FALSE;
  return LoadFromXml(resId.Mid(colon + 1), resId.Left(colon));
}

BOOL SWin32Menu::LoadFromXml(const SStringW& name, const SStringW& type) {
  SApplication* app = SApplication::getSingletonPtr();
  SXmlDoc doc;
  if (!app || !app->LoadXmlDocByType(doc, name, type)) return FALSE;
  pugi::xml_node root = doc.document_element();
  if (!root || !XmlNameIs(root.name(), L"menu")) return FALSE;
  return LoadFromNode(root);
}

BOOL SWin32Menu::LoadFromNode(pugi::xml_node element) {
  if (!element) return FALSE;
  HMENU menu = CreatePopupMenu();
  if (!menu) return FALSE;
  // A menu loaded again replaces the one held before.
  Destroy();
  auto* attr = new SMenuAttr();  // its one reference is the menu's
  LoadXmlAttributes(attr, element);
  SetMenuContextHelpId(menu, attr->GetContextHelpId());
  SetMenuAttr(menu, attr);
  m_hMenu = menu;
  m_bAttached = FALSE;
  BuildMenu(menu, element, attr);
  return TRUE;
}

SMenuItemData* SWin32Menu::NewItemData(const SStringW& text, int icon, SMenuAttr* attr) {
  auto* data = new SMenuItemData();
  data->iIcon = icon;
  data->strText = attr ? Translate(text, attr->GetTrCtx()) : text;
  const int amp = data->strText.Find(L'&');
  if (amp >= 0 && amp + 1 < data->strText.GetLength())
    data->vHotKey = static_cast<WCHAR>(std::towlower(static_cast<wint_t>(data->strText[amp + 1])));
  return data;
}

void SWin32Menu::BuildMenu(HMENU menu, pugi::xml_node element, SMenuAttr* attr) {
  for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    if (XmlNameIs(c.name(), L"sep")) {
      AppendMenuW(menu, MF_SEPARATOR | MF_OWNERDRAW, 0, nullptr);
      continue;
    }
    if (!XmlNameIs(c.name(), L"item")) continue;
    SStringW text = XmlText(c.text().get());
    text.Trim();
    if (text.IsEmpty()) text = XmlValue(XmlAttr(c, L"text"));
    text = Translate(SResProviderMgr::LookupNamedString(text), SStringW());
    SMenuItemData* data = NewItemData(text, AttrInt(c, L"icon", -1), attr);
    data->dwUserData = static_cast<ULONG_PTR>(static_cast<unsigned>(AttrInt(c, L"userData", 0)));
    const bool disabled = AttrBool(c, L"disable");
    BOOL added;
    if (HasElementChild(c) || AttrBool(c, L"popup")) {
      HMENU sub = CreatePopupMenu();
      attr->AddRef();
      SetMenuAttr(sub, attr);
      SetMenuContextHelpId(sub, static_cast<DWORD>(AttrInt(c, L"contextHelpId", 0)));
      BuildMenu(sub, c, attr);
      added = AppendMenuW(menu, MF_POPUP | MF_OWNERDRAW | (disabled ? MF_GRAYED : 0), reinterpret_cast<UINT_PTR>(sub),
                          reinterpret_cast<LPCWSTR>(data));
      if (!added) {
        FreeRecords(sub);
        DestroyMenu(sub);
      }
    } else {
      UINT flags = MF_OWNERDRAW;
      if (AttrBool(c, L"check")) flags |= MF_CHECKED;
      if (AttrBool(c, L"radio")) flags |= MFT_RADIOCHECK | MF_CHECKED;
      if (disabled) flags |= MF_GRAYED;
      added = AppendMenuW(menu, flags, static_cast<UINT_PTR>(AttrInt(c, L"id", 0)), reinterpret_cast<LPCWSTR>(data));
    }
    if (!added) delete data;
  }
}

BOOL SWin32Menu::InsertItem(UINT position, UINT flags, UINT_PTR idOrPopup, const SStringW& text, int icon) {
  if (!IsMenu(m_hMenu)) return FALSE;
  if (flags & MF_SEPARATOR) return InsertMenuW(m_hMenu, position, flags | MF_OWNERDRAW, 0, nullptr);
  SMenuAttr* attr = AttrOf(m_hMenu);
  SMenuItemData* data = NewItemData(text, icon, attr);
  if (!InsertMenuW(m_hMenu, position, flags | MF_OWNERDRAW, idOrPopup, reinterpret_cast<LPCWSTR>(data))) {
    delete data;
    return FALSE;
  }
  if (flags & MF_POPUP) {
    HMENU sub = reinterpret_cast<HMENU>(idOrPopup);
    if (attr && !AttrOf(sub)) {
      attr->AddRef();
      SetMenuAttr(sub, attr);
    }
  }
  return TRUE;
}

SMenuItemData* SWin32Menu::ItemDataOf(HMENU menu, UINT item, BOOL byPosition) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_DATA | MIIM_FTYPE;
  if (!GetMenuItemInfoW(menu, item, byPosition, &info) || (info.fType & MF_SEPARATOR)) return nullptr;
  return reinterpret_cast<SMenuItemData*>(info.dwItemData);
}

BOOL SWin32Menu::ModifyItemText(UINT item, UINT flags, const SStringW& text) {
  SMenuItemData* data = ItemDataOf(m_hMenu, item, (flags & MF_BYPOSITION) != 0);
  if (!data) return FALSE;
  data->strText = text;
  return TRUE;
}

BOOL SWin32Menu::DeleteItem(UINT item, UINT flags) {
  const BOOL byPosition = (flags & MF_BYPOSITION) != 0;
  SMenuItemData* data = ItemDataOf(m_hMenu, item, byPosition);
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_SUBMENU;
  HMENU sub = GetMenuItemInfoW(m_hMenu, item, byPosition, &info) ? info.hSubMenu : nullptr;
  if (sub) FreeRecords(sub);
  if (!DeleteMenu(m_hMenu, item, flags)) return FALSE;
  delete data;
  return TRUE;
}

ULONG_PTR SWin32Menu::GetItemUserData(UINT item, BOOL byPosition) const {
  const SMenuItemData* data = ItemDataOf(m_hMenu, item, byPosition);
  return data ? data->dwUserData : 0;
}

BOOL SWin32Menu::SetItemUserData(UINT item, BOOL byPosition, ULONG_PTR value) {
  SMenuItemData* data = ItemDataOf(m_hMenu, item, byPosition);
  if (!data) return FALSE;
  data->dwUserData = value;
  return TRUE;
}

UINT SWin32Menu::ShowPopup(UINT flags, int x, int y, HWND owner, const RECT* exclude, int scale) {
  SMenuAttr* attr = AttrOf(m_hMenu);
  if (!attr) return 0;
  attr->SetScale(scale);
  SMenuODWnd helper(owner, attr);
  if (!helper.Create(nullptr, WS_POPUP, WS_EX_NOACTIVATE, 0, 0, 0, 0, nullptr, nullptr)) return 0;
  if (IsWindow(owner) && IsWindowEnabled(owner)) SetForegroundWindow(owner);
  const UINT id = static_cast<UINT>(
      TrackPopupMenu(m_hMenu, flags | TPM_RETURNCMD, x, y, 0, helper.GetHwnd(), exclude));
  DestroyWindow(helper.GetHwnd());
  if (id && !(flags & TPM_RETURNCMD) && IsWindow(owner)) SendMessageW(owner, WM_COMMAND, id, 0);
  return id;
}

void SWin32Menu::FreeRecords(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA | MIIM_FTYPE | MIIM_SUBMENU;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    if (info.hSubMenu) FreeRecords(info.hSubMenu);
    if (!(info.fType & MF_SEPARATOR)) delete reinterpret_cast<SMenuItemData*>(info.dwItemData);
  }
  if (SMenuAttr* attr = AttrOf(menu)) {
    SetMenuAttr(menu, nullptr);
    attr->Release();
  }
}

BOOL SWin32Menu::Destroy() {
  if (m_bAttached) return FALSE;
  if (!m_hMenu) return FALSE;
  if (!IsMenu(m_hMenu)) {
    m_hMenu = nullptr;
    return FALSE;
  }
  FreeRecords(m_hMenu);
  DestroyMenu(m_hMenu);
  m_hMenu = nullptr;
  return TRUE;
}

}  // namespace ORIEL
