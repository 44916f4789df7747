// Layouts: one layout of every anchor form, an hbox, a vbox and a grid,
// laid out at two host sizes and two scales against a table of rectangles;
// then the edge cases of each layout, the parameter grammar and the
// registered classes.
#include <gtest/gtest.h>

#include <map>

#include "LayoutTestWindow.h"
#include "layout/OrielLayoutParam.h"
#include "layout/SGridLayout.h"
#include "layout/SGridLayoutParam.h"
#include "layout/SLinearLayout.h"

namespace ORIEL {
namespace {

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SObjectDefaultRegister().RegisterLayoutClasses(&factory);
    // Lengths without a unit scale with the window, as a UI definition that
    // sets "dp" makes them.
    SLayoutSize::SetDefaultUnit(L"dp");
  }
  void TearDown() override { SLayoutSize::SetDefaultUnit(L"px"); }

  // Builds the tree of `xml` and lays it out in a host of width × height.
  LayoutTestWindow* Build(const char* xml, int width, int height) {
    EXPECT_TRUE(doc.load_string(xml)) << xml;
    root = std::make_unique<LayoutTestWindow>(&factory, &scale);
    root->Load(doc.document_element());
    const RECT host{0, 0, width, height};
    root->RelayoutTo(&host);
    return root.get();
  }
  RECT RectOf(int id) {
    LayoutTestWindow* w = root->FindById(id);
    EXPECT_NE(w, nullptr) << "no window " << id;
    return w ? w->rect : RECT{-1, -1, -1, -1};
  }

  SObjectFactoryMgr factory;
  int scale = 100;
  pugi::xml_document doc;
  std::unique_ptr<LayoutTestWindow> root;
};

std::string Show(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

#define EXPECT_RECT(actual, l, t, r, b) EXPECT_EQ(Show(actual), Show(RECT{l, t, r, b}))

// Children of the root: anchored windows of every form (two of them kept
// out of the layout, hidden without keeping their place or floating), an
// hbox, a vbox under it and a grid beside the vbox.
const char* const kWholeLayout = R"(
<window>
  <window id="1" pos="0,0,-0,-0"/>
  <window id="2" pos="|0,|0" offset="-0.5,-0.5" size="40,20"/>
  <window id="3" pos="%25,%10,%-25,@30"/>
  <window id="9" visible="0" display="0" size="10,10"/>
  <window id="19" float="1" size="10,10"/>
  <window id="4" pos="[10,{0" content="50,20"/>
  <window id="5" pos="]-25,0" content="20,10"/>
  <window id="6" pos="-100,-50,@80,@30"/>
  <window id="7" pos="sib.left@6:0,sib.bottom@6:4" size="30,10"/>
  <window id="8" pos="sib.right@99:-10,sib.top@99:10" size="20,20"/>
  <window id="10" pos="0,%50,-0,@60" layout="hbox" interval="4" gravity="center">
    <window id="11" size="50,20"/>
    <window id="12" width="50" height="wrapContent" content="10,30" weight="1" layout_gravity="top"/>
    <window id="13" size="50,-2" weight="2" extend="4,2,6,2"/>
    <window id="14" size="20,20" layout_gravity="bottom"/>
  </window>
  <window id="20" pos="10,[8" size="100,-1" layout="vbox" interval="5">
    <window id="21" size="-2,20"/>
    <window id="22" content="30,30" layout_gravity="center"/>
    <window id="23" size="40,10" layout_gravity="right"/>
  </window>
  <window id="30" pos="sib.right@20:12,sib.top@20:0" layout="gridLayout" columnCount="3" interval="2">
    <window id="31" content="20,10"/>
    <window id="32" content="30,40" rowSpan="2" layout_yGravity="fill"/>
    <window id="33" content="10,10"/>
    <window id="34" content="41,10" columnSpan="3"/>
    <window id="35" content="16,6" columnSpan="0" layout_xGravity="fill"/>
  </window>
</window>)";

struct Host {
  int width, height, scale;
};
const Host kHosts[] = {{400, 300, 100}, {400, 300, 150}, {600, 400, 100}, {600, 400, 150}};

// Per window, its rectangle in each host of kHosts, in that order.
const std::map<int, std::array<RECT, 4>> kExpected = {
    {1, {{{0, 0, 400, 300}, {0, 0, 400, 300}, {0, 0, 600, 400}, {0, 0, 600, 400}}}},
    {2, {{{180, 140, 220, 160}, {170, 135, 230, 165}, {280, 190, 320, 210}, {270, 185, 330, 215}}}},
    {3, {{{100, 30, 300, 60}, {100, 30, 300, 75}, {150, 40, 450, 70}, {150, 40, 450, 85}}}},
    {4, {{{310, 30, 360, 50}, {315, 30, 390, 60}, {460, 40, 510, 60}, {465, 40, 540, 70}}}},
    {5, {{{275, 0, 295, 10}, {212, 0, 242, 15}, {475, 0, 495, 10}, {412, 0, 442, 15}}}},
    {6, {{{300, 250, 380, 280}, {250, 225, 370, 270}, {500, 350, 580, 380}, {450, 325, 570, 370}}}},
    {7, {{{300, 284, 330, 294}, {250, 276, 295, 291}, {500, 384, 530, 394}, {450, 376, 495, 391}}}},
    {8, {{{390, 10, 410, 30}, {385, 15, 415, 45}, {590, 10, 610, 30}, {585, 15, 615, 45}}}},
    {9, {{{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}}},
    {10, {{{0, 150, 400, 210}, {0, 150, 400, 240}, {0, 200, 600, 260}, {0, 200, 600, 290}}}},
    {11, {{{0, 170, 50, 190}, {0, 180, 75, 210}, {0, 220, 50, 240}, {0, 230, 75, 260}}}},
    {12, {{{54, 150, 173, 180}, {81, 150, 193, 195}, {54, 200, 240, 230}, {81, 200, 260, 245}}}},
    {13, {{{181, 152, 370, 208}, {205, 153, 355, 237}, {248, 202, 570, 258}, {272, 203, 555, 287}}}},
    {14, {{{380, 190, 400, 210}, {370, 210, 400, 240}, {580, 240, 600, 260}, {570, 260, 600, 290}}}},
    {19, {{{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}}},
    {20, {{{10, 218, 110, 288}, {15, 252, 165, 358}, {10, 268, 110, 338}, {15, 302, 165, 408}}}},
    {21, {{{10, 218, 110, 238}, {15, 252, 165, 282}, {10, 268, 110, 288}, {15, 302, 165, 332}}}},
    {22, {{{45, 243, 75, 273}, {67, 290, 112, 335}, {45, 293, 75, 323}, {67, 340, 112, 385}}}},
    {23, {{{70, 278, 110, 288}, {105, 343, 165, 358}, {70, 328, 110, 338}, {105, 393, 165, 408}}}},
    {30, {{{122, 218, 192, 252}, {183, 252, 289, 303}, {122, 268, 192, 302}, {183, 302, 289, 353}}}},
    {31, {{{122, 223, 142, 233}, {183, 259, 213, 274}, {122, 273, 142, 283}, {183, 309, 213, 324}}}},
    {32, {{{144, 218, 174, 250}, {217, 252, 262, 300}, {144, 268, 174, 300}, {217, 302, 262, 350}}}},
    {33, {{{179, 223, 189, 233}, {269, 259, 284, 274}, {179, 273, 189, 283}, {269, 309, 284, 324}}}},
    {34, {{{128, 240, 168, 250}, {191, 285, 253, 300}, {128, 290, 168, 300}, {191, 335, 253, 350}}}},
    {35, {{{176, 242, 192, 248}, {265, 288, 289, 297}, {176, 292, 192, 298}, {265, 338, 289, 347}}}},
};

TEST_F(LayoutTest, WholeLayoutAtTwoSizesAndTwoScales) {
  for (size_t h = 0; h < std::size(kHosts); ++h) {
    SCOPED_TRACE(testing::Message() << "host " << kHosts[h].width << "x" << kHosts[h].height << " scale "
                                    << kHosts[h].scale);
    scale = kHosts[h].scale;
    Build(kWholeLayout, kHosts[h].width, kHosts[h].height);
    int checked = 0;
    root->ForEach([&](LayoutTestWindow* w) {
      if (w == root.get()) return;
      auto it = kExpected.find(w->GetId());
      ASSERT_NE(it, kExpected.end()) << "window " << w->GetId() << " has no row";
      const RECT& e = it->second[h];
      EXPECT_RECT(w->rect, e.left, e.top, e.right, e.bottom) << "window " << w->GetId();
      ++checked;
    });
    EXPECT_EQ(checked, static_cast<int>(kExpected.size()));
    EXPECT_EQ(root->FindById(9)->placed, 0) << "a hidden window without its place is left alone";
    EXPECT_EQ(root->FindById(19)->placed, 0) << "a floating window is not the layout's";
  }
}

}  // namespace
}  // namespace ORIEL
