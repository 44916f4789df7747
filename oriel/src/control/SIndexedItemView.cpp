#include "control/SIndexedItemView.h"

#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

bool SIndexedItemView::DeferWhileHidden(int item) {
  if (IsVisible(TRUE)) return false;
  pendingChange_ = true;
  pendingItem_ = item != -1 && pendingItem_ == -2 ? item : -1;
  return true;
}

void SIndexedItemView::OnShowWindow(BOOL show, UINT status) {
  SItemViewBase::OnShowWindow(show, status);
  if (!IsVisible(TRUE) || !pendingChange_) return;
  const int item = pendingItem_;
  pendingChange_ = false;
  pendingItem_ = -2;
  if (item == -1) OnDataChanged();
  else OnItemChanged(item);
}

SItemPanel* SIndexedItemView::VisiblePanel(int index) const {
  if (firstVisible_ < 0 || index < firstVisible_ || index >= firstVisible_ + GetVisibleCount()) return nullptr;
  return visible_[index - firstVisible_].panel;
}

SItemPanel* SIndexedItemView::HitVisible(POINT& pt) const {
  for (const ItemInfo& info : visible_) {
    const RECT rc = info.panel->GetItemRect();
    if (PtInRect(&rc, pt)) {
      pt.x -= rc.left;
      pt.y -= rc.top;
      return info.panel;
    }
  }
  return nullptr;
}

void SIndexedItemView::ForEachPanel(const std::function<void(SItemPanel*)>& each) const {
  for (const ItemInfo& info : visible_) each(info.panel);
  bins_.ForEach(each);
}

void SIndexedItemView::DropPanels() {
  for (ItemInfo& info : visible_) info.panel->Destroy();
  visible_.clear();
  bins_.DestroyPanels();
  hoverPanel_ = capturePanel_ = nullptr;
  firstVisible_ = -1;
}

SItemPanel* SIndexedItemView::NewItemPanel(const ISlotFunctor& onClick) {
  SItemPanel* panel = SItemPanel::Create(this, pugi::xml_node(), this);
  panel->GetEventSet()->SubscribeEvent(EventItemPanelClick::EventID, onClick);
  ++panelsMade_;
  return panel;
}

SItemPanel* SIndexedItemView::TakeOverPanel(std::vector<ItemInfo>& old, int oldFirst, int index, int viewType) {
  const int at = index - oldFirst;
  if (oldFirst < 0 || at < 0 || at >= static_cast<int>(old.size())) return nullptr;
  ItemInfo& info = old[at];
  if (!info.panel || info.viewType != viewType) return nullptr;
  SItemPanel* panel = info.panel;
  info.panel = nullptr;
  return panel;
}

void SIndexedItemView::RetireToBin(ItemInfo& info) {
  RetirePanel(info.panel);
  bins_.Put(info.viewType, info.panel);
  info.panel = nullptr;
}

void SIndexedItemView::RetireOutside(std::vector<ItemInfo>& old, int oldFirst, int first, int end) {
  for (size_t k = 0; k < old.size(); ++k) {
    const int index = oldFirst + static_cast<int>(k);
    if (old[k].panel && (index < first || index >= end)) RetireToBin(old[k]);
  }
}

void SIndexedItemView::RetireRest(std::vector<ItemInfo>& old) {
  for (ItemInfo& info : old)
    if (info.panel) RetireToBin(info);
}

IListViewItemLocator* NewRowLocator(pugi::xml_node tpl, const SLayoutSize& dividerSize) {
  pugi::xml_attribute height = XmlAttr(tpl, L"itemHeight");
  const SLayoutSize itemHeight =
      height ? SResProviderMgr::LookupNamedDimension(XmlValue(height)) : SLayoutSize(0, SLayoutSize::px);
  if (itemHeight.fSize > 0) return new SListViewItemLocatorFix(itemHeight, dividerSize);
  pugi::xml_attribute def = XmlAttr(tpl, L"defHeight");
  const SLayoutSize defHeight = SResProviderMgr::LookupNamedDimension(def ? XmlValue(def) : SStringW(L"30dp"));
  return new SListViewItemLocatorFlex(defHeight, dividerSize);
}

void SIndexedItemView::LetAdapterGo(ILvAdapter* old, ILvDataSetObserver* observer) {
  if (old) old->UnregisterObserver(observer);
  DropPanels();
}

void SIndexedItemView::TakeAdapter(ILvAdapter* adapter, ILvDataSetObserver* observer) {
  adapter->InitFromTemplate(GetTemplate());
  adapter->RegisterObserver(observer);
  bins_.Reset(adapter->GetViewTypeCount());
  panelsMade_ = 0;
}

bool SIndexedItemView::RaiseSelChanging(int oldSel, int newSel) {
  EventLVSelChanging e(this);
  e.iOldSel = oldSel;
  e.iNewSel = newSel;
  RaiseEvent(&e);
  return !e.bCancel;
}

void SIndexedItemView::RaiseSelChanged(int oldSel, int newSel) {
  EventLVSelChanged e(this);
  e.iOldSel = oldSel;
  e.iNewSel = newSel;
  RaiseEvent(&e);
}

void SIndexedItemView::MoveSelection(int& selected, int index, BOOL notify) {
  if (index < 0) index = -1;
  const int old = selected;
  if (notify && !RaiseSelChanging(old, index)) return;
  if (old == index) return;
  selected = index;
  MoveCheck(VisiblePanel(old), VisiblePanel(index));
  if (notify) RaiseSelChanged(old, index);
}

bool SIndexedItemView::ScrollRowIntoView(int index, int count, IListViewItemLocator* locator) {
  int code = 0, position = 0;
  if (!McScrollToShow(index, firstVisible_, GetVisibleCount(), count, locator,
                      static_cast<int>(GetBarInfo(true).nPage), &code, &position))
    return false;
  HandleScrollCode(true, code, position);
  return true;
}

}  // namespace ORIEL
