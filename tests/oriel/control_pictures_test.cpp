// The picture controls without a screen: images keeping their aspect,
// icons, frame animations, lines and group boxes, and radio boxes taking
// the focus.
#include <memory>
#include <vector>

#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SAnimateImgWnd.h"
#include "control/SGroup.h"
#include "control/SIconWnd.h"
#include "control/SImageWnd.h"
#include "control/SLine.h"
#include "control/SRadioBox.h"

namespace {

constexpr uint32_t kBlue = 0xFF0000FF;  // premultiplied BGRA, opaque blue

class PicturesTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    app->LoadSystemResources(BundleProvider());
    host = new SwndTestHost(300, 200);
  }
  void TearDown() override {
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    OrielAppTest::TearDown();
  }
  SWindow* Make(const wchar_t* xml) {
    SWindow* w = host->CreateChildrenFromString(SStringW(xml));
    host->ApplyLayout();
    return w;
  }
  SwndTestHost* host = nullptr;
};

TEST_F(PicturesTest, AnImageKeepingItsAspectInAWiderBoxIsCentredWithEqualMargins) {
  auto* img = static_cast<SImageWnd*>(Make(L"<img pos='0,0,200,50' keepAspect='1'/>"));
  IBitmap* bmp = nullptr;
  ASSERT_TRUE(factory->CreateBitmap(&bmp));
  std::vector<uint32_t> px(20 * 10, kBlue);
  bmp->Init(20, 10, px.data());  // 2:1 in a 4:1 box: 100 x 50 in the middle
  img->SetImage(bmp);
  bmp->Release();
  EXPECT_EQ(img->MeasureDesiredSize(-1, -1).cx, 20);
  ASSERT_TRUE(host->Paint());
  IRenderTarget* rt = host->Target();
  EXPECT_EQ(Pixel(rt, 49, 25), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(rt, 51, 25), kBlue);
  EXPECT_EQ(Pixel(rt, 148, 25), kBlue);
  EXPECT_EQ(Pixel(rt, 151, 25), 0xFFFFFFFFu);
  // A tile mode outside the three draws nothing.
  img->ApplyAttribute(SStringW(L"keepAspect"), SStringW(L"0"), FALSE);
  img->ApplyAttribute(SStringW(L"tile"), SStringW(L"7"), FALSE);
  ASSERT_TRUE(host->Paint());
  EXPECT_EQ(Pixel(rt, 100, 25), 0xFFFFFFFFu);
}

TEST_F(PicturesTest, AnIconMeasuresItsSizeAndIsDestroyedWhenReplaced) {
  auto* icon = static_cast<SIconWnd*>(Make(L"<icon pos='0,0,32,32'/>"));
  EXPECT_EQ(icon->MeasureDesiredSize(-1, -1).cx, 0);
  HICON first = LoadIconW(nullptr, IDI_QUESTION);
  icon->SetIcon(first);
  const SIZE size = icon->MeasureDesiredSize(-1, -1);
  EXPECT_EQ(size.cx, 32);
  EXPECT_EQ(size.cy, 32);
  icon->SetIcon(first);  // the same icon again: kept, not destroyed
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(first, &info));
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  icon->SetIcon(LoadIconW(nullptr, IDI_HAND));
  EXPECT_FALSE(DestroyIcon(first)) << "the window destroyed the icon it replaced";
  ASSERT_TRUE(host->Paint());
  EXPECT_NE(Pixel(host->Target(), 16, 26), 0xFFFFFFFFu);
}

TEST_F(PicturesTest, AnAnimationRepeatedTwiceStopsAfterItsSecondPass) {
  auto* anim = static_cast<SAnimateImgWnd*>(
      Make(L"<animateimg pos='0,0,16,16' skin='_skin.sys.icons' speed='20' repeat='2'/>"));
  // Shared with the subscriber, which outlives this body: the teardown
  // destroys the still playing animation, which stops it once more.
  auto stops = std::make_shared<int>(0);
  anim->SubscribeEvent(EventAnimateStop::EventID, [stops](EventArgs*) { return ++*stops, false; });
  EXPECT_TRUE(anim->IsPlaying()) << "autoStart";
  // Four frames, each speed / 10 + 1 = 3 host frames.
  int ticks = 0;
  while (anim->IsPlaying() && ticks < 100) {
    host->AdvanceFrame();
    ++ticks;
  }
  EXPECT_EQ(*stops, 1);
  EXPECT_EQ(ticks, 2 * 4 * 3 - 2);
  EXPECT_EQ(anim->GetCurrentFrame(), 0);
  // Hidden, a playing animation keeps its state and goes on when shown.
  anim->Start();
  host->AdvanceFrame();
  const int frame = anim->GetCurrentFrame();
  anim->SetVisible(FALSE);
  for (int i = 0; i < 10; ++i) host->AdvanceFrame();
  EXPECT_TRUE(anim->IsPlaying());
  EXPECT_EQ(anim->GetCurrentFrame(), frame);
  anim->SetVisible(TRUE);
  for (int i = 0; i < 4; ++i) host->AdvanceFrame();
  EXPECT_NE(anim->GetCurrentFrame(), frame);
}

TEST_F(PicturesTest, LineAndGroupRefuseWordsTheyDoNotKnow) {
  auto* line = static_cast<SLine*>(Make(L"<hr pos='0,10,100,11' mode='vertical' lineStyle='dash'/>"));
  EXPECT_EQ(line->GetMode(), SLine::kVertical);
  EXPECT_EQ(line->GetLineStyle(), 1);
  const std::pair<const wchar_t*, const wchar_t*> refused[] = {
      {L"mode", L"Vertical"}, {L"lineStyle", L"dotted"}, {L"colorLine", L""}, {L"lineColor", L""}};
  for (const auto& [name, value] : refused)
    EXPECT_EQ(line->ApplyAttribute(SStringW(name), SStringW(value), FALSE), E_FAIL) << XmlUtf8(SStringW(name)).c_str();
  EXPECT_EQ(line->GetMode(), SLine::kVertical);
  EXPECT_EQ(line->GetLineStyle(), 1);
  line->ApplyAttribute(SStringW(L"mode"), SStringW(L"horizontal"), FALSE);
  line->ApplyAttribute(SStringW(L"lineColor"), SStringW(L"#ff0000"), FALSE);
  line->ApplyAttribute(SStringW(L"lineStyle"), SStringW(L"solid"), FALSE);
  ASSERT_TRUE(host->Paint());
  EXPECT_EQ(Pixel(host->Target(), 50, 10), 0xFFFF0000u);

  auto* group = static_cast<SGroup*>(Make(L"<group pos='0,50,200,190' headerHeight='30'>选项<window pos='0,0,-0,-0'/></group>"));
  EXPECT_EQ(group->ApplyAttribute(SStringW(L"colorLine1"), SStringW(L""), FALSE), E_FAIL);
  RECT area;
  group->GetLayoutArea(&area);
  EXPECT_EQ(area.top, 50 + 30);
  ASSERT_TRUE(host->Paint());
  // The frame's lines at the bottom corner band, no line through the title.
  EXPECT_NE(Pixel(host->Target(), 100, 188), 0xFFFFFFFFu);
}

TEST_F(PicturesTest, ARadioTabbedIntoIsCheckedButRestoredFocusChangesNothing) {
  Make(L"<button pos='0,0,50,20'/><window pos='0,30,200,90'>"
       L"<radio name='a' pos='0,0,100,20'/><radio name='b' pos='0,20,100,40'/></window>");
  auto* a = static_cast<SRadioBox*>(host->FindDescendantByName(SStringW(L"a")));
  host->GetFocusManager().AdvanceFocus(false);  // onto the button
  host->GetFocusManager().AdvanceFocus(false);  // into the group
  EXPECT_EQ(host->GetFocusWindow(), a->GetHandle());
  EXPECT_TRUE(a->IsChecked());
  a->SetChecked(FALSE);
  host->DispatchFrameMessage(WM_ACTIVATE, WA_INACTIVE, 0);
  host->DispatchFrameMessage(WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(host->GetFocusWindow(), a->GetHandle());
  EXPECT_FALSE(a->IsChecked());
}

}  // namespace
