// The list box headless: row bookkeeping, selection by keys and mouse
// messages with cancel, view size, and what it refuses.
#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SListBox.h"

namespace {

class ListBoxTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new SwndTestHost(300, 300);
    host->CreateChildrenFromString(L"<listbox pos='0,0,150,100' itemHeight='20'/>");
    box = static_cast<SListBox*>(host->GetRelative(GSW_FIRSTCHILD));
    host->ApplyLayout();
    for (int id : {12000, 12001, 12002})
      box->SubscribeEvent(id, [this, id](EventArgs* e) {
        events.push_back(id);
        if (id == EventLBSelChanging::EventID) static_cast<EventLBSelChanging*>(e)->bCancel = cancel;
        if (id == EventLBDbClick::EventID) dbClicked = static_cast<EventLBDbClick*>(e)->nCurSel;
        return true;
      });
  }
  void TearDown() override {
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    OrielAppTest::TearDown();
  }
  void Fill(int n) {
    for (int i = 0; i < n; ++i) box->AddEntry(SStringW().Format(L"row %d", i));
  }
  void Key(UINT vk) { box->SendSwndMessage(WM_KEYDOWN, vk, 0); }
  SwndTestHost* host = nullptr;
  SListBox* box = nullptr;
  std::vector<int> events;
  bool cancel = false;
  int dbClicked = -2;
};

TEST_F(ListBoxTest, InsertAndDeleteKeepTheSelectedRow) {
  Fill(3);
  EXPECT_EQ(box->InsertEntry(-1, SStringW(L"end")), 3);
  EXPECT_EQ(box->InsertEntry(99, SStringW(L"later")), 4);
  EXPECT_EQ(box->InsertEntry(-7, SStringW(L"odd")), 5);  // below -1: appends too
  ASSERT_TRUE(box->SetCurSel(2));
  box->InsertEntry(0, SStringW(L"first"));
  EXPECT_EQ(box->GetCurSel(), 3);
  EXPECT_EQ(box->GetEntryText(3), SStringW(L"row 2"));
  EXPECT_TRUE(box->DeleteEntry(0));
  EXPECT_EQ(box->GetCurSel(), 2);
  EXPECT_TRUE(box->DeleteEntry(2));
  EXPECT_EQ(box->GetCurSel(), -1);
  EXPECT_FALSE(box->DeleteEntry(9));
  EXPECT_FALSE(box->SetCurSel(50));
  EXPECT_EQ(box->FindString(-1, SStringW(L"end")), 2);
  EXPECT_EQ(box->FindString(2, SStringW(L"end")), -1);
  EXPECT_TRUE(events.empty());  // SetCurSel is silent
}

TEST_F(ListBoxTest, KeysMoveTheSelectionWithEventsAndACancelKeepsIt) {
  Fill(4);
  Key(VK_UP);  // nothing selected: refused
  EXPECT_TRUE(events.empty());
  Key(VK_DOWN);
  EXPECT_EQ(box->GetCurSel(), 0);
  EXPECT_EQ(events, (std::vector<int>{12000, 12001}));
  cancel = true;
  events.clear();
  Key(VK_DOWN);
  EXPECT_EQ(box->GetCurSel(), 0);
  EXPECT_EQ(events, std::vector<int>{12000});
  cancel = false;
  box->SetCurSel(3);
  events.clear();
  Key(VK_DOWN);  // the last row
  box->SetCurSel(0);
  Key(VK_UP);  // the first row
  EXPECT_TRUE(events.empty());
  // With hot tracking, Down from the hovered last row does nothing either.
  box->ApplyAttribute(SStringW(L"hotTrack"), SStringW(L"1"), FALSE);
  box->SendSwndMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 3 * 20 + 5 - 0));
  box->SendSwndMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 65));
  ASSERT_EQ(box->GetHover(), 3);
  Key(VK_DOWN);
  EXPECT_TRUE(events.empty());
}

TEST_F(ListBoxTest, ADoubleClickBelowTheLastRowReportsNoRow) {
  Fill(3);
  box->SendSwndMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 90));
  EXPECT_EQ(dbClicked, -1);
  box->SendSwndMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 25));
  EXPECT_EQ(dbClicked, 1);
  EXPECT_EQ(box->GetCurSel(), 1);
}

TEST_F(ListBoxTest, TheViewIsAsHighAsTheRowsAndNarrowerByTheBar) {
  Fill(10);
  EXPECT_EQ(box->GetViewSize().cy, 200);
  EXPECT_EQ(box->GetViewSize().cx, 150 - box->GetScrollBarWidth());
  EXPECT_TRUE(box->HasScrollBar(true));
  box->DeleteAll();
  EXPECT_EQ(box->GetViewSize().cy, 0);
}

TEST_F(ListBoxTest, RowHeightsOfZeroOrLessAreRefused) {
  Fill(2);
  EXPECT_FALSE(box->SetItemPixelHeight(0, 0));
  EXPECT_FALSE(box->SetItemPixelHeight(0, -4));
  EXPECT_TRUE(box->SetItemPixelHeight(0, 30));
  EXPECT_EQ(box->GetItemPixelHeight(), 30);
  EXPECT_EQ(box->ApplyAttribute(SStringW(L"itemHeight"), SStringW(L"0"), FALSE), E_INVALIDARG);
  EXPECT_EQ(box->GetItemPixelHeight(), 30);
  EXPECT_EQ(box->HitTest(POINT{10, 45}), 1);
}

TEST_F(ListBoxTest, OnlyItemElementsBecomeRows) {
  host->CreateChildrenFromString(
      L"<listbox pos='0,0,100,100' curSel='1'><items><item text='a'/><note text='skip'/><item text='b' data='7'/>"
      L"</items></listbox>");
  auto* made = static_cast<SListBox*>(host->GetRelative(GSW_LASTCHILD));
  ASSERT_EQ(made->GetCount(), 2);
  EXPECT_EQ(made->GetEntryText(1), SStringW(L"b"));
  EXPECT_EQ(made->GetItemData(1), 7);
  EXPECT_EQ(made->GetCurSel(), 1);
  EXPECT_TRUE(made->IsClass(L"scrollview"));
}

}  // namespace
