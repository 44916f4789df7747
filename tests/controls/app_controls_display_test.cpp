// The program's list controls on the X server, driven by XTest: the
// multi-column list's clicks, rubber band, automatic scrolling and row
// drag read back from the adapter and the screen; the proportional header
// under a resized window; the combo with entry icons.
#include "app_controls_fixture.h"

#include <X11/keysym.h>

namespace {

constexpr int kX = 100, kY = 80;

const char* kListLayout =
    "<ORIEL width='600' height='400'><root colorBkgnd='#ffffff'>"
    "<window name='elsewhere' pos='-2,-2,-1,-1' focusable='1'/>"
    "<mclistviewex name='list' pos='0,0,-0,-0' headerHeight='30' colorDropBk='#0000ff' canSwapItem='1'>"
    "<header2 name='header' matchParent='1' fixWidth='1' sortHeader='0' itemSwapEnable='0' dividerSkin='t_divider'>"
    "<items><item width='115'>Task</item><item width='80' sortFlag='1'>Kind</item><item width='165'>Start</item>"
    "<item width='85'>Length</item><item width='145'>Repeat</item><item width='53'>State</item></items>"
    "</header2>"
    "<template itemHeight='30' colorNormal='#ffffff' colorSelected='#ff8000' colorHover='#ffffff'>"
    "<window name='col1' colorBkgnd='#40a040'/><window name='col2' colorBkgnd='#4040c0'/>"
    "<window name='col3' colorBkgnd='#a04040'/>"
    "</template>"
    "</mclistviewex>"
    "<keyprobe name='owner' pos='0,0,1,1'/>"  // after the list: it outlives the list's rows
    "</root></ORIEL>";

constexpr unsigned long kWhite = 0xFFFFFF, kChecked = 0xFF8000;

class AppControlsDisplay : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    app->AttachProvider(BundleProvider(), L"uidef:xml_init");
    SLayoutSize::SetDefaultUnit(L"px");
    RegisterAppControls(app);
    AddTestSkins();
  }
  void TearDown() override {
    if (window) window->DestroyHostWindow();
    window.reset();
    adapter = nullptr;
    SLayoutSize::SetDefaultUnit(L"px");
    OrielAppTest::TearDown();
  }
  void Open(const char* layout, int rows) {
    window = std::make_unique<ControlsWindow>();
    ASSERT_TRUE(window->Create(nullptr, WS_POPUP, 0, kX, kY, 1, 1));
    ASSERT_TRUE(window->Load(layout));
    SetWindowPos(window->GetHwnd(), nullptr, kX, kY, 600, 400, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window->GetHwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(window->GetHwnd()));
    if (rows >= 0) {
      list = window->FindChildByName2<SMCListViewEx>(SStringW(L"list"));
      ASSERT_NE(list, nullptr);
      adapter = new TaskAdapter(rows);
      ASSERT_TRUE(list->SetAdapter(adapter));
      adapter->Release();
      list->SetOwner(window->FindDescendantByName(SStringW(L"owner")));
    }
    pumpFor(150);
  }
  // The centre of a row's strip under column `column` (host coordinates),
  // `dy` from the row's middle.
  POINT At(int row, int column = 4, int dy = 0) {
    const RECT rc = list->RowRect(row);
    int x = rc.left;
    SHeaderCtrl* header = list->GetHeaderCtrl();
    for (int i = 0; i < column; ++i) x += header->GetColumnWidth(i);
    return POINT{x + header->GetColumnWidth(column) / 2, (rc.top + rc.bottom) / 2 + dy};
  }
  // A press never pairs with the one before into a double click.
  void Press(bool down) {
    if (down) {
      const DWORD since = GetTickCount() - lastPress_;
      if (since < GetDoubleClickTime() + 60) pumpFor(static_cast<int>(GetDoubleClickTime() + 60 - since));
      lastPress_ = GetTickCount();
    }
    PressButton(1, down);
  }
  static void MoveTo(POINT p) {
    moveMouse(kX + p.x, kY + p.y);
    pumpFor(40);
  }
  void Click(POINT p, KeySym modifier = 0) {
    MoveTo(p);
    if (modifier) pressKey(modifier);
    Press(true);
    pumpFor(40);
    Press(false);
    pumpFor(60);
    if (modifier) releaseKey(modifier);
    pumpFor(20);
  }
  // Moves with the button held in `steps` steps to `to`.
  static void DragTo(POINT from, POINT to, int steps = 6) {
    for (int i = 1; i <= steps; ++i)
      MoveTo(POINT{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
  }
  unsigned long Pixel(POINT p) {
    pumpFor(80);
    return screenPixel(kX + p.x, kY + p.y);
  }
  // Rows 0 .. n-1 that show the checked colour in the empty fifth column.
  std::vector<int> PaintedChecked(int n) {
    pumpFor(100);
    std::vector<int> out;
    for (int row = list->GetFirstVisible(); row < n && row < list->GetFirstVisible() + list->GetVisibleCount(); ++row) {
      const POINT p = At(row);
      const unsigned long c = screenPixel(kX + p.x, kY + p.y);
      if (Near(c, kChecked)) out.push_back(row);
      else EXPECT_TRUE(Near(c, kWhite)) << "row " << row << std::hex << " " << c;
    }
    return out;
  }
  std::vector<int> Order(int n) { return std::vector<int>(adapter->order.begin(), adapter->order.begin() + n); }

  DWORD lastPress_ = 0;
  std::unique_ptr<ControlsWindow> window;
  SMCListViewEx* list = nullptr;
  TaskAdapter* adapter = nullptr;
};

using Rows = std::vector<int>;

TEST_F(AppControlsDisplay, PlainShiftAndCtrlClicksMakeTheAdaptersSelection) {
  Open(kListLayout, 40);
  const struct {
    int row;
    KeySym modifier;
    Rows selection;
  } steps[] = {
      {3, 0, {3}}, {6, XK_Shift_L, {3, 4, 5, 6}}, {8, XK_Control_L, {3, 4, 5, 6, 8}}, {4, XK_Control_L, {3, 5, 6, 8}}};
  for (const auto& s : steps) {
    Click(At(s.row), s.modifier);
    EXPECT_EQ(adapter->Selection(), s.selection) << "after row " << s.row;
    EXPECT_EQ(PaintedChecked(12), s.selection) << "after row " << s.row;
  }
  // Scrolled away and back, the rows are checked from the adapter again.
  list->HandleScrollCode(true, SB_BOTTOM, 0);
  pumpFor(80);
  EXPECT_GT(list->GetFirstVisible(), 12);
  list->HandleScrollCode(true, SB_TOP, 0);
  EXPECT_EQ(PaintedChecked(12), (Rows{3, 5, 6, 8}));
}

TEST_F(AppControlsDisplay, KeysMoveTheCurrentRowAndEscAndEnterReachTheOwner) {
  Open(kListLayout, 40);
  Click(At(5));
  ASSERT_EQ(list->GetSel(), 5);
  tapKey(XK_Down);
  pumpFor(80);
  EXPECT_EQ(list->GetSel(), 6);
  EXPECT_EQ(adapter->Selection(), Rows{6});
  EXPECT_EQ(PaintedChecked(12), Rows{6});
  tapKey(XK_End);
  pumpFor(80);
  EXPECT_EQ(list->GetSel(), 39);
  EXPECT_EQ(list->GetSel(), list->GetFirstVisible() + list->GetVisibleCount() - 1);
  EXPECT_EQ(adapter->Selection(), Rows{39});
  tapKey(XK_Escape);
  tapKey(XK_Return);
  pumpFor(80);
  auto* owner = static_cast<KeyProbe*>(window->FindDescendantByName(SStringW(L"owner")));
  EXPECT_EQ(owner->keys, (std::vector<UINT>{VK_ESCAPE, VK_RETURN}));
}

TEST_F(AppControlsDisplay, RubberBandSelectsTheRowsItSpansAndDrawsItsFill) {
  Open(kListLayout, 10);
  const POINT from = At(2, 4, -5);
  const POINT to = At(5, 5, 5);
  MoveTo(from);
  Press(true);
  pumpFor(40);
  DragTo(from, to);
  EXPECT_TRUE(list->IsRubberBandActive());
  EXPECT_EQ(adapter->Selection(), (Rows{2, 3, 4, 5}));
  // The fill blends 0x57 of opaque blue over the checked rows; the frame
  // is the colour itself.
  const unsigned long inside = Pixel(POINT{from.x + 10, At(3).y});
  const int a = 0x57;
  const unsigned long blended = ((0xFF * (255 - a) / 255) << 16) | ((0x80 * (255 - a) / 255) << 8) | (0xFF * a / 255);
  EXPECT_TRUE(Near(inside, blended, 6)) << std::hex << inside << " wanted " << blended;
  EXPECT_TRUE(Near(Pixel(POINT{from.x, At(3).y}), 0x0000FF)) << "left edge";
  EXPECT_TRUE(Near(Pixel(POINT{from.x + 10, from.y}), 0x0000FF)) << "top edge";
  Press(false);
  pumpFor(80);
  EXPECT_FALSE(list->IsRubberBandActive());
  EXPECT_EQ(adapter->Selection(), (Rows{2, 3, 4, 5}));
  EXPECT_EQ(PaintedChecked(10), (Rows{2, 3, 4, 5}));
  EXPECT_TRUE(Near(Pixel(POINT{from.x + 10, At(3).y}), kChecked)) << "the band is gone";

  // From the empty area below the ten rows up across three of them.
  const POINT below{At(9).x, list->RowRect(9).bottom + 20};
  MoveTo(below);
  Press(true);
  pumpFor(40);
  DragTo(below, At(7));
  Press(false);
  pumpFor(80);
  EXPECT_EQ(adapter->Selection(), (Rows{7, 8, 9}));
}

TEST_F(AppControlsDisplay, RubberBandBelowTheListScrollsByItselfUntilThePointerReturns) {
  Open(kListLayout, 200);
  const POINT from = At(2);
  MoveTo(from);
  Press(true);
  pumpFor(40);
  const POINT below{from.x, 400 + 40};  // under the window: the press holds the pointer
  DragTo(from, below, 4);
  ASSERT_TRUE(pumpUntil([&] { return list->GetScrollPos(true) > 600; }, 10000));
  EXPECT_TRUE(list->IsAutoScrollTimerRunning());
  EXPECT_EQ(adapter->Selection().front(), 2);
  EXPECT_GE(adapter->Selection().back(), list->GetFirstVisible() + list->GetVisibleCount() - 2);

  // Back over the rows: the scrolling stops.
  MoveTo(At(list->GetFirstVisible() + 3));
  pumpFor(100);
  const int held = list->GetScrollPos(true);
  pumpFor(300);
  EXPECT_EQ(list->GetScrollPos(true), held);

  // Below again: on to the end, the selection following to the last row.
  MoveTo(below);
  MoveTo(POINT{below.x, below.y + 5});
  const SCROLLINFO& bar = list->GetBarInfo(true);
  ASSERT_TRUE(pumpUntil([&] { return list->GetScrollPos(true) + static_cast<int>(bar.nPage) >= bar.nMax + 1; }, 20000));
  pumpFor(100);
  EXPECT_EQ(adapter->Selection().front(), 2);
  EXPECT_EQ(adapter->Selection().back(), 199);
  EXPECT_EQ(adapter->Selection().size(), 198u);

  // A move with Shift held grows nothing.
  const Rows before = adapter->Selection();
  MoveTo(At(list->GetFirstVisible() + 4));  // shrinks the band to a visible row
  const Rows shrunk = adapter->Selection();
  pressKey(XK_Shift_L);
  MoveTo(At(list->GetFirstVisible() + 8));
  EXPECT_EQ(adapter->Selection(), shrunk);
  releaseKey(XK_Shift_L);
  Press(false);
  pumpFor(80);
  EXPECT_FALSE(list->IsAutoScrollTimerRunning());
  EXPECT_NE(shrunk, before);
}

class RowDrag : public AppControlsDisplay {
 protected:
  // Rows 2 and 3 selected by a click and a Shift+click.
  void SelectTwoAndThree() {
    Click(At(0));  // a press on a selected row would start a drag
    Click(At(2));
    Click(At(3), XK_Shift_L);
    ASSERT_EQ(adapter->Selection(), (Rows{2, 3}));
  }
};

TEST_F(RowDrag, IntoTheUpperHalfOfARowDropsBeforeItWithALineOnItsTop) {
  Open(kListLayout, 10);
  SelectTwoAndThree();
  const POINT from = At(3);
  MoveTo(from);
  Press(true);
  pumpFor(40);
  const POINT into = At(7, 4, -8);
  DragTo(from, into);
  EXPECT_TRUE(list->IsDragging());
  EXPECT_TRUE(list->IsInsertAbove());
  const RECT row7 = list->RowRect(7);
  EXPECT_TRUE(Near(Pixel(POINT{into.x, row7.top}), 0x000000)) << "drop line on row 7's top";
  EXPECT_TRUE(Near(Pixel(POINT{into.x, row7.bottom - 1}), kWhite)) << "none on its bottom";
  Press(false);
  pumpFor(100);
  EXPECT_EQ(Order(8), (Rows{0, 1, 4, 5, 6, 2, 3, 7}));
  EXPECT_EQ(adapter->drops, Rows{7});
}

TEST_F(RowDrag, IntoTheLowerHalfDropsAfterTheRow) {
  Open(kListLayout, 10);
  SelectTwoAndThree();
  const POINT from = At(3);
  MoveTo(from);
  Press(true);
  pumpFor(40);
  const POINT into = At(7, 4, 8);
  DragTo(from, into);
  EXPECT_FALSE(list->IsInsertAbove());
  EXPECT_TRUE(Near(Pixel(POINT{into.x, list->RowRect(7).bottom - 1}), 0x000000)) << "drop line on the bottom";
  Press(false);
  pumpFor(100);
  EXPECT_EQ(Order(8), (Rows{0, 1, 4, 5, 6, 7, 2, 3}));
}

TEST_F(RowDrag, OutsideEveryRowOrWithTheFocusGoneNothingMoves) {
  Open(kListLayout, 10);
  SelectTwoAndThree();
  const POINT from = At(3);
  MoveTo(from);
  Press(true);
  pumpFor(40);
  DragTo(from, POINT{from.x, list->RowRect(9).bottom + 30});
  Press(false);
  pumpFor(100);
  EXPECT_EQ(Order(10), (Rows{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_FALSE(list->IsDragging());

  SelectTwoAndThree();
  MoveTo(from);
  Press(true);
  pumpFor(40);
  DragTo(from, At(7, 4, -8));
  ASSERT_TRUE(list->IsDragging());
  window->FindDescendantByName(SStringW(L"elsewhere"))->SetFocus();
  pumpFor(40);
  EXPECT_FALSE(list->IsDragging());
  Press(false);
  pumpFor(100);
  EXPECT_EQ(Order(10), (Rows{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_TRUE(adapter->drops.empty());
}

TEST_F(RowDrag, APressAndReleaseOnASelectedRowIsAClickOnIt) {
  Open(kListLayout, 10);
  SelectTwoAndThree();
  Click(At(3));
  EXPECT_EQ(adapter->Selection(), Rows{3});
  EXPECT_EQ(list->GetSel(), 3);
  EXPECT_TRUE(adapter->drops.empty());
  EXPECT_EQ(Order(10), (Rows{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(PaintedChecked(10), Rows{3});
}

TEST_F(RowDrag, WithoutSwappingAPressOnASelectedRowStartsABand) {
  Open(kListLayout, 10);
  ASSERT_EQ(list->ApplyAttribute(SStringW(L"canSwapItem"), SStringW(L"0"), FALSE), S_FALSE);
  SelectTwoAndThree();
  const POINT from = At(3);
  MoveTo(from);
  Press(true);
  pumpFor(40);
  EXPECT_FALSE(list->IsDragging());
  EXPECT_TRUE(list->IsRubberBandActive());
  DragTo(from, At(5));
  Press(false);
  pumpFor(80);
  EXPECT_EQ(adapter->Selection(), (Rows{3, 4, 5}));
  EXPECT_EQ(Order(10), (Rows{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(AppControlsDisplay, HeaderSharesTheWindowsWidthAndRowsFollowIt) {
  Open(kListLayout, 5);
  SHeaderCtrl* header = list->GetHeaderCtrl();
  const struct {
    int width;
    std::vector<int> widths;
  } rows[] = {{600, {110, 74, 153, 79, 135, 49}}, {900, {165, 111, 230, 118, 202, 74}}};
  for (const auto& r : rows) {
    SetWindowPos(window->GetHwnd(), nullptr, 0, 0, r.width, 400, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    pumpFor(200);
    ASSERT_EQ(header->GetWindowRect().right - header->GetWindowRect().left, r.width);
    std::vector<int> widths;
    for (int i = 0; i < header->GetItemCount(); ++i) widths.push_back(header->GetColumnWidth(i));
    EXPECT_EQ(widths, r.widths) << r.width;
    // The divider at each running sum, the cells under their columns.
    const int headerY = 15, rowY = (list->RowRect(1).top + list->RowRect(1).bottom) / 2;
    const unsigned long cells[] = {0x40A040, 0x4040C0, 0xA04040};
    int x = 0;
    for (int i = 0; i < 6; ++i) {
      if (i > 0) {
        EXPECT_TRUE(Near(Pixel(POINT{x, headerY}), 0xFF0000)) << "divider " << i << " at " << x;
      }
      const unsigned long first = screenPixel(kX + x + 1, kY + rowY), last = screenPixel(kX + x + r.widths[i] - 2, kY + rowY);
      const unsigned long want = i < 3 ? cells[i] : kWhite;
      EXPECT_TRUE(Near(first, want)) << "column " << i << std::hex << " " << first;
      EXPECT_TRUE(Near(last, want)) << "column " << i << std::hex << " " << last;
      x += r.widths[i];
    }
  }
  // A click on a title with an adapter that does not sort: the marks stay.
  header->ApplyAttribute(SStringW(L"sortHeader"), SStringW(L"1"), FALSE);
  Click(POINT{300, 15});
  EXPECT_EQ(adapter->sortCalls.size(), 1u);
  SHeaderItem item;
  for (int i = 0; i < header->GetItemCount(); ++i) {
    header->QueryColumn(i, &item);
    EXPECT_EQ(item.sortFlag, i == 1 ? 1 : 0) << i;
  }
}

const char* kComboLayout =
    "<ORIEL width='300' height='260'><root colorBkgnd='#ffffff'>"
    "<comboboxEx name='combo' pos='10,10,@200,@30' colorBkgnd='#ffffff' x-offset='4' dropHeight='150' "
    "animateTime='0' curSel='0' colorText='#000000' btnSkin='md_btn_combobox'>"
    "<liststyle iconSkin='t_icons' itemHeight='24' colorItemBkgnd='#ffffff' margin-y='2'/>"
    "<items><item text='first' icon='0'/><item text='second' icon='1'/><item text='third' icon='-1'/></items>"
    "</comboboxEx>"
    "<comboboxEx name='empty' pos='10,200,@200,@30' dropHeight='150' animateTime='0'>"
    "<liststyle iconSkin='t_icons' itemHeight='24'/></comboboxEx>"
    "</root></ORIEL>";

class IconCombo : public AppControlsDisplay {
 protected:
  void OpenCombo() {
    Open(kComboLayout, -1);
    combo = window->FindChildByName2<SComboBoxEx>(SStringW(L"combo"));
    ASSERT_NE(combo, nullptr);
    ASSERT_NE(combo->GetListBox(), nullptr);
    combo->GetEventSet()->SubscribeEvent(EventCBSelChange::EventID, Subscriber(&IconCombo::Record, this));
    combo->GetEventSet()->SubscribeEvent(EventCBSelChanging::EventID, Subscriber(&IconCombo::Record, this));
  }
  bool Record(EventArgs* e) {
    if (e->GetId() == EventCBSelChange::EventID) {
      events.push_back({19000, static_cast<EventCBSelChange*>(e)->nCurSel, 0, 0});
    } else {
      auto* c = static_cast<EventCBSelChanging*>(e);
      events.push_back({10114514, c->nOldSel, c->nNewSel, c->bFlag});
    }
    return true;
  }
  // Screen pixel of a host point.
  unsigned long HostPixel(int x, int y) { return screenPixel(kX + x, kY + y); }
  struct Seen {
    int id, a, b, c;
    bool operator==(const Seen& o) const { return id == o.id && a == o.a && b == o.b && c == o.c; }
  };
  SComboBoxEx* combo = nullptr;
  std::vector<Seen> events;
};

TEST_F(IconCombo, TheBoxShowsTheEntrysIconAndItsTextAfterTheIconWidth) {
  OpenCombo();
  // The default drop button: the program's own skin of three states.
  ASSERT_NE(combo->GetButtonSkin(), nullptr);
  EXPECT_EQ(combo->GetButtonSkin()->StateCount(), 3);
  EXPECT_EQ(combo->GetButtonSkin()->NaturalSize().cx, 22);
  const RECT client = combo->ClientRect();
  const RECT icon = combo->IconRect();
  EXPECT_EQ(icon.left, client.left);
  EXPECT_EQ(icon.right - icon.left, 22);
  EXPECT_EQ(icon.top - client.top, (client.bottom - client.top - 22) / 2);
  EXPECT_EQ(combo->TextRect().left, combo->GetEditTextRect().left + 22 + 4);
  pumpFor(100);
  // Icon 0 has no grey square; icon 1 has one where 0 is empty.
  EXPECT_TRUE(Near(HostPixel(icon.left + 3, icon.top + 3), kWhite));

  // A click opens the list; a click on its second entry chooses it.
  Click(POINT{100, 25});
  ASSERT_TRUE(pumpUntil([&] { return combo->IsDroppedDown(); }));
  EXPECT_EQ(combo->GetListHeight(), std::min(150, 2 + 2 + 3 * 24));
  pumpFor(150);
  RECT drop{};
  GetWindowRect(combo->GetDropDown()->GetHwnd(), &drop);
  EXPECT_EQ(drop.bottom - drop.top, 2 + 2 + 3 * 24);
  // The list draws its icons: entry 1's grey square.
  EXPECT_FALSE(Near(screenPixel(drop.left + 8, drop.top + 2 + 24 + 4), kWhite));
  moveMouse(drop.left + 60, drop.top + 2 + 24 + 12);
  pumpFor(60);
  Press(true);
  pumpFor(40);
  Press(false);
  ASSERT_TRUE(pumpUntil([&] { return !combo->IsDroppedDown(); }));
  pumpFor(100);
  EXPECT_EQ(combo->GetCurSel(), 1);
  EXPECT_EQ(events, (std::vector<Seen>{{19000, 1, 0, 0}, {10114514, 0, 1, 1}}));
  EXPECT_TRUE(Near(HostPixel(icon.left + 3, icon.top + 3), 0xEFEFEF)) << std::hex << HostPixel(icon.left + 3, icon.top + 3);

  // From code: only the selection change; item 2 has no icon.
  events.clear();
  EXPECT_TRUE(combo->SetCurSel(2));
  EXPECT_EQ(events, (std::vector<Seen>{{19000, 2, 0, 0}}));
  pumpFor(100);
  EXPECT_TRUE(Near(HostPixel(icon.left + 3, icon.top + 3), kWhite));
  EXPECT_TRUE(Near(HostPixel(icon.left + 11, icon.top + 11), kWhite));
  EXPECT_EQ(combo->TextRect().left, combo->GetEditTextRect().left + 22 + 4);

  auto* empty = window->FindChildByName2<SComboBoxEx>(SStringW(L"empty"));
  EXPECT_EQ(empty->GetListHeight(), 150);
}

// The desktop's DPI goes from 96 to 144 while the combo is open on screen:
// the dialog base rescales to 150 % and the list draws its icons from the
// 150 % skin (entry 1's grey square 27 px instead of 18).
TEST_F(IconCombo, TheListTakesItsIconsAtTheNewScale) {
  RootResources resources;
  SLayoutSize::SetDefaultUnit(L"dp");  // DPI handling on, as in the program
  OpenCombo();
  ASSERT_EQ(GetDpiForWindow(window->GetHwnd()), 96u) << "the test server starts at 96 DPI";
  SListBoxEx* listBox = combo->GetListBox();
  ASSERT_NE(listBox->GetIconSkin(), nullptr);
  EXPECT_EQ(listBox->GetIconSkin()->GetScale(), 100);

  RootResources::write(resources.withDpi(144));
  ASSERT_TRUE(pumpUntil([&] { return window->GetScale() == 150; })) << "the dialog never rescaled";
  pumpFor(200);
  ISkinObj* at150 = listBox->GetIconSkin();
  ASSERT_NE(at150, nullptr);
  EXPECT_EQ(at150, SSkinPoolMgr::getSingleton().GetSkin(SStringW(L"t_icons"), 150));
  EXPECT_EQ(at150->NaturalSize().cx, 33);
  EXPECT_EQ(combo->IconRect().right - combo->IconRect().left, 33);
  RECT host{};
  GetWindowRect(window->GetHwnd(), &host);
  EXPECT_EQ(host.right - host.left, 900) << "the window follows the ratio";

  const RECT box = combo->GetWindowRect();
  moveMouse(host.left + (box.left + box.right) / 2, host.top + (box.top + box.bottom) / 2);
  pumpFor(60);
  Press(true);
  pumpFor(40);
  Press(false);
  ASSERT_TRUE(pumpUntil([&] { return combo->IsDroppedDown(); }));
  pumpFor(150);
  RECT drop{};
  GetWindowRect(combo->GetDropDown()->GetHwnd(), &drop);
  // Entry 1's row, where its icon stands at the left.
  const int margin = 3, itemHeight = 36;
  const RECT entry1{drop.left, drop.top + margin + itemHeight, drop.left + 45, drop.top + margin + 2 * itemHeight};
  const RECT square = ColourBounds(entry1, 0xEFEFEF, 3);
  EXPECT_GE(square.right - square.left, 25) << "width " << square.right - square.left;
  EXPECT_LE(square.right - square.left, 29) << "width " << square.right - square.left;
  EXPECT_GE(square.bottom - square.top, 25) << "height " << square.bottom - square.top;
  EXPECT_LE(square.bottom - square.top, 29) << "height " << square.bottom - square.top;
  tapKey(XK_Escape);
  pumpUntil([&] { return !combo->IsDroppedDown(); }, 1000);

  // Back to 96: the 100 % skin again.
  RootResources::write(resources.withDpi(0));
  ASSERT_TRUE(pumpUntil([&] { return window->GetScale() == 100; }));
  EXPECT_EQ(listBox->GetIconSkin(), SSkinPoolMgr::getSingleton().GetSkin(SStringW(L"t_icons"), 100));
}

TEST_F(IconCombo, AHotTrackingListBoxReleaseRaisesChangingThenChanged) {
  OpenCombo();
  SListBoxEx* listBox = combo->GetListBox();
  std::vector<int> seen;
  auto record = [&](EventArgs* e) {
    seen.push_back(e->GetId());
    return false;
  };
  listBox->GetEventSet()->SubscribeEvent(EventLBSelChanging::EventID, StdFunctionSlot(record));
  listBox->GetEventSet()->SubscribeEvent(EventLBSelChanged::EventID, StdFunctionSlot(record));
  Click(POINT{100, 25});
  ASSERT_TRUE(pumpUntil([&] { return combo->IsDroppedDown(); }));
  RECT drop{};
  GetWindowRect(combo->GetDropDown()->GetHwnd(), &drop);
  moveMouse(drop.left + 60, drop.top + 2 + 2 * 24 + 12);
  pumpFor(60);
  Press(true);
  pumpFor(40);
  Press(false);
  ASSERT_TRUE(pumpUntil([&] { return !combo->IsDroppedDown(); }));
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[seen.size() - 2], 12000);
  EXPECT_EQ(seen.back(), 12001);
  EXPECT_EQ(combo->GetCurSel(), 2);
}

}  // namespace
