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


// Each case: a layout, the host size, and the rectangles of windows 1-3.
struct RectCase {
  const char* what;
  const char* xml;
  int width, height;
  std::vector<std::pair<int, RECT>> expected;
};

TEST_F(LayoutTest, AnchorEdgeCases) {
  const RectCase cases[] = {
      {"children without pos flow from the corner, top-aligned with the one before",
       R"(<window><window id="1" content="30,10"/><window id="2" content="20,25"/>
          <window id="3" content="5,5"/></window>)",
       200, 100, {{1, {0, 0, 30, 10}}, {2, {30, 0, 50, 25}}, {3, {50, 0, 55, 5}}}},
      {"0,[0,-0,-0 fills the area below the previous child",
       R"(<window><window id="1" pos="0,0" size="10,30"/><window id="2" pos="0,[0,-0,-0"/></window>)",
       200, 100, {{1, {0, 0, 10, 30}}, {2, {0, 30, 200, 100}}}},
      {"-40,0 puts the left edge 40 before the far edge; a wrapped width follows from there",
       R"(<window><window id="1" pos="-40,0" content="70,10"/></window>)", 200, 100, {{1, {160, 0, 230, 10}}}},
      {"percent: 50, 100-25 and a clamped 150",
       R"(<window><window id="1" pos="%50,0" size="1,1"/><window id="2" pos="%-25,0" size="1,1"/>
          <window id="3" pos="%150,%-150" size="1,1"/></window>)",
       200, 100, {{1, {100, 0, 101, 1}}, {2, {150, 0, 151, 1}}, {3, {200, 0, 201, 1}}}},
      {"[ and { follow the previous child's far and near edges",
       R"(<window><window id="1" pos="20,30" size="40,10"/><window id="2" pos="[10,{0" size="5,5"/></window>)",
       200, 100, {{1, {20, 30, 60, 40}}, {2, {70, 30, 75, 35}}}},
      {"] on the first child resolves once the next child is placed",
       R"(<window><window id="1" pos="]5,0" size="10,10"/><window id="2" pos="50,20" size="10,10"/></window>)",
       200, 100, {{1, {55, 0, 65, 10}}, {2, {50, 20, 60, 30}}}},
      {"a child that refers to a shifted child waits for the shift",
       R"(<window><window id="1" pos="|0,0" offset="-0.5,0" size="40,10"/>
          <window id="2" pos="[0,0" size="10,10"/></window>)",
       200, 100, {{1, {80, 0, 120, 10}}, {2, {120, 0, 130, 10}}}},
      {"a sibling id nobody has measures from the area itself",
       R"(<window><window id="1" pos="sib.left@42:7,sib.bottom@42:-20" size="10,10"/></window>)", 200, 100,
       {{1, {7, 80, 17, 90}}}},
      {"@- on the far items wraps the content",
       R"(<window><window id="1" pos="5,5,@-0,@-0" content="33,44"/></window>)", 200, 100,
       {{1, {5, 5, 38, 49}}}},
  };
  for (const RectCase& c : cases) {
    SCOPED_TRACE(c.what);
    Build(c.xml, c.width, c.height);
    for (const auto& [id, e] : c.expected) EXPECT_RECT(RectOf(id), e.left, e.top, e.right, e.bottom) << id;
  }
}

TEST_F(LayoutTest, AnchorMeasure) {
  Build(R"(<window><window id="1" pos="10,10" size="50,20"/></window>)", 0, 0);
  OrielLayout layout;
  SIZE sz = layout.MeasureAll(root.get(), 300, 200);
  EXPECT_EQ(sz.cx, 60);
  EXPECT_EQ(sz.cy, 30);
  // The far-edge distance of 7 counts, so the content is as wide as given.
  Build(R"(<window><window id="1" pos="10,10" size="50,20"/><window id="2" pos="0,[5,-7,@30"/></window>)", 0, 0);
  sz = layout.MeasureAll(root.get(), 300, 200);
  EXPECT_EQ(sz.cx, 300);
  EXPECT_EQ(sz.cy, 65);
  // An unknown width stays unknown; the content height still counts.
  sz = layout.MeasureAll(root.get(), OrielLayout::kNotComputed, 200);
  EXPECT_EQ(sz.cx, OrielLayout::kNotComputed);
  EXPECT_EQ(sz.cy, 65);
}

TEST_F(LayoutTest, PosGrammar) {
  OrielLayoutParam p;
  EXPECT_EQ(p.ApplyAttribute(SStringW(L"pos"), SStringW(L"1,2,3"), TRUE), E_INVALIDARG);
  EXPECT_EQ(p.data.nCount, 0);
  EXPECT_TRUE(p.IsWrapContent(Both));
  // A first pair with a size item is ignored, and so is an invalid sibling.
  EXPECT_EQ(p.ApplyAttribute(SStringW(L"pos"), SStringW(L"@10,5"), TRUE), S_OK);
  EXPECT_EQ(p.data.nCount, 0);
  EXPECT_EQ(p.ApplyAttribute(SStringW(L"pos"), SStringW(L"sib.Left@3:1,5"), TRUE), S_OK);
  EXPECT_EQ(p.ApplyAttribute(SStringW(L"pos"), SStringW(L"sib.left@0:1,5"), TRUE), S_OK);
  EXPECT_EQ(p.ApplyAttribute(SStringW(L"pos"), SStringW(L"sib.left@3,5"), TRUE), S_OK);
  EXPECT_EQ(p.data.nCount, 0);

  EXPECT_EQ(p.ApplyAttribute(SStringW(L"pos"), SStringW(L" sib.top@3:-10 ,\t|-4,0,-0"), TRUE), S_OK);
  EXPECT_EQ(p.data.nCount, 4);
  EXPECT_EQ(p.data.posLeft.pit, PosSiblingNear);
  EXPECT_EQ(p.data.posLeft.nRefID, 3);
  EXPECT_EQ(p.data.posLeft.cMinus, -1);
  EXPECT_FLOAT_EQ(p.data.posLeft.nPos.fSize, 10.0f);
  EXPECT_EQ(p.data.posTop.pit, PosCenter);
  EXPECT_EQ(p.data.posTop.cMinus, -1);
  // Neither pair is "0" and "-0" nor ends in a size: both edges come from items.
  EXPECT_FALSE(p.data.width.IsSpecified());
  EXPECT_FALSE(p.data.height.IsSpecified());

  EXPECT_EQ(p.ApplyAttribute(SStringW(L"pos"), SStringW(L"0,5,-0,@-0"), TRUE), S_OK);
  EXPECT_TRUE(p.IsMatchParent(Horz));
  EXPECT_TRUE(p.IsWrapContent(Vert));
  EXPECT_EQ(p.ApplyAttribute(SStringW(L"pos"), SStringW(L"0,5,@12,@7"), TRUE), S_OK);
  EXPECT_FLOAT_EQ(p.GetSpecifiedSize(Horz).fSize, 12.0f);
  EXPECT_FLOAT_EQ(p.GetSpecifiedSize(Vert).fSize, 7.0f);
  // Two items after four: the sizes stay as the four items set them.
  EXPECT_EQ(p.ApplyAttribute(SStringW(L"pos"), SStringW(L"1,1"), TRUE), S_OK);
  EXPECT_EQ(p.data.nCount, 2);
  EXPECT_FLOAT_EQ(p.GetSpecifiedSize(Horz).fSize, 12.0f);
}

TEST_F(LayoutTest, AnchorParamAttributes) {
  struct Case {
    const wchar_t* name;
    const wchar_t* value;
    HRESULT result;
  } const cases[] = {
      {L"size", L"10,20", S_OK},      {L"size", L"10", E_FAIL},        {L"size", L"10,,", E_FAIL},
      {L"offset", L"-0.5,1", S_OK},   {L"offset", L"0.5", E_FAIL},     {L"WIDTH", L"full", S_OK},
      {L"height", L"wrapContent", S_OK}, {L"colour", L"1", E_NOTIMPL},
  };
  OrielLayoutParam p;
  for (const Case& c : cases)
    EXPECT_EQ(p.ApplyAttribute(SStringW(c.name), SStringW(c.value), TRUE), c.result) << XmlUtf8(c.name).c_str();
  EXPECT_TRUE(p.IsMatchParent(Horz));
  EXPECT_TRUE(p.IsWrapContent(Vert));
  EXPECT_FLOAT_EQ(p.data.fOffsetX, -0.5f);
  SRefPtr<ILayoutParam> copy;
  copy.Attach(p.Clone());
  EXPECT_FLOAT_EQ(static_cast<OrielLayoutParamStruct*>(copy->GetRawData())->fOffsetY, 1.0f);
  p.Clear();
  EXPECT_TRUE(p.IsWrapContent(Both));
  EXPECT_FLOAT_EQ(p.data.fOffsetX, 0.0f);
}

TEST_F(LayoutTest, LinearEdgeCases) {
  const RectCase cases[] = {
      {"weights 0, 1 and 2 share the rest of 150 as 50 and 100",
       R"(<window layout="hbox"><window id="1" size="50,10"/><window id="2" size="50,10" weight="1"/>
          <window id="3" size="50,10" weight="2"/></window>)",
       300, 50, {{1, {0, 0, 50, 10}}, {2, {50, 0, 150, 10}}, {3, {150, 0, 300, 10}}}},
      {"weights play no part when the children overflow",
       R"(<window layout="hbox"><window id="1" size="200,10" weight="1"/><window id="2" size="150,10" weight="1"/>
          </window>)",
       300, 50, {{1, {0, 0, 200, 10}}, {2, {200, 0, 350, 10}}}},
      {"extend_left 16 starts the child 16 after the outer box before it; the next after its own",
       R"(<window layout="hbox"><window id="1" size="10,10"/><window id="2" size="20,10" extend_left="16"/>
          <window id="3" size="5,5"/></window>)",
       300, 50, {{1, {0, 0, 10, 10}}, {2, {26, 0, 46, 10}}, {3, {46, 0, 51, 5}}}},
      {"a match-parent width takes the whole width and pushes the next child out",
       R"(<window layout="hbox"><window id="1" size="-2,10"/><window id="2" size="20,10"/></window>)", 300, 50,
       {{1, {0, 0, 300, 10}}, {2, {300, 0, 320, 10}}}},
      {"linearLayout without an orientation stacks side by side",
       R"(<window layout="linearLayout"><window id="1" size="10,10"/><window id="2" size="10,10"/></window>)",
       300, 50, {{1, {0, 0, 10, 10}}, {2, {10, 0, 20, 10}}}},
      {"linearLayout told vertical stacks downward, gravity right",
       R"(<window layout="linearLayout" orientation="vertical" gravity="right">
          <window id="1" size="10,10"/><window id="2" size="10,10"/></window>)",
       300, 50, {{1, {290, 0, 300, 10}}, {2, {290, 10, 300, 20}}}},
  };
  for (const RectCase& c : cases) {
    SCOPED_TRACE(c.what);
    Build(c.xml, c.width, c.height);
    for (const auto& [id, e] : c.expected) EXPECT_RECT(RectOf(id), e.left, e.top, e.right, e.bottom) << id;
  }
}

TEST_F(LayoutTest, LinearMeasureAndAttributes) {
  Build(R"(<window layout="vbox" interval="5"><window content="12,20"/><window content="40,30"/>
           <window content="7,10"/></window>)", 0, 0);
  SVBox vbox;
  vbox.ApplyAttribute(SStringW(L"interval"), SStringW(L"5"), TRUE);
  SIZE sz = vbox.MeasureAll(root.get(), -1, -1);
  EXPECT_EQ(sz.cx, 40);
  EXPECT_EQ(sz.cy, 70);

  // No children: nothing to measure, whatever the interval.
  Build(R"(<window layout="hbox" interval="5"/>)", 0, 0);
  SHBox hbox;
  hbox.ApplyAttribute(SStringW(L"interval"), SStringW(L"5"), TRUE);
  sz = hbox.MeasureAll(root.get(), 100, 100);
  EXPECT_EQ(sz.cx, 0);
  EXPECT_EQ(sz.cy, 0);

  SLinearLayout linear;
  EXPECT_EQ(linear.orientation, Horz);
  EXPECT_EQ(linear.ApplyAttribute(SStringW(L"orientation"), SStringW(L"Vertical"), TRUE), E_FAIL);
  EXPECT_EQ(linear.ApplyAttribute(SStringW(L"Orientation"), SStringW(L"vertical"), TRUE), S_FALSE);
  EXPECT_EQ(linear.orientation, Vert);
  EXPECT_EQ(linear.ApplyAttribute(SStringW(L"gravity"), SStringW(L"middle"), TRUE), E_FAIL);
  EXPECT_TRUE(linear.IsClass(L"linearLayout"));
  EXPECT_TRUE(SHBox().IsClass(L"linearLayout"));

  SLinearLayoutParam p;
  EXPECT_EQ(p.ApplyAttribute(SStringW(L"extend"), SStringW(L"1,2"), TRUE), E_INVALIDARG);
  EXPECT_EQ(p.ApplyAttribute(SStringW(L"extend"), SStringW(L"1,2,3,4"), TRUE), S_OK);
  EXPECT_FLOAT_EQ(p.data.extend_bottom.fSize, 4.0f);
  EXPECT_EQ(p.ApplyAttribute(SStringW(L"layout_gravity"), SStringW(L"Center"), TRUE), E_FAIL);
  EXPECT_EQ(p.ApplyAttribute(SStringW(L"weight"), SStringW(L"2.5"), TRUE), S_FALSE);
  EXPECT_FLOAT_EQ(p.data.weight, 2.5f);
  EXPECT_EQ(p.ApplyAttribute(SStringW(L"pos"), SStringW(L"0,0"), TRUE), E_NOTIMPL);
  EXPECT_TRUE(linear.IsParamAcceptable(&p));
  EXPECT_FALSE(linear.IsParamAcceptable(root->GetLayoutParam()));
}

TEST_F(LayoutTest, GridEdgeCases) {
  const RectCase cases[] = {
      {"three columns and seven children: the seventh opens row 2",
       R"(<window layout="gridLayout" columnCount="3" gravity="left">
          <window content="10,10"/><window content="10,10"/><window content="10,10"/>
          <window content="10,10"/><window content="10,10"/><window content="10,10"/>
          <window id="1" content="10,10"/></window>)",
       300, 300, {{1, {0, 20, 10, 30}}}},
      {"a span of two with a desired width of 101 is 100 wide unless it fills",
       R"(<window layout="gridLayout" columnCount="2" gravity="left">
          <window id="1" columnSpan="2" content="101,10"/>
          <window id="2" columnSpan="2" content="101,10" layout_xGravity="fill"/></window>)",
       300, 300, {{1, {0, 0, 100, 10}}, {2, {0, 10, 100, 20}}}},
      {"a column count of 0 counts as one column",
       R"(<window layout="gridLayout" columnCount="0" gravity="left">
          <window id="1" content="10,10"/><window id="2" content="10,10"/></window>)",
       300, 300, {{1, {0, 0, 10, 10}}, {2, {0, 10, 10, 20}}}},
      {"a row count of 0 counts as one row; spans below one count as one",
       R"(<window layout="gridLayout" rowCount="0" gravity="left">
          <window id="1" content="10,10" columnSpan="-3"/><window id="2" content="10,10" rowSpan="0"/></window>)",
       300, 300, {{1, {0, 0, 10, 10}}, {2, {10, 0, 20, 10}}}},
      {"children beyond the last free cell are not placed",
       R"(<window layout="gridLayout" columnCount="2" rowCount="1" gravity="left">
          <window id="1" content="10,10"/><window id="2" content="10,10"/>
          <window id="3" content="10,10"/></window>)",
       300, 300, {{1, {0, 0, 10, 10}}, {2, {10, 0, 20, 10}}, {3, {0, 0, 0, 0}}}},
      {"without counts nothing is placed",
       R"(<window layout="gridLayout"><window id="1" content="10,10"/></window>)", 300, 300,
       {{1, {0, 0, 0, 0}}}},
      {"weights hand the spare room to the columns",
       R"(<window layout="gridLayout" columnCount="2" gravity="fill">
          <window id="1" content="10,10" columnWeight="1"/><window id="2" content="10,10" columnWeight="3"/>
          </window>)",
       100, 10, {{1, {0, 0, 30, 10}}, {2, {30, 0, 100, 10}}}},
  };
  for (const RectCase& c : cases) {
    SCOPED_TRACE(c.what);
    Build(c.xml, c.width, c.height);
    for (const auto& [id, e] : c.expected) EXPECT_RECT(RectOf(id), e.left, e.top, e.right, e.bottom) << id;
  }
  SGridLayout grid;
  grid.ApplyAttribute(SStringW(L"columnCount"), SStringW(L"0x3"), TRUE);
  grid.ApplyAttribute(SStringW(L"interval"), SStringW(L"4"), TRUE);
  Build(R"(<window layout="gridLayout"><window content="10,20"/><window content="30,5"/><window content="5,5"/>
           <window content="7,9"/></window>)", 0, 0);
  // Measured: columns 10, 30 and 5 wide, rows 20 and 9 high, gaps of 4.
  const SIZE sz = grid.MeasureAll(root.get(), 0, 0);
  EXPECT_EQ(sz.cx, 53);
  EXPECT_EQ(sz.cy, 33);
}

TEST_F(LayoutTest, FactoryMakesTheFiveLayouts) {
  const struct {
    const wchar_t* name;
    const wchar_t* paramClass;
  } layouts[] = {{L"OrielLayout", L"OrielLayoutParam"},
                 {L"linearLayout", L"LinearLayoutParam"},
                 {L"hbox", L"LinearLayoutParam"},
                 {L"vbox", L"LinearLayoutParam"},
                 {L"gridLayout", L"GridLayoutParam"}};
  for (const auto& l : layouts) {
    SRefPtr<ILayout> layout;
    layout.Attach(static_cast<ILayout*>(factory.CreateObject(SObjectInfo(l.name, kObjLayout))));
    ASSERT_TRUE(layout) << XmlUtf8(l.name).c_str();
    EXPECT_EQ(layout->GetObjectType(), kObjLayout);
    SRefPtr<ILayoutParam> param;
    param.Attach(layout->CreateLayoutParam());
    EXPECT_TRUE(param->IsClass(l.paramClass));
    EXPECT_TRUE(layout->IsParamAcceptable(param));
  }
  EXPECT_EQ(factory.CreateObject(SObjectInfo(L"hbox", kObjWindow)), nullptr);
}

}  // namespace
}  // namespace ORIEL
