// The report list and the tree control, which own their items and paint
// them, in a real window. Report list, 10,000 rows x 3 columns: wheel and
// thumb scroll the painted rows; a click, a Ctrl-click and a Shift-click
// select with 13000 and 13001 and the selected rows show the selection
// colour where they are; a header click, answered by the owner with
// SortItems, sorts by that column. Tree control, 10,000 items: toggle
// clicks expand and collapse, check clicks spread on screen (the parent's
// box shows neither checked nor unchecked when partly checked), and clicks
// select with 15000 and 15001.
#include <algorithm>
#include <cwchar>

#include "list_present_host.h"
#include "control/SHeaderCtrl.h"
#include "control/SListCtrl.h"
#include "control/STreeCtrl.h"
#include "list_test_input.h"

namespace {

constexpr int kX = 200, kY = 150, kW = 320, kH = 300;
constexpr unsigned long kSelRgb = 0x3991D1;  // colorItemSelBkgnd on screen

class OwnedItemsDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    // Both redraw single rows at once: the host shows those at the next blit.
    host = new ListPresentHost(kX, kY, kW, kH);
    host->wheelToHover = TRUE;
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(SWM_DESTROY);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  void Show() {
    ShowWindow(host->Hwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
  }
  unsigned long At(int x, int y) { return screenPixel(kX + x, kY + y); }
  void ClickAt(int x, int y, KeySym modifier = 0) {
    pumpFor(600);  // apart from the last click: no double click
    moveMouse(kX + x, kY + y);
    pumpFor(30);
    if (modifier) pressKey(modifier);
    clickButton(1);
    if (modifier) releaseKey(modifier);
    pumpFor(50);
  }
  ListPresentHost* host = nullptr;
};

int CompareColumn(void* context, const void* a, const void* b) {
  const int column = *static_cast<int*>(context);
  const auto* x = static_cast<const DXLVITEM*>(a);
  const auto* y = static_cast<const DXLVITEM*>(b);
  return std::wcscmp((*x->arSubItems)[column].text.c_str(), (*y->arSubItems)[column].text.c_str());
}

TEST_F(OwnedItemsDisplayTest, ReportListScrollsSelectsAndSortsThroughItsOwner) {
  host->CreateChildrenFromString(
      L"<listctrl pos='0,0,-0,-0' multiSelection='1' colorItemBkgnd2='#ffffff'><header/></listctrl>");
  auto* list = static_cast<SListCtrl*>(host->GetRelative(GSW_FIRSTCHILD));
  ASSERT_NE(list, nullptr);
  list->InsertColumn(0, SStringW(L"Name"), 100);
  list->InsertColumn(1, SStringW(L"Reverse"), 100);
  list->InsertColumn(2, SStringW(L"Mixed"), 80);
  constexpr int kRows = 10000;
  for (int i = 0; i < kRows; ++i) {
    list->InsertItem(-1, SStringW().Format(L"%05d", i));
    list->SetSubItemText(i, 1, SStringW().Format(L"%05d", kRows - 1 - i));
    list->SetSubItemText(i, 2, SStringW().Format(L"%05d", (i * 7919) % kRows));
  }
  // The owner sorts when a column title is clicked.
  int sortedBy = -1;
  list->GetHeaderCtrl()->SubscribeEvent(EventHeaderClick::EventID, [&](EventArgs* e) {
    int column = static_cast<EventHeaderClick*>(e)->iItem;
    sortedBy = column;
    list->SortItems(&CompareColumn, &column);
    return true;
  });
  std::vector<std::vector<int>> events;
  list->SubscribeEvent(EventLCSelChanging::EventID, [&](EventArgs* e) {
    auto* c = static_cast<EventLCSelChanging*>(e);
    events.push_back({c->GetId(), c->nOldSel, c->nNewSel});
    return true;
  });
  list->SubscribeEvent(EventLCSelChanged::EventID, [&](EventArgs* e) {
    auto* c = static_cast<EventLCSelChanged*>(e);
    events.push_back({c->GetId(), c->nOldSel, c->nNewSel});
    return true;
  });
  Show();
  const int top = list->GetListRect().top;
  const int line = 20;
  // The middle of a row on screen, as the list's own hit test places it.
  auto rowY = [&](int row) {
    for (int y = top; y < kH; ++y)
      if (list->HitTest(POINT{60, y}) == row) return y + line / 2;
    return -100;
  };
  ASSERT_TRUE(list->HasScrollBar(true));

  // Wheel: three rows down.
  moveMouse(kX + 60, kY + 100);
  for (int i = 0; i < 3; ++i) clickButton(Button5);
  ASSERT_TRUE(pumpUntil([&] { return list->GetTopIndex() > 0; })) << list->GetTopIndex();
  pumpFor(300);  // every notch in
  const int afterWheel = list->GetTopIndex();

  // A click selects the row under it, painted in the selection colour.
  const int clickedRow = afterWheel + 2;
  ClickAt(60, rowY(clickedRow));
  ASSERT_TRUE(pumpUntil([&] { return list->GetSelectedItem() == clickedRow; })) << list->GetSelectedItem();
  EXPECT_EQ(events, (std::vector<std::vector<int>>{{13000, -1, clickedRow}, {13001, -1, clickedRow}}));
  EXPECT_TRUE(pumpUntil([&] { return At(60, rowY(clickedRow)) == kSelRgb; })) << std::hex << At(60, rowY(clickedRow));
  EXPECT_EQ(At(60, rowY(clickedRow + 1)), 0xFFFFFFu);
  EXPECT_EQ(list->GetSubItemText(list->HitTest(POINT{60, rowY(clickedRow)}), 0), SStringW().Format(L"%05d", clickedRow));

  // Ctrl adds a row; Shift takes the range from the selected row.
  events.clear();
  ClickAt(60, rowY(clickedRow + 4), XK_Control_L);
  ASSERT_TRUE(pumpUntil([&] { return list->GetCheckState(clickedRow + 4); }));
  EXPECT_TRUE(list->GetCheckState(clickedRow));
  EXPECT_EQ(events.size(), 2u);
  ClickAt(60, rowY(clickedRow + 7), XK_Shift_L);
  ASSERT_TRUE(pumpUntil([&] { return list->GetCheckedItemCount() == 4; })) << list->GetCheckedItemCount();
  for (int r = clickedRow + 4; r <= clickedRow + 7; ++r) EXPECT_TRUE(list->GetCheckState(r)) << r;
  EXPECT_TRUE(pumpUntil([&] {
    for (int r = clickedRow; r <= clickedRow + 8; ++r) {
      const bool flagged = r >= clickedRow + 4 && r <= clickedRow + 7;
      if ((At(60, rowY(r)) == kSelRgb) != flagged) return false;
    }
    return true;
  }));
  EXPECT_EQ(events.size(), 4u);
  EXPECT_EQ(events.back()[0], 13001);

  // The thumb to the end of the rail: the last row at the bottom.
  RECT thumb = list->GetPartRect(true, SPanel::kPartThumb);
  moveMouse(kX + (thumb.left + thumb.right) / 2, kY + (thumb.top + thumb.bottom) / 2);
  pumpFor(50);
  PressButton(1, true);
  pumpFor(50);
  moveMouse(kX + (thumb.left + thumb.right) / 2, kY + kH + 200);
  pumpFor(100);
  PressButton(1, false);
  ASSERT_TRUE(pumpUntil([&] { return list->HitTest(POINT{60, top + (kH - top) - 12}) == kRows - 1; }))
      << list->GetTopIndex();
  list->SetSelectedItem(kRows - 1);
  EXPECT_TRUE(pumpUntil([&] { return At(60, kH - 12) == kSelRgb; }));

  // A click on the third column's title sorts by it.
  const RECT third = list->GetItemRect(0, 2);
  ClickAt(third.left + 20, 10);
  ASSERT_TRUE(pumpUntil([&] { return sortedBy == 2; }));
  for (int i = 0; i + 1 < kRows; i += 97)
    ASSERT_LT(list->GetSubItemText(i, 2), list->GetSubItemText(i + 1, 2)) << i;
  // Rows kept their texts together: column 0 and column 1 still add up.
  for (int i = 0; i < kRows; i += 101) {
    const int a = std::wcstol(list->GetSubItemText(i, 0).c_str(), nullptr, 10);
    const int b = std::wcstol(list->GetSubItemText(i, 1).c_str(), nullptr, 10);
    ASSERT_EQ(a + b, kRows - 1) << i;
  }
  EXPECT_EQ(list->GetSelectedItem(), -1);
}

TEST_F(OwnedItemsDisplayTest, TreeControlTogglesSpreadsChecksAndSelects) {
  host->CreateChildrenFromString(L"<treectrl pos='0,0,-0,-0' checkBox='1'/>");
  auto* tree = static_cast<STreeCtrl*>(host->GetRelative(GSW_FIRSTCHILD));
  ASSERT_NE(tree, nullptr);
  std::vector<HSTREEITEM> branches;
  for (int b = 0; b < 100; ++b) {
    const HSTREEITEM branch = tree->InsertItem(SStringW().Format(L"branch %d", b));
    branches.push_back(branch);
    for (int l = 0; l < 99; ++l) tree->InsertItem(SStringW().Format(L"leaf %d.%d", b, l), branch);
    tree->Expand(branch, STreeCtrl::TVE_COLLAPSE);
  }
  ASSERT_EQ(tree->GetVisibleRowCount(), 100);
  std::vector<int> events;
  for (int id : {15000, 15001, 15002, 15003})
    tree->SubscribeEvent(id, [&](EventArgs* e) { return events.push_back(e->GetId()), true; });
  Show();
  const int h = tree->GetItemHeight();
  auto partCentre = [&](HSTREEITEM item, int part) {
    RECT row{};
    EXPECT_TRUE(tree->GetItemRect(item, &row));
    const RECT p = tree->GetPartRect(part);
    return POINT{row.left + (p.left + p.right) / 2, row.top + (p.top + p.bottom) / 2};
  };
  auto boxOf = [&](HSTREEITEM item) {
    const POINT c = partCentre(item, STreeCtrl::kPartCheck);
    std::vector<unsigned long> px;
    for (int y = c.y - 4; y <= c.y + 4; ++y)
      for (int x = c.x - 4; x <= c.x + 4; ++x) px.push_back(At(x, y));
    return px;
  };

  // The toggle of the second branch opens it.
  POINT t = partCentre(branches[1], STreeCtrl::kPartToggle);
  ClickAt(t.x, t.y);
  ASSERT_TRUE(pumpUntil([&] { return tree->GetVisibleRowCount() == 199; }));
  EXPECT_EQ(tree->GetSelectedItem(), branches[1]);
  EXPECT_EQ(events, (std::vector<int>{15000, 15001, 15002}));
  HSTREEITEM leaf0 = tree->GetChildItem(branches[1], true);
  HSTREEITEM leaf1 = tree->GetNextSiblingItem(leaf0);
  RECT leafRow{};
  ASSERT_TRUE(tree->GetItemRect(leaf1, &leafRow));

  // Checking a leaf makes its branch partly checked, on screen too.
  auto pointerAway = [&] {
    moveMouse(kX + kW + 60, kY + kH + 60);
    pumpFor(100);
  };
  pointerAway();
  const std::vector<unsigned long> unchecked = boxOf(leaf1);
  const POINT c = partCentre(leaf0, STreeCtrl::kPartCheck);
  events.clear();
  ClickAt(c.x, c.y);
  pointerAway();
  ASSERT_TRUE(pumpUntil([&] { return tree->GetCheckValue(leaf0) == 1; }));
  EXPECT_EQ(tree->GetCheckValue(branches[1]), 2);
  EXPECT_EQ(events, (std::vector<int>{15000, 15001, 15003}));
  std::vector<unsigned long> checked;
  ASSERT_TRUE(pumpUntil([&] { return (checked = boxOf(leaf0)) != unchecked; }));
  // The partly-checked box is neither the empty nor the checked one.
  std::vector<unsigned long> partly;
  EXPECT_TRUE(pumpUntil([&] { return (partly = boxOf(branches[1])) != unchecked; })) << "the parent's box is no longer empty";
  EXPECT_NE(partly, checked) << "a partly-checked box must not look checked";
  // Under the pointer a checked box stays checked: neither partly nor empty.
  moveMouse(kX + c.x, kY + c.y);
  std::vector<unsigned long> hovered;
  EXPECT_TRUE(pumpUntil([&] { return (hovered = boxOf(leaf0)) != checked; })) << "the hovered box changes";
  EXPECT_NE(hovered, partly) << "a hovered checked box must not look partly checked";
  EXPECT_NE(hovered, unchecked);
  pointerAway();

  // Checking the branch checks every leaf; its box then looks checked.
  const POINT bc = partCentre(branches[1], STreeCtrl::kPartCheck);
  ClickAt(bc.x, bc.y);
  pointerAway();
  ASSERT_TRUE(pumpUntil([&] { return tree->GetCheckValue(branches[1]) == 1; }));
  for (HSTREEITEM l = tree->GetChildItem(branches[1], true); l; l = tree->GetNextSiblingItem(l))
    ASSERT_EQ(tree->GetCheckValue(l), 1);
  EXPECT_TRUE(pumpUntil([&] { return boxOf(leaf1) == checked; })) << "the spread check shows on the leaves";
  EXPECT_NE(boxOf(branches[1]), unchecked);

  // A click on a row's text selects it; the toggle closes the branch again.
  events.clear();
  RECT row{};
  ASSERT_TRUE(tree->GetItemRect(branches[0], &row));
  ClickAt(row.left + tree->GetPartRect(STreeCtrl::kPartCheck).right + 30, row.top + h / 2);
  ASSERT_TRUE(pumpUntil([&] { return tree->GetSelectedItem() == branches[0]; }));
  EXPECT_EQ(events, (std::vector<int>{15000, 15001}));
  t = partCentre(branches[1], STreeCtrl::kPartToggle);
  ClickAt(t.x, t.y);
  ASSERT_TRUE(pumpUntil([&] { return tree->GetVisibleRowCount() == 100; }));
}

}  // namespace
