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

class SListView : public SPanel, protected IItemContainer {
  SOBJ_CLASS(SListView, SPanel, L"listview", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"div"; }

  SListView();
  ~SListView() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SPanel::ApplyAttribute;
  BOOL CreateChildren(pugi::xml_node element) override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  UINT GetDlgCode() const override { return wantTab_ ? 0xFFFF : 0x80000001; }
  BOOL ApplyStyleCursor(POINT pt) override;
  BOOL QueryToolTipInfo(POINT pt, SwndToolTipInfo* info) override;
  void UpdateScale(int scale) override;
  BOOL RefreshTranslation() override;
  void Colorize(COLORREF color) override;
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
  // IItemContainer
  void OnItemSetCapture(SItemPanel* item, bool capture) override;
  bool OnItemQueryRect(SItemPanel* item, RECT& rc) const override;
  bool IsItemRedrawDelay() const override { return true; }
  void OnItemRequestRelayout(SItemPanel*) override {}

  void OnPaint(IRenderTarget* rt) override;
  void OnShowWindow(BOOL show, UINT status) override;
  void OnDestroy() override;
  LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam) override;

 private:
  struct ItemInfo {
    SItemPanel* panel = nullptr;
    int viewType = 0;
  };
  void UpdateBars();
  void LayoutItems();
  void OnSize();
  void DropPanels();
  SItemPanel* TakePanel(int viewType, std::vector<ItemInfo>& old, int oldFirst, int index);
  void Retire(SItemPanel* panel);
  LRESULT DispatchMouse(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnMouseLeaveView();
  bool OnKeyDown(UINT key, LPARAM lParam);
  bool ForwardToSelectedItem(UINT msg, WPARAM wParam, LPARAM lParam);
  bool OnItemClick(EventArgs* e);
  void SelectQuietly(int index);
  LPARAM RelativeTo(SItemPanel* panel, LPARAM lParam) const;

  SRefPtr<ILvAdapter> adapter_;
  SListViewDataSetObserver* observer_;
  SRefPtr<IListViewItemLocator> locator_;
  bool pendingChange_ = false;
  int pendingItem_ = -2;
  int firstVisible_ = -1;
  std::vector<ItemInfo> visible_;
  SItemPanel* capturePanel_ = nullptr;
  int selected_ = -1;
  SItemPanel* hoverPanel_ = nullptr;
  bool rebuildOnPaint_ = false;
  std::vector<std::deque<SItemPanel*>> bins_;  // idle panels per view type, oldest first
  SXmlDoc template_;
  ISkinObj* dividerSkin_ = nullptr;
  SLayoutSize dividerSize_;
  int wantTab_ = 0;
  int panelsMade_ = 0;
};

}  // namespace ORIEL
