// The column header headless: hit testing of titles and dividers, and the
// column records.
#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SHeaderCtrl.h"

namespace {

class HeaderTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new SwndTestHost(400, 100);
    host->CreateChildrenFromString(
        L"<header pos='0,0,300,24'><items><item width='100'>A</item><item width='80'>B</item>"
        L"<item width='60'>C</item></items></header>");
    header = static_cast<SHeaderCtrl*>(host->GetRelative(GSW_FIRSTCHILD));
    host->ApplyLayout();
  }
  void TearDown() override {
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    OrielAppTest::TearDown();
  }
  static DWORD Title(int i) { return SHeaderCtrl::MakeHit(i, i); }
  static DWORD Divider(int left, int right) { return SHeaderCtrl::MakeHit(left, right); }
  SwndTestHost* host = nullptr;
  SHeaderCtrl* header = nullptr;
};

struct HitCase {
  int x;
  DWORD hit;
};

TEST_F(HeaderTest, HitTestWithSortHeader) {
  ASSERT_EQ(header->GetItemCount(), 3);
  for (const HitCase& c : {HitCase{0, Title(0)}, HitCase{3, Title(0)}, HitCase{50, Title(0)},
                           HitCase{95, Title(0)}, HitCase{96, Divider(0, 1)}, HitCase{100, Divider(0, 1)},
                           HitCase{103, Divider(0, 1)}, HitCase{104, Title(1)}, HitCase{176, Divider(1, 2)},
                           HitCase{236, Divider(2, 0xFFFF)}, HitCase{239, Divider(2, 0xFFFF)},
                           HitCase{240, SHeaderCtrl::kHitNone}, HitCase{299, SHeaderCtrl::kHitNone}})
    EXPECT_EQ(header->HitTestColumn(POINT{c.x, 10}), c.hit) << c.x;
  EXPECT_EQ(header->HitTestColumn(POINT{50, 30}), SHeaderCtrl::kHitNone);  // below the header
}

TEST_F(HeaderTest, HitTestWithoutSortHeaderUsesATwoPixelZone) {
  header->ApplyAttribute(SStringW(L"sortHeader"), SStringW(L"0"), FALSE);
  for (const HitCase& c : {HitCase{97, Title(0)}, HitCase{98, Divider(0, 1)}, HitCase{101, Divider(0, 1)},
                           HitCase{102, Title(1)}})
    EXPECT_EQ(header->HitTestColumn(POINT{c.x, 10}), c.hit) << c.x;
}

TEST_F(HeaderTest, AHiddenColumnIsSkippedByHitTestWidthsAndDividers) {
  header->SetItemVisible(1, false);
  EXPECT_EQ(header->GetColumnWidth(1), 0);
  EXPECT_EQ(header->GetTotalWidth(), 160);
  const RECT hidden = header->GetColumnRect(1);
  EXPECT_TRUE(IsRectEmpty(&hidden));
  // The divider left of C belongs to A, the previous column that shows.
  EXPECT_EQ(header->HitTestColumn(POINT{101, 10}), Divider(0, 2));
  EXPECT_EQ(header->HitTestColumn(POINT{130, 10}), Title(2));
  EXPECT_EQ(header->GetColumnRect(2).left, 100);
}

TEST_F(HeaderTest, ColumnRecords) {
  EXPECT_EQ(header->AddColumn(1, SStringW(L"N"), 30), 1);
  std::vector<int> orders;
  for (int i = 0; i < header->GetItemCount(); ++i) {
    SHeaderItem item;
    item.mask = SHDI_ORDER | SHDI_TEXT | SHDI_WIDTH;
    ASSERT_TRUE(header->QueryColumn(i, &item));
    orders.push_back(item.order);
  }
  EXPECT_EQ(orders, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(header->GetIndexByOrder(3), 3);
  EXPECT_EQ(header->GetColumnWidth(1), 30);
  EXPECT_FALSE(header->QueryColumn(4, nullptr));
  EXPECT_EQ(header->GetColumnWidth(7), -1);
  EXPECT_TRUE(header->DeleteItem(0));
  EXPECT_FALSE(header->DeleteItem(5));
  EXPECT_EQ(header->GetIndexByOrder(0), 0);  // the others moved down
  SHeaderItem item;
  item.mask = SHDI_TEXT;
  header->QueryColumn(0, &item);
  EXPECT_EQ(item.textShown, SStringW(L"N"));
}

TEST_F(HeaderTest, DraggingADividerLeftPastTheColumnStartGivesZero) {
  std::vector<std::pair<int, int>> changing;
  header->SubscribeEvent(EventHeaderItemChanging::EventID, [&](EventArgs* e) {
    auto* c = static_cast<EventHeaderItemChanging*>(e);
    changing.emplace_back(c->iItem, c->nWidth);
    return true;
  });
  header->SendSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(99, 10));
  header->SendSwndMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-50, 10));
  header->SendSwndMessage(WM_LBUTTONUP, 0, MAKELPARAM(-50, 10));
  EXPECT_EQ(changing, (std::vector<std::pair<int, int>>{{0, 0}}));
  EXPECT_EQ(header->GetColumnWidth(0), 0);
  // With fixed widths the dividers stay.
  header->ApplyAttribute(SStringW(L"fixWidth"), SStringW(L"1"), FALSE);
  header->SendSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(178, 10));
  header->SendSwndMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(220, 10));
  header->SendSwndMessage(WM_LBUTTONUP, 0, MAKELPARAM(220, 10));
  EXPECT_EQ(header->GetColumnWidth(1), 80);
}

TEST_F(HeaderTest, DeactivationCancelsATitleDrag) {
  header->SendSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 10));
  header->SendSwndMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 10));
  ASSERT_TRUE(header->IsDragging());
  ASSERT_NE(header->GetDragImage(), nullptr);
  header->SendSwndMessage(WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_FALSE(header->IsDragging());
  EXPECT_EQ(header->GetDragImage(), nullptr);
  EXPECT_EQ(header->GetItemState(0), 0);
  EXPECT_EQ(host->GetCapture(), 0u);
  int swaps = 0;
  header->SubscribeEvent(EventHeaderItemSwap::EventID, [&](EventArgs*) { return ++swaps, true; });
  header->SendSwndMessage(WM_LBUTTONUP, 0, MAKELPARAM(210, 10));
  EXPECT_EQ(swaps, 0);
}

}  // namespace
