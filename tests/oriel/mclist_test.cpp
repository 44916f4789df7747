// The multi-column list headless: the template and header it needs, cells
// placed by column identity, sorting through the adapter, changes while
// hidden, selection events and the bars.
#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SMCListView.h"

namespace {

// Rows of three cells named c0, c1, c2 (by column identity); each cell's
// text is "row:column".
class GridAdapter : public TObjRefImpl<LvAdatperImpl<IMcAdapter>> {
 public:
  explicit GridAdapter(int n) : n(n) {}
  ~GridAdapter() override { ReleaseObservers(); }
  int GetCount() override { return n; }
  void BindItemView(int position, SWindow* item, pugi::xml_node) override {
    if (!item->FindDescendantByName(SStringW(L"c0")))
      item->CreateChildrenFromString(L"<window name='c0'/><window name='c1'/><window name='c2'/>");
    for (int c = 0; c < 3; ++c) {
      SStringW name, text;
      name.Format(L"c%d", c);
      text.Format(L"%d:%d", order[position], c);
      item->FindDescendantByName(name)->SetText(text);
    }
    bound.push_back(position);
  }
  SIZE GetItemDesiredSize(int position, SWindow*, const RECT* rc) override {
    return SIZE{rc->right - rc->left, 10 + position % 3 * 10};
  }
  SStringW GetColumnName(int column) const override {
    SStringW name;
    name.Format(L"c%d", column);
    return name;
  }
  bool IsColumnVisible(int column) const override { return column != hiddenColumn; }
  bool SortByColumn(int column, int* flags, int count) override {
    sortCalls.push_back({column, std::vector<int>(flags, flags + count)});
    if (column < 0) return false;
    for (int i = 0; i < count; ++i) flags[i] = i == column ? (flags[i] == 1 ? 2 : 1) : 0;
    std::reverse(order.begin(), order.begin() + n);
    return true;
  }
  int n;
  int hiddenColumn = -1;
  std::vector<int> order = std::vector<int>(1000, 0);
  std::vector<int> bound;
  std::vector<std::pair<int, std::vector<int>>> sortCalls;
};

class McListTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new SwndTestHost(400, 300);
  }
  void TearDown() override {
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    OrielAppTest::TearDown();
  }
  SMCListView* Make(const wchar_t* tpl, int width = 300, int height = 125) {
    SStringW xml;
    xml.Format(L"<mclistview pos='0,0,%d,%d' headerHeight='25'><header/>%ls</mclistview>", width, height, tpl);
    host->CreateChildrenFromString(xml);
    host->ApplyLayout();
    auto* view = static_cast<SMCListView*>(host->GetRelative(GSW_LASTCHILD));
    if (view && view->GetHeaderCtrl()) {
      view->InsertColumn(0, SStringW(L"A"), 100);
      view->InsertColumn(1, SStringW(L"B"), 80);
      view->InsertColumn(2, SStringW(L"C"), 60);
    }
    return view;
  }
  GridAdapter* Attach(SMCListView* view, int n) {
    auto* adapter = new GridAdapter(n);
    for (int i = 0; i < 1000; ++i) adapter->order[i] = i;
    EXPECT_TRUE(view->SetAdapter(adapter));
    adapter->Release();
    return adapter;
  }
  static SWindow* Cell(SItemPanel* panel, int column) {
    SStringW name;
    name.Format(L"c%d", column);
    return panel->FindDescendantByName(name);
  }
  SwndTestHost* host = nullptr;
};

TEST_F(McListTest, WithoutATemplateTheViewTakesNoAdapterAndWithoutAHeaderItIsNotMade) {
  SMCListView* view = Make(L"");
  auto* adapter = new GridAdapter(3);
  EXPECT_FALSE(view->SetAdapter(adapter));
  EXPECT_EQ(adapter->GetObserverCount(), 0u);
  adapter->Release();

  host->CreateChildrenFromString(L"<mclistview pos='0,0,100,100'><template itemHeight='20'/></mclistview>");
  auto* headless = static_cast<SMCListView*>(host->GetRelative(GSW_LASTCHILD));
  EXPECT_EQ(headless->GetHeaderCtrl(), nullptr);
  adapter = new GridAdapter(3);
  EXPECT_FALSE(headless->SetAdapter(adapter));
  adapter->Release();
}

TEST_F(McListTest, CellsLieUnderTheirColumnsAndFollowAMovedColumn) {
  SMCListView* view = Make(L"<template itemHeight='20'/>");
  Attach(view, 100);
  ASSERT_EQ(view->GetFirstVisible(), 0);
  SItemPanel* row = view->GetItemPanel(2);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(Cell(row, 0)->GetWindowRect().left, 0);
  EXPECT_EQ(Cell(row, 1)->GetWindowRect().left, 100);
  EXPECT_EQ(Cell(row, 2)->GetWindowRect().left, 180);
  EXPECT_EQ(Cell(row, 2)->GetText(), SStringW(L"2:2"));
  EXPECT_EQ(view->GetItemPanel(2)->GetItemRect().top, 25 + 40);  // below the header

  // Drag title A past C: the header order becomes B, C, A and the cells follow.
  SHeaderCtrl* header = view->GetHeaderCtrl();
  header->SendSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 10));
  header->SendSwndMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(120, 10));
  header->SendSwndMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(235, 10));
  header->SendSwndMessage(WM_LBUTTONUP, 0, MAKELPARAM(235, 10));
  SHeaderItem first;
  header->QueryColumn(0, &first);
  ASSERT_EQ(first.order, 1);
  EXPECT_EQ(Cell(row, 1)->GetWindowRect().left, 0);
  EXPECT_EQ(Cell(row, 2)->GetWindowRect().left, 80);
  EXPECT_EQ(Cell(row, 0)->GetWindowRect().left, 140);
  EXPECT_EQ(Cell(row, 0)->GetText(), SStringW(L"2:0"));

  // A divider drag widens column B (now first): the others shift right.
  header->SendSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(80, 10));
  header->SendSwndMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(110, 10));
  header->SendSwndMessage(WM_LBUTTONUP, 0, MAKELPARAM(110, 10));
  EXPECT_EQ(Cell(row, 1)->GetWindowRect().right, 110);
  EXPECT_EQ(Cell(row, 2)->GetWindowRect().left, 110);
  EXPECT_EQ(row->GetWindowRect().right, 270);
}

TEST_F(McListTest, AHeaderClickSortsThroughTheAdapterWithFlagsByIdentity) {
  SMCListView* view = Make(L"<template itemHeight='20'/>");
  GridAdapter* adapter = Attach(view, 10);
  SHeaderCtrl* header = view->GetHeaderCtrl();
  header->SetItemSort(0, 2);  // A's flag, at identity 0
  // Move A to the end so that positions and identities differ.
  header->SendSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 10));
  header->SendSwndMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(120, 10));
  header->SendSwndMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(235, 10));
  header->SendSwndMessage(WM_LBUTTONUP, 0, MAKELPARAM(235, 10));

  EventHeaderClick click(header);
  click.iItem = 1;  // C, identity 2
  header->RaiseEvent(&click);
  ASSERT_EQ(adapter->sortCalls.size(), 1u);
  EXPECT_EQ(adapter->sortCalls[0].first, 2);
  EXPECT_EQ(adapter->sortCalls[0].second, (std::vector<int>{2, 0, 0}));
  // The adapter's flags go back to the columns; the rows show the new order.
  SHeaderItem c, a;
  header->QueryColumn(1, &c);
  header->QueryColumn(2, &a);
  EXPECT_EQ(c.sortFlag, 1);
  EXPECT_EQ(a.sortFlag, 0);
  EXPECT_EQ(Cell(view->GetItemPanel(0), 0)->GetText(), SStringW(L"9:0"));
}

TEST_F(McListTest, ChangesWhileHiddenAreAppliedOnceOnShow) {
  SMCListView* view = Make(L"<template itemHeight='20'/>");
  GridAdapter* adapter = Attach(view, 10);
  view->SetVisible(FALSE);
  adapter->bound.clear();
  adapter->notifyItemDataChanged(1);
  EXPECT_TRUE(adapter->bound.empty());
  view->SetVisible(TRUE);
  EXPECT_EQ(adapter->bound, std::vector<int>{1});

  view->SetVisible(FALSE);
  adapter->bound.clear();
  adapter->notifyItemDataChanged(1);
  adapter->notifyItemDataChanged(2);
  adapter->n = 3;
  adapter->hiddenColumn = 1;
  view->SetVisible(TRUE);
  EXPECT_EQ(adapter->bound, (std::vector<int>{0, 1, 2}));  // one full rebuild
  EXPECT_FALSE(view->GetHeaderCtrl()->IsItemVisible(1));
  EXPECT_FALSE(Cell(view->GetItemPanel(0), 1)->IsVisible());
  EXPECT_EQ(Cell(view->GetItemPanel(0), 2)->GetWindowRect().left, 100);
}

TEST_F(McListTest, SelectionEventsAndASelectionPastTheNewCount) {
  SMCListView* view = Make(L"<template itemHeight='20'/>");
  GridAdapter* adapter = Attach(view, 10);
  std::vector<int> events;
  view->SubscribeEvent(EventLVSelChanging::EventID, [&](EventArgs* e) { return events.push_back(e->GetId()), true; });
  view->SubscribeEvent(EventLVSelChanged::EventID, [&](EventArgs* e) { return events.push_back(e->GetId()), true; });
  view->SetSel(4, TRUE);
  EXPECT_EQ(events, (std::vector<int>{15100, 15101}));
  EXPECT_TRUE(view->GetItemPanel(4)->GetState() & WndState_Check);
  events.clear();
  view->SetSel(4, TRUE);
  EXPECT_EQ(events, std::vector<int>{15100});  // re-selecting: changing only

  // A vetoed change keeps the old row.
  view->SubscribeEvent(EventLVSelChanging::EventID, [&](EventArgs* e) {
    static_cast<EventLVSelChanging*>(e)->bCancel = TRUE;
    return true;
  });
  view->SetSel(6, TRUE);
  EXPECT_EQ(view->GetSel(), 4);

  // Keys select with the events too.
  view->SetSel(2, FALSE);
  adapter->n = 2;
  adapter->notifyDataSetChanged();
  EXPECT_EQ(view->GetSel(), -1);
}

TEST_F(McListTest, KeysMoveTheSelectionAndScroll) {
  SMCListView* view = Make(L"<template itemHeight='20'/>");
  Attach(view, 100);
  std::vector<int> changed;
  view->SubscribeEvent(EventLVSelChanged::EventID, [&](EventArgs* e) {
    return changed.push_back(static_cast<EventLVSelChanged*>(e)->iNewSel), true;
  });
  view->SetSel(0);
  view->SendSwndMessage(WM_KEYDOWN, VK_DOWN, 0);
  view->SendSwndMessage(WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(view->GetSel(), 99);
  EXPECT_TRUE(view->GetItemPanel(99) != nullptr);
  view->SendSwndMessage(WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(changed, (std::vector<int>{1, 99, 0}));
  EXPECT_EQ(view->GetScrollPos(true), 0);
}

TEST_F(McListTest, FlexibleRowsTakeTheMeasuredHeights) {
  SMCListView* view = Make(L"<template defHeight='40'/>");
  GridAdapter* adapter = Attach(view, 4);
  IListViewItemLocator* locator = view->GetItemLocator();
  ASSERT_FALSE(locator->IsFixHeight());
  EXPECT_EQ(locator->GetHeightOf(0), 10);
  EXPECT_EQ(locator->GetHeightOf(1), 20);
  EXPECT_EQ(locator->GetHeightOf(2), 30);
  EXPECT_EQ(locator->TotalHeight(), 10 + 20 + 30 + 10);
  EXPECT_FALSE(view->HasScrollBar(true));  // 70 px fit in the 100 below the header
  adapter->n = 6;  // 120 px: the range follows the measured rows
  adapter->notifyDataSetChanged();
  EXPECT_TRUE(view->HasScrollBar(true));
  EXPECT_EQ(view->GetBarInfo(true).nMax, 120 - 1);
}

TEST_F(McListTest, ContentWithinABarWidthOfTheHeightAndWiderThanTheViewShowsBothBars) {
  // Rows 5 × 20 = 100 fit the 100 px area exactly, but the horizontal bar
  // the 240 px of columns need takes room from them.
  SMCListView* view = Make(L"<template itemHeight='20'/>", 200, 125);
  Attach(view, 5);
  EXPECT_TRUE(view->HasScrollBar(false));
  EXPECT_TRUE(view->HasScrollBar(true));
  view->HandleScrollCode(false, SB_BOTTOM, 0);
  const int s = view->GetScrollBarWidth();
  EXPECT_EQ(view->GetScrollPos(false), 240 - (200 - s));
  EXPECT_EQ(view->GetHeaderCtrl()->GetWindowRect().left, -(240 - (200 - s)));
  EXPECT_EQ(view->GetItemPanel(0)->GetItemRect().left, -(240 - (200 - s)));

  // Fitting content: no bars at all.
  Attach(view, 4);
  view->DeleteColumn(2);
  EXPECT_FALSE(view->HasScrollBar(false));
  EXPECT_FALSE(view->HasScrollBar(true));
}

}  // namespace
