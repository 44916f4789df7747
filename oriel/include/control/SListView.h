// The virtual list: a vertical list of any number of items whose content
// comes from an adapter. Only the items that meet the visible area have
// windows (item panels built from the view's template); panels of items
// that scroll out wait in one first-in-first-out bin per view type and
// are reused for items that scroll in. An item locator maps indices to
// pixel positions and back.
#pragma once

#include <deque>
#include <vector>

#include "control/SAdapterBase.h"
#include "control/SItemPanel.h"
#include "control/SItemViewBase.h"
#include "control/SListViewItemLocator.h"
#include "control/SPanel.h"

namespace ORIEL {

class EventLVSelChanging : public TplEventArgs<EventLVSelChanging> {
  ORIEL_EVENT(EventLVSelChanging, 15100, L"on_listview_select_changing")
  int iOldSel = -1;
  int iNewSel = -1;
  BOOL bCancel = FALSE;
};

class EventLVSelChanged : public TplEventArgs<EventLVSelChanged> {
  ORIEL_EVENT(EventLVSelChanged, 15101, L"on_listview_select_changed")
  int iOldSel = -1;
  int iNewSel = -1;
};

class SListView;

// The view's observer of its adapter.
class SListViewDataSetObserver : public TObjRefImpl<ILvDataSetObserver> {
 public:
  explicit SListViewDataSetObserver(SListView* view) : view_(view) {}
  void OnDataChanged() override;
  void OnDataInvalidated() override;
  void OnItemDataChanged(int position) override;

 private:
  SListView* view_;
};

class SListView : public SItemViewBase {
  SOBJ_CLASS(SListView, SItemViewBase, L"listview", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"div"; }

  SListView();
  ~SListView() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SItemViewBase::ApplyAttribute;
  BOOL CreateChildren(pugi::xml_node element) override;
  void UpdateScale(int scale) override;
  int GetScrollLineSize(bool) override { return locator_ ? locator_->GetLineSize() : 0; }
  BOOL HandleScrollCode(bool vertical, int code, int position) override;

  // False without a template (no locator); the view stays empty.
  BOOL SetAdapter(ILvAdapter* adapter);
  ILvAdapter* GetAdapter() const { return adapter_; }
  void SetItemLocator(IListViewItemLocator* locator);
  IListViewItemLocator* GetItemLocator() const { return locator_; }
  // The index set, or the count when the index is past the items.
  int SetSel(int index, BOOL notify = FALSE);
  int GetSel() const { return selected_; }
  void EnsureVisible(int index);
  SItemPanel* GetItemPanelByIndex(int index) const;
  int GetFirstVisible() const { return firstVisible_; }
  int GetVisibleCount() const { return static_cast<int>(visible_.size()); }
  // Item panels made since the adapter was set (visible and idle).
  int GetPanelCount() const { return panelsMade_; }
  pugi::xml_node GetTemplate() const { return template_.first_child(); }

  void OnDataChanged();
  void OnDataInvalidated();
  void OnItemChanged(int index);

 protected:
  bool OnItemQueryRect(SItemPanel* item, RECT& rc) const override;

  void OnPaint(IRenderTarget* rt) override;
  void OnShowWindow(BOOL show, UINT status) override;
  void OnDestroy() override;

  SItemPanel* GetSelectedPanel() const override { return GetItemPanelByIndex(selected_); }
  SItemPanel* PanelAt(POINT pt) const override;
  void ForEachPanel(const std::function<void(SItemPanel*)>& each) const override;
  void OnViewSize() override;
  bool OnViewKeyDown(UINT key, LPARAM lParam) override;
  bool HasItems() const override { return GetAdapter() != nullptr; }

 private:
  struct ItemInfo {
    SItemPanel* panel = nullptr;
    int viewType = 0;
  };
  void UpdateBars();
  void LayoutItems();
  void DropPanels();
  SItemPanel* TakePanel(int viewType, std::vector<ItemInfo>& old, int oldFirst, int index);
  void Retire(SItemPanel* panel);
  bool OnItemClick(EventArgs* e);
  void SelectQuietly(int index);

  SRefPtr<ILvAdapter> adapter_;
  SListViewDataSetObserver* observer_;
  SRefPtr<IListViewItemLocator> locator_;
  bool pendingChange_ = false;
  int pendingItem_ = -2;
  int firstVisible_ = -1;
  std::vector<ItemInfo> visible_;
  int selected_ = -1;
  bool rebuildOnPaint_ = false;
  std::vector<std::deque<SItemPanel*>> bins_;  // idle panels per view type, oldest first
  SXmlDoc template_;
  ISkinObj* dividerSkin_ = nullptr;
  SLayoutSize dividerSize_;
  int panelsMade_ = 0;
};

}  // namespace ORIEL
