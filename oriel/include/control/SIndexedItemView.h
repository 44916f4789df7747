// The item views whose items are numbered (the lists and the tile view):
// the panels of the items on screen, first to last, the idle panels in
// one bin per view type, and a change of the data that waits while the
// view is hidden until it shows again.
#pragma once

#include <vector>

#include "control/SAdapterBase.h"
#include "control/SItemViewBase.h"
#include "control/SMcListParts.h"

namespace ORIEL {

// The selection of a numbered item view is about to change (a subscriber
// may cancel), and has changed.
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

class SIndexedItemView : public SItemViewBase {
 public:
  int GetFirstVisible() const { return firstVisible_; }
  int GetVisibleCount() const { return static_cast<int>(visible_.size()); }
  // Item panels made since the adapter was set (shown and idle).
  int GetPanelCount() const { return panelsMade_; }
  pugi::xml_node GetTemplate() const { return template_.first_child(); }

  // The whole data changed, or item `index` did.
  virtual void OnDataChanged() {}
  virtual void OnItemChanged(int) {}
  // The items' content is no longer valid: they are bound again when the
  // view next paints.
  void OnDataInvalidated() {
    rebuildOnPaint_ = true;
    Invalidate();
  }

 protected:
  struct ItemInfo {
    SItemPanel* panel = nullptr;
    int viewType = 0;
  };

  void OnShowWindow(BOOL show, UINT status) override;
  void ForEachPanel(const std::function<void(SItemPanel*)>& each) const override;

  // True when the view is hidden: the change (-1 for the whole data) is
  // kept for when it shows, where one item and anything more make a
  // change of the whole data.
  bool DeferWhileHidden(int item);
  // The panel showing item `index`, null when it is not on screen.
  SItemPanel* VisiblePanel(int index) const;
  // The shown panel under a host point; the point becomes the panel's own.
  SItemPanel* HitVisible(POINT& pt) const;
  // Destroys every panel, shown and idle.
  void DropPanels();
  // A new panel whose clicks go to `onClick`.
  SItemPanel* NewItemPanel(const ISlotFunctor& onClick);
  // The panel that showed item `index` before, when its view type is still
  // `viewType`; it leaves `old`.
  static SItemPanel* TakeOverPanel(std::vector<ItemInfo>& old, int oldFirst, int index, int viewType);
  // Old panels of items outside [first, end) retire to their bins at
  // once, so that the items coming in reuse them.
  void RetireOutside(std::vector<ItemInfo>& old, int oldFirst, int first, int end);
  // Every panel still in `old` retires to its bin.
  void RetireRest(std::vector<ItemInfo>& old);

  // The old adapter (if any) stops being heard and its panels go.
  void LetAdapterGo(ILvAdapter* old, ILvDataSetObserver* observer);
  // The new adapter reads the template and is heard through `observer`;
  // the bins fit its view types and the count of panels made starts over.
  void TakeAdapter(ILvAdapter* adapter, ILvDataSetObserver* observer);

  // False when a subscriber cancelled the change.
  bool RaiseSelChanging(int oldSel, int newSel);
  void RaiseSelChanged(int oldSel, int newSel);
  // `selected` becomes `index` (-1 for none) and the check moves with it;
  // with `notify` around the changing and changed events, and not when
  // the changing event is cancelled.
  void MoveSelection(int& selected, int index, BOOL notify);
  // Scrolls the rows so that row `index` of `count` shows; false when it
  // stays.
  bool ScrollRowIntoView(int index, int count, IListViewItemLocator* locator);

  std::vector<ItemInfo> visible_;
  int firstVisible_ = -1;
  SItemPanelBins bins_;
  SXmlDoc template_;
  int panelsMade_ = 0;
  bool rebuildOnPaint_ = false;

 private:
  void RetireToBin(ItemInfo& info);

  bool pendingChange_ = false;
  int pendingItem_ = -2;
};

// The rows' locator an item template asks for: rows of one height when
// it gives "itemHeight" above 0, else measured rows of "defHeight" (30dp)
// until measured. The caller holds the one reference.
IListViewItemLocator* NewRowLocator(pugi::xml_node tpl, const SLayoutSize& dividerSize);

// A numbered view's observer of its adapter: every change goes to the view.
class SIndexedItemViewObserver : public TObjRefImpl<ILvDataSetObserver> {
 public:
  explicit SIndexedItemViewObserver(SIndexedItemView* view) : view_(view) {}
  void OnDataChanged() override { view_->OnDataChanged(); }
  void OnDataInvalidated() override { view_->OnDataInvalidated(); }
  void OnItemDataChanged(int position) override { view_->OnItemChanged(position); }

 private:
  SIndexedItemView* view_;
};

}  // namespace ORIEL
