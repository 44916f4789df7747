// Scrolling a panel of 100 rows so that one row can be seen, in a real
// window: the scroll position afterwards and the rows on the screen.
#include <algorithm>
#include <vector>

#include "OrielTestApp.h"
#include "SwndWindowHost.h"
#include "base/ScrollIntoView.h"
#include "display_helper.h"

using namespace ORIEL;

namespace {

constexpr int kX = 260, kY = 180, kW = 160, kH = 200;
constexpr int kHeader = 20;   // a band over the rows, outside the scrolled part
constexpr int kRowHeight = 20, kSpacing = 2, kRows = 100;
constexpr int kTallRow = 60, kTallHeight = 300;  // taller than the view
constexpr unsigned long kHeaderColour = 0xFF00FF, kGapColour = 0x808080;

// Row i is filled with red 2i, green 255-i, blue 64: the red channel tells
// which row a pixel belongs to (the header's odd red tells it apart).
unsigned long RowColour(int row) { return (2ul * row) << 16 | (255ul - row) << 8 | 64ul; }
COLORREF ToColorRef(unsigned long rgb) {
  return 0xFF000000u | (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF);
}

class RowPanel : public SPanel, public IPanelItemLayout {
  SOBJ_CLASS(RowPanel, SPanel, L"rowpanel", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"div"; }
  RowPanel() {
    int at = 0;
    for (int i = 0; i < kRows; ++i) {
      starts_.push_back(at);
      at += Height(i) + kSpacing;
    }
    total_ = at - kSpacing;
  }
  static int Height(int row) { return row == kTallRow ? kTallHeight : kRowHeight; }
  int Total() const { return total_; }
  int ViewExtent() const { return ClientRect().bottom - ClientRect().top - kHeader; }

  RECT GetItemViewRect(int) const override { return ClientRect(); }
  SLayoutSize GetViewInsetTop() const override { return SLayoutSize(kHeader, SLayoutSize::px); }
  int GetItemStart(int index, bool) const override { return starts_[static_cast<size_t>(index)]; }
  int GetItemSize(int index, bool) const override { return Height(index); }
  int GetItemSpacing(bool) const override { return kSpacing; }

 protected:
  void OnPaint(IRenderTarget* rt) override {
    const RECT client = ClientRect();
    rt->FillSolidRect(&client, ToColorRef(kGapColour));
    const int top = client.top + kHeader - GetScrollPos(true);
    for (int i = 0; i < kRows; ++i) {
      RECT row{client.left, top + starts_[static_cast<size_t>(i)], client.right,
               top + starts_[static_cast<size_t>(i)] + Height(i)};
      if (row.bottom <= client.top || row.top >= client.bottom) continue;
      row.top = std::max(row.top, client.top);
      row.bottom = std::min(row.bottom, client.bottom);
      rt->FillSolidRect(&row, ToColorRef(RowColour(i)));
    }
    RECT header{client.left, client.top, client.right, client.top + kHeader};
    rt->FillSolidRect(&header, ToColorRef(kHeaderColour));
  }

 private:
  std::vector<int> starts_;
  int total_ = 0;
};

class ScrollIntoViewTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    app->RegisterClass<RowPanel>(true);
    host = new SwndWindowHost(kX, kY, kW, kH);
    host->CreateChildrenFromString(L"<rowpanel pos='0,0,-0,-0'/>");
    panel = static_cast<RowPanel*>(host->GetRelative(GSW_FIRSTCHILD));
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(panel->IsClass(L"rowpanel"));
    host->ApplyLayout();
    panel->ShowScrollBar(SPanel::kBarVert, TRUE);
    SCROLLINFO si{};
    si.fMask = SIF_RANGE | SIF_PAGE;
    si.nMin = 0;
    si.nMax = panel->Total() - 1;
    si.nPage = static_cast<UINT>(panel->ViewExtent());
    panel->SetBarInfo(si, true);
    ShowWindow(host->Hwnd(), SW_SHOWNA);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    ASSERT_EQ(panel->ViewExtent(), kH - kHeader);
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(SWM_DESTROY);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  // The colour on the screen at a height of the panel's client area.
  unsigned long At(int y) { return screenPixel(kX + panel->ClientRect().left + 5, kY + panel->ClientRect().top + y); }
  bool Shows(int y, unsigned long colour) {
    return pumpUntil([&] { return At(y) == colour; }, 3000);
  }
  int Start(int row) const { return panel->GetItemStart(row, true); }

  SwndWindowHost* host = nullptr;
  RowPanel* panel = nullptr;
};

TEST_F(ScrollIntoViewTest, ARowBelowComesToTheBottomAndARowAboveToTheTop) {
  const int extent = panel->ViewExtent();
  ASSERT_TRUE(Shows(kHeader, RowColour(0)));

  // Row 30 lies below: the least scroll shows it (and the gap after it)
  // at the bottom edge.
  EXPECT_EQ(ScrollItemIntoView(panel, 30, true, false), 1);
  const int below = Start(30) + kRowHeight + kSpacing - extent;
  EXPECT_EQ(panel->GetScrollPos(true), below);
  EXPECT_TRUE(Shows(kH - 1 - kSpacing, RowColour(30))) << std::hex << At(kH - 1 - kSpacing);
  EXPECT_TRUE(Shows(kH - kSpacing - kRowHeight, RowColour(30)));
  EXPECT_EQ(At(kH - 1), kGapColour);

  // Row 10 lies above: it comes to the top, under the header.
  EXPECT_EQ(ScrollItemIntoView(panel, 10, true, false), 1);
  EXPECT_EQ(panel->GetScrollPos(true), Start(10));
  EXPECT_TRUE(Shows(kHeader, RowColour(10)));
  EXPECT_EQ(At(kHeader - 1), kHeaderColour);

  // The last row wholly seen stays; the one cut by the bottom edge is
  // scrolled only as far as its end.
  EXPECT_EQ(ScrollItemIntoView(panel, 17, true, false), 1);
  EXPECT_EQ(panel->GetScrollPos(true), Start(10));  // wholly seen: no scroll
  const int partial = (Start(10) + extent) / (kRowHeight + kSpacing);  // the row cut by the bottom edge
  ASSERT_GT(Start(partial) + kRowHeight, Start(10) + extent);
  EXPECT_EQ(ScrollItemIntoView(panel, partial, true, false), 1);
  EXPECT_EQ(panel->GetScrollPos(true), Start(partial) + kRowHeight + kSpacing - extent);
}

TEST_F(ScrollIntoViewTest, ARowAlreadyInViewMovesNothing) {
  ASSERT_TRUE(panel->SetScrollPos(true, Start(40), TRUE));
  ASSERT_TRUE(Shows(kHeader, RowColour(40)));
  const int extent = panel->ViewExtent();
  // The first and the last row wholly inside, and one in between.
  const int last = 40 + (extent + kSpacing) / (kRowHeight + kSpacing) - 1;
  for (int row : {40, 44, last}) {
    SCOPED_TRACE(row);
    ASSERT_LE(Start(row) + kRowHeight, Start(40) + extent);
    EXPECT_EQ(ScrollItemIntoView(panel, row, true, false), 1);
    EXPECT_EQ(ScrollItemIntoView(panel, row, true, true), 1);
    EXPECT_EQ(panel->GetScrollPos(true), Start(40));
  }
  pumpFor(100);
  EXPECT_EQ(At(kHeader), RowColour(40));
}

TEST_F(ScrollIntoViewTest, ARowTallerThanTheViewShowsItsTop) {
  ASSERT_GT(kTallHeight, panel->ViewExtent());
  for (bool alignToStart : {false, true}) {
    SCOPED_TRACE(alignToStart);
    ASSERT_TRUE(panel->SetScrollPos(true, 0, TRUE) || panel->GetScrollPos(true) == 0);
    EXPECT_EQ(ScrollItemIntoView(panel, kTallRow, true, alignToStart), 1);
    EXPECT_EQ(panel->GetScrollPos(true), Start(kTallRow));
    EXPECT_TRUE(Shows(kHeader, RowColour(kTallRow)));
    EXPECT_EQ(At(kHeader - 1), kHeaderColour);
    EXPECT_EQ(At(kH - 1), RowColour(kTallRow));
  }
  // Scrolled into its middle, the tall row is not wholly seen: its top
  // comes back.
  ASSERT_TRUE(panel->SetScrollPos(true, Start(kTallRow) + 50, TRUE));
  EXPECT_EQ(ScrollItemIntoView(panel, kTallRow, true, false), 1);
  EXPECT_EQ(panel->GetScrollPos(true), Start(kTallRow));
}

TEST_F(ScrollIntoViewTest, AlignToStartBringsARowBelowToTheTop) {
  EXPECT_EQ(ScrollItemIntoView(panel, 75, true, true), 1);
  EXPECT_EQ(panel->GetScrollPos(true), Start(75));
  EXPECT_TRUE(Shows(kHeader, RowColour(75)));
}

TEST_F(ScrollIntoViewTest, NoPanelOrANegativeIndexDoesNothing) {
  ASSERT_TRUE(panel->SetScrollPos(true, Start(20), TRUE));
  EXPECT_EQ(ScrollItemIntoView(nullptr, 5, true, false), 0);
  EXPECT_EQ(ScrollItemIntoView(panel, -1, true, false), 0);
  EXPECT_EQ(panel->GetScrollPos(true), Start(20));
  // A plain panel tells nothing about items.
  auto* plain = new SPanel();
  EXPECT_EQ(ScrollItemIntoView(plain, 3, true, false), 0);
  plain->Release();
}

}  // namespace
