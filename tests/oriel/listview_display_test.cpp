// The virtual list in a real window, driven by XTest: a hundred thousand
// computed rows scrolled by wheel, thumb and keys with a bounded number of
// item panels; selection by click with its events; and a multi-column
// adapter's selection set driven by clicks with Shift and Ctrl. Rows are
// told apart on screen by a background colour that encodes their index.
#include <algorithm>
#include <string>

#include "SwndWindowHost.h"
#include "control/SListView.h"
#include "list_test_input.h"

namespace {

constexpr int kX = 200, kY = 150, kW = 260, kH = 300, kLine = 30;
constexpr int kMaxPanels = (kH + kLine - 1) / kLine + 1;

// The framework colour word of row i, and the index a screen pixel shows.
COLORREF RowColor(int i) { return 0xFF000000u | static_cast<COLORREF>(i & 0xFF) << 0 | ((i >> 8) & 0xFF) << 8 | (0x40 + (i >> 16)) << 16; }
int IndexOfPixel(unsigned long rgb) {
  const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return b < 0x40 ? -1 : r | g << 8 | (b - 0x40) << 16;
}

void LoadTemplateOnce(SWindow* item, pugi::xml_node tpl) {
  if (item->GetChildrenCount() == 0) item->CreateChildren(tpl);
}

// A hundred thousand rows computed on demand.
class RowAdapter : public SAdapterBase {
 public:
  explicit RowAdapter(int n) : n(n) {}
  int GetCount() override { return n; }
  void BindItemView(int position, SWindow* item, pugi::xml_node tpl) override {
    LoadTemplateOnce(item, tpl);
    static_cast<SItemPanel*>(item)->SetColor(RowColor(position), 0xFF800000);
    item->FindDescendantByName(SStringW(L"text"))->SetText(SStringW().Format(L"%d", position));
    ++binds;
  }
  int n;
  int binds = 0;
};

// Answers clicks as the multi-column list does and marks selected rows.
class PickAdapter : public SMcAdapterBaseEx {
 public:
  int GetCount() override { return 20; }
  void BindItemView(int position, SWindow* item, pugi::xml_node tpl) override {
    LoadTemplateOnce(item, tpl);
    static_cast<SItemPanel*>(item)->SetColor(IsSelected(position) ? 0xFF00C000 : RowColor(position), kRenderNoColor);
  }
  SStringW GetColumnName(int) const override { return SStringW(); }
  bool OnRequestSelect(int, SList<int>&) override { return false; }
  void OnClick(int index, WPARAM keys) {
    if (keys & MK_CONTROL) ToggleSelection(index);
    else if (keys & MK_SHIFT) SelectRangeFromAnchor(index);
    else SetAnchorAndSelect(index);
    notifyDataSetInvalidated();
  }
};

class ListViewDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new SwndWindowHost(kX, kY, kW, kH);
    host->wheelToHover = TRUE;
    host->CreateChildrenFromString(
        L"<listview pos='0,0,-0,-0'><template itemHeight='30' colorHover='#00ffffff'>"
        L"<window name='text' pos='150,0,-0,-0'/></template></listview>");
    view = static_cast<SListView*>(host->GetRelative(GSW_FIRSTCHILD));
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->GetItemLocator(), nullptr);
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
  unsigned long At(int x, int y) { return screenPixel(kX + x, kY + y); }
  // Every whole row on screen shows its own index, as colour and as text.
  ::testing::AssertionResult RowsMatch() {
    const int pos = view->GetScrollPos(true);
    // Rows are sampled clear of the focused list's dotted focus frame, 2 px inside its edges.
    for (int y = 5; y < kH - 3; y += 7) {
      const int index = (pos + y) / kLine;
      const unsigned long pixel = At(20, y);
      if (index == view->GetSel()) {
        if (pixel != 0x000080) return ::testing::AssertionFailure() << "selected row " << index << " not marked";
        continue;
      }
      const int seen = IndexOfPixel(pixel);
      if (seen != index) return ::testing::AssertionFailure() << "y " << y << " shows " << seen << ", not " << index;
      SItemPanel* panel = view->GetItemPanelByIndex(index);
      if (!panel) return ::testing::AssertionFailure() << "no panel for " << index;
      const SStringW text = panel->FindDescendantByName(SStringW(L"text"))->GetText();
      if (text != SStringW().Format(L"%d", index)) return ::testing::AssertionFailure() << "row " << index << " text";
    }
    return ::testing::AssertionSuccess();
  }
  bool ShowsRows() { return pumpUntil([&] { return static_cast<bool>(RowsMatch()); }); }
  void ClickAt(int x, int y) {
    moveMouse(kX + x, kY + y);
    pumpFor(30);
    clickButton(1);
  }
  SwndWindowHost* host = nullptr;
  SListView* view = nullptr;
};

TEST_F(ListViewDisplayTest, AHundredThousandRowsScrollByWheelThumbAndKeysWithFewPanels) {
  auto* rows = new RowAdapter(100000);
  ASSERT_TRUE(view->SetAdapter(rows));
  rows->Release();
  ASSERT_TRUE(view->HasScrollBar(true));
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();

  // Wheel: one line a notch, down then up.
  moveMouse(kX + 60, kY + 100);
  for (int i = 0; i < 3; ++i) clickButton(Button5);
  ASSERT_TRUE(pumpUntil([&] { return view->GetScrollPos(true) == 3 * kLine; })) << view->GetScrollPos(true);
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  clickButton(Button4);
  ASSERT_TRUE(pumpUntil([&] { return view->GetScrollPos(true) == 2 * kLine; }));

  // The thumb dragged past the rail's end: the last row at the bottom.
  RECT thumb = view->GetPartRect(true, SPanel::kPartThumb);
  moveMouse(kX + (thumb.left + thumb.right) / 2, kY + (thumb.top + thumb.bottom) / 2);
  pumpFor(50);
  PressButton(1, true);
  pumpFor(50);
  moveMouse(kX + (thumb.left + thumb.right) / 2, kY + kH + 200);
  pumpFor(100);
  PressButton(1, false);
  ASSERT_TRUE(pumpUntil([&] { return view->GetScrollPos(true) == 100000 * kLine - kH; })) << view->GetScrollPos(true);
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  EXPECT_EQ(IndexOfPixel(At(20, kH - 5)), 99999);

  // To the rail's middle: about the middle of the list.
  thumb = view->GetPartRect(true, SPanel::kPartThumb);
  const RECT bar = view->GetBarRect(true);
  const int arrow = view->GetArrowSize();
  const int middle = (bar.top + arrow + bar.bottom - arrow) / 2;
  const int grab = (thumb.top + thumb.bottom) / 2;
  moveMouse(kX + (thumb.left + thumb.right) / 2, kY + grab);
  pumpFor(50);
  PressButton(1, true);
  pumpFor(50);
  moveMouse(kX + (thumb.left + thumb.right) / 2, kY + middle);
  pumpFor(100);
  PressButton(1, false);
  ASSERT_TRUE(pumpUntil([&] { return view->GetBarInfo(true).nTrackPos == -1; }));
  const int first = view->GetScrollPos(true) / kLine;
  EXPECT_NEAR(first, 50000, 1000);
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();

  // Keys, after a click that gives the list the focus.
  const int under = (view->GetScrollPos(true) + 45) / kLine;
  ClickAt(60, 45);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == under; })) << view->GetSel() << " " << under;
  const int clicked = view->GetSel();
  tapKey(XK_Down);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == clicked + 1; }));
  tapKey(XK_Next);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() > clicked + 5; })) << view->GetSel();
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  EXPECT_NE(view->GetItemPanelByIndex(view->GetSel()), nullptr);
  tapKey(XK_End);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == 99999; })) << view->GetSel();
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  EXPECT_EQ(view->GetScrollPos(true), 100000 * kLine - kH);
  EXPECT_EQ(At(20, kH - 5), 0x000080u);  // the selected colour
  tapKey(XK_Home);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == 0 && view->GetScrollPos(true) == 0; }));
  EXPECT_TRUE(ShowsRows()) << RowsMatch().message();
  EXPECT_EQ(At(20, 15), 0x000080u);

  EXPECT_LE(view->GetPanelCount(), kMaxPanels);
  EXPECT_LE(view->GetVisibleCount(), kMaxPanels);
}

TEST_F(ListViewDisplayTest, AClickSelectsWithBothEventsAndACancelKeepsTheOldRow) {
  auto* rows = new RowAdapter(50);
  ASSERT_TRUE(view->SetAdapter(rows));
  rows->Release();
  std::vector<std::vector<int>> seen;
  bool cancel = false;
  view->SubscribeEvent(EventLVSelChanging::EventID, [&](EventArgs* e) {
    auto* c = static_cast<EventLVSelChanging*>(e);
    seen.push_back({c->GetId(), c->iOldSel, c->iNewSel, view->GetSel()});
    c->bCancel = cancel;
    return true;
  });
  view->SubscribeEvent(EventLVSelChanged::EventID, [&](EventArgs* e) {
    auto* c = static_cast<EventLVSelChanged*>(e);
    seen.push_back({c->GetId(), c->iOldSel, c->iNewSel});
    return true;
  });
  ASSERT_TRUE(ShowsRows());
  ClickAt(60, 2 * kLine + 10);
  ASSERT_TRUE(pumpUntil([&] { return seen.size() == 2; }));
  EXPECT_EQ(seen[0], (std::vector<int>{15100, -1, 2, 2}));  // the view already reports the new row
  EXPECT_EQ(seen[1], (std::vector<int>{15101, -1, 2}));
  ASSERT_TRUE(pumpUntil([&] { return At(20, 2 * kLine + 10) == 0x000080; }));

  cancel = true;
  seen.clear();
  pumpFor(600);  // no double click
  ClickAt(60, 4 * kLine + 10);
  ASSERT_TRUE(pumpUntil([&] { return !seen.empty(); }));
  pumpFor(200);
  EXPECT_EQ(seen, (std::vector<std::vector<int>>{{15100, 2, 4, 4}}));
  EXPECT_EQ(view->GetSel(), 2);
  EXPECT_EQ(At(20, 2 * kLine + 10), 0x000080u);
  EXPECT_EQ(IndexOfPixel(At(20, 4 * kLine + 10)), 4);

  // Keyboard moves stay silent.
  tapKey(XK_Down);
  ASSERT_TRUE(pumpUntil([&] { return view->GetSel() == 3; }));
  pumpFor(100);
  EXPECT_EQ(seen.size(), 1u);
}

TEST_F(ListViewDisplayTest, ClicksWithShiftAndCtrlBuildTheAdaptersSelection) {
  auto* pick = new PickAdapter;
  ASSERT_TRUE(view->SetAdapter(pick));
  view->SubscribeEvent(EventOfPanel::EventID, [&](EventArgs* e) {
    auto* wrapped = static_cast<EventOfPanel*>(e);
    if (wrapped->pOrgEvt->GetId() != EventItemPanelClick::EventID) return false;
    pick->OnClick(wrapped->pPanel->GetItemIndex(), static_cast<EventItemPanelClick*>(wrapped->pOrgEvt)->wParam);
    return true;
  });
  ASSERT_TRUE(pumpUntil([&] { return IndexOfPixel(At(20, 15)) == 0; }));
  auto clickRow = [&](int row, KeySym modifier) {
    pumpFor(600);  // apart from the last click: no double click
    moveMouse(kX + 60, kY + row * kLine + 10);
    pumpFor(30);
    if (modifier) pressKey(modifier);
    clickButton(1);
    if (modifier) releaseKey(modifier);
    pumpFor(100);
  };
  clickRow(3, 0);
  clickRow(6, XK_Shift_L);
  clickRow(8, XK_Control_L);
  clickRow(4, XK_Control_L);
  const std::vector<int> marked{3, 5, 6, 8};
  auto paintedSelection = [&] {
    std::vector<int> rowsGreen;
    for (int row = 0; row < 10; ++row)
      if (At(20, row * kLine + 10) == 0x00C000) rowsGreen.push_back(row);
    return rowsGreen;
  };
  ASSERT_TRUE(pumpUntil([&] { return paintedSelection() == marked; }));
  std::vector<int> held;
  for (SPOSITION p = pick->GetSelection().GetHeadPosition(); p;) held.push_back(pick->GetSelection().GetNext(p));
  std::sort(held.begin(), held.end());
  EXPECT_EQ(held, marked);
  view->SetAdapter(nullptr);
  pick->Release();
}

}  // namespace
