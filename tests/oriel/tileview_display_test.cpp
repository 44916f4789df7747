// The tile view in a real window over ten thousand computed tiles: wheel,
// thumb drags to the end and the middle, Page Down, End and Home show the
// right tiles, each in its own colour and with its own text; panels never
// exceed the tiles on screen plus a row; a click selects with both events,
// arrow keys move the selection without any.
#include "SwndWindowHost.h"
#include "control/STileView.h"
#include "list_test_input.h"

namespace {

constexpr int kX = 200, kY = 150, kW = 360, kH = 300;
constexpr int kTileW = 100, kTileH = 80, kMargin = 10, kLine = kTileH + kMargin;
constexpr int kCount = 10000;

COLORREF TileColor(int i) { return 0xFF000000u | static_cast<COLORREF>(i & 0xFF) | ((i >> 8) & 0xFF) << 8 | 0x40u << 16; }
int IndexOfPixel(unsigned long rgb) {
  const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return b != 0x40 ? -1 : r | g << 8;
}

class TileAdapter : public SAdapterBase {
 public:
  int GetCount() override { return kCount; }
  void BindItemView(int position, SWindow* item, pugi::xml_node tpl) override {
    if (item->GetChildrenCount() == 0) item->CreateChildren(tpl);
    static_cast<SItemPanel*>(item)->SetColor(TileColor(position), 0xFF800000);
    item->FindDescendantByName(SStringW(L"text"))->SetText(SStringW().Format(L"%d", position));
  }
};

class TileViewDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new SwndWindowHost(kX, kY, kW, kH);
    host->wheelToHover = TRUE;
    host->CreateChildrenFromString(
        L"<tileview pos='0,0,-0,-0' marginSize='10'><template itemWidth='100' itemHeight='80' colorHover='#00ffffff'>"
        L"<window name='text' pos='0,60,-0,-0'/></template></tileview>");
    view = static_cast<STileView*>(host->GetRelative(GSW_FIRSTCHILD));
    ASSERT_NE(view, nullptr);
    ShowWindow(host->Hwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    auto* tiles = new TileAdapter;
    ASSERT_TRUE(view->SetAdapter(tiles));
    tiles->Release();
    ASSERT_TRUE(view->HasScrollBar(true));
    ASSERT_EQ(view->GetItemLocator()->GetCountInRow(), 3);
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(SWM_DESTROY);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  unsigned long At(int x, int y) { return screenPixel(kX + x, kY + y); }
  int MaxPanels() const { return ((kH + kLine - 1) / kLine + 1) * 3 + 3; }
  // Each tile whose sample point is on screen shows its own colour and text.
  ::testing::AssertionResult TilesMatch() {
    const int pos = view->GetScrollPos(true);
    for (int row = pos / kLine; row * kLine + kMargin - pos < kH; ++row) {
      for (int col = 0; col < 3; ++col) {
        const int index = row * 3 + col;
        if (index >= kCount) break;
        const int y = row * kLine + kMargin + 20 - pos;
        if (y < 3 || y >= kH - 3) continue;
        const int x = col * (kTileW + kMargin) + kMargin + 20;
        if (index == view->GetSel()) continue;
        const int seen = IndexOfPixel(At(x, y));
        if (seen != index) return ::testing::AssertionFailure() << "tile " << index << " shows " << seen;
        SItemPanel* panel = view->GetItemPanel(index);
        if (!panel) return ::testing::AssertionFailure() << "no panel for " << index;
        if (panel->FindDescendantByName(SStringW(L"text"))->GetText() != SStringW().Format(L"%d", index))
          return ::testing::AssertionFailure() << "tile " << index << " text";
      }
    }
    return ::testing::AssertionSuccess();
  }
  bool ShowsTiles() { return pumpUntil([&] { return static_cast<bool>(TilesMatch()); }); }
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
  SwndWindowHost* host = nullptr;
  STileView* view = nullptr;
};

TEST_F(TileViewDisplayTest, TenThousandTilesScrollByWheelThumbAndKeys) {
  EXPECT_TRUE(ShowsTiles()) << TilesMatch().message();
  const int total = view->GetItemLocator()->GetTotalHeight();

  moveMouse(kX + 60, kY + 100);
  for (int i = 0; i < 2; ++i) clickButton(Button5);
  ASSERT_TRUE(pumpUntil([&] { return view->GetScrollPos(true) == 2 * kLine; })) << view->GetScrollPos(true);
  EXPECT_TRUE(ShowsTiles()) << TilesMatch().message();

  DragThumbTo(kH + 200);
  ASSERT_TRUE(pumpUntil([&] { return view->GetScrollPos(true) == total - view->GetBarInfo(true).nPage; }))
      << view->GetScrollPos(true);
  EXPECT_TRUE(ShowsTiles()) << TilesMatch().message();
  EXPECT_EQ(view->GetFirstVisible() + view->GetVisibleCount(), kCount);

  const RECT bar = view->GetBarRect(true);
  DragThumbTo((bar.top + bar.bottom) / 2);
  ASSERT_TRUE(pumpUntil([&] { return view->GetBarInfo(true).nTrackPos == -1; }));
  EXPECT_NEAR(view->GetFirstVisible(), kCount / 2, 300);
  EXPECT_TRUE(ShowsTiles()) << TilesMatch().message();

  // A click selects with both events; the keys move it silently.
  std::vector<int> events;
  view->SubscribeEvent(EventLVSelChanging::EventID, [&](EventArgs* e) { return events.push_back(e->GetId()), true; });
  view->SubscribeEvent(EventLVSelChanged::EventID, [&](EventArgs* e) { return events.push_back(e->GetId()), true; });
  const int pos = view->GetScrollPos(true);
  const int row = (pos + kMargin + kLine) / kLine;  // a row wholly in view
  const int y = row * kLine + kMargin + 30 - pos;
  moveMouse(kX + kMargin + kTileW + kMargin + 30, kY + y);
  pumpFor(30);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == row * 3 + 1; })) << view->GetSel();
  EXPECT_EQ(events, (std::vector<int>{EventLVSelChanging::EventID, EventLVSelChanged::EventID}));
  EXPECT_TRUE(pumpUntil([&] { return At(kMargin + kTileW + kMargin + 30, y) == 0x000080; }));
  events.clear();
  const int clicked = view->GetSel();
  tapKey(XK_Right);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == clicked + 1; }));
  tapKey(XK_Down);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == clicked + 4; }));
  tapKey(XK_Next);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() > clicked + 6; })) << view->GetSel();
  EXPECT_TRUE(ShowsTiles()) << TilesMatch().message();
  tapKey(XK_End);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == kCount - 1; })) << view->GetSel();
  EXPECT_TRUE(ShowsTiles()) << TilesMatch().message();
  tapKey(XK_Home);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == 0 && view->GetScrollPos(true) == 0; }));
  EXPECT_TRUE(ShowsTiles()) << TilesMatch().message();
  pumpFor(100);
  EXPECT_TRUE(events.empty()) << "keyboard selection raises no events";

  EXPECT_LE(view->GetPanelCount(), MaxPanels());
  EXPECT_LE(view->GetVisibleCount(), MaxPanels());
}

}  // namespace
