// Adapters and item locators without windows: the observer list, the
// selection set, and both locators checked against plain prefix sums.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "control/SListViewItemLocator.h"

using namespace ORIEL;

namespace {

class CountingObserver : public TObjRefImpl<ILvDataSetObserver> {
 public:
  void OnDataChanged() override { ++changed; }
  void OnDataInvalidated() override { ++invalidated; }
  void OnItemDataChanged(int position) override { items.push_back(position); }
  int changed = 0, invalidated = 0;
  std::vector<int> items;
};

class CountAdapter : public SAdapterBase {
 public:
  explicit CountAdapter(int n) : n(n) {}
  int GetCount() override { return n; }
  void BindItemView(int, SWindow*, pugi::xml_node) override {}
  int n;
};

class SelectionAdapter : public SMcAdapterBaseEx {
 public:
  explicit SelectionAdapter(int n) : n(n) {}
  int GetCount() override { return n; }
  void BindItemView(int, SWindow*, pugi::xml_node) override {}
  SStringW GetColumnName(int) const override { return SStringW(); }
  bool OnRequestSelect(int index, SList<int>& selection) override {
    ++requests;
    selection.AddTail(index);
    return true;
  }
  std::vector<int> Selection() {
    std::vector<int> out;
    for (SPOSITION p = GetSelection().GetHeadPosition(); p;) out.push_back(GetSelection().GetNext(p));
    return out;
  }
  int n;
  int requests = 0;
};

template <class T>
struct Held {  // drops the creator's reference at scope end
  explicit Held(T* p) : p(p) {}
  ~Held() { p->Release(); }
  T* operator->() const { return p; }
  T* p;
};

TEST(ListAdapters, ObserversAreHeldOnceAndNotifiedInOrder) {
  Held<CountAdapter> a(new CountAdapter(3));
  Held<CountingObserver> o(new CountingObserver);
  a->RegisterObserver(o.p);
  a->RegisterObserver(o.p);
  EXPECT_EQ(a->GetObserverCount(), 1u);
  EXPECT_EQ(o->AddRef(), 3);  // creator, adapter, and this call
  o->Release();
  a->notifyDataSetChanged();
  a->notifyItemDataChanged(2);
  EXPECT_EQ(o->changed, 1);
  EXPECT_EQ(o->items, std::vector<int>{2});
  a->UnregisterObserver(o.p);
  a->UnregisterObserver(o.p);  // not registered any more: ignored
  EXPECT_EQ(a->GetObserverCount(), 0u);
  EXPECT_EQ(o->AddRef(), 2);
  o->Release();
}

TEST(ListAdapters, TheLastReleaseOfAnAdapterReleasesItsObservers) {
  Held<CountingObserver> o(new CountingObserver);
  auto* a = new CountAdapter(0);
  a->RegisterObserver(o.p);
  EXPECT_EQ(a->Release(), 0);
  EXPECT_EQ(o->AddRef(), 2);
  o->Release();
}

TEST(ListAdapters, Defaults) {
  Held<CountAdapter> a(new CountAdapter(0));
  EXPECT_TRUE(a->IsEmpty());
  a->n = 4;
  EXPECT_FALSE(a->IsEmpty());
  for (int i = 0; i < 4; ++i) EXPECT_EQ(a->GetItemViewType(i, 0x5), 0);
  EXPECT_EQ(a->GetViewTypeCount(), 1);
  EXPECT_EQ(a->GetItemData(1), 0u);
  EXPECT_EQ(a->PassThrough(77), 77u);
}

TEST(ListAdapters, SelectionOperations) {
  Held<SelectionAdapter> a(new SelectionAdapter(10));
  Held<CountingObserver> o(new CountingObserver);
  a->RegisterObserver(o.p);
  using V = std::vector<int>;

  a->ToggleSelection(7);
  a->ToggleSelection(5);
  EXPECT_EQ(a->Selection(), (V{7, 5}));
  EXPECT_EQ(o->invalidated, 0);
  a->ToggleSelection(7);
  a->ToggleSelection(7);
  EXPECT_EQ(a->Selection(), (V{5, 7}));  // toggled back on goes to the end

  a->ClearSelection();
  a->SelectRangeFromLast(2);
  EXPECT_TRUE(a->Selection().empty());
  EXPECT_EQ(o->invalidated, 0);
  a->ToggleSelection(7);
  a->ToggleSelection(5);
  a->SelectRangeFromLast(2);
  EXPECT_EQ(a->Selection(), (V{5, 4, 3, 2}));
  EXPECT_EQ(o->invalidated, 1);

  a->SetAnchorAndSelect(3);
  a->SelectRangeFromAnchor(6);
  EXPECT_EQ(a->Selection(), (V{3, 4, 5, 6}));
  a->SelectRangeFromAnchor(1);
  EXPECT_EQ(a->Selection(), (V{3, 2, 1}));
  EXPECT_EQ(o->invalidated, 4);
  a->SelectRangeFromAnchor(-1);
  EXPECT_EQ(o->invalidated, 4);

  // A range end past the rows is held to the last row.
  a->SelectRangeFromAnchor(40);
  EXPECT_EQ(a->Selection(), (V{3, 4, 5, 6, 7, 8, 9}));

  const int before = o->invalidated;
  a->RequestSelect(9);  // already selected
  EXPECT_EQ(a->requests, 0);
  EXPECT_EQ(o->invalidated, before);
  a->SelectOnly(0);
  a->RequestSelect(4);
  EXPECT_EQ(a->requests, 1);
  EXPECT_EQ(a->Selection(), (V{0, 4}));
  a->UnregisterObserver(o.p);
}

TEST(ListAdapters, ARangeFromAnEmptySelectionNeverReadsAMissingEntry) {
  Held<SelectionAdapter> a(new SelectionAdapter(10));
  // No anchor, no entry: the row alone.
  a->SelectRangeFromAnchor(4);
  EXPECT_EQ(a->Selection(), std::vector<int>{4});
  // An anchor but an emptied list: from the anchor.
  a->SetAnchorAndSelect(2);
  a->ClearSelection();
  a->SelectRangeFromAnchor(5);
  EXPECT_EQ(a->Selection(), (std::vector<int>{2, 3, 4, 5}));
  // A stored -1 from SelectOnly(-1) stands for the last row.
  Held<SelectionAdapter> b(new SelectionAdapter(5));
  b->SelectOnly(-1);
  b->SelectRangeFromAnchor(2);
  EXPECT_EQ(b->Selection(), (std::vector<int>{4, 3, 2}));
}

// Range ends far past the rows, or over an adapter without rows, never
// fill the selection with rows that are not there.
TEST(ListAdapters, RangesHoldBothEndsToTheRows) {
  using V = std::vector<int>;
  Held<SelectionAdapter> a(new SelectionAdapter(10));
  a->ToggleSelection(7);
  a->SelectRangeFromLast(2000000);
  EXPECT_EQ(a->Selection(), (V{7, 8, 9}));
  a->ToggleSelection(-500);  // a start outside the rows too
  a->SelectRangeFromLast(-2000000);
  EXPECT_EQ(a->Selection(), V{0});
  a->SetAnchorAndSelect(2000000);
  a->SelectRangeFromAnchor(7);
  EXPECT_EQ(a->Selection(), (V{9, 8, 7}));

  Held<SelectionAdapter> empty(new SelectionAdapter(0));
  Held<CountingObserver> o(new CountingObserver);
  empty->RegisterObserver(o.p);
  empty->SelectRangeFromAnchor(2000000);
  EXPECT_TRUE(empty->Selection().empty());
  empty->SetAnchorAndSelect(1);
  empty->SelectRangeFromAnchor(2000000);
  EXPECT_TRUE(empty->Selection().empty());
  empty->ToggleSelection(3);
  empty->SelectRangeFromLast(2000000);
  EXPECT_TRUE(empty->Selection().empty());
  EXPECT_EQ(o->invalidated, 4);
  empty->UnregisterObserver(o.p);
}

// --- locators -----------------------------------------------------------

TEST(ListLocators, FixedLocatorTable) {
  Held<CountAdapter> a(new CountAdapter(3));
  Held<SListViewItemLocatorFix> f(new SListViewItemLocatorFix(SLayoutSize(54, SLayoutSize::dp), SLayoutSize(1, SLayoutSize::dp)));
  EXPECT_EQ(f->ItemAt(0), -1);  // no adapter yet
  EXPECT_EQ(f->TotalHeight(), 0);
  f->SetAdapter(a.p);
  struct Case { int position, item; };
  for (const Case& c : {Case{0, 0}, Case{54, 0}, Case{55, 1}, Case{110, 2}, Case{164, 2}, Case{165, 3}, Case{9999, 3}, Case{-5, 0}})
    EXPECT_EQ(f->ItemAt(c.position), c.item) << c.position;
  EXPECT_EQ(f->PositionOf(2), 110);
  EXPECT_EQ(f->TotalHeight(), 164);
  EXPECT_EQ(f->GetLineSize(), 55);
  f->SetScale(200);
  EXPECT_EQ(f->GetLineSize(), 110);
  a->n = 0;
  EXPECT_EQ(f->TotalHeight(), 0);
  f->SetAdapter(nullptr);
}

struct Shape {
  int items, segments, depthChildren;  // children of the top branch
};

TEST(ListLocators, FlexibleTreeShapes) {
  for (const Shape& s : {Shape{0, 1, 0}, Shape{1, 1, 0}, Shape{50, 1, 0}, Shape{51, 2, 2}, Shape{120, 3, 3},
                         Shape{500, 10, 10}, Shape{501, 11, 2}}) {
    Held<CountAdapter> a(new CountAdapter(s.items));
    Held<SListViewItemLocatorFlex> f(new SListViewItemLocatorFlex(SLayoutSize(30, SLayoutSize::px), SLayoutSize(0, SLayoutSize::px)));
    f->SetAdapter(a.p);
    EXPECT_EQ(f->SegmentCount(), s.segments) << s.items;
    const auto& tree = f->Tree();
    const HSTREEITEM top = tree.GetRootItem();
    ASSERT_NE(top, 0u);
    EXPECT_EQ(tree.GetNextSiblingItem(top), 0u);
    EXPECT_EQ(tree.GetItem(top).itemCount, s.items);
    int children = 0;
    for (HSTREEITEM c = tree.GetChildItem(top); c; c = tree.GetNextSiblingItem(c)) ++children;
    EXPECT_EQ(children, s.depthChildren) << s.items;
    f->SetAdapter(nullptr);
  }
  // 501 items: one child of 500 items over ten segments, one of a single item.
  Held<CountAdapter> a(new CountAdapter(501));
  Held<SListViewItemLocatorFlex> f(new SListViewItemLocatorFlex(SLayoutSize(30, SLayoutSize::px), SLayoutSize(0, SLayoutSize::px)));
  f->SetAdapter(a.p);
  const auto& tree = f->Tree();
  const HSTREEITEM big = tree.GetChildItem(tree.GetRootItem());
  EXPECT_EQ(tree.GetItem(big).itemCount, 500);
  const HSTREEITEM small = tree.GetNextSiblingItem(big);
  EXPECT_EQ(tree.GetItem(small).itemCount, 1);
  EXPECT_EQ(tree.GetChildItem(small), 0u);
  f->SetAdapter(nullptr);
}

TEST(ListLocators, FlexibleEdgeCases) {
  Held<CountAdapter> a(new CountAdapter(0));
  Held<SListViewItemLocatorFlex> f(new SListViewItemLocatorFlex(SLayoutSize(30, SLayoutSize::dp), SLayoutSize(2, SLayoutSize::dp)));
  EXPECT_EQ(f->ItemAt(0), -1);
  f->SetAdapter(a.p);
  EXPECT_EQ(f->TotalHeight(), 0);
  EXPECT_EQ(f->ItemAt(0), -1);

  a->n = 3;
  f->OnDataChanged();
  EXPECT_EQ(f->TotalHeight(), 3 * 32 - 2);
  EXPECT_EQ(f->ItemAt(31), 0);
  EXPECT_EQ(f->ItemAt(32), 1);  // an item's end belongs to the next item
  EXPECT_EQ(f->ItemAt(94), -1);
  f->SetHeightOf(0, 50);
  EXPECT_EQ(f->TotalHeight(), 3 * 32 - 2 + 20);
  EXPECT_EQ(f->PositionOf(2), 52 + 32);
  f->SetHeightOf(0, 30);
  EXPECT_EQ(f->PositionOf(2), 64);
  f->SetHeightOf(1, 80);
  f->SetScale(150);  // drops the measured heights
  EXPECT_EQ(f->GetHeightOf(1), 45);
  EXPECT_EQ(f->TotalHeight(), 3 * (45 + 3) - 3);
  f->SetAdapter(nullptr);
  EXPECT_EQ(f->TotalHeight(), 0);
  EXPECT_EQ(f->PositionOf(1), 0);
}

// Both locators against a prefix sum: every item's top and a spread of
// positions inside, at and around item boundaries.
TEST(ListLocators, PositionsAgreeWithPrefixSumsOverTenThousandRandomHeights) {
  constexpr int kCount = 10000, kDivider = 1;
  std::mt19937 rng(1234);
  std::uniform_int_distribution<int> heights(1, 120);
  Held<CountAdapter> a(new CountAdapter(kCount));
  Held<SListViewItemLocatorFlex> f(new SListViewItemLocatorFlex(SLayoutSize(24, SLayoutSize::px), SLayoutSize(kDivider, SLayoutSize::px)));
  f->SetAdapter(a.p);
  std::vector<int> h(kCount);
  for (int i = 0; i < kCount; ++i) {
    h[i] = heights(rng);
    if (i % 7 != 3) f->SetHeightOf(i, h[i]);  // some keep the default
    else h[i] = 24;
  }
  std::vector<long long> top(kCount + 1, 0);
  for (int i = 0; i < kCount; ++i) top[i + 1] = top[i] + h[i] + kDivider;
  ASSERT_EQ(f->TotalHeight(), top[kCount] - kDivider);
  for (int i = 0; i < kCount; ++i) {
    ASSERT_EQ(f->PositionOf(i), top[i]) << i;
    ASSERT_EQ(f->GetHeightOf(i), h[i]) << i;
    ASSERT_EQ(f->ItemAt(static_cast<int>(top[i])), i) << i;
    ASSERT_EQ(f->ItemAt(static_cast<int>(top[i + 1]) - 1), top[i + 1] - 1 < f->TotalHeight() ? i : -1) << i;
  }
  std::uniform_int_distribution<int> anywhere(0, f->TotalHeight() - 1);
  for (int k = 0; k < 20000; ++k) {
    const int p = anywhere(rng);
    const int expected = static_cast<int>(std::upper_bound(top.begin(), top.end(), p) - top.begin()) - 1;
    ASSERT_EQ(f->ItemAt(p), expected) << p;
  }
  EXPECT_EQ(f->ItemAt(f->TotalHeight()), -1);

  Held<SListViewItemLocatorFix> fixed(new SListViewItemLocatorFix(SLayoutSize(37, SLayoutSize::px), SLayoutSize(kDivider, SLayoutSize::px)));
  fixed->SetAdapter(a.p);
  for (int k = 0; k < 20000; ++k) {
    const int p = std::uniform_int_distribution<int>(0, fixed->TotalHeight() - 1)(rng);
    ASSERT_EQ(fixed->ItemAt(p), p / 38);
    ASSERT_LE(fixed->PositionOf(p / 38), p);
  }
  f->SetAdapter(nullptr);
  fixed->SetAdapter(nullptr);
}

}  // namespace
