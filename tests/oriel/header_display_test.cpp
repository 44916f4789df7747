// The column header in a real window under XTest: a divider dragged by
// 40 pixels, a title dragged onto the third title, a click on a title and
// the sort mark that follows.
#include "SwndWindowHost.h"
#include "control/SHeaderCtrl.h"
#include "list_test_input.h"

namespace {

constexpr int kX = 220, kY = 180, kW = 360, kH = 60;

class HeaderDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new SwndWindowHost(kX, kY, kW, kH);
    host->CreateChildrenFromString(
        L"<header pos='0,0,-0,30' sortSkin='_skin.sys.tree.toggle'><items><item width='100'>A</item>"
        L"<item width='100'>B</item><item width='100'>C</item></items></header>");
    header = static_cast<SHeaderCtrl*>(host->GetRelative(GSW_FIRSTCHILD));
    ASSERT_NE(header, nullptr);
    for (int id : {18000, 18001, 18002, 18003, 18004})
      header->SubscribeEvent(id, [this, id](EventArgs*) { return events.push_back(id), true; });
    header->SubscribeEvent(EventHeaderItemChanging::EventID, [this](EventArgs* e) {
      return changingWidths.push_back(static_cast<EventHeaderItemChanging*>(e)->nWidth), true;
    });
    ShowWindow(host->Hwnd(), SW_SHOWNA);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    pumpFor(50);
    events.clear();  // the first layout's relayout
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(SWM_DESTROY);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  void Drag(int fromX, int toX, int y = 15) {
    moveMouse(kX + fromX, kY + y);
    pumpFor(50);
    PressButton(1, true);
    pumpFor(50);
    moveMouse(kX + (fromX + toX) / 2, kY + y);
    pumpFor(50);
    moveMouse(kX + toX, kY + y);
    pumpFor(50);
    PressButton(1, false);
    pumpFor(100);
  }
  std::vector<int> Orders() {
    std::vector<int> out;
    for (int i = 0; i < header->GetItemCount(); ++i) {
      SHeaderItem item;
      item.mask = SHDI_ORDER;
      header->QueryColumn(i, &item);
      out.push_back(item.order);
    }
    return out;
  }
  SwndWindowHost* host = nullptr;
  SHeaderCtrl* header = nullptr;
  std::vector<int> events;
  std::vector<int> changingWidths;
};

TEST_F(HeaderDisplayTest, ADividerDraggedBy40WidensItsColumnBy40) {
  Drag(99, 139);
  ASSERT_TRUE(pumpUntil([&] { return !events.empty() && events.back() == 18004 && events.size() >= 4; }));
  EXPECT_EQ(header->GetColumnWidth(0), 140);
  EXPECT_EQ(header->GetColumnRect(1).left, 140);
  ASSERT_FALSE(changingWidths.empty());
  EXPECT_EQ(changingWidths.back(), 140);
  // Changing (with a relayout) while dragging, then changed and relayout.
  EXPECT_EQ(events.front(), 18001);
  EXPECT_EQ(std::vector<int>(events.end() - 2, events.end()), (std::vector<int>{18002, 18004}));
  EXPECT_EQ(std::count(events.begin(), events.end(), 18000), 0);
}

TEST_F(HeaderDisplayTest, ATitleDroppedOnTheThirdTitleMovesItsColumnThere) {
  int landed = -1;
  header->SubscribeEvent(EventHeaderItemSwap::EventID, [&](EventArgs* e) {
    return landed = static_cast<EventHeaderItemSwap*>(e)->iNewIndex, true;
  });
  Drag(40, 250);
  ASSERT_TRUE(pumpUntil([&] { return std::count(events.begin(), events.end(), 18003) == 1; }));
  EXPECT_EQ(Orders(), (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(landed, 2);
  EXPECT_FALSE(header->IsDragging());
  EXPECT_EQ(header->GetDragImage(), nullptr);
  EXPECT_EQ(std::count(events.begin(), events.end(), 18000), 0);
}

TEST_F(HeaderDisplayTest, AClickRaisesTheClickAndTheSortMarkIsPainted) {
  auto markArea = [&] {
    std::vector<unsigned long> pixels;
    for (int x = 175; x < 198; x += 2)
      for (int y = 5; y < 26; y += 2) pixels.push_back(screenPixel(kX + x, kY + y));
    return pixels;
  };
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + 150, kY + 2) != 0xFFFFFF; }));  // the titles are drawn
  const auto before = markArea();
  int clicked = -1;
  header->SubscribeEvent(EventHeaderClick::EventID, [&](EventArgs* e) {
    return clicked = static_cast<EventHeaderClick*>(e)->iItem, true;
  });
  moveMouse(kX + 150, kY + 15);
  pumpFor(50);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return clicked == 1; }));
  EXPECT_EQ(std::count(events.begin(), events.end(), 18000), 1);
  moveMouse(kX + 10, kY + 50);  // off the header: no hover look
  pumpFor(100);
  header->SetItemSort(1, 1);
  ASSERT_TRUE(pumpUntil([&] { return markArea() != before; }));
  header->SetItemSort(1, 0);
  EXPECT_TRUE(pumpUntil([&] { return markArea() == before; }));
}

}  // namespace
