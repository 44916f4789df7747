#include "control/SMenuAttr.h"

#include <mutex>
#include <set>

#include "gdi/gdi.h"
#include "res.mgr/SResProviderMgr.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {
namespace {

// The built-in skins of a menu, by their index among the system skins.
constexpr int kSysMenuSkin = 28;
constexpr int kSysMenuSep = 25;
constexpr int kSysMenuCheck = 24;

std::mutex& LiveMutex() {
  static std::mutex m;
  return m;
}
std::set<const void*>& LiveSet() {
  static auto* live = new std::set<const void*>();
  return *live;
}

COLORREF SysColor(int index) { return GetSysColor(index) | 0xFF000000; }

ISkinObj* SkinByName(const SStringW& name, int scale) {
  SSkinPoolMgr* pools = SSkinPoolMgr::getSingletonPtr();
  return pools && !name.IsEmpty() ? pools->GetSkin(name, scale) : nullptr;
}

ISkinObj* SystemSkin(int index) {
  SSkinPoolMgr* pools = SSkinPoolMgr::getSingletonPtr();
  return pools ? pools->FindSystemSkin(index, 100) : nullptr;
}

// "w,h": exactly two sizes.
bool ParseTwoSizes(const SStringW& value, SLayoutSize out[2]) {
  const int comma = value.Find(L',');
  if (comma < 0 || value.Find(L',', comma + 1) >= 0) return false;
  out[0] = SResProviderMgr::LookupNamedDimension(value.Left(comma));
  out[1] = SResProviderMgr::LookupNamedDimension(value.Mid(comma + 1));
  return true;
}

}  // namespace

SMenuAttr::SMenuAttr()
    : m_nIconMargin(2.0f, SLayoutSize::GetDefaultUnit()),
      m_nTextMargin(5.0f, SLayoutSize::GetDefaultUnit()),
      m_crBkgnd(SysColor(COLOR_WINDOW)),
      m_crTxtNormal(SysColor(COLOR_MENUTEXT)),
      m_crTxtSel(SysColor(COLOR_HIGHLIGHTTEXT)),
      m_crTxtGray(SysColor(COLOR_GRAYTEXT)),
      m_szIcon{SLayoutSize(16.0f, SLayoutSize::GetDefaultUnit()), SLayoutSize(16.0f, SLayoutSize::GetDefaultUnit())} {
  m_nItemHei.SetUnspecified();
  m_nMaxWidth.SetUnspecified();
  m_pItemSkin = SystemSkin(kSysMenuSkin);
  m_pSepSkin = SystemSkin(kSysMenuSep);
  m_pCheckSkin = SystemSkin(kSysMenuCheck);
  m_strItemSkin = SystemSkinName(kSysMenuSkin);
  m_strSepSkin = SystemSkinName(kSysMenuSep);
  m_strCheckSkin = SystemSkinName(kSysMenuCheck);
  m_dpiFont.SetDescription(SStringW(), m_nScale);
  std::lock_guard<std::mutex> lock(LiveMutex());
  LiveSet().insert(this);
}

SMenuAttr::~SMenuAttr() {
  std::lock_guard<std::mutex> lock(LiveMutex());
  LiveSet().erase(this);
}

bool SMenuAttr::IsLive(const void* data) {
  if (!data) return false;
  std::lock_guard<std::mutex> lock(LiveMutex());
  return LiveSet().count(data) != 0;
}

HRESULT SMenuAttr::SetSkin(ISkinObj*& slot, SStringW& name, const SStringW& value) {
  name = value;
  slot = SkinByName(value, m_nScale);
  return S_OK;
}

HRESULT SMenuAttr::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"itemSkin")) return SetSkin(m_pItemSkin, m_strItemSkin, value);
  if (AttrNameIs(name, L"iconSkin")) return SetSkin(m_pIconSkin, m_strIconSkin, value);
  if (AttrNameIs(name, L"sepSkin")) return SetSkin(m_pSepSkin, m_strSepSkin, value);
  if (AttrNameIs(name, L"checkSkin")) return SetSkin(m_pCheckSkin, m_strCheckSkin, value);
  if (AttrNameIs(name, L"itemHeight")) return m_nItemHei = SResProviderMgr::LookupNamedDimension(value), S_OK;
  if (AttrNameIs(name, L"iconMargin")) return m_nIconMargin = SResProviderMgr::LookupNamedDimension(value), S_OK;
  if (AttrNameIs(name, L"textMargin")) return m_nTextMargin = SResProviderMgr::LookupNamedDimension(value), S_OK;
  if (AttrNameIs(name, L"maxWidth")) return m_nMaxWidth = SResProviderMgr::LookupNamedDimension(value), S_OK;
  if (AttrNameIs(name, L"iconSize")) {
    SLayoutSize sizes[2];
    if (!ParseTwoSizes(value, sizes)) return E_INVALIDARG;
    m_szIcon[0] = sizes[0];
    m_szIcon[1] = sizes[1];
    return S_OK;
  }
  if (AttrNameIs(name, L"font")) return m_dpiFont.SetDescription(value, m_nScale), S_OK;
  // The grey colour's name keeps the spelling menu resources already use.
  COLORREF* colour = AttrNameIs(name, L"colorBkgnd")       ? &m_crBkgnd
                     : AttrNameIs(name, L"colorText")      ? &m_crTxtNormal
                     : AttrNameIs(name, L"colorTextSel")   ? &m_crTxtSel
                     : AttrNameIs(name, L"cororTextGray")  ? &m_crTxtGray
                                                           : nullptr;
  if (colour) {
    if (value.IsEmpty()) return E_FAIL;
    *colour = SResProviderMgr::LookupNamedColor(value);
    return S_OK;
  }
  if (AttrNameIs(name, L"trCtx")) return m_strTrCtx = SResProviderMgr::LookupNamedString(value), S_OK;
  if (AttrNameIs(name, L"contextHelpId")) {
    m_dwContextHelpId = static_cast<DWORD>(ParseAttrInt(value));
    return S_OK;
  }
  return HandleUnknownAttribute(name, value, loading);
}

void SMenuAttr::OnXmlLoaded(pugi::xml_node) {
  if (m_nItemHei.IsValid() || !m_pItemSkin) return;
  m_nItemHei = SLayoutSize(static_cast<float>(m_pItemSkin->NaturalSize().cy), SLayoutSize::dp);
}

void SMenuAttr::SetScale(int scale) {
  if (scale == m_nScale) return;
  m_nScale = scale;
  m_dpiFont.Rescale(scale);
  FetchSkins();
}

void SMenuAttr::FetchSkins() {
  if (!m_strItemSkin.IsEmpty()) m_pItemSkin = SkinByName(m_strItemSkin, m_nScale);
  if (!m_strIconSkin.IsEmpty()) m_pIconSkin = SkinByName(m_strIconSkin, m_nScale);
  if (!m_strSepSkin.IsEmpty()) m_pSepSkin = SkinByName(m_strSepSkin, m_nScale);
  if (!m_strCheckSkin.IsEmpty()) m_pCheckSkin = SkinByName(m_strCheckSkin, m_nScale);
}

}  // namespace ORIEL
