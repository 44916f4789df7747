// The tree view: rows of a hierarchy from an adapter, each indented by its
// depth. As in the virtual list only the rows on screen have item panels,
// idle ones wait per view type; the tree locator keeps every row's place.
// The view owns selection, expand and collapse from keys and double
// clicks, and scrolling both ways.
#pragma once

#include <unordered_map>
#include <vector>

#include "control/SItemPanel.h"
#include "control/SItemViewBase.h"
#include "control/SMcListParts.h"
#include "control/SPanel.h"
#include "control/STreeViewItemLocator.h"

namespace ORIEL {

class EventTVSelChanging : public TplEventArgs<EventTVSelChanging> {
  ORIEL_EVENT(EventTVSelChanging, 14000, L"on_treeview_select_changing")
  HSTREEITEM hOldSel = ITEM_NULL;
  HSTREEITEM hNewSel = ITEM_NULL;
  BOOL bCancel = FALSE;
};
class EventTVSelChanged : public TplEventArgs<EventTVSelChanged> {
  ORIEL_EVENT(EventTVSelChanged, 14001, L"on_treeview_select_changed")
  HSTREEITEM hOldSel = ITEM_NULL;
  HSTREEITEM hNewSel = ITEM_NULL;
};

class STreeView;

class STreeViewDataSetObserver : public TObjRefImpl<ITvDataSetObserver> {
 public:
  explicit STreeViewDataSetObserver(STreeView* view) : view_(view) {}
  void OnBranchChanged(HSTREEITEM item) override;
  void OnBranchInvalidated(HSTREEITEM item) override;
  void OnBranchExpandedChanged(HSTREEITEM item, BOOL wasExpanded, BOOL isExpanded) override;

 private:
  STreeView* view_;
};

class STreeView : public SItemViewBase {
  SOBJ_CLASS(STreeView, SItemViewBase, L"treeview", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"div"; }

  STreeView();
  ~STreeView() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SItemViewBase::ApplyAttribute;
  BOOL CreateChildren(pugi::xml_node element) override;
  void UpdateScale(int scale) override;
  int GetScrollLineSize(bool vertical) override {
    return vertical ? locator_->GetScrollLineSize() : SPanel::GetScrollLineSize(vertical);
  }
  BOOL HandleScrollCode(bool vertical, int code, int position) override;

  // False for a null adapter.
  BOOL SetAdapter(ITvAdapter* adapter);
  ITvAdapter* GetAdapter() const { return adapter_; }
  ITreeViewItemLocator* GetItemLocator() const { return locator_; }
  void SetSel(HSTREEITEM item, BOOL notify = FALSE);
  HSTREEITEM GetSel() const { return selected_; }
  void EnsureVisible(HSTREEITEM item);
  SItemPanel* GetItemPanel(HSTREEITEM item) const;
  // The panel under a host point; the point becomes the panel's own.
  SItemPanel* HitTest(POINT& pt) const;
  int GetVisibleCount() const { return static_cast<int>(visible_.size()); }
  HSTREEITEM GetFirstVisible() const { return visible_.empty() ? ITEM_NULL : Item(visible_.front().panel); }
  int GetPanelCount() const { return panelsMade_; }

  void OnBranchChanged(HSTREEITEM item);
  void OnBranchExpandedChanged(HSTREEITEM item, BOOL wasExpanded, BOOL isExpanded);

 protected:
  bool OnItemQueryRect(SItemPanel* item, RECT& rc) const override;

  void OnPaint(IRenderTarget* rt) override;
  void OnDestroy() override;

  SItemPanel* GetSelectedPanel() const override { return GetItemPanel(selected_); }
  SItemPanel* PanelAt(POINT pt) const override { return HitTest(pt); }
  void ForEachPanel(const std::function<void(SItemPanel*)>& each) const override;
  void OnViewSize() override;
  bool OnViewKeyDown(UINT key, LPARAM lParam) override;
  bool HasItems() const override { return GetAdapter() != nullptr; }
  // A press beside the rows takes the focus from the selected row.
  void OnPressOnNothing() override;

 private:
  struct ItemInfo {
    SItemPanel* panel = nullptr;
    int viewType = 0;
  };
  static HSTREEITEM Item(const SItemPanel* panel) { return static_cast<HSTREEITEM>(panel->GetItemData()); }
  RECT RowRect(HSTREEITEM item) const;
  void UpdateBars();
  void LayoutItems();
  void DropPanels();
  SItemPanel* TakePanel(int viewType, std::unordered_map<HSTREEITEM, ItemInfo>& old, int top, int bottom);
  bool OnItemClick(EventArgs* e);
  bool OnItemDoubleClick(EventArgs* e);
  void SelectByKey(HSTREEITEM item);

  SRefPtr<ITvAdapter> adapter_;
  STreeViewDataSetObserver* observer_;
  SRefPtr<ITreeViewItemLocator> locator_;
  SItemPanelBins bins_;
  std::vector<ItemInfo> visible_;
  std::unordered_map<HSTREEITEM, ItemInfo> shown_;
  SXmlDoc template_;
  HSTREEITEM selected_ = ITEM_NULL;
  int panelsMade_ = 0;
};

}  // namespace ORIEL
