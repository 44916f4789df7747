// The tree view in a real window over 100 branches of 100 leaves: wheel,
// thumb drags to the end and the middle, Page Down, End and Home show the
// right rows, each in its own colour and with its own text; panels stay
// within the rows shown plus one; a click and the arrows select with both
// events; a double click and Right/Left expand and collapse a branch, Left
// on a leaf moves up, and EnsureVisible opens the ancestors of a deep item.
#include "SwndWindowHost.h"
#include "control/STreeView.h"
#include "list_test_input.h"
#include "treeview_fake_tree.h"

namespace {

// Rows as high as the locator counts a row not yet measured, so that the
// totals are known before every row was on screen.
constexpr int kX = 200, kY = 150, kW = 300, kH = 300, kRow = 50, kIndent = 16;
// Right of the rows' texts, left of the bar.
constexpr int kSampleX = 230;

COLORREF RowColor(HSTREEITEM i) {
  return 0xFF000000u | static_cast<COLORREF>(i & 0xFF) | ((i >> 8) & 0xFF) << 8 | 0x40u << 16;
}
long ItemOfPixel(unsigned long rgb) {
  const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return b != 0x40 ? -1 : r | g << 8;
}

// Each row filled with a colour that names its item.
class ColourTree : public FakeTree {
 public:
  void BindItemView(HSTREEITEM item, SWindow* panel, pugi::xml_node tpl) override {
    FakeTree::BindItemView(item, panel, tpl);
    static_cast<SItemPanel*>(panel)->SetColor(RowColor(item), 0xFF800000);
  }
};

class TreeViewDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new SwndWindowHost(kX, kY, kW, kH);
    host->wheelToHover = TRUE;
    host->CreateChildrenFromString(
        L"<treeview pos='0,0,-0,-0' indent='16'><template colorHover='#00ffffff'/></treeview>");
    view = static_cast<STreeView*>(host->GetRelative(GSW_FIRSTCHILD));
    ASSERT_NE(view, nullptr);
    tree = new ColourTree;
    tree->rowHeight = kRow;
    for (int b = 0; b < 100; ++b) {
      const HSTREEITEM branch = tree->Add(ITEM_ROOT);
      branches.push_back(branch);
      for (int l = 0; l < 100; ++l) tree->Add(branch);
    }
    ShowWindow(host->Hwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    ASSERT_TRUE(view->SetAdapter(tree));
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(SWM_DESTROY);
      host->Release();
    }
    tree->Release();
    OrielAppTest::TearDown();
  }
  unsigned long At(int x, int y) { return screenPixel(kX + x, kY + y); }
  // The rows that show, in order, walked over the test's own tree.
  std::vector<HSTREEITEM> Rows() const {
    std::vector<HSTREEITEM> rows;
    for (HSTREEITEM b : branches) {
      rows.push_back(b);
      if (tree->At(b).expanded)
        for (HSTREEITEM l : tree->At(b).children) rows.push_back(l);
    }
    return rows;
  }
  // Every row on screen shows its own item, as colour and as text.
  ::testing::AssertionResult RowsMatch() {
    const std::vector<HSTREEITEM> rows = Rows();
    const int pos = view->GetScrollPos(true);
    for (int y = 5; y < kH - 3; y += 7) {
      const size_t index = static_cast<size_t>((pos + y) / kRow);
      if (index >= rows.size()) break;
      const HSTREEITEM item = rows[index];
      if (item == view->GetSel()) continue;
      const long seen = ItemOfPixel(At(kSampleX, y));
      if (seen != static_cast<long>(item))
        return ::testing::AssertionFailure() << "y " << y << " shows " << seen << ", not " << item;
      SItemPanel* panel = view->GetItemPanel(item);
      if (!panel) return ::testing::AssertionFailure() << "no panel for " << item;
      if (panel->FindDescendantByName(SStringW(L"text"))->GetText() != SStringW().Format(L"item %d", static_cast<int>(item)))
        return ::testing::AssertionFailure() << "item " << item << " text";
    }
    return ::testing::AssertionSuccess();
  }
  bool ShowsRows() { return pumpUntil([&] { return static_cast<bool>(RowsMatch()); }); }
  void DragThumbTo(int y) {
    const RECT thumb = view->GetPartRect(true, SPanel::kPartThumb);
    const int x = (thumb.left + thumb.right) / 2;
    moveMouse(kX + x, kY + (thumb.top + thumb.bottom) / 2);
    pumpFor(50);
    PressButton(1, true);
    pumpFor(50);
    moveMouse(kX + x, kY + y);
    pumpFor(100);
    PressButton(1, false);
  }
  int MaxPanels() const { return (kH + kRow - 1) / kRow + 1 + 1; }
  SwndWindowHost* host = nullptr;
  STreeView* view = nullptr;
  ColourTree* tree = nullptr;
  std::vector<HSTREEITEM> branches;
};

TEST_F(TreeViewDisplayTest, TenThousandRowsScrollByWheelThumbAndKeys) {
  const int total = 10100 * kRow;
  ASSERT_TRUE(pumpUntil([&] { return view->GetItemLocator()->GetTotalHeight() == total; }));
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();

  moveMouse(kX + 60, kY + 100);
  clickButton(Button5);
  ASSERT_TRUE(pumpUntil([&] { return view->GetScrollPos(true) > 0; }));
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();

  DragThumbTo(kH + 200);
  ASSERT_TRUE(pumpUntil([&] { return view->GetScrollPos(true) == total - static_cast<int>(view->GetBarInfo(true).nPage); }))
      << view->GetScrollPos(true);
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  EXPECT_EQ(ItemOfPixel(At(kSampleX, kH - 5)), static_cast<long>(tree->At(branches[99]).children.back()));

  const RECT bar = view->GetBarRect(true);
  DragThumbTo((bar.top + bar.bottom) / 2);
  ASSERT_TRUE(pumpUntil([&] { return view->GetBarInfo(true).nTrackPos == -1; }));
  EXPECT_NEAR(view->GetScrollPos(true) / kRow, 5050, 300);
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();

  // A click and the arrows select with both events.
  std::vector<int> events;
  view->SubscribeEvent(EventTVSelChanging::EventID, [&](EventArgs* e) { return events.push_back(e->GetId()), true; });
  view->SubscribeEvent(EventTVSelChanged::EventID, [&](EventArgs* e) { return events.push_back(e->GetId()), true; });
  const std::vector<HSTREEITEM> rows = Rows();
  const HSTREEITEM under = rows[(view->GetScrollPos(true) + 45) / kRow];
  moveMouse(kX + 60, kY + 45);
  pumpFor(30);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == under; })) << view->GetSel() << " " << under;
  EXPECT_EQ(events, (std::vector<int>{14000, 14001}));
  EXPECT_TRUE(pumpUntil([&] { return At(kSampleX, 45) == 0x000080; }));
  tapKey(XK_Down);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == tree->GetNextVisibleItem(under); }));
  EXPECT_EQ(events.size(), 4u);

  // Page Down, End and Home scroll; the selection stays.
  const HSTREEITEM selected = view->GetSel();
  const int before = view->GetScrollPos(true);
  tapKey(XK_Next);
  ASSERT_TRUE(pumpUntil([&] { return view->GetScrollPos(true) == before + static_cast<int>(view->GetBarInfo(true).nPage); }));
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  tapKey(XK_End);
  ASSERT_TRUE(pumpUntil([&] { return view->GetScrollPos(true) == total - static_cast<int>(view->GetBarInfo(true).nPage); }));
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  tapKey(XK_Home);
  ASSERT_TRUE(pumpUntil([&] { return view->GetScrollPos(true) == 0; }));
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  EXPECT_EQ(view->GetSel(), selected);
  EXPECT_LE(view->GetPanelCount(), MaxPanels());
  EXPECT_LE(view->GetVisibleCount(), MaxPanels());
}

TEST_F(TreeViewDisplayTest, DoubleClicksAndArrowsExpandAndCollapseAndEnsureVisibleOpensTheWay) {
  for (HSTREEITEM b : branches) tree->ExpandItem(b, TVC_COLLAPSE);
  ASSERT_TRUE(pumpUntil([&] { return view->GetItemLocator()->GetTotalHeight() == 100 * kRow; }));
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();

  // A double click on the second branch opens it, a second one closes it.
  auto doubleClickRow = [&](int row) {
    pumpFor(600);
    moveMouse(kX + 60, kY + row * kRow + 10);
    pumpFor(30);
    clickButton(1);
    clickButton(1);
  };
  doubleClickRow(1);
  ASSERT_TRUE(pumpUntil([&] { return tree->At(branches[1]).expanded; }));
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  EXPECT_EQ(ItemOfPixel(At(kSampleX, 2 * kRow + 10)), static_cast<long>(tree->At(branches[1]).children[0]));
  doubleClickRow(1);
  ASSERT_TRUE(pumpUntil([&] { return !tree->At(branches[1]).expanded; }));
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();

  // Right opens the selected branch, Left on a leaf moves up, Left closes.
  ASSERT_EQ(view->GetSel(), branches[1]);
  tapKey(XK_Right);
  ASSERT_TRUE(pumpUntil([&] { return tree->At(branches[1]).expanded; }));
  tapKey(XK_Right);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == tree->At(branches[1]).children[0]; }));
  tapKey(XK_Down);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == tree->At(branches[1]).children[1]; }));
  tapKey(XK_Left);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == tree->At(branches[1]).children[0]; }));
  tapKey(XK_Left);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == branches[1]; }));
  tapKey(XK_Left);
  ASSERT_TRUE(pumpUntil([&] { return !tree->At(branches[1]).expanded; }));
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();

  // A leaf deep in a closed branch: its branch opens and it shows.
  const HSTREEITEM deep = tree->At(branches[70]).children[60];
  view->EnsureVisible(deep);
  EXPECT_TRUE(tree->At(branches[70]).expanded);
  ASSERT_NE(view->GetItemPanel(deep), nullptr);
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  const int y = view->GetItemLocator()->ItemToPosition(deep) - view->GetScrollPos(true);
  ASSERT_GE(y, 0);
  ASSERT_LE(y + kRow, kH);
  EXPECT_EQ(ItemOfPixel(At(kSampleX, y + 10)), static_cast<long>(deep));
}

}  // namespace
