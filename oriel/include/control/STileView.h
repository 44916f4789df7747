// The tile view: the items of an adapter as a grid of equal tiles that
// wrap at the view's width and scroll vertically. As in the list views,
// only tiles on screen have item panels; idle panels wait in one bin per
// view type. Clicks select with events; the keyboard moves the selection
// silently.
#pragma once

#include "control/SAdapterBase.h"
#include "control/SItemPanel.h"
#include "control/SIndexedItemView.h"
#include "control/SListView.h"
#include "control/STileViewItemLocator.h"
#include "control/SPanel.h"

namespace ORIEL {

class STileViewDataSetObserver : public SIndexedItemViewObserver {
 public:
  using SIndexedItemViewObserver::SIndexedItemViewObserver;
};

class STileView : public SIndexedItemView {
  SOBJ_CLASS(STileView, SIndexedItemView, L"tileview", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"div"; }

  STileView();
  ~STileView() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SIndexedItemView::ApplyAttribute;
  BOOL CreateChildren(pugi::xml_node element) override;
  void UpdateScale(int scale) override;
  int GetScrollLineSize(bool vertical) override {
    return vertical && locator_ ? locator_->GetItemLineHeight() : SPanel::GetScrollLineSize(vertical);
  }
  BOOL HandleScrollCode(bool vertical, int code, int position) override;

  // False without a template (no locator); the view stays empty.
  BOOL SetAdapter(ILvAdapter* adapter);
  ILvAdapter* GetAdapter() const { return adapter_; }
  void SetItemLocator(STileViewItemLocator* locator);
  STileViewItemLocator* GetItemLocator() const { return locator_; }
  virtual void SetSel(int index, BOOL notify = FALSE);
  int GetSel() const { return selected_; }
  void EnsureVisible(int index);
  SItemPanel* GetItemPanel(int index) const;
  // The tile under a point in host coordinates; the point becomes the
  // panel's own.
  SItemPanel* HitTest(POINT& pt) const;
  void UpdateItem(int index);
  // Where tile i is drawn: its grid place moved by the client origin and
  // up by the scroll position.
  RECT CalcItemDrawRect(int index) const;

  void OnDataChanged() override;
  void OnItemChanged(int index) override;

 protected:
  bool OnItemQueryRect(SItemPanel* item, RECT& rc) const override;

  virtual bool OnItemClick(EventArgs* e);
  virtual void UpdateVisibleItems();

  void OnPaint(IRenderTarget* rt) override;
  void OnDestroy() override;

  SItemPanel* GetSelectedPanel() const override { return GetItemPanel(selected_); }
  SItemPanel* PanelAt(POINT pt) const override { return HitTest(pt); }
  void OnViewSize() override;
  bool OnViewKeyDown(UINT key, LPARAM lParam) override;
  bool HasItems() const override { return GetAdapter() != nullptr; }

 private:
  void UpdateBar();
  SItemPanel* TakePanel(int viewType);
  void SelectQuietly(int index);

  SRefPtr<ILvAdapter> adapter_;
  STileViewDataSetObserver* observer_;
  SRefPtr<STileViewItemLocator> locator_;
  int selected_ = -1;
  SLayoutSize marginSize_;
};

}  // namespace ORIEL
