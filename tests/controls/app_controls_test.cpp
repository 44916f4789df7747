// The program's list controls headless: the proportional header, the
// list's scroll-bar decision, the rubber band's fill and the icon loaded
// at the scale's size.
#include <gtest/gtest.h>

#include <vector>

#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "controls/SHeaderCtrlEx.h"
#include "controls/SListCtrlsEx.h"
#include "controls/SMCListViewEx.h"

namespace {

class AppControlsTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    app->AttachProvider(BundleProvider(), nullptr);
    app->RegisterClass<SHeaderCtrlEx>();
    app->RegisterClass<SCtrlIConEx>();
  }
  void TearDown() override {
    for (SwndTestHost* host : hosts) {
      host->SendSwndMessage(SWM_DESTROY);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  SwndTestHost* Host(int scale = 100) {
    hosts.push_back(new SwndTestHost(1000, 300, scale));
    return hosts.back();
  }
  // A "header2" of the given layout widths, `width` pixels wide.
  SHeaderCtrlEx* Header(const std::vector<int>& widths, int width, bool matchParent) {
    SStringW xml;
    xml.Format(L"<header2 pos='0,0,%d,30' matchParent='%d'><items>", width, matchParent ? 1 : 0);
    for (int w : widths) {
      SStringW item;
      item.Format(L"<item width='%d'>c</item>", w);
      xml += item;
    }
    xml += L"</items></header2>";
    SwndTestHost* host = Host();
    host->CreateChildrenFromString(xml.c_str());
    host->ApplyLayout();
    return dynamic_cast<SHeaderCtrlEx*>(host->GetRelative(GSW_LASTCHILD));
  }
  static std::vector<int> Widths(SHeaderCtrl* header) {
    std::vector<int> out;
    for (int i = 0; i < header->GetItemCount(); ++i) out.push_back(header->GetColumnWidth(i));
    return out;
  }
  static void Resize(SWindow* window, int width) {
    const RECT rc{0, 0, width, 30};
    window->Move(&rc);
  }
  std::vector<SwndTestHost*> hosts;
};

TEST_F(AppControlsTest, HeaderSharesItsWidthByTheLayoutWidths) {
  const struct {
    std::vector<int> xml;
    int width;
    std::vector<int> expected;
  } rows[] = {
      {{115, 80, 165, 85, 145, 53}, 600, {110, 74, 153, 79, 135, 49}},
      {{115, 80, 165, 85, 145, 53}, 900, {165, 111, 230, 118, 202, 74}},
      {{0, 0, 0}, 300, {300, 0, 0}},
      {{0, 60, 40}, 500, {0, 300, 200}},
  };
  for (const auto& r : rows) {
    SHeaderCtrlEx* header = Header(r.xml, 100, true);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->GetXmlWidths(), r.xml);
    Resize(header, r.width);
    EXPECT_EQ(Widths(header), r.expected) << r.width;
    EXPECT_EQ(header->GetTotalWidth(), r.width);
  }
}

TEST_F(AppControlsTest, HeaderWithoutMatchParentKeepsTheLayoutWidths) {
  SHeaderCtrlEx* header = Header({115, 80, 165}, 600, false);
  ASSERT_NE(header, nullptr);
  Resize(header, 900);
  EXPECT_EQ(Widths(header), (std::vector<int>{115, 80, 165}));
  EXPECT_TRUE(header->GetXmlWidths().empty());
}

TEST_F(AppControlsTest, SharedColumnsCannotBeResizedByTheMouse) {
  SHeaderCtrlEx* header = Header({100, 100}, 200, true);
  ASSERT_NE(header, nullptr);
  Resize(header, 200);
  ASSERT_EQ(Widths(header), (std::vector<int>{100, 100}));
  // A drag from the divider between the columns.
  header->SendSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 10));
  header->SendSwndMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 10));
  header->SendSwndMessage(WM_LBUTTONUP, 0, MAKELPARAM(150, 10));
  EXPECT_EQ(Widths(header), (std::vector<int>{100, 100}));
}

TEST_F(AppControlsTest, HeaderNeedsItemsAndAnEmptyOneSharesNothing) {
  auto* bare = static_cast<SHeaderCtrlEx*>(app->NewWindowByClass(L"header2"));
  ASSERT_NE(bare, nullptr);
  SXmlDoc doc;
  ASSERT_TRUE(doc.load_string("<header2 matchParent='1'/>"));
  EXPECT_FALSE(bare->CreateChildren(doc.first_child()));
  bare->Release();

  SwndTestHost* host = Host();
  host->CreateChildrenFromString(L"<header2 pos='0,0,300,30' matchParent='1'><items/></header2>");
  auto* empty = dynamic_cast<SHeaderCtrlEx*>(host->GetRelative(GSW_LASTCHILD));
  ASSERT_NE(empty, nullptr);
  Resize(empty, 600);  // would write column 0 of an empty list
  EXPECT_EQ(empty->GetItemCount(), 0);
  EXPECT_EQ(empty->GetTotalWidth(), 0);
}

TEST_F(AppControlsTest, ScrollBarsFollowTheContentAgainstTheRowsArea) {
  const struct {
    int W, H, w, h, b;
    bool v, hz;
    int vMax, vPage, hMax, hPage;
  } rows[] = {
      {300, 200, 400, 300, 10, false, false, 299, 300, 399, 400},  // all fits
      {300, 900, 400, 300, 10, true, false, 899, 300, 399, 400},   // taller: vertical only
      {500, 200, 400, 300, 10, false, true, 299, 300, 499, 400},   // wider: horizontal only
      {500, 900, 400, 300, 10, true, true, 899, 290, 499, 390},    // both, pages shrink
      {405, 295, 400, 300, 10, true, true, 294, 290, 404, 390},    // within a bar of both: both
      {395, 200, 400, 300, 10, false, false, 299, 300, 399, 400},  // narrow enough: none
      {300, 900, 400, 5, 10, true, false, 899, 5, 399, 400},
      {300, 900, 0, 0, 10, true, true, 899, 0, 299, 0},  // no room at all
  };
  for (const auto& r : rows) {
    const McBarLayout bars = LayoutMcBars(r.W, r.H, r.w, r.h, r.b, 0, 0);
    SCOPED_TRACE(testing::Message() << r.W << "x" << r.H << " in " << r.w << "x" << r.h);
    EXPECT_EQ(bars.showV, r.v);
    EXPECT_EQ(bars.showH, r.hz);
    EXPECT_EQ(bars.v.nMax, r.vMax);
    EXPECT_EQ(static_cast<int>(bars.v.nPage), r.vPage);
    EXPECT_EQ(bars.h.nMax, r.hMax);
    EXPECT_EQ(static_cast<int>(bars.h.nPage), r.hPage);
  }
  // A position past the end comes back to end - page; a hidden bar is at 0.
  const McBarLayout pulled = LayoutMcBars(300, 900, 400, 300, 10, 800, 50);
  EXPECT_EQ(pulled.v.nPos, 600);
  EXPECT_EQ(pulled.h.nPos, 0);
}

TEST_F(AppControlsTest, RubberBandFillScalesTheAlpha) {
  const struct {
    COLORREF color;
    int scale;
    COLORREF fill;
  } rows[] = {
      {0xFFFF0000, 88, 0x57FF0000},
      {0x80123456, 255, 0x80123456},
      {0x00FF0000, 88, 0x00FF0000},
      {0xFF00FF00, 256, 0x0000FF00},  // used as a byte: 0
      {0x40FFFFFF, 128, 0x20FFFFFF},
  };
  for (const auto& r : rows) EXPECT_EQ(RubberBandFill(r.color, r.scale), r.fill) << std::hex << r.color;
}

TEST_F(AppControlsTest, IconLoadsAtTheScalesSizeAndAgainOnAScaleChange) {
  const struct {
    const wchar_t* src;
    int scale;
    int pixels;
  } rows[] = {
      {L"ICON_LOGO:24", 100, 24}, {L"ICON_LOGO:24", 125, 30}, {L"ICON_LOGO:24", 150, 36},
      {L"ICON_LOGO:24", 175, 42}, {L"ICON_LOGO:24", 200, 48}, {L"ICON_LOGO:29", 125, 36},
  };
  for (const auto& r : rows) {
    SwndTestHost* host = Host(r.scale);
    SStringW xml;
    xml.Format(L"<iconex pos='0,0,60,60' src2='%ls'/>", r.src);
    host->CreateChildrenFromString(xml.c_str());
    auto* icon = dynamic_cast<SCtrlIConEx*>(host->GetRelative(GSW_LASTCHILD));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->GetIconName(), SStringW(L"ICON_LOGO"));
    EXPECT_EQ(icon->GetIconPixelSize(), r.pixels) << r.src << " at " << r.scale;
  }
  SCtrlIConEx* icon = dynamic_cast<SCtrlIConEx*>(hosts.front()->GetRelative(GSW_LASTCHILD));
  icon->SendSwndMessage(SWM_UPDATESCALE, 150);
  EXPECT_EQ(icon->GetIconPixelSize(), 36);
  icon->SendSwndMessage(SWM_UPDATESCALE, 100);
  EXPECT_EQ(icon->GetIconPixelSize(), 24);
}

TEST_F(AppControlsTest, IconWithoutASizeKeepsItsOwnSizeAsTheBase) {
  SwndTestHost* host = Host(100);
  host->CreateChildrenFromString(L"<iconex pos='0,0,60,60' src2='ICON_LOGO'/>");
  auto* icon = dynamic_cast<SCtrlIConEx*>(host->GetRelative(GSW_LASTCHILD));
  ASSERT_NE(icon, nullptr);
  const int own = icon->GetIconPixelSize();
  ASSERT_GT(own, 0);
  EXPECT_EQ(icon->GetBaseSize(), own);
  icon->SendSwndMessage(SWM_UPDATESCALE, 200);
  EXPECT_EQ(icon->GetIconPixelSize(), own * 2);
}

}  // namespace
