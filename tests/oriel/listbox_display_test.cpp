// The list box in a real window under XTest: a click and Down/Up select
// with the changing event before the changed one, the selected row is
// painted at once, and a double click below the last row reports no row.
#include "control/SListBox.h"
#include "list_present_host.h"
#include "list_test_input.h"

namespace {

constexpr int kX = 260, kY = 140, kW = 200, kH = 200, kRow = 20;
constexpr unsigned long kSelected = 0x3991D1;  // the default selected background

class ListBoxDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new ListPresentHost(kX, kY, kW, kH);
    host->CreateChildrenFromString(L"<listbox pos='0,0,-0,-0' itemHeight='20' colorItemBkgnd='#ffffff'/>");
    box = static_cast<SListBox*>(host->GetRelative(GSW_FIRSTCHILD));
    ASSERT_NE(box, nullptr);
    for (int i = 0; i < 5; ++i) box->AddEntry(SStringW().Format(L"entry %d", i));
    box->SubscribeEvent(EventLBSelChanging::EventID, [this](EventArgs* e) {
      auto* c = static_cast<EventLBSelChanging*>(e);
      return seen.push_back({12000, c->nOldSel, c->nNewSel, box->GetCurSel()}), true;
    });
    box->SubscribeEvent(EventLBSelChanged::EventID, [this](EventArgs* e) {
      auto* c = static_cast<EventLBSelChanged*>(e);
      return seen.push_back({12001, c->nOldSel, c->nNewSel, box->GetCurSel()}), true;
    });
    box->SubscribeEvent(EventLBDbClick::EventID, [this](EventArgs* e) {
      return seen.push_back({12002, static_cast<EventLBDbClick*>(e)->nCurSel}), true;
    });
    ShowWindow(host->Hwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(SWM_DESTROY);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  unsigned long RowPixel(int row) { return screenPixel(kX + kW / 2 + 40, kY + row * kRow + 3); }
  std::vector<int> SelectedRows() {
    std::vector<int> rows;
    for (int r = 0; r < 5; ++r)
      if (RowPixel(r) == kSelected) rows.push_back(r);
    return rows;
  }
  ListPresentHost* host = nullptr;
  SListBox* box = nullptr;
  std::vector<std::vector<int>> seen;
};

TEST_F(ListBoxDisplayTest, ClickAndArrowsSelectWithEventsAndDoubleClickBelowTheRowsGivesNone) {
  ASSERT_TRUE(pumpUntil([&] { return RowPixel(0) == 0xFFFFFF; }));
  moveMouse(kX + 30, kY + 2 * kRow + 10);
  pumpFor(30);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return seen.size() == 2; }));
  // Changing before changed; the row is taken only after the changing.
  EXPECT_EQ(seen[0], (std::vector<int>{12000, -1, 2, -1}));
  EXPECT_EQ(seen[1], (std::vector<int>{12001, -1, 2, 2}));
  ASSERT_TRUE(pumpUntil([&] { return SelectedRows() == std::vector<int>{2}; }));

  seen.clear();
  tapKey(XK_Down);
  ASSERT_TRUE(pumpUntil([&] { return seen.size() == 2; }));
  EXPECT_EQ(seen[0], (std::vector<int>{12000, 2, 3, 2}));
  EXPECT_EQ(seen[1], (std::vector<int>{12001, 2, 3, 3}));
  ASSERT_TRUE(pumpUntil([&] { return SelectedRows() == std::vector<int>{3}; }));
  seen.clear();
  tapKey(XK_Up);
  tapKey(XK_Up);
  ASSERT_TRUE(pumpUntil([&] { return seen.size() == 4; }));
  EXPECT_EQ(box->GetCurSel(), 1);
  ASSERT_TRUE(pumpUntil([&] { return SelectedRows() == std::vector<int>{1}; }));

  seen.clear();
  pumpFor(600);  // apart from the first click
  moveMouse(kX + 30, kY + 7 * kRow + 10);
  pumpFor(30);
  clickButton(1);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return !seen.empty() && seen.back()[0] == 12002; }));
  EXPECT_EQ(seen.back(), (std::vector<int>{12002, -1}));
}

}  // namespace
