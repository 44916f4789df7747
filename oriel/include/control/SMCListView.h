// The multi-column list: a header of column titles across the top and,
// below it, one item panel per visible row, its cells placed under the
// columns. Rows come from an adapter; only the rows on screen have panels,
// idle panels wait in one bin per view type. The header's clicks ask the
// adapter to sort; moving or resizing a column re-places the cells.
#pragma once

#include "control/SAdapterBase.h"
#include "control/SHeaderCtrl.h"
#include "control/SItemPanel.h"
#include "control/SIndexedItemView.h"
#include "control/SListView.h"
#include "control/SListViewItemLocator.h"
#include "control/SMcListParts.h"
#include "control/SPanel.h"

namespace ORIEL {

class SMCListViewDataSetObserver : public SIndexedItemViewObserver {
 public:
  using SIndexedItemViewObserver::SIndexedItemViewObserver;
};

class SMCListView : public SIndexedItemView {
  SOBJ_CLASS(SMCListView, SIndexedItemView, L"mclistview", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"div"; }

  SMCListView();
  ~SMCListView() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SIndexedItemView::ApplyAttribute;
  // Without a child header the view stays inert: it takes no adapter.
  BOOL CreateChildren(pugi::xml_node element) override;
  void UpdateScale(int scale) override;
  int GetScrollLineSize(bool vertical) override {
    return vertical && locator_ ? locator_->GetLineSize() : SPanel::GetScrollLineSize(vertical);
  }
  BOOL HandleScrollCode(bool vertical, int code, int position) override;

  BOOL SetAdapter(IMcAdapter* adapter);
  IMcAdapter* GetAdapter() const { return adapter_; }
  void SetItemLocator(IListViewItemLocator* locator);
  IListViewItemLocator* GetItemLocator() const { return locator_; }
  SHeaderCtrl* GetHeaderCtrl() const { return header_; }

  int InsertColumn(int index, const SStringW& text, int widthPx, ULONG_PTR data = 0);
  void DeleteColumn(int index);
  void SetSel(int index, BOOL notify = FALSE);
  int GetSel() const { return selected_; }
  void EnsureVisible(int index);
  SItemPanel* GetItemPanel(int index) const;
  // The panel under a point in host coordinates; the point becomes the
  // panel's own.
  SItemPanel* HitTest(POINT& pt) const;
  void UpdateItem(int index);
  // The rows' area: the client rectangle below the header strip.
  RECT GetListRect() const;
  int GetHeaderHeight() const { return headerHeight_.ToPixels(GetScale()); }

  void OnDataChanged() override;
  void OnItemChanged(int index) override;

 protected:
  bool OnItemQueryRect(SItemPanel* item, RECT& rc) const override;

  void OnPaint(IRenderTarget* rt) override;
  void OnDestroy() override;

  SItemPanel* GetSelectedPanel() const override { return GetItemPanel(selected_); }
  // Only rows in the rows' area, never under the header.
  SItemPanel* PanelAt(POINT pt) const override;
  void OnViewSize() override;
  bool OnViewKeyDown(UINT key, LPARAM lParam) override;
  bool HasItems() const override { return GetAdapter() != nullptr; }
  // A press beside the rows clears the selection, with events.
  void OnPressOnNothing() override { SetSel(-1, TRUE); }

 private:
  RECT RowRect(int index) const;
  void UpdateBars();
  void PlaceHeader();
  void LayoutItems();
  void PlaceCells(SItemPanel* panel, int height);
  SItemPanel* TakePanel(int viewType);
  bool OnItemClick(EventArgs* e);
  bool OnHeaderClick(EventArgs* e);
  bool OnHeaderResizeOrSwap(EventArgs* e);
  void SelectWithNotify(int index);

  SRefPtr<IMcAdapter> adapter_;
  SMCListViewDataSetObserver* observer_;
  SRefPtr<IListViewItemLocator> locator_;
  int selected_ = -1;
  ISkinObj* dividerSkin_ = nullptr;
  SLayoutSize dividerSize_;
  SHeaderCtrl* header_ = nullptr;
  SLayoutSize headerHeight_{25.f, SLayoutSize::dp};
  int hotTrack_ = 0;
};

}  // namespace ORIEL
