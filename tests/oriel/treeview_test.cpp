// The tree view headless over a tree of 100 branches of 100 leaves: keys
// expand, collapse and move; double clicks toggle branches only; rows far
// inside collapsed branches are opened and shown; panels stay few.
#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/STreeView.h"
#include "treeview_fake_tree.h"

namespace {

class TreeViewTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new SwndTestHost(300, 300);
    host->CreateChildrenFromString(L"<treeview pos='0,0,200,200' indent='16'><template/></treeview>");
    host->ApplyLayout();
    view = static_cast<STreeView*>(host->GetRelative(GSW_LASTCHILD));
    tree = new FakeTree;
    tree->rowHeight = 50;  // as unmeasured rows count: totals need no scrolling through
    for (int b = 0; b < 100; ++b) {
      const HSTREEITEM branch = tree->Add(ITEM_ROOT);
      tree->At(branch).expanded = false;
      branches.push_back(branch);
      for (int l = 0; l < 100; ++l) tree->Add(branch);
    }
    ASSERT_TRUE(view->SetAdapter(tree));
  }
  void TearDown() override {
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    tree->Release();
    OrielAppTest::TearDown();
  }
  void Key(UINT vk) { view->SendSwndMessage(WM_KEYDOWN, vk, 0); }
  SwndTestHost* host = nullptr;
  STreeView* view = nullptr;
  FakeTree* tree = nullptr;
  std::vector<HSTREEITEM> branches;
};

TEST_F(TreeViewTest, RowsComeFromTheTopAndPanelsStayFew) {
  EXPECT_EQ(view->GetItemLocator()->GetTotalHeight(), 100 * 50);
  EXPECT_EQ(view->GetFirstVisible(), branches[0]);
  EXPECT_EQ(view->GetVisibleCount(), 4);
  view->HandleScrollCode(true, SB_BOTTOM, 0);
  EXPECT_EQ(view->GetFirstVisible(), branches[96]);
  view->HandleScrollCode(true, SB_THUMBTRACK, 1005);
  EXPECT_EQ(view->GetFirstVisible(), branches[20]);
  EXPECT_EQ(view->GetVisibleCount(), 5);  // a row cut at the top and one at the bottom
  EXPECT_LE(view->GetPanelCount(), 5);
  // Rows of a deeper level are indented.
  view->EnsureVisible(tree->At(branches[50]).children[3]);
  SItemPanel* panel = view->GetItemPanel(tree->At(branches[50]).children[3]);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->GetItemRect().left - view->ClientRect().left, 16);
  EXPECT_EQ(panel->GetItemRect().bottom, view->ClientRect().bottom);  // scrolled until its bottom shows
}

TEST_F(TreeViewTest, KeysExpandCollapseAndMove) {
  std::vector<int> events;
  view->SubscribeEvent(EventTVSelChanging::EventID, [&](EventArgs* e) { return events.push_back(e->GetId()), true; });
  view->SubscribeEvent(EventTVSelChanged::EventID, [&](EventArgs* e) { return events.push_back(e->GetId()), true; });
  const HSTREEITEM b0 = branches[0];
  const HSTREEITEM firstLeaf = tree->At(b0).children[0];
  Key(VK_DOWN);  // nothing selected: the first row
  EXPECT_EQ(view->GetSel(), b0);
  EXPECT_EQ(events, (std::vector<int>{14000, 14001}));
  Key(VK_RIGHT);  // a collapsed branch opens
  EXPECT_TRUE(tree->At(b0).expanded);
  EXPECT_EQ(view->GetItemLocator()->GetTotalHeight(), 200 * 50);
  Key(VK_RIGHT);  // an open one: the next row
  EXPECT_EQ(view->GetSel(), firstLeaf);
  Key(VK_DOWN);
  Key(VK_LEFT);  // a leaf: the row above, a sibling here
  EXPECT_EQ(view->GetSel(), firstLeaf);
  Key(VK_LEFT);  // the first leaf: up to its branch
  EXPECT_EQ(view->GetSel(), b0);
  Key(VK_LEFT);  // the open branch closes
  EXPECT_FALSE(tree->At(b0).expanded);
  EXPECT_EQ(view->GetItemLocator()->GetTotalHeight(), 100 * 50);
  events.clear();
  view->SetSel(b0, TRUE);
  EXPECT_EQ(events, std::vector<int>{14000});  // re-selecting: changing only
}

TEST_F(TreeViewTest, DoubleClicksToggleBranchesOnly) {
  const RECT rc = view->GetItemPanel(branches[1])->GetItemRect();
  const LPARAM at = MAKELPARAM(rc.left + 5, rc.top + 5);
  view->SendSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
  view->SendSwndMessage(WM_LBUTTONUP, 0, at);
  EXPECT_EQ(view->GetSel(), branches[1]);
  view->SendSwndMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  view->SendSwndMessage(WM_LBUTTONUP, 0, at);
  EXPECT_TRUE(tree->At(branches[1]).expanded);
  // The first leaf now lies in the next row: a double click there changes nothing.
  const LPARAM leaf = MAKELPARAM(rc.left + 30, rc.bottom + 5);
  view->SendSwndMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, leaf);
  view->SendSwndMessage(WM_LBUTTONUP, 0, leaf);
  EXPECT_EQ(view->GetItemLocator()->GetTotalHeight(), 200 * 50);
  view->SendSwndMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  view->SendSwndMessage(WM_LBUTTONUP, 0, at);
  EXPECT_FALSE(tree->At(branches[1]).expanded);
}

TEST_F(TreeViewTest, EnsureVisibleOpensTheAncestorsOfADeepItem) {
  // A third level under branch 70, leaf 60, all collapsed.
  const HSTREEITEM leaf = tree->At(branches[70]).children[60];
  HSTREEITEM deep = ITEM_NULL;
  for (int i = 0; i < 5; ++i) deep = tree->Add(leaf);
  tree->At(leaf).expanded = false;
  tree->NotifyBranchChanged(leaf);
  view->EnsureVisible(deep);
  EXPECT_TRUE(tree->At(branches[70]).expanded);
  EXPECT_TRUE(tree->At(leaf).expanded);
  SItemPanel* panel = view->GetItemPanel(deep);
  ASSERT_NE(panel, nullptr);
  const RECT rc = panel->GetItemRect();
  const RECT client = view->ClientRect();
  EXPECT_GE(rc.top, client.top);
  EXPECT_LE(rc.bottom, client.bottom);
  EXPECT_EQ(view->GetItemLocator()->ItemToPosition(deep), (70 + 1 + 60 + 1 + 4) * 50);
}

TEST_F(TreeViewTest, AnEmptiedTreeRecyclesEveryPanelAndIndentIsLoadOnly) {
  for (HSTREEITEM b : branches) tree->At(ITEM_ROOT).children.clear(), (void)b;
  tree->NotifyBranchChanged(ITEM_ROOT);
  EXPECT_EQ(view->GetVisibleCount(), 0);
  EXPECT_EQ(view->GetItemLocator()->GetTotalHeight(), 0);
  EXPECT_EQ(view->ApplyAttribute(SStringW(L"indent"), SStringW(L"30"), FALSE), E_FAIL);
}

}  // namespace
