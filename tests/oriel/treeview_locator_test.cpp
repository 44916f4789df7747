// The tree locator against a brute-force walk: a random tree of 10,000
// items, then random expands, collapses, height and width changes and
// branch rebuilds, also inside collapsed branches. After every step each
// row's position, the row at sampled positions and the totals must match
// a plain walk over the rows that show.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "control/STreeViewItemLocator.h"
#include "treeview_fake_tree.h"

using namespace ORIEL;

namespace {

struct Row {
  HSTREEITEM item;
  int top;
  int height;
};

class TreeLocatorTest : public ::testing::Test {
 protected:
  static constexpr int kIndent = 10, kDefWidth = 10, kDefHeight = 50;

  void SetUp() override {
    tree = new FakeTree;
    locator = new STreeViewItemLocator(kIndent, 50, kDefWidth, kDefHeight);
  }
  void TearDown() override {
    locator->Release();
    tree->Release();
  }

  // The truth the test keeps: heights and widths it set, defaults after
  // a rebuild of the branch.
  void ResetTruth(HSTREEITEM item) {
    std::vector<HSTREEITEM> todo{item};
    while (!todo.empty()) {
      const HSTREEITEM at = todo.back();
      todo.pop_back();
      height[at] = kDefHeight;
      width[at] = kDefWidth;
      for (HSTREEITEM c : tree->At(at).children) todo.push_back(c);
    }
  }

  // Every shown row in order, and the widest reach of a shown row.
  std::vector<Row> Walk(int* widest) const {
    std::vector<Row> rows;
    *widest = 0;
    int y = 0;
    struct Frame {
      HSTREEITEM item;
      int depth;
    };
    std::vector<Frame> todo;
    const auto& top = tree->At(ITEM_ROOT).children;
    for (auto it = top.rbegin(); it != top.rend(); ++it) todo.push_back({*it, 0});
    while (!todo.empty()) {
      const Frame f = todo.back();
      todo.pop_back();
      rows.push_back(Row{f.item, y, height[f.item]});
      y += height[f.item];
      *widest = std::max(*widest, f.depth * kIndent + width[f.item]);
      const FakeTree::Node& n = tree->At(f.item);
      if (n.expanded)
        for (auto it = n.children.rbegin(); it != n.children.rend(); ++it) todo.push_back({*it, f.depth + 1});
    }
    return rows;
  }

  void Check(const char* step, std::mt19937& rng) {
    int widest = 0;
    const std::vector<Row> rows = Walk(&widest);
    const int total = rows.empty() ? 0 : rows.back().top + rows.back().height;
    ASSERT_EQ(locator->GetTotalHeight(), total) << step;
    ASSERT_EQ(locator->GetTotalWidth(), widest) << step;
    std::vector<char> shown(tree->Size(), 0);
    for (const Row& r : rows) {
      shown[r.item] = 1;
      ASSERT_EQ(locator->ItemToPosition(r.item), r.top) << step << " item " << r.item;
    }
    for (int k = 0; k < 50; ++k) {
      const HSTREEITEM item = 1 + rng() % (tree->Size() - 1);
      if (!shown[item] && tree->At(item).parent != ITEM_NULL)
        ASSERT_EQ(locator->ItemToPosition(item), -1) << step << " hidden item " << item;
    }
    for (int k = 0; k < 100 && total > 0; ++k) {
      const int y = static_cast<int>(rng() % (total + 20)) - 10;
      HSTREEITEM expect = ITEM_NULL;
      if (y >= 0 && y < total) {
        auto it = std::upper_bound(rows.begin(), rows.end(), y, [](int v, const Row& r) { return v < r.top; });
        expect = std::prev(it)->item;
      }
      ASSERT_EQ(locator->PositionToItem(y), expect) << step << " y " << y;
    }
  }

  FakeTree* tree = nullptr;
  STreeViewItemLocator* locator = nullptr;
  std::vector<int> height, width;
};

TEST_F(TreeLocatorTest, MatchesABruteForceWalkThroughRandomChanges) {
  std::mt19937 rng(20261210);
  for (int i = 0; i < 10000; ++i) {
    const HSTREEITEM parent = i == 0 || rng() % 8 == 0 ? ITEM_ROOT : 1 + rng() % tree->Size() % (tree->Size() - 1);
    const HSTREEITEM h = tree->Add(parent == 0 ? ITEM_ROOT : parent);
    tree->At(h).expanded = rng() % 3 != 0;
  }
  height.assign(tree->Size() + 2000, kDefHeight);
  width.assign(tree->Size() + 2000, kDefWidth);
  locator->SetAdapter(tree);
  Check("built", rng);
  // Random heights and widths everywhere, collapsed branches included.
  for (size_t h = 1; h < tree->Size(); ++h) {
    height[h] = 5 + rng() % 60;
    width[h] = 5 + rng() % 200;
    locator->SetItemHeight(h, height[h]);
    locator->SetItemWidth(h, width[h]);
  }
  Check("measured", rng);

  for (int step = 0; step < 400; ++step) {
    const HSTREEITEM item = 1 + rng() % (tree->Size() - 1);
    if (tree->At(item).parent == ITEM_NULL) continue;  // removed
    const char* what = "";
    switch (rng() % 5) {
      case 0:
      case 1: {
        what = "toggle";
        FakeTree::Node& n = tree->At(item);
        const bool was = n.expanded;
        n.expanded = !was;
        locator->OnBranchExpandedChanged(item, was, !was);
        break;
      }
      case 2:
        what = "height";
        height[item] = 1 + rng() % 90;
        locator->SetItemHeight(item, height[item]);
        break;
      case 3:
        what = "width";
        width[item] = 1 + rng() % 400;
        locator->SetItemWidth(item, width[item]);
        break;
      case 4: {
        what = "rebuild";
        FakeTree::Node& n = tree->At(item);
        if (!n.children.empty() && tree->At(n.children.back()).children.empty() && rng() % 2) {
          tree->RemoveLeaf(n.children.back());
        } else {
          tree->Add(item);
        }
        ResetTruth(item);
        locator->OnBranchChanged(item);
        break;
      }
    }
    Check(what, rng);
    if (HasFatalFailure()) return;
  }
}

TEST_F(TreeLocatorTest, RootAnswersAndIndent) {
  const HSTREEITEM a = tree->Add(ITEM_ROOT);
  const HSTREEITEM b = tree->Add(a);
  const HSTREEITEM c = tree->Add(b);
  locator->SetAdapter(tree);
  EXPECT_EQ(locator->GetItemIndent(a), 0);
  EXPECT_EQ(locator->GetItemIndent(c), 2 * kIndent);
  EXPECT_EQ(locator->ItemToPosition(c), 2 * kDefHeight);
  EXPECT_EQ(locator->PositionToItem(-1), ITEM_NULL);
  EXPECT_EQ(locator->PositionToItem(3 * kDefHeight), ITEM_NULL);
  EXPECT_EQ(locator->GetTotalWidth(), 2 * kIndent + kDefWidth);
  // An empty tree has no rows.
  tree->RemoveLeaf(c);
  tree->RemoveLeaf(b);
  tree->RemoveLeaf(a);
  locator->OnBranchChanged(ITEM_ROOT);
  EXPECT_EQ(locator->GetTotalHeight(), 0);
  EXPECT_EQ(locator->PositionToItem(0), ITEM_NULL);
}

}  // namespace
