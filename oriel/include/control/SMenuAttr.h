// The look shared by every level of one owner-drawn Win32 menu: skins,
// sizes, colours, font and translation context, read from the "menu"
// element's attributes. Each level holds one reference as its menu data.
#pragma once

#include "core/SLayoutSize.h"
#include "core/SObject.h"
#include "res.mgr/ISkinObj.h"
#include "res.mgr/SFontPool.h"

namespace ORIEL {

// One record per item that is not a separator, kept as the item's data.
struct SMenuItemData {
  int iIcon = -1;         // frame of the menu's icon skin; -1 none
  SStringW strText;       // already translated
  WCHAR vHotKey = 0;      // lower-cased character after the first "&"
  ULONG_PTR dwUserData = 0;
};

using SMenuAttrBase = SObjectImpl<TObjRefImpl<IObject>>;

class SMenuAttr : public SMenuAttrBase {
  SOBJ_CLASS(SMenuAttr, SMenuAttrBase, L"menuattr", kObjNone)

 public:
  SMenuAttr();
  ~SMenuAttr() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SMenuAttrBase::ApplyAttribute;
  // Loading done: an unspecified item height becomes the item skin's.
  void OnXmlLoaded(pugi::xml_node element) override;

  // Whether `data` is a live look object: menu data is only trusted when
  // it is one.
  static bool IsLive(const void* data);

  // Fetches the font and the four skins again when the scale changes.
  void SetScale(int scale);
  int GetScale() const { return m_nScale; }

  // Sizes in pixels at the current scale.
  int ItemHeight() const { return m_nItemHei.ToPixels(m_nScale); }
  int IconMargin() const { return m_nIconMargin.ToPixels(m_nScale); }
  int TextMargin() const { return m_nTextMargin.ToPixels(m_nScale); }
  SIZE IconSize() const { return SIZE{m_szIcon[0].ToPixels(m_nScale), m_szIcon[1].ToPixels(m_nScale)}; }
  // -1 when no maximum is given.
  int MaxWidth() const { return m_nMaxWidth.IsValid() ? m_nMaxWidth.ToPixels(m_nScale) : -1; }
  IFont* GetFont() const { return m_dpiFont.GetFont(); }
  SStringW GetTrCtx() const { return m_strTrCtx; }
  DWORD GetContextHelpId() const { return m_dwContextHelpId; }

  ISkinObj* m_pItemSkin = nullptr;
  ISkinObj* m_pIconSkin = nullptr;
  ISkinObj* m_pSepSkin = nullptr;
  ISkinObj* m_pCheckSkin = nullptr;
  SLayoutSize m_nItemHei;
  SLayoutSize m_nIconMargin;
  SLayoutSize m_nTextMargin;
  // Under every item, so that skins with clear parts show it ("colorBkgnd").
  COLORREF m_crBkgnd;
  COLORREF m_crTxtNormal;
  COLORREF m_crTxtSel;
  COLORREF m_crTxtGray;
  SLayoutSize m_szIcon[2];
  SScaledFont m_dpiFont;
  SStringW m_strTrCtx;
  SLayoutSize m_nMaxWidth;
  int m_nScale = 100;

 private:
  HRESULT SetSkin(ISkinObj*& slot, SStringW& name, const SStringW& value);
  void FetchSkins();

  SStringW m_strItemSkin, m_strIconSkin, m_strSepSkin, m_strCheckSkin;
  DWORD m_dwContextHelpId = 0;
};

}  // namespace ORIEL
