#include "control/STabCtrl.h"

#include "core/SApplication.h"
#include "res.mgr/SResProviderMgr.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {

namespace {
constexpr int kSkinTabPage = 11;
}

// --- page ---------------------------------------------------------------

STabPage::STabPage() { ApplyAttribute(SStringW(L"visible"), SStringW(L"0"), TRUE); }

HRESULT STabPage::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"title")) {
    title_.SetText(SResProviderMgr::LookupNamedString(value));
    return FinishAttribute(name, value, loading, S_FALSE);
  }
  if (AttrNameIs(name, L"iconIndex")) {
    iconIndex_ = ParseAttrInt(value);
    return FinishAttribute(name, value, loading, S_FALSE);
  }
  return SWindow::ApplyAttribute(name, value, loading);
}

BOOL STabPage::RefreshTranslation() {
  title_.Translate();
  return SWindow::RefreshTranslation();
}

// --- control ------------------------------------------------------------

STabCtrl::STabCtrl() {
  ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE);
  if (SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr()) tabSkin_ = skins->FindSystemSkin(kSkinTabPage);
  SEventSet* events = GetEventSet();
  events->AddEvent(EventTabSelChanging::EventID, EventTabSelChanging::EventName());
  events->AddEvent(EventTabSelChanged::EventID, EventTabSelChanged::EventName());
  events->AddEvent(EventTabItemHover::EventID, EventTabItemHover::EventName());
  events->AddEvent(EventTabItemLeave::EventID, EventTabItemLeave::EventName());
}

HRESULT STabCtrl::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"curSel")) {
    curSel_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"tabWidth")) {
    tabWidth_ = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"tabHeight")) {
    tabHeight_ = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"tabSkin")) {
    SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
    tabSkin_ = skins ? skins->GetSkin(value, GetScale()) : nullptr;
  } else if (AttrNameIs(name, L"tabAlign")) {
    if (value == L"top") align_ = kTop;
    else if (value == L"left") align_ = kLeft;
    else if (value == L"bottom") align_ = kBottom;
    else if (value == L"right") align_ = kRight;
    else return E_FAIL;
    hr = S_OK;
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

BOOL STabCtrl::LoadXmlNode(pugi::xml_node element) {
  if (!SWindow::LoadXmlNode(element)) return FALSE;
  // A tab size left open takes the tab skin's.
  const SIZE skin = tabSkin_ ? tabSkin_->NaturalSize() : SIZE{0, 0};
  if (!tabWidth_.IsValid()) tabWidth_ = SLayoutSize(static_cast<float>(skin.cx), SLayoutSize::px);
  if (!tabHeight_.IsValid()) tabHeight_ = SLayoutSize(static_cast<float>(skin.cy), SLayoutSize::px);
  return TRUE;
}

int STabCtrl::TabWidth() const { return tabWidth_.IsValid() ? tabWidth_.ToPixels(GetScale()) : 0; }
int STabCtrl::TabHeight() const { return tabHeight_.IsValid() ? tabHeight_.ToPixels(GetScale()) : 0; }

RECT STabCtrl::TabTitleRect() const {
  RECT rc = ClientRect();
  switch (align_) {
    case kLeft: rc.right = rc.left + TabWidth(); break;
    case kBottom: rc.top = rc.bottom - TabHeight(); break;
    case kRight: rc.left = rc.right - TabWidth(); break;
    default: rc.bottom = rc.top + TabHeight(); break;
  }
  return rc;
}

void STabCtrl::GetLayoutArea(RECT* rc) {
  SWindow::GetLayoutArea(rc);
  switch (align_) {
    case kLeft: rc->left += TabWidth(); break;
    case kBottom: rc->bottom -= TabHeight(); break;
    case kRight: rc->right -= TabWidth(); break;
    default: rc->top += TabHeight(); break;
  }
}

STabPage* STabCtrl::CreatePageFromXml(pugi::xml_node element) {
  if (!XmlNameIs(element.name(), STabPage::GetClassName())) return nullptr;
  SApplication* app = SApplication::getSingletonPtr();
  IObject* made = app ? app->CreateObject(SObjectInfo(STabPage::GetClassName(), kObjWindow)) : nullptr;
  auto* page = dynamic_cast<STabPage*>(made);
  if (!page && made) made->Release();
  return page;
}

int STabCtrl::InsertItem(pugi::xml_node element, int index, BOOL loading) {
  STabPage* page = CreatePageFromXml(element);
  if (!page) return -1;
  AttachChild(page);
  page->LoadXmlNode(element);
  // Every page covers the whole page area, not the place after its
  // predecessor that a page without a position would get.
  page->ApplyAttribute(SStringW(L"pos"), SStringW(L"0,0,-0,-0"), TRUE);
  if (index < 0 || index > GetItemCount()) index = GetItemCount();
  pages_.InsertAt(index, page);
  if (!loading) {
    RECT area;
    GetLayoutArea(&area);
    page->RelayoutTo(&area);
    page->SetVisible(FALSE);
    if (curSel_ >= index) ++curSel_;
    const RECT strip = TabTitleRect();
    InvalidateRect(strip);
    if (curSel_ == -1) SetCurSel(index);
  }
  OnItemInserted(page);
  return index;
}

int STabCtrl::InsertItemXml(const SStringW& xml, int index) {
  SXmlDoc doc;
  const SStringA utf8 = XmlUtf8(xml);
  if (!doc.LoadBuffer(utf8.c_str(), utf8.GetLength())) return -1;
  pugi::xml_node root = doc.first_child();
  while (root && root.type() != pugi::node_element) root = root.next_sibling();
  return root ? InsertItem(root, index, FALSE) : -1;
}

BOOL STabCtrl::CreateChildren(pugi::xml_node element) {
  for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element) InsertItem(c, -1, TRUE);
  if (GetItemCount() == 0) curSel_ = -1;
  else if (curSel_ < 0 || curSel_ >= GetItemCount()) curSel_ = 0;
  if (STabPage* page = GetPage(curSel_)) page->SetVisible(TRUE);
  return TRUE;
}

STabPage* STabCtrl::GetPage(int index) const {
  return index >= 0 && index < GetItemCount() ? pages_[index] : nullptr;
}

BOOL STabCtrl::SetCurSel(int index) {
  if (index < 0 || index >= GetItemCount() || index == curSel_) return FALSE;
  const int old = curSel_;
  EventTabSelChanging changing(this);
  changing.uOldSel = old;
  changing.uNewSel = index;
  RaiseEvent(&changing);
  if (changing.bCancel) return FALSE;
  if (STabPage* previous = GetPage(old)) previous->SetVisible(FALSE, TRUE);
  if (STabPage* next = GetPage(index)) next->SetVisible(TRUE, TRUE);
  curSel_ = index;
  EventTabSelChanged changed(this);
  changed.uOldSel = old;
  changed.uNewSel = index;
  RaiseEvent(&changed);
  return TRUE;
}

void STabCtrl::OnDestroy() {
  pages_.RemoveAll();
  SWindow::OnDestroy();
}

}  // namespace ORIEL
