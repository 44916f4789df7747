// Framework windows laid out by their layouts: placement at two scales,
// relayout marks travelling up, moving by hand, and content measuring.
#include "OrielTestApp.h"
#include "SwndTestHost.h"

namespace {

class SWindowLayoutTest : public OrielAppTest {
 protected:
  // Lengths without a unit scale with the host, as a UI definition that
  // sets "dp" makes them.
  void SetUp() override {
    OrielAppTest::SetUp();
    SLayoutSize::SetDefaultUnit(L"dp");
  }
  void TearDown() override {
    SLayoutSize::SetDefaultUnit(L"px");
    for (SwndTestHost* h : hosts) {
      h->SendSwndMessage(2);
      h->Release();
    }
    OrielAppTest::TearDown();
  }
  SwndTestHost* Host(int w, int h, int scale) {
    hosts.push_back(new SwndTestHost(w, h, scale));
    return hosts.back();
  }
  std::vector<SwndTestHost*> hosts;
};

TEST_F(SWindowLayoutTest, TreePlacedAtTwoSizesAndScales) {
  const wchar_t* xml =
      L"<window id='1' pos='10,10,-10,-10' layout='vbox' interval='4'>"
      L"  <window id='2' size='-2,20'/>"
      L"  <window id='3' size='-2,0' weight='1' layout='hbox'>"
      L"    <window id='4' size='30,-2'/><window id='5' size='0,-2' weight='1'/>"
      L"  </window>"
      L"</window>";
  struct Case {
    int w, h, scale;
    RECT r1, r2, r3, r4, r5;
  } cases[] = {
      {200, 100, 100, {10, 10, 190, 90}, {10, 10, 190, 30}, {10, 34, 190, 90}, {10, 34, 40, 90}, {40, 34, 190, 90}},
      {300, 200, 150, {15, 15, 285, 185}, {15, 15, 285, 45}, {15, 51, 285, 185}, {15, 51, 60, 185}, {60, 51, 285, 185}},
  };
  for (const Case& c : cases) {
    SwndTestHost* host = Host(c.w, c.h, c.scale);
    host->CreateChildrenFromString(xml);
    host->Paint();  // lays out first
    const RECT* expected[] = {&c.r1, &c.r2, &c.r3, &c.r4, &c.r5};
    for (int id = 1; id <= 5; ++id) {
      const RECT got = host->FindDescendantById(id)->GetWindowRect();
      EXPECT_TRUE(EqualRect(&got, expected[id - 1]))
          << "scale " << c.scale << " id " << id << ": " << got.left << "," << got.top << "," << got.right << ","
          << got.bottom;
    }
  }
}

TEST_F(SWindowLayoutTest, RelayoutMarksTravelUpAndApplyOnlyAlongThePath) {
  SwndTestHost* host = Host(200, 100, 100);
  host->CreateChildrenFromString(
      L"<window id='1' pos='0,0,100,100'><window id='2' pos='0,0,50,50'><window id='3' pos='0,0,10,10'/>"
      L"</window></window>");
  host->Paint();
  SWindow* parent = host->FindDescendantById(1);
  SWindow* child = host->FindDescendantById(2);
  ASSERT_EQ(child->GetLayoutDirty(), 0);
  child->MarkRelayoutSelf();
  EXPECT_EQ(child->GetLayoutDirty(), 1);
  EXPECT_EQ(parent->GetLayoutDirty(), 2);
  EXPECT_EQ(host->GetLayoutDirty(), 2);
  host->ApplyLayout();
  EXPECT_EQ(host->GetLayoutDirty(), 0);
  EXPECT_EQ(child->GetLayoutDirty(), 0);

  // A hidden parent keeps the request to itself until it is shown.
  parent->SetVisible(FALSE);
  host->ApplyLayout();
  child->MarkRelayoutSelf();
  EXPECT_EQ(host->GetLayoutDirty(), 0);

  // Moved by hand: floating, and a rectangle turned inside out is empty.
  SWindow* grandchild = host->FindDescendantById(3);
  const RECT odd{30, 30, 20, 40};
  grandchild->Move(&odd);
  EXPECT_TRUE(grandchild->IsFloat());
  const RECT got = grandchild->GetWindowRect();
  const RECT expected{30, 30, 30, 40};
  EXPECT_TRUE(EqualRect(&got, &expected));
}

TEST_F(SWindowLayoutTest, WrapContentMeasuresTextWithMarginAndPadding) {
  SwndTestHost* host = Host(300, 100, 100);
  host->CreateChildrenFromString(
      L"<window id='1' pos='0,0' margin='1' padding='4' text='measure me'/>"
      L"<window id='2' pos='0,50' margin='1' padding='4'><window pos='0,0' size='30,12'/></window>");
  host->Paint();
  SWindow* text = host->FindDescendantById(1);
  IRenderTarget* rt = nullptr;
  ASSERT_TRUE(factory->CreateRenderTarget(&rt, 0, 0));
  SIZE measured{0, 0};
  rt->MeasureText(L"measure me", 10, &measured);
  rt->Release();
  ASSERT_GT(measured.cx, 0);
  const RECT r1 = text->GetWindowRect();
  EXPECT_EQ(r1.right - r1.left, measured.cx + 10);
  EXPECT_EQ(r1.bottom - r1.top, measured.cy + 10);
  const RECT r2 = host->FindDescendantById(2)->GetWindowRect();
  EXPECT_EQ(r2.right - r2.left, 40);
  EXPECT_EQ(r2.bottom - r2.top, 22);
}

}  // namespace
