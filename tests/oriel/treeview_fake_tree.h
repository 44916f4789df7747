// A tree of items kept in a vector, as a tree view adapter: handles are
// vector indices, 0 none; the root sits at index 0 under its own handle.
#pragma once

#include <algorithm>
#include <vector>

#include "control/STreeViewItemLocator.h"
#include "core/SWnd.h"

namespace ORIEL {

class FakeTree : public TObjRefImpl<ITvAdapter> {
 public:
  ~FakeTree() override {
    for (ITvDataSetObserver* o : observers_) o->Release();
  }
  struct Node {
    HSTREEITEM parent = ITEM_NULL;
    std::vector<HSTREEITEM> children;
    size_t place = 0;  // index among the parent's children
    bool expanded = true;
    int values[kValueCount] = {};
  };

  FakeTree() { nodes_.emplace_back(); }  // the root
  HSTREEITEM Add(HSTREEITEM parent) {
    Node n;
    n.parent = parent;
    n.place = At(parent).children.size();
    nodes_.push_back(n);
    const HSTREEITEM h = nodes_.size() - 1;
    At(parent).children.push_back(h);
    return h;
  }
  // Takes a leaf out of its parent (the node stays, unreachable).
  void RemoveLeaf(HSTREEITEM item) {
    Node& parent = At(At(item).parent);
    parent.children.erase(parent.children.begin() + At(item).place);
    for (size_t i = 0; i < parent.children.size(); ++i) At(parent.children[i]).place = i;
    At(item).parent = ITEM_NULL;
  }
  Node& At(HSTREEITEM h) { return nodes_[h == ITEM_ROOT ? 0 : h]; }
  const Node& At(HSTREEITEM h) const { return nodes_[h == ITEM_ROOT ? 0 : h]; }
  size_t Size() const { return nodes_.size(); }

  void RegisterObserver(ITvDataSetObserver* o) override {
    o->AddRef();
    observers_.push_back(o);
  }
  void UnregisterObserver(ITvDataSetObserver* o) override {
    auto it = std::find(observers_.begin(), observers_.end(), o);
    if (it == observers_.end()) return;
    observers_.erase(it);
    o->Release();
  }
  void NotifyBranchChanged(HSTREEITEM item) {
    for (ITvDataSetObserver* o : observers_) o->OnBranchChanged(item);
  }
  int GetLayoutValue(HSTREEITEM item, int index) const override { return At(item).values[index]; }
  void SetLayoutValue(HSTREEITEM item, int index, int value) override { At(item).values[index] = value; }
  HSTREEITEM GetParentItem(HSTREEITEM item) const override {
    if (item == ITEM_ROOT) return ITEM_NULL;
    const HSTREEITEM p = At(item).parent;
    return p == 0 ? ITEM_ROOT : p;
  }
  HSTREEITEM GetFirstChildItem(HSTREEITEM item) const override {
    const auto& c = At(item).children;
    return c.empty() ? ITEM_NULL : c.front();
  }
  HSTREEITEM GetLastChildItem(HSTREEITEM item) const override {
    const auto& c = At(item).children;
    return c.empty() ? ITEM_NULL : c.back();
  }
  HSTREEITEM GetPrevSiblingItem(HSTREEITEM item) const override {
    const Node& n = At(item);
    return n.place == 0 ? ITEM_NULL : At(GetParentItem(item)).children[n.place - 1];
  }
  HSTREEITEM GetNextSiblingItem(HSTREEITEM item) const override {
    const Node& n = At(item);
    const auto& c = At(GetParentItem(item)).children;
    return n.place + 1 < c.size() ? c[n.place + 1] : ITEM_NULL;
  }
  BOOL HasChildren(HSTREEITEM item) const override { return !At(item).children.empty(); }
  BOOL IsItemVisible(HSTREEITEM item) const override {
    for (HSTREEITEM p = GetParentItem(item); p && p != ITEM_ROOT; p = GetParentItem(p))
      if (!At(p).expanded) return FALSE;
    return TRUE;
  }
  HSTREEITEM GetFirstVisibleItem() const override { return GetFirstChildItem(ITEM_ROOT); }
  HSTREEITEM GetLastVisibleItem() const override { return ITEM_NULL; }
  // The row above: the previous sibling's last shown descendant, else the parent.
  HSTREEITEM GetPrevVisibleItem(HSTREEITEM item) const override {
    HSTREEITEM prev = GetPrevSiblingItem(item);
    if (!prev) {
      const HSTREEITEM p = GetParentItem(item);
      return p == ITEM_ROOT ? ITEM_NULL : p;
    }
    while (At(prev).expanded && !At(prev).children.empty()) prev = At(prev).children.back();
    return prev;
  }
  HSTREEITEM GetNextVisibleItem(HSTREEITEM item) const override {
    if (At(item).expanded && !At(item).children.empty()) return At(item).children.front();
    for (HSTREEITEM at = item; at && at != ITEM_ROOT; at = GetParentItem(at))
      if (HSTREEITEM next = GetNextSiblingItem(at)) return next;
    return ITEM_NULL;
  }
  void ExpandItem(HSTREEITEM item, UINT code) override {
    if (item == ITEM_ROOT || At(item).children.empty()) return;
    const bool was = At(item).expanded;
    const bool now = code == TVC_TOGGLE ? !was : code == TVC_EXPAND;
    if (was == now) return;
    At(item).expanded = now;
    for (ITvDataSetObserver* o : observers_) o->OnBranchExpandedChanged(item, was, now);
  }
  BOOL IsItemExpanded(HSTREEITEM item) const override { return item == ITEM_ROOT || At(item).expanded; }
  void SetItemExpanded(HSTREEITEM, BOOL) override {}
  // Each row shows its handle as text in a window named "text".
  void BindItemView(HSTREEITEM item, SWindow* panel, pugi::xml_node) override {
    SWindow* text = panel->FindDescendantByName(SStringW(L"text"));
    if (!text) text = panel->CreateChildrenFromString(L"<text name='text' pos='0,0,-0,-0'/>");
    SStringW s;
    s.Format(L"item %d", static_cast<int>(item));
    if (text) text->SetText(s);
    ++binds;
  }
  int GetItemViewType(HSTREEITEM) override { return 0; }
  int GetViewTypeCount() override { return 1; }
  SIZE GetItemDesiredSize(HSTREEITEM, SWindow*, const RECT* room) override {
    return SIZE{rowWidth > 0 ? rowWidth : room->right - room->left, rowHeight};
  }
  int rowHeight = 20;
  int rowWidth = 0;
  int binds = 0;
  BOOL IsWidthMatchParent() const override { return FALSE; }
  void InitFromTemplate(pugi::xml_node) override {}

 private:
  std::vector<Node> nodes_;
  std::vector<ITvDataSetObserver*> observers_;
};


}  // namespace ORIEL
