// "mclistviewex": the program's multi-column list. A header above a
// vertically scrolling stack of row panels filled by an adapter, like the
// framework's multi-column list, but its selection lives in the adapter:
// plain, Ctrl and Shift clicks and a rubber band that scrolls the list by
// itself make it, and the selected rows can be dragged to a new place,
// which the adapter hears of as a drop position. The view keeps no
// selection: a row is checked when the adapter says it is selected.
#pragma once

#include "control/SIndexedItemView.h"
#include "control/SListView.h"
#include "control/SMcListParts.h"

namespace ORIEL {

class SMCListViewEx;

class SMCListViewDataSetObserverEx : public TObjRefImpl<ILvDataSetObserver> {
 public:
  explicit SMCListViewDataSetObserverEx(SMCListViewEx* view) : view_(view) {}
  void OnDataChanged() override;
  void OnDataInvalidated() override;
  void OnItemDataChanged(int position) override;

 private:
  SMCListViewEx* view_;
};

// The rubber band's fill: `color` with its alpha scaled by `alphaScale`
// / 256 (rounded down), or as it is when the scale is 255.
COLORREF RubberBandFill(COLORREF color, int alphaScale);

class SMCListViewEx : public SIndexedItemView {
  SOBJ_CLASS(SMCListViewEx, SIndexedItemView, L"mclistviewex", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"div"; }
  static constexpr UINT kAutoScrollTimer = 110;

  SMCListViewEx();
  ~SMCListViewEx() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SIndexedItemView::ApplyAttribute;
  // Fails without a child header.
  BOOL CreateChildren(pugi::xml_node element) override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void UpdateScale(int scale) override;
  int GetScrollLineSize(bool vertical) override {
    return vertical && locator_ ? locator_->GetLineSize() : SPanel::GetScrollLineSize(vertical);
  }
  BOOL HandleScrollCode(bool vertical, int code, int position) override;

  // False without a template (no locator).
  BOOL SetAdapter(IMcAdapterEx* adapter);
  IMcAdapterEx* GetAdapter() const { return adapter_; }
  void OnAdapterChanged();
  // The current row; the adapter hears of it first (SelectOnly), and
  // again with the old row when a subscriber cancels the change.
  void SetSel(int index);
  int GetSel() const { return current_; }
  void EnsureVisible(int index);
  int InsertColumn(int index, const SStringW& text, int widthPx, int sortFlag = 0, ULONG_PTR data = 0);
  bool DeleteColumn(int index);
  int GetColumnCount() const { return header_ ? header_->GetItemCount() : 0; }
  int SetColumnWidth(int index, int widthPx);

  SHeaderCtrl* GetHeaderCtrl() const { return header_; }
  IListViewItemLocator* GetItemLocator() const { return locator_; }
  SItemPanel* GetItemPanel(int index) const { return VisiblePanel(index); }
  int GetHeaderHeight() const { return headerHeight_.ToPixels(GetScale()); }
  // The rows' area: the client rectangle below the header.
  RECT GetListRect() const;
  RECT RowRect(int index) const;
  bool IsRubberBandActive() const { return bandActive_; }
  bool IsDragging() const { return dragging_; }
  bool IsInsertAbove() const { return insertAbove_; }
  bool IsAutoScrollTimerRunning() const { return timerRunning_; }
  COLORREF GetColorDropBk() const { return colorDropBk_; }
  int GetCanSwapItem() const { return canSwapItem_; }

  void MarkDataSetInvalidated() { rebuildOnPaint_ = true; }

 protected:
  bool OnItemQueryRect(SItemPanel* item, RECT& rc) const override;
  void OnItemRequestRelayout(SItemPanel* item) override;

  void OnPaint(IRenderTarget* rt) override;
  void OnDestroy() override;

  SItemPanel* GetSelectedPanel() const override { return GetItemPanel(current_); }
  SItemPanel* PanelAt(POINT pt) const override { return HitRow(pt); }
  // The header takes its new width first: a header that shares out its
  // width then gives the bars the width they are decided on.
  void OnViewSize() override;
  bool OnViewKeyDown(UINT key, LPARAM lParam) override;
  bool HasItems() const override { return GetAdapter() != nullptr; }
  // A lost focus ends a drag or a rubber band where it stands.
  void OnFocusLeaving() override;
  LRESULT DispatchMouse(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void UpdateScrollBar();
  void PlaceHeader();
  void UpdateVisibleItems();
  SItemPanel* TakePanel(int viewType);
  // The visible row whose rectangle holds the host point, in the rows area.
  SItemPanel* HitRow(POINT pt) const;
  // The visible row at height y (any x), -1 for none.
  int RowAtY(int x, int y) const;
  // The selection and drag steps; true when the message is finished.
  bool SelectionGesture(UINT msg, WPARAM wParam, POINT pt, SItemPanel* hit);
  void RouteToRows(UINT msg, WPARAM wParam, LPARAM lParam, POINT pt, SItemPanel* hit);
  void EndGesturesOnRelease(POINT pt);
  void EndGesturesOnFocusLoss();
  void EndRubberBand();
  RECT BandRect() const;
  void InvalidateBand();
  void InvalidateDropLine();
  void ExtendWhileScrolling(bool positionChanged);
  void OnAutoScrollTick();
  void PaintBandOrDropLine(IRenderTarget* rt);
  bool OnItemClick(EventArgs* e);
  bool OnHeaderClick(EventArgs* e);
  bool OnHeaderResizeOrSwap(EventArgs* e);
  void MakeCurrentAndVisible(int index);
  void MakeLocator(pugi::xml_node tpl);

  SRefPtr<IMcAdapterEx> adapter_;
  SMCListViewDataSetObserverEx* observer_;
  SRefPtr<IListViewItemLocator> locator_;
  POINT start_{0, 0};
  POINT current_point_{0, 0};
  bool bandActive_ = false;
  bool dragging_ = false;
  bool moved_ = false;
  bool insertAbove_ = false;
  int current_ = -1;
  COLORREF colorSwapLine_ = 0xFF000000;
  COLORREF colorDropBk_ = 0x00FF0000;
  bool scrollLeft_ = false, scrollRight_ = false, scrollUp_ = false, scrollDown_ = false;
  ISkinObj* dividerSkin_ = nullptr;  // skins belong to their pools
  SLayoutSize dividerSize_;
  int canSwapItem_ = 1;
  int dropBkAlpha_ = 88;
  SHeaderCtrl* header_ = nullptr;
  SLayoutSize headerHeight_{30.f, SLayoutSize::dp};
  int hotTrack_ = 0;
  bool timerRunning_ = false;
  int dropRow_ = -1;  // the row the drop line was last drawn on
};

}  // namespace ORIEL
