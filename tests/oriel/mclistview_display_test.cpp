// The multi-column list in a real window over ten thousand rows: wheel,
// thumb drags to the end and the middle, Page Down, End and Home show the
// right rows, each in its own colour and with its own cell texts; panels
// never exceed the rows shown plus one; a click and the arrows select with
// both events. A header click sorts through the adapter (rows in order, the
// mark shown, a second click reverses); a dragged column keeps its cells
// and a divider drag widens them.
#include <algorithm>
#include <numeric>

#include "SwndWindowHost.h"
#include "control/SMCListView.h"
#include "list_test_input.h"

namespace {

constexpr int kX = 200, kY = 150, kW = 320, kH = 300, kHeader = 25, kRow = 30;
constexpr int kCount = 10000;
constexpr int kWidths[3] = {100, 80, 60};

COLORREF RowColor(int item) {
  return 0xFF000000u | static_cast<COLORREF>(item & 0xFF) | ((item >> 8) & 0xFF) << 8 | 0x40u << 16;
}
int ItemOfPixel(unsigned long rgb) {
  const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return b != 0x40 ? -1 : r | g << 8;
}
// Each cell starts with a block in its column's colour.
unsigned long ColumnRgb(int column) { return 0x301190u + 0x500000u * column; }
int Value(int item, int column) {
  return column == 0 ? item : column == 1 ? item * 7919 % kCount : kCount - 1 - item;
}
SStringW CellText(int item, int column) { return SStringW().Format(L"%05d", Value(item, column)); }

// Rows of three cells named by column identity; sorts by a column's values.
class GridAdapter : public TObjRefImpl<LvAdatperImpl<IMcAdapter>> {
 public:
  GridAdapter() : order(kCount) { std::iota(order.begin(), order.end(), 0); }
  ~GridAdapter() override { ReleaseObservers(); }
  int GetCount() override { return kCount; }
  void BindItemView(int position, SWindow* item, pugi::xml_node) override {
    if (!item->FindDescendantByName(SStringW(L"c0"))) {
      for (int c = 0; c < 3; ++c)
        item->CreateChildrenFromString(SStringW().Format(
            L"<window name='c%d'><window pos='0,0,12,-0' colorBkgnd='#%06x'/></window>", c,
            static_cast<unsigned>(ColumnRgb(c))));
    }
    static_cast<SItemPanel*>(item)->SetColor(RowColor(order[position]), 0xFF800000);
    for (int c = 0; c < 3; ++c)
      item->FindDescendantByName(SStringW().Format(L"c%d", c))->SetText(CellText(order[position], c));
  }
  SStringW GetColumnName(int column) const override { return SStringW().Format(L"c%d", column); }
  bool IsColumnVisible(int) const override { return true; }
  bool SortByColumn(int column, int* flags, int count) override {
    if (column < 0 || column >= count) return false;
    const int flag = flags[column] == 1 ? 2 : 1;
    for (int i = 0; i < count; ++i) flags[i] = i == column ? flag : 0;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      return flag == 1 ? Value(a, column) < Value(b, column) : Value(a, column) > Value(b, column);
    });
    ++sorts;
    return true;
  }
  std::vector<int> order;
  int sorts = 0;
};

class McListViewDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new SwndWindowHost(kX, kY, kW, kH);
    host->wheelToHover = TRUE;
    host->CreateChildrenFromString(
        L"<mclistview pos='0,0,-0,-0' headerHeight='25'><header sortSkin='_skin.sys.tree.toggle'/>"
        L"<template itemHeight='30' colorHover='#00ffffff'/></mclistview>");
    view = static_cast<SMCListView*>(host->GetRelative(GSW_FIRSTCHILD));
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->GetHeaderCtrl(), nullptr);
    view->InsertColumn(0, SStringW(L"Id"), kWidths[0]);
    view->InsertColumn(1, SStringW(L"Mixed"), kWidths[1]);
    view->InsertColumn(2, SStringW(L"Down"), kWidths[2]);
    ShowWindow(host->Hwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    adapter = new GridAdapter;
    ASSERT_TRUE(view->SetAdapter(adapter));
    ASSERT_TRUE(view->HasScrollBar(true));
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(SWM_DESTROY);
      host->Release();
    }
    if (adapter) adapter->Release();
    OrielAppTest::TearDown();
  }
  unsigned long At(int x, int y) { return screenPixel(kX + x, kY + y); }
  int ListHeight() const { return kH - kHeader - (view->HasScrollBar(false) ? view->GetScrollBarWidth() : 0); }
  // Every row on screen shows its own item: its colour right in each cell,
  // each cell's column block at the cell's left, and its texts.
  ::testing::AssertionResult RowsMatch() {
    const int pos = view->GetScrollPos(true);
    for (int y = kHeader + 4; y < kHeader + ListHeight() - 3; y += 7) {
      const int index = (pos + y - kHeader) / kRow;
      if (index >= kCount) break;
      if (index == view->GetSel()) continue;
      const int item = adapter->order[index];
      SItemPanel* panel = view->GetItemPanel(index);
      if (!panel) return ::testing::AssertionFailure() << "no panel for row " << index;
      const int left = panel->GetItemRect().left;
      for (int c = 0; c < 3; ++c) {
        SWindow* cell = panel->FindDescendantByName(SStringW().Format(L"c%d", c));
        const RECT rc = cell->GetWindowRect();
        const int seen = ItemOfPixel(At(left + rc.right - 4, y));
        if (seen != item)
          return ::testing::AssertionFailure() << "row " << index << " column " << c << " shows " << seen << ", not " << item;
        const unsigned long block = At(left + rc.left + 4, y);
        if (block != ColumnRgb(c))
          return ::testing::AssertionFailure() << "row " << index << " column " << c << " block " << std::hex << block;
        if (cell->GetText() != CellText(item, c))
          return ::testing::AssertionFailure() << "row " << index << " column " << c << " text";
      }
    }
    return ::testing::AssertionSuccess();
  }
  bool ShowsRows() { return pumpUntil([&] { return static_cast<bool>(RowsMatch()); }); }
  void Drag(int fromX, int fromY, int toX, int toY) {
    moveMouse(kX + fromX, kY + fromY);
    pumpFor(50);
    PressButton(1, true);
    pumpFor(50);
    moveMouse(kX + (fromX + toX) / 2, kY + (fromY + toY) / 2);
    pumpFor(50);
    moveMouse(kX + toX, kY + toY);
    pumpFor(100);
    PressButton(1, false);
    pumpFor(50);
  }
  void DragThumbTo(int y) {
    const RECT thumb = view->GetPartRect(true, SPanel::kPartThumb);
    const int x = (thumb.left + thumb.right) / 2;
    Drag(x, (thumb.top + thumb.bottom) / 2, x, y);
  }
  int Page() const { return static_cast<int>(view->GetBarInfo(true).nPage); }
  int MaxPanels() const { return (ListHeight() + kRow - 1) / kRow + 1; }
  std::vector<unsigned long> Pixels(const RECT& rc) {
    std::vector<unsigned long> px;
    for (int y = rc.top; y < rc.bottom; ++y)
      for (int x = rc.left; x < rc.right; ++x) px.push_back(At(x, y));
    return px;
  }
  SwndWindowHost* host = nullptr;
  SMCListView* view = nullptr;
  GridAdapter* adapter = nullptr;
};

TEST_F(McListViewDisplayTest, TenThousandRowsScrollByWheelThumbAndKeysAndSelect) {
  const int total = kCount * kRow;
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();

  moveMouse(kX + 60, kY + 100);
  clickButton(Button5);
  ASSERT_TRUE(pumpUntil([&] { return view->GetScrollPos(true) > 0; }));
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();

  DragThumbTo(kH + 200);
  ASSERT_TRUE(pumpUntil([&] { return view->GetScrollPos(true) == total - Page(); })) << view->GetScrollPos(true);
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  EXPECT_EQ(ItemOfPixel(At(kWidths[0] - 4, kHeader + ListHeight() - 5)), kCount - 1);

  const RECT bar = view->GetBarRect(true);
  DragThumbTo((bar.top + bar.bottom) / 2);
  ASSERT_TRUE(pumpUntil([&] { return view->GetBarInfo(true).nTrackPos == -1; }));
  EXPECT_NEAR(view->GetFirstVisible(), kCount / 2, 300);
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  EXPECT_LE(view->GetVisibleCount(), MaxPanels());

  // A click and the arrows select with both events.
  std::vector<int> events;
  view->SubscribeEvent(EventLVSelChanging::EventID, [&](EventArgs* e) { return events.push_back(e->GetId()), true; });
  view->SubscribeEvent(EventLVSelChanged::EventID, [&](EventArgs* e) { return events.push_back(e->GetId()), true; });
  const int y = kHeader + 2 * kRow;
  const int under = (view->GetScrollPos(true) + y + 10 - kHeader) / kRow;
  moveMouse(kX + 150, kY + y + 10);
  pumpFor(30);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == under; })) << view->GetSel() << " " << under;
  EXPECT_EQ(events, (std::vector<int>{15100, 15101}));
  EXPECT_TRUE(pumpUntil([&] { return At(kWidths[0] - 4, y + 10) == 0x000080; })) << "the selected row's colour";
  tapKey(XK_Down);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == under + 1; }));
  EXPECT_EQ(events, (std::vector<int>{15100, 15101, 15100, 15101}));

  // Page Down moves a page on, End to the last row, Home to the first.
  tapKey(XK_Next);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() > under + 5; })) << view->GetSel();
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  ASSERT_NE(view->GetItemPanel(view->GetSel()), nullptr) << "the selected row shows";
  tapKey(XK_End);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == kCount - 1 && view->GetScrollPos(true) == total - Page(); }))
      << view->GetSel() << " " << view->GetScrollPos(true);
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  tapKey(XK_Home);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == 0 && view->GetScrollPos(true) == 0; }));
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  EXPECT_LE(view->GetPanelCount(), MaxPanels());
  EXPECT_LE(view->GetVisibleCount(), MaxPanels());
}

TEST_F(McListViewDisplayTest, HeaderClicksSortAndColumnsMoveAndWidenWithTheirCells) {
  SHeaderCtrl* header = view->GetHeaderCtrl();
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  const RECT title = header->GetColumnRect(1);
  const RECT markArea{title.right - 20, title.top + 2, title.right - 1, title.bottom - 2};
  const std::vector<unsigned long> unmarked = Pixels(markArea);

  // A click on "Mixed" sorts by its values, up; the mark shows.
  moveMouse(kX + (title.left + title.right) / 2, kY + kHeader / 2);
  pumpFor(30);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return adapter->sorts == 1; }));
  for (int p = 0; p < 20; ++p) ASSERT_EQ(Value(adapter->order[p], 1), p);
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  std::vector<unsigned long> up;
  EXPECT_TRUE(pumpUntil([&] { return (up = Pixels(markArea)) != unmarked; })) << "the sort mark shows";
  EXPECT_EQ(view->GetItemPanel(0)->FindDescendantByName(SStringW(L"c1"))->GetText(), SStringW(L"00000"));

  // A second click reverses.
  pumpFor(600);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return adapter->sorts == 2; }));
  for (int p = 0; p < 20; ++p) ASSERT_EQ(Value(adapter->order[p], 1), kCount - 1 - p);
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  EXPECT_TRUE(pumpUntil([&] {
    const auto now = Pixels(markArea);
    return now != up && now != unmarked;
  })) << "the mark turns";

  // Drag "Id" past "Down": the order becomes Mixed, Down, Id, the cells with it.
  pumpFor(600);
  Drag(50, kHeader / 2, 235, kHeader / 2);
  SHeaderItem first;
  ASSERT_TRUE(pumpUntil([&] { return header->QueryColumn(0, &first) && first.order == 1; })) << first.order;
  EXPECT_EQ(adapter->sorts, 2) << "a drag is not a click";
  SItemPanel* row = view->GetItemPanel(view->GetFirstVisible());
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->FindDescendantByName(SStringW(L"c1"))->GetWindowRect().left, 0);
  EXPECT_EQ(row->FindDescendantByName(SStringW(L"c0"))->GetWindowRect().left, kWidths[1] + kWidths[2]);
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  EXPECT_EQ(At(4, kHeader + 10), ColumnRgb(1));
  EXPECT_EQ(At(kWidths[1] + kWidths[2] + 4, kHeader + 10), ColumnRgb(0));

  // Drag the divider after "Mixed" 30 px right: its cells widen, the rest shift.
  pumpFor(600);
  Drag(kWidths[1], kHeader / 2, kWidths[1] + 30, kHeader / 2);
  ASSERT_TRUE(pumpUntil([&] { return row->FindDescendantByName(SStringW(L"c1"))->GetWindowRect().right == kWidths[1] + 30; }))
      << row->FindDescendantByName(SStringW(L"c1"))->GetWindowRect().right;
  EXPECT_EQ(row->FindDescendantByName(SStringW(L"c2"))->GetWindowRect().left, kWidths[1] + 30);
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  EXPECT_EQ(At(kWidths[1] + 30 + 4, kHeader + 10), ColumnRgb(2));
  EXPECT_EQ(adapter->sorts, 2);
}

}  // namespace
