// Adapters: what a list view asks for its rows. A view never owns its
// items; it asks the adapter how many there are, which kind of item window
// each needs, and lets the adapter fill ("bind") a recycled item window.
// Adapters tell the views that observe them when their data changed.
// The operations keep a fixed order: the program's adapters are written
// against it.
#pragma once

#include "core/SList.h"
#include "core/SWnd.h"
#include "render/TObjRefImpl.h"

namespace ORIEL {

struct ILvDataSetObserver : IObjRef {
  // The items changed: count, order or content.
  virtual void OnDataChanged() = 0;
  // The items are the same but must be drawn again.
  virtual void OnDataInvalidated() = 0;
  // One item's content changed.
  virtual void OnItemDataChanged(int position) = 0;
  virtual ~ILvDataSetObserver() = default;
};

struct ILvAdapter : IObjRef {
  virtual void RegisterObserver(ILvDataSetObserver* observer) = 0;
  virtual void UnregisterObserver(ILvDataSetObserver* observer) = 0;
  virtual int GetCount() = 0;
  virtual void BindItemView(int position, SWindow* item, pugi::xml_node xmlTemplate) = 0;
  virtual int GetItemViewType(int position, DWORD state) = 0;
  virtual int GetViewTypeCount() = 0;
  virtual SIZE GetItemDesiredSize(int position, SWindow* item, const RECT* container) = 0;
  virtual bool IsEmpty() = 0;
  virtual ULONG_PTR GetItemData(int position) = 0;
  virtual SStringW GetItemDescription(int position) = 0;
  virtual void InitFromTemplate(pugi::xml_node xmlTemplate) = 0;
};

struct IMcAdapter : ILvAdapter {
  virtual SStringW GetColumnName(int column) const = 0;
  virtual bool IsColumnVisible(int column) const = 0;
  // `flags` holds each column's sort flag by order number; the adapter
  // may rewrite them. True when it sorted.
  virtual bool SortByColumn(int column, int* flags, int count) = 0;
};

// A multi-column adapter that also keeps the set of selected rows.
struct IMcAdapterEx : IMcAdapter {
  virtual void ToggleSelection(int index) = 0;
  virtual void SelectRangeFromLast(int index) = 0;
  virtual void ClearSelection() = 0;
  virtual void SelectOnly(int index) = 0;
  virtual bool IsSelected(int index) = 0;
  virtual void SetAnchorAndSelect(int index) = 0;
  virtual void SelectRangeFromAnchor(int index) = 0;
  virtual void SelectionHook() = 0;
  virtual void RequestSelect(int index) = 0;
  // The adapter decides how the selection changes; true when it did.
  virtual bool OnRequestSelect(int index, SList<int>& selection) = 0;
  virtual SList<int>& GetSelection() = 0;
};

// The defaults of an adapter interface and its observer list.
template <class I>
class LvAdatperImpl : public I {
 public:
  LvAdatperImpl() : observers_(10) {}

  void RegisterObserver(ILvDataSetObserver* observer) override {
    if (!observer || observers_.Find(observer)) return;
    observers_.AddTail(observer);
    observer->AddRef();
  }
  void UnregisterObserver(ILvDataSetObserver* observer) override {
    SPOSITION pos = observers_.Find(observer);
    if (!pos) return;
    observers_.RemoveAt(pos);
    observer->Release();
  }
  int GetItemViewType(int position, DWORD) override { return GetViewTypeOfPosition(position); }
  int GetViewTypeCount() override { return 1; }
  SIZE GetItemDesiredSize(int, SWindow* item, const RECT* container) override {
    return item ? item->MeasureContent(container) : SIZE{0, 0};
  }
  bool IsEmpty() override { return this->GetCount() <= 0; }
  ULONG_PTR GetItemData(int) override { return 0; }
  SStringW GetItemDescription(int) override { return SStringW(); }
  void InitFromTemplate(pugi::xml_node) override {}

  virtual ULONG_PTR PassThrough(ULONG_PTR value) { return value; }
  virtual int GetViewTypeOfPosition(int) { return 0; }

  void notifyDataSetChanged() {
    for (SPOSITION p = observers_.GetHeadPosition(); p;) observers_.GetNext(p)->OnDataChanged();
  }
  void notifyDataSetInvalidated() {
    for (SPOSITION p = observers_.GetHeadPosition(); p;) observers_.GetNext(p)->OnDataInvalidated();
  }
  void notifyItemDataChanged(int position) {
    for (SPOSITION p = observers_.GetHeadPosition(); p;) observers_.GetNext(p)->OnItemDataChanged(position);
  }
  size_t GetObserverCount() const { return observers_.GetCount(); }

 protected:
  // Observers still registered lose the reference the list held.
  void ReleaseObservers() {
    while (!observers_.IsEmpty()) observers_.RemoveHead()->Release();
  }

  SList<ILvDataSetObserver*> observers_;
};

// The base of single-column adapters.
class SAdapterBase : public TObjRefImpl<LvAdatperImpl<ILvAdapter>> {
 public:
  ~SAdapterBase() override { ReleaseObservers(); }
};

// The base of multi-column adapters with a selection set. The selection
// keeps its order: ranges are stored in walking order.
class SMcAdapterBaseEx : public TObjRefImpl<LvAdatperImpl<IMcAdapterEx>> {
 public:
  SMcAdapterBaseEx() : selection_(10) {}
  ~SMcAdapterBaseEx() override;

  bool IsColumnVisible(int) const override { return true; }
  bool SortByColumn(int, int*, int) override { return false; }

  void ToggleSelection(int index) override;
  void SelectRangeFromLast(int index) override;
  void ClearSelection() override { selection_.RemoveAll(); }
  void SelectOnly(int index) override;
  bool IsSelected(int index) override { return selection_.Find(index) != nullptr; }
  void SetAnchorAndSelect(int index) override;
  void SelectRangeFromAnchor(int index) override;
  void SelectionHook() override {}
  void RequestSelect(int index) override;
  SList<int>& GetSelection() override { return selection_; }
  int GetAnchor() const { return anchor_; }

 private:
  // Empties the list and appends start … end in walking order.
  void FillRange(int start, int end);

  SList<int> selection_;
  int anchor_ = -1;
  int anchorCopy_ = -1;
};

}  // namespace ORIEL
