// The report list headless: rows need columns, the selection steps with
// Ctrl, Shift and the check box, sorting keeps texts with their rows, and
// the mended edges (last column, check redraw, hit test, text copy).
#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SListCtrl.h"

#include <functional>
#include <string>

namespace {

// Modifier keys as the test sets them, instead of the keyboard's.
class KeyedListCtrl : public SListCtrl {
 public:
  bool ctrl = false;
  bool shift = false;

 protected:
  bool IsKeyDown(int vk) const override { return vk == VK_CONTROL ? ctrl : vk == VK_SHIFT ? shift : false; }
};

class ListCtrlTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new SwndTestHost(400, 300);
    list = new KeyedListCtrl;
    host->AttachChild(list);
    SXmlDoc doc;
    ASSERT_TRUE(doc.load_string("<listctrl pos='0,0,300,220'><header/></listctrl>"));
    list->LoadXmlNode(doc.first_child());
    host->ApplyLayout();
    ASSERT_NE(list->GetHeaderCtrl(), nullptr);
  }
  void TearDown() override {
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    OrielAppTest::TearDown();
  }
  void Fill(int rows) {
    list->InsertColumn(0, SStringW(L"Name"), 100);
    list->InsertColumn(1, SStringW(L"Size"), 80);
    for (int i = 0; i < rows; ++i) {
      SStringW a, b;
      a.Format(L"row%d", i);
      b.Format(L"%d", (i * 7) % rows);
      list->InsertItem(-1, a);
      list->SetSubItemText(i, 1, b);
    }
  }
  std::vector<int> Flagged() const {
    std::vector<int> out;
    for (int i = 0; i < list->GetItemCount(); ++i)
      if (list->GetCheckState(i)) out.push_back(i);
    return out;
  }
  void Click(int row, int x = 150) {
    const RECT area = list->GetListRect();
    const int y = area.top + row * 20 + 10;
    list->SendSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    list->SendSwndMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  SwndTestHost* host = nullptr;
  KeyedListCtrl* list = nullptr;
};

TEST_F(ListCtrlTest, WithoutColumnsThereAreNoRows) {
  EXPECT_EQ(list->InsertItem(0, SStringW(L"x")), -1);
  EXPECT_EQ(list->GetItemCount(), 0);
  list->InsertColumn(0, SStringW(L"A"), 50);
  EXPECT_EQ(list->InsertItem(7, SStringW(L"x")), 0);  // past the end appends
  EXPECT_EQ(list->GetItemCount(), 1);
}

TEST_F(ListCtrlTest, DeletingTheLastColumnDeletesTheRowsItAnnounces) {
  Fill(3);
  std::vector<int> deleted;
  list->SubscribeEvent(EventLCItemDeleted::EventID, [&](EventArgs* e) {
    return deleted.push_back(static_cast<EventLCItemDeleted*>(e)->nItem), true;
  });
  EXPECT_TRUE(list->DeleteColumn(0));
  EXPECT_TRUE(deleted.empty());
  EXPECT_EQ(list->GetSubItemText(2, 0), SStringW(L"2"));  // the Size cells moved down
  EXPECT_TRUE(list->DeleteColumn(0));
  EXPECT_EQ(deleted, (std::vector<int>{0, 1, 2}));
  list->InsertColumn(0, SStringW(L"A"), 50);
  EXPECT_EQ(list->GetItemCount(), 0);  // no row comes back with the next column
}

struct SelStep {
  const char* what;
  int row;
  bool ctrl, shift, onBox;
  std::vector<int> flagged;
  int selected;
};

void RunSteps(ListCtrlTest* t, KeyedListCtrl* list, const std::vector<SelStep>& steps,
              const std::function<void(int, int)>& click, const std::function<std::vector<int>()>& flagged) {
  for (const SelStep& s : steps) {
    list->ctrl = s.ctrl;
    list->shift = s.shift;
    click(s.row, s.onBox ? 10 : 150);
    EXPECT_EQ(flagged(), s.flagged) << s.what;
    EXPECT_EQ(list->GetSelectedItem(), s.selected) << s.what;
  }
  (void)t;
}

TEST_F(ListCtrlTest, SelectionTable) {
  Fill(10);
  auto click = [&](int row, int x) { Click(row, x); };
  auto flagged = [&] { return Flagged(); };
  // Single selection: modifiers change nothing.
  RunSteps(this, list,
           {{"plain", 2, false, false, false, {2}, 2},
            {"ctrl without multi", 4, true, false, false, {4}, 4},
            {"shift without multi", 6, false, true, false, {6}, 6}},
           click, flagged);
  list->ApplyAttribute(SStringW(L"multiSelection"), SStringW(L"1"), FALSE);
  RunSteps(this, list,
           {{"ctrl adds", 3, true, false, false, {3, 6}, 3},
            {"ctrl again removes", 3, true, false, false, {6}, 3},
            {"shift takes the range from the selected row", 7, false, true, false, {3, 4, 5, 6, 7}, 3},
            {"plain clears the others", 1, false, false, false, {1}, 1},
            {"a click below the rows clears all", 15, false, false, false, {}, -1},
            {"shift with none selected starts at row 0", 2, false, true, false, {0, 1, 2}, -1}},
           click, flagged);
  list->ApplyAttribute(SStringW(L"multiSelection"), SStringW(L"0"), FALSE);
  list->ApplyAttribute(SStringW(L"checkBox"), SStringW(L"1"), FALSE);
  RunSteps(this, list,
           {{"plain click on a row", 5, false, false, false, {5}, 5},
            {"a box toggles whatever is held", 8, false, true, true, {5, 8}, 8},
            {"the box again", 8, false, false, true, {5}, 8},
            {"ctrl toggles with boxes on", 0, true, false, false, {0, 5}, 0}},
           click, flagged);
  EXPECT_EQ(list->GetCheckedItemCount(), 2);
  EXPECT_EQ(list->GetFirstCheckedItem(), 0);
  EXPECT_EQ(list->GetLastCheckedItem(), 5);
}

TEST_F(ListCtrlTest, EventsAndAVeto) {
  Fill(5);
  std::vector<std::pair<int, int>> events;
  list->SubscribeEvent(EventLCSelChanged::EventID, [&](EventArgs* e) {
    auto* c = static_cast<EventLCSelChanged*>(e);
    return events.emplace_back(c->nOldSel, c->nNewSel), true;
  });
  Click(1);
  Click(3);
  EXPECT_EQ(events, (std::vector<std::pair<int, int>>{{-1, 1}, {1, 3}}));
  list->SubscribeEvent(EventLCSelChanging::EventID, [&](EventArgs* e) {
    static_cast<EventLCSelChanging*>(e)->bCancel = TRUE;
    return true;
  });
  Click(4);
  EXPECT_EQ(list->GetSelectedItem(), 3);
  EXPECT_EQ(events.size(), 2u);
}

int CompareSize(void* context, const void* a, const void* b) {
  ++*static_cast<int*>(context);
  const auto* x = static_cast<const DXLVITEM*>(a);
  const auto* y = static_cast<const DXLVITEM*>(b);
  return std::stoi(std::wstring((*x->arSubItems)[1].text.c_str())) - std::stoi(std::wstring((*y->arSubItems)[1].text.c_str()));
}

TEST_F(ListCtrlTest, SortItemsKeepsTextsWithTheirRowsAndClearsTheSelection) {
  Fill(10);
  for (int i = 0; i < 10; ++i) list->SetItemData(i, 100 + i);
  Click(4);
  int calls = 0;
  ASSERT_TRUE(list->SortItems(&CompareSize, &calls));
  EXPECT_GT(calls, 0);
  EXPECT_EQ(list->GetSelectedItem(), -1);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(list->GetSubItemText(i, 1), SStringW(std::to_wstring(i).c_str()));
    // Row r held size r*7 mod 10: the name and data went along with it.
    const int from = (i * 3) % 10;  // 7*3 = 21 ≡ 1 (mod 10)
    SStringW name;
    name.Format(L"row%d", from);
    EXPECT_EQ(list->GetSubItemText(i, 0), name) << i;
    EXPECT_EQ(list->GetItemData(i), 100 + from);
  }
}

TEST_F(ListCtrlTest, MendedEdges) {
  Fill(3);
  // A point in the header strip is no row.
  EXPECT_EQ(list->HitTest(POINT{10, 5}), -1);
  EXPECT_EQ(list->HitTest(POINT{10, 20 + 25}), 1);
  EXPECT_EQ(list->HitTest(POINT{10, 20 + 65}), -1);  // past the rows

  // The copy ends inside the caller's buffer.
  wchar_t buffer[4] = {L'x', L'x', L'x', L'x'};
  DXLVSUBITEMINFO info;
  info.mask = S_LVIF_TEXT;
  info.strText = buffer;
  info.cchTextMax = 3;
  ASSERT_TRUE(list->GetSubItem(1, 0, &info));
  EXPECT_EQ(std::wstring(buffer), L"ro");
  EXPECT_EQ(buffer[3], L'x');

  // Checking a row repaints it at once (the host's target shows the flag's colour).
  list->ApplyAttribute(SStringW(L"checkBox"), SStringW(L"1"), FALSE);
  list->ApplyAttribute(SStringW(L"colorItemSelBkgnd"), SStringW(L"#00FF00"), FALSE);
  host->Paint();
  ASSERT_TRUE(list->SetCheckState(1, TRUE));
  EXPECT_EQ(host->Dirty().right - host->Dirty().left, 0);  // painted, not merely invalidated
  EXPECT_EQ(Pixel(host->Target(), 200, 20 + 30), 0xFF00FF00u);
  EXPECT_FALSE(list->SetCheckState(7, TRUE));
}

TEST_F(ListCtrlTest, OddRowsUseTheSecondColourUnlessItIsNone) {
  Fill(2);
  list->ApplyAttribute(SStringW(L"colorItemBkgnd"), SStringW(L"#FF0000"), FALSE);
  list->ApplyAttribute(SStringW(L"colorItemBkgnd2"), SStringW(L"#0000FF"), FALSE);
  host->Paint();
  EXPECT_EQ(Pixel(host->Target(), 250, 20 + 5), 0xFFFF0000u);
  EXPECT_EQ(Pixel(host->Target(), 250, 20 + 25), 0xFF0000FFu);
  // A name that resolves to no colour: odd rows fall back to the first.
  list->ApplyAttribute(SStringW(L"colorItemBkgnd2"), SStringW(L"@color/no_such_colour"), FALSE);
  list->Invalidate();
  host->Paint();
  EXPECT_EQ(Pixel(host->Target(), 250, 20 + 25), 0xFFFF0000u);
  EXPECT_EQ(list->ApplyAttribute(SStringW(L"colorItemBkgnd2"), SStringW(L""), FALSE), E_FAIL);
}

}  // namespace
