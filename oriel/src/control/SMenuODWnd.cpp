#include "control/SMenuODWnd.h"

#include <cwctype>

#include "core/SApplication.h"
#include "win32/menus.h"

namespace ORIEL {
namespace {

// Owner-draw messages come back reflected at this offset too.
constexpr UINT kReflectBase = 0x2000;

SRefPtr<IRenderTarget> NewTarget(int width, int height) {
  IRenderTarget* rt = nullptr;
  SApplication* app = SApplication::getSingletonPtr();
  if (app && app->GetRenderFactory()) app->GetRenderFactory()->CreateRenderTarget(&rt, width, height);
  SRefPtr<IRenderTarget> held;
  held.Attach(rt);
  return held;
}

}  // namespace

SMenuODWnd::SMenuODWnd(HWND owner, SMenuAttr* attr) : m_hOwner(owner), m_attr(attr) {}

SMenuODWnd::~SMenuODWnd() = default;

BOOL SMenuODWnd::HandleWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result, DWORD) {
  const UINT plain = msg >= kReflectBase + WM_DRAWITEM && msg <= kReflectBase + WM_MENUCHAR ? msg - kReflectBase : msg;
  switch (plain) {
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
    case WM_MENUSELECT:
      if (plain != msg) return FALSE;
      if (IsWindow(m_hOwner)) SendMessageW(m_hOwner, msg, wParam, lParam);
      result = 0;
      return TRUE;
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (!mis || mis->CtlType != ODT_MENU) return FALSE;
      MeasureItem(mis);
      result = TRUE;
      return TRUE;
    }
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (!dis || dis->CtlType != ODT_MENU) return FALSE;
      DrawItem(dis);
      result = TRUE;
      return TRUE;
    }
    case WM_DELETEITEM: result = 1; return TRUE;
    case WM_COMPAREITEM: result = 0; return TRUE;
    case WM_MENUCHAR:
      result = MenuChar(static_cast<WCHAR>(LOWORD(wParam)), reinterpret_cast<HMENU>(lParam));
      return TRUE;
    default:
      return FALSE;
  }
}

void SMenuODWnd::MeasureItem(MEASUREITEMSTRUCT* mis) {
  const auto* data = reinterpret_cast<const SMenuItemData*>(mis->itemData);
  if (!data) {
    // Separators carry no record.
    mis->itemHeight = m_attr->m_pSepSkin ? static_cast<UINT>(m_attr->m_pSepSkin->NaturalSize().cy) : 3;
    mis->itemWidth = 0;
    return;
  }
  mis->itemHeight = static_cast<UINT>(m_attr->ItemHeight());
  SIZE text{0, 0};
  if (SRefPtr<IRenderTarget> rt = NewTarget(0, 0)) {
    if (IFont* font = m_attr->GetFont()) rt->SelectObject(font, nullptr);
    rt->MeasureText(data->strText.c_str(), data->strText.GetLength(), &text);
  }
  int width = m_attr->IconSize().cx + 2 * m_attr->IconMargin() + text.cx + 2 * m_attr->TextMargin();
  const int maxWidth = m_attr->MaxWidth();
  if (maxWidth >= 0 && width > maxWidth) width = maxWidth;
  mis->itemWidth = static_cast<UINT>(width);
}

void SMenuODWnd::DrawItem(const DRAWITEMSTRUCT* dis) {
  const RECT& item = dis->rcItem;
  const int width = item.right - item.left, height = item.bottom - item.top;
  SRefPtr<IRenderTarget> rt = NewTarget(width, height);
  if (!rt || width <= 0 || height <= 0) return;
  const RECT whole{0, 0, width, height};
  // The item is copied whole onto the menu: what its skins leave clear
  // shows the menu's background, not the target's transparent black.
  rt->FillSolidRect(&whole, m_attr->m_crBkgnd);
  const auto* data = reinterpret_cast<const SMenuItemData*>(dis->itemData);
  if (!data) {
    if (m_attr->m_pSepSkin) m_attr->m_pSepSkin->DrawByIndex(rt, &whole, 0);
  } else {
    const bool selected = (dis->itemState & ODS_SELECTED) != 0;
    if (m_attr->m_pItemSkin) m_attr->m_pItemSkin->DrawByIndex(rt, &whole, selected ? 1 : 0);
    const SIZE icon = m_attr->IconSize();
    const int margin = m_attr->IconMargin();
    RECT iconRect{margin, (height - icon.cy) / 2, margin + icon.cx, (height - icon.cy) / 2 + icon.cy};
    if (dis->itemState & ODS_CHECKED) {
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE;
      GetMenuItemInfoW(reinterpret_cast<HMENU>(dis->hwndItem), dis->itemID, FALSE, &info);
      if (m_attr->m_pCheckSkin)
        m_attr->m_pCheckSkin->DrawByIndex(rt, &iconRect, (info.fType & MFT_RADIOCHECK) ? 1 : 0);
    } else if (data->iIcon != -1 && m_attr->m_pIconSkin) {
      m_attr->m_pIconSkin->DrawByIndex(rt, &iconRect, data->iIcon);
    }
    const int textMargin = m_attr->TextMargin();
    RECT textRect{iconRect.right + margin + textMargin, 0, width - textMargin, height};
    const COLORREF colour = (dis->itemState & ODS_GRAYED) ? m_attr->m_crTxtGray
                            : selected                    ? m_attr->m_crTxtSel
                                                          : m_attr->m_crTxtNormal;
    if (IFont* font = m_attr->GetFont()) rt->SelectObject(font, nullptr);
    rt->SetTextColor(colour);
    rt->DrawText(data->strText.c_str(), data->strText.GetLength(), &textRect, kItemTextFormat);
    if (selected && m_attr->m_pItemSkin && m_attr->m_pItemSkin->StateCount() > 2)
      m_attr->m_pItemSkin->DrawByIndex(rt, &whole, 2);
  }
  HDC source = rt->GetDC(0);
  BitBlt(dis->hDC, item.left, item.top, width, height, source, 0, 0, SRCCOPY);
  rt->ReleaseDC(source);
}

LRESULT SMenuODWnd::MenuChar(WCHAR ch, HMENU menu) {
  const WCHAR lower = static_cast<WCHAR>(std::towlower(static_cast<wint_t>(ch)));
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA | MIIM_FTYPE;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) || (info.fType & MF_SEPARATOR)) continue;
    const auto* data = reinterpret_cast<const SMenuItemData*>(info.dwItemData);
    if (data && data->vHotKey && data->vHotKey == lower) return MAKELONG(i, MNC_EXECUTE);
  }
  return 0;
}

}  // namespace ORIEL
