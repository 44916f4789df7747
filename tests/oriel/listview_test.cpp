// The list view headless: positions from the template, bars, changes while
// hidden, keys sent to the owner, measured items, and the item command
// that needs its press.
#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SListView.h"

namespace {

class CountingAdapter : public SAdapterBase {
 public:
  explicit CountingAdapter(int n, int measured = 0) : n(n), measured(measured) {}
  int GetCount() override { return n; }
  void BindItemView(int position, SWindow* item, pugi::xml_node) override { bound.push_back(position); (void)item; }
  SIZE GetItemDesiredSize(int position, SWindow*, const RECT* rc) override {
    return SIZE{rc->right - rc->left, measured > 0 && position % 2 == 0 ? measured : 20};
  }
  int n;
  int measured;
  std::vector<int> bound;
};

// Records the keys that reach it.
class KeyOwner : public SWindow {
 public:
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (msg == WM_KEYDOWN) keys.push_back(static_cast<int>(wParam));
    return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
  std::vector<int> keys;
};

class ListViewTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new SwndTestHost(300, 300);
  }
  void TearDown() override {
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    OrielAppTest::TearDown();
  }
  SListView* Make(const wchar_t* tpl, int height = 100) {
    SStringW xml;
    xml.Format(L"<listview pos='0,0,200,%d' dividerSize='1'>%ls</listview>", height, tpl);
    host->CreateChildrenFromString(xml);
    host->ApplyLayout();
    return static_cast<SListView*>(host->GetRelative(GSW_LASTCHILD));
  }
  template <class A>
  A* Attach(SListView* view, A* adapter) {
    EXPECT_TRUE(view->SetAdapter(adapter));
    adapter->Release();
    return adapter;
  }
  SwndTestHost* host = nullptr;
};

TEST_F(ListViewTest, TemplateHeightAndDividerPlaceTheItems) {
  SListView* view = Make(L"<template itemHeight='54'/>", 300);
  Attach(view, new CountingAdapter(3));
  IListViewItemLocator* locator = view->GetItemLocator();
  ASSERT_TRUE(locator->IsFixHeight());
  EXPECT_EQ(locator->PositionOf(1), 55);
  EXPECT_EQ(locator->PositionOf(2), 110);
  EXPECT_EQ(locator->TotalHeight(), 164);
  EXPECT_FALSE(view->HasScrollBar(true));
  EXPECT_EQ(view->GetItemPanelByIndex(2)->GetItemRect().top, 110);
}

TEST_F(ListViewTest, WithoutATemplateTheViewTakesNoAdapter) {
  SListView* view = Make(L"");
  auto* adapter = new CountingAdapter(3);
  EXPECT_FALSE(view->SetAdapter(adapter));
  adapter->Release();
}

TEST_F(ListViewTest, EmptyListHasNoItemsAndNoBar) {
  SListView* view = Make(L"<template itemHeight='20'/>");
  Attach(view, new CountingAdapter(0));
  EXPECT_EQ(view->GetVisibleCount(), 0);
  EXPECT_FALSE(view->HasScrollBar(true));
}

TEST_F(ListViewTest, ALineIsAnItemAndItsDividerAndAFittingListScrollsToTheTop) {
  SListView* view = Make(L"<template itemHeight='20'/>");
  auto* adapter = Attach(view, new CountingAdapter(30));
  ASSERT_TRUE(view->HasScrollBar(true));
  EXPECT_TRUE(view->HandleScrollCode(true, SB_LINEDOWN, 0));
  EXPECT_EQ(view->GetScrollPos(true), 21);
  EXPECT_EQ(view->GetFirstVisible(), 1);
  view->HandleScrollCode(true, SB_BOTTOM, 0);
  EXPECT_EQ(view->GetScrollPos(true), 30 * 21 - 1 - 100);  // the last row whole at the bottom
  adapter->n = 3;
  adapter->notifyDataSetChanged();
  EXPECT_FALSE(view->HasScrollBar(true));
  EXPECT_EQ(view->GetScrollPos(true), 0);
  EXPECT_EQ(view->GetFirstVisible(), 0);
  EXPECT_EQ(view->GetVisibleCount(), 3);
}

// Growing the view while it shows the end keeps the last row whole at the
// bottom instead of leaving a scroll position past the reachable end.
TEST_F(ListViewTest, AResizeAtTheBottomKeepsTheLastRowWhole) {
  SListView* view = Make(L"<template itemHeight='20'/>");
  Attach(view, new CountingAdapter(30));
  const int total = 30 * 21 - 1;
  view->HandleScrollCode(true, SB_BOTTOM, 0);
  ASSERT_EQ(view->GetScrollPos(true), total - 100);
  // Taller: the position comes back to the new end; shorter: it stays.
  const struct {
    int height, position;
  } steps[] = {{160, total - 160}, {250, total - 250}, {120, total - 250}};
  for (const auto& step : steps) {
    SStringW pos;
    pos.Format(L"0,0,200,%d", step.height);
    view->ApplyAttribute(SStringW(L"pos"), pos, FALSE);
    host->ApplyLayout();
    const RECT client = view->ClientRect();
    ASSERT_EQ(client.bottom - client.top, step.height);
    EXPECT_EQ(view->GetScrollPos(true), step.position) << "height " << step.height;
    EXPECT_EQ(view->GetItemPanelByIndex(29) != nullptr, step.height != 120) << "height " << step.height;
  }
}

TEST_F(ListViewTest, ChangesWhileHiddenWaitForTheShow) {
  SListView* view = Make(L"<template itemHeight='20'/>");
  auto* adapter = Attach(view, new CountingAdapter(10));
  view->SetVisible(FALSE);
  adapter->bound.clear();
  adapter->notifyItemDataChanged(2);
  EXPECT_TRUE(adapter->bound.empty());
  view->SetVisible(TRUE);
  EXPECT_EQ(adapter->bound, std::vector<int>{2});  // one item: only that one bound again

  view->SetVisible(FALSE);
  adapter->bound.clear();
  adapter->notifyItemDataChanged(2);
  adapter->notifyItemDataChanged(2);
  adapter->n = 4;
  view->SetVisible(TRUE);
  EXPECT_EQ(adapter->bound, (std::vector<int>{0, 1, 2, 3}));  // two changes: a full rebuild

  // An item that no panel shows binds nothing.
  adapter->bound.clear();
  view->HandleScrollCode(true, SB_TOP, 0);
  adapter->n = 100;
  adapter->notifyDataSetChanged();
  adapter->bound.clear();
  adapter->notifyItemDataChanged(80);
  EXPECT_TRUE(adapter->bound.empty());
}

TEST_F(ListViewTest, EscAndEnterGoToTheOwnerAndChangeNothing) {
  SListView* view = Make(L"<template itemHeight='20'/>");
  auto* owner = new KeyOwner;  // after the view: it outlives the view's own destruction
  host->AttachChild(owner);
  view->SetOwner(owner);
  Attach(view, new CountingAdapter(10));
  view->SetSel(3);
  view->SendSwndMessage(WM_KEYDOWN, VK_ESCAPE, 0);
  view->SendSwndMessage(WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(owner->keys, (std::vector<int>{VK_ESCAPE, VK_RETURN}));
  EXPECT_EQ(view->GetSel(), 3);
  view->SendSwndMessage(WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(view->GetSel(), 4);
}

TEST_F(ListViewTest, MeasuredItemsTallerThanTheDefaultGrowTheRange) {
  SListView* view = Make(L"<template defHeight='20'/>");
  Attach(view, new CountingAdapter(40, 50));
  IListViewItemLocator* locator = view->GetItemLocator();
  ASSERT_FALSE(locator->IsFixHeight());
  // The rows shown were measured (even ones 50 high), the rest keep 20.
  const int shown = view->GetVisibleCount();
  ASSERT_GT(shown, 0);
  int expected = 0;
  for (int i = 0; i < 40; ++i) expected += (i < shown && i % 2 == 0 ? 50 : 20) + 1;
  EXPECT_EQ(locator->TotalHeight(), expected - 1);
  EXPECT_EQ(view->GetBarInfo(true).nMax, locator->TotalHeight() - 1);
  EXPECT_EQ(locator->GetHeightOf(0), 50);
  EXPECT_EQ(locator->GetHeightOf(1), 20);
}

TEST_F(ListViewTest, ARowRaisesItsCommandOnlyForAPressThatBeganInIt) {
  SListView* view = Make(L"<template itemHeight='20'/>");
  Attach(view, new CountingAdapter(10));
  std::vector<int> commands;
  view->SubscribeEvent(EventOfPanel::EventID, [&](EventArgs* e) {
    auto* wrapped = static_cast<EventOfPanel*>(e);
    if (wrapped->pOrgEvt->GetId() == EventCmd::EventID) commands.push_back(wrapped->pPanel->GetItemIndex());
    return true;
  });
  view->SendSwndMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 5));
  view->SendSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
  view->SendSwndMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 30));
  view->SendSwndMessage(WM_LBUTTONUP, 0, MAKELPARAM(10, 30));
  EXPECT_TRUE(commands.empty());
  EXPECT_EQ(view->GetSel(), 0);
  view->SendSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 30));
  view->SendSwndMessage(WM_LBUTTONUP, 0, MAKELPARAM(10, 30));
  EXPECT_EQ(commands, std::vector<int>{1});
  EXPECT_EQ(view->GetSel(), 1);
}

}  // namespace
