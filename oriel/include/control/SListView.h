// The virtual list: a vertical list of any number of items whose content
// comes from an adapter. Only the items that meet the visible area have
// windows (item panels built from the view's template); panels of items
// that scroll out wait in one first-in-first-out bin per view type and
// are reused for items that scroll in. An item locator maps indices to
// pixel positions and back.
#pragma once

#include "control/SAdapterBase.h"
#include "control/SItemPanel.h"
#include "control/SIndexedItemView.h"
#include "control/SListViewItemLocator.h"
#include "control/SPanel.h"

namespace ORIEL {

// The view's observer of its adapter.
class SListViewDataSetObserver : public SIndexedItemViewObserver {
 public:
  using SIndexedItemViewObserver::SIndexedItemViewObserver;
};

class SListView : public SIndexedItemView {
  SOBJ_CLASS(SListView, SIndexedItemView, L"listview", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"div"; }

  SListView();
  ~SListView() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SIndexedItemView::ApplyAttribute;
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

  void OnDataChanged() override;
  void OnItemChanged(int index) override;

 protected:
  bool OnItemQueryRect(SItemPanel* item, RECT& rc) const override;

  void OnPaint(IRenderTarget* rt) override;
  void OnDestroy() override;

  SItemPanel* GetSelectedPanel() const override { return GetItemPanelByIndex(selected_); }
  SItemPanel* PanelAt(POINT pt) const override;
  void OnViewSize() override;
  bool OnViewKeyDown(UINT key, LPARAM lParam) override;
  bool HasItems() const override { return GetAdapter() != nullptr; }

 private:
  void UpdateBars();
  void LayoutItems();
  SItemPanel* TakePanel(int viewType, std::vector<ItemInfo>& old, int oldFirst, int index);
  bool OnItemClick(EventArgs* e);
  void SelectQuietly(int index);

  SRefPtr<ILvAdapter> adapter_;
  SListViewDataSetObserver* observer_;
  SRefPtr<IListViewItemLocator> locator_;
  int selected_ = -1;
  ISkinObj* dividerSkin_ = nullptr;
  SLayoutSize dividerSize_;
};

}  // namespace ORIEL
