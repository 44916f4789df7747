// Animated skins and the GIF player, from GIFs the tests write: frames and
// delays through the image decoder, each frame staying for its own delay
// by elapsed time, still pictures, missing resources and scaled copies.
#include <algorithm>

#include "../oriel/OrielTestApp.h"
#include "../oriel/SwndTestHost.h"
#include "controls/SGifPlayer.h"
#include "controls/SSkinAni.h"
#include "gif_writer.h"
#include "res.mgr/SResProviderFiles.h"
#include "res.mgr/SSkinPool.h"

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

class GifPlayerTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    app->RegisterClass<SSkinGif>();
    app->RegisterClass<SGifPlayer>();
    SGifPlayer::SetClock([this] { return now; });
    bundle.Write("anim.gif", gif_writer::Write(8, 8, {{kRed, 10}, {kGreen, 50}, {kBlue, 10}}));
    bundle.Write("zero.gif", gif_writer::Write(8, 8, {{kRed, 0}, {kGreen, -1}}));
    bundle.Write("still.gif", gif_writer::Write(8, 8, {{kGreen, 20}}));
    bundle.Write("loading_gif.gif", ReadFile(QUORVALE_LOADING_GIF));
    bundle.WriteIndex({{"gif", "anim", "anim.gif"},
                       {"gif", "zero", "zero.gif"},
                       {"PNGGLOBAL", "STILL", "still.gif"},
                       {"gif", "loading_gif", "loading_gif.gif"}});
    IResProvider* provider = nullptr;
    ASSERT_TRUE(MakeResProvider(kResProviderFiles, &provider));
    const std::wstring folder = bundle.WFolder();
    ASSERT_TRUE(provider->Init(reinterpret_cast<WPARAM>(folder.c_str()), 0));
    app->AttachProvider(provider);
    provider->Release();
    pool = new SSkinPool;
    SXmlDoc doc;
    ASSERT_TRUE(doc.load_string("<skins><gif name='anim' src='anim'/><gif name='zero' src='gif:zero'/>"
                                "<gif name='still' src='PNGGLOBAL:STILL'/><gif name='none' src='gif:missing'/>"
                                "<gif name='md_gif_loading' src='gif:loading_gif'/></skins>"));
    EXPECT_EQ(pool->AddSkinsFromXml(doc.child("skins")), 5);
    SSkinPoolMgr::getSingleton().PushSkinPool(pool);
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(SWM_DESTROY);
      host->Release();
    }
    SSkinPoolMgr::getSingleton().PopPool(pool);
    pool->Release();
    SGifPlayer::SetClock(nullptr);
    OrielAppTest::TearDown();
  }
  SGifPlayer* Player(const wchar_t* skin, int scale = 100, int id = 1) {
    if (!host) host = new SwndTestHost(100, 60, scale);
    SStringW xml;
    xml.Format(L"<gifplayer id='%d' pos='%d,0,@20,@20' skin='%s'/>", id, (id - 1) * 40, skin);
    host->CreateChildrenFromString(xml);
    return dynamic_cast<SGifPlayer*>(host->FindDescendantById(id));
  }
  SSkinAni* Skin(const wchar_t* name, int scale = 100) {
    return dynamic_cast<SSkinAni*>(SSkinPoolMgr::getSingleton().GetSkin(name, scale));
  }
  // The frames a player shows at each of the times, stepping the host's
  // timeline once per time.
  std::vector<int> FramesAt(SGifPlayer* p, const std::vector<int64_t>& times) {
    std::vector<int> shown;
    for (int64_t t : times) {
      now = t;
      host->AdvanceFrame();
      shown.push_back(p->GetCurrentFrame());
    }
    return shown;
  }
  uint32_t Rgb(int x, int y) {
    host->Paint();
    return Pixel(host->Target(), x, y) & 0xFFFFFF;
  }

  ScratchBundle bundle{"gif"};
  SSkinPool* pool = nullptr;
  SwndTestHost* host = nullptr;
  int64_t now = 1000;
};

TEST_F(GifPlayerTest, FramesAndDelaysComeFromTheDecoder) {
  SSkinAni* anim = Skin(L"anim");
  ASSERT_NE(anim, nullptr);
  EXPECT_TRUE(anim->IsClass(L"skinani"));
  ASSERT_EQ(anim->GetFrameCount(), 3);
  EXPECT_EQ(anim->GetFrameDelay(0), 10);
  EXPECT_EQ(anim->GetFrameDelay(1), 50);
  EXPECT_EQ(anim->GetFrameDelay(2), 10);
  EXPECT_EQ(anim->NaturalSize().cx, 8);
  EXPECT_EQ(anim->NaturalSize().cy, 8);
  SSkinAni* zero = Skin(L"zero");
  ASSERT_NE(zero, nullptr);
  ASSERT_EQ(zero->GetFrameCount(), 2);
  EXPECT_EQ(zero->GetFrameDelay(1), 0);  // no delay block at all
}

TEST_F(GifPlayerTest, EachFrameStaysForItsOwnDelay) {
  SGifPlayer* p = Player(L"anim");
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(p->OnTimeline());
  // Frame 0 stays 100 ms, frame 1 500 ms, frame 2 100 ms, then round again.
  EXPECT_EQ(FramesAt(p, {1050, 1099, 1100, 1599, 1600, 1699, 1700, 1800}),
            (std::vector<int>{0, 0, 1, 1, 2, 2, 0, 1}));
  // The second round: frame 0 from 2400, 1 from 2500, 2 from 3000; the
  // colours follow.
  EXPECT_EQ(FramesAt(p, {2450}), std::vector<int>{0});
  EXPECT_EQ(Rgb(10, 10), kRed);
  EXPECT_EQ(FramesAt(p, {2550}), std::vector<int>{1});
  EXPECT_EQ(Rgb(10, 10), kGreen);
  EXPECT_EQ(FramesAt(p, {3050}), std::vector<int>{2});
  EXPECT_EQ(Rgb(10, 10), kBlue);
}

TEST_F(GifPlayerTest, PlayersSharingASkinKeepTheirOwnTime) {
  SGifPlayer* a = Player(L"anim", 100, 1);
  now = 1150;
  SGifPlayer* b = Player(L"anim", 100, 2);
  ASSERT_TRUE(a && b);
  now = 1120;
  host->AdvanceFrame();
  EXPECT_EQ(a->GetCurrentFrame(), 1);
  EXPECT_EQ(b->GetCurrentFrame(), 0);
  now = 1260;  // b's first frame ends at 1250, while a stays on its long one
  host->AdvanceFrame();
  EXPECT_EQ(a->GetCurrentFrame(), 1);
  EXPECT_EQ(b->GetCurrentFrame(), 1);
}

TEST_F(GifPlayerTest, ZeroDelaysStayNinetyMilliseconds) {
  SGifPlayer* p = Player(L"zero");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(FramesAt(p, {1089, 1090, 1179, 1180}), (std::vector<int>{0, 1, 1, 0}));
}

TEST_F(GifPlayerTest, OneFrameNeverJoinsTheTimeline) {
  SGifPlayer* p = Player(L"still");
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(p->OnTimeline());
  EXPECT_EQ(Rgb(10, 10), kGreen);
  EXPECT_EQ(FramesAt(p, {5000}), std::vector<int>{0});
}

TEST_F(GifPlayerTest, MissingResourceHasNoFramesAndNoSize) {
  SSkinAni* none = Skin(L"none");
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->GetFrameCount(), 0);
  EXPECT_EQ(none->NaturalSize().cx, 0);
  EXPECT_EQ(none->NaturalSize().cy, 0);
  SGifPlayer* p = Player(L"none");
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(p->OnTimeline());
  const SIZE want = p->MeasureDesiredSize(-1, -1);
  EXPECT_EQ(want.cx, 0);
  EXPECT_EQ(want.cy, 0);
  EXPECT_EQ(Rgb(10, 10), 0xFFFFFFu);
}

TEST_F(GifPlayerTest, ScaledCopiesShareTheFramesAndShowTheirColours) {
  SSkinAni* base = Skin(L"anim", 100);
  SSkinAni* big = Skin(L"anim", 150);
  ASSERT_TRUE(base && big);
  EXPECT_NE(base, big);
  EXPECT_EQ(big->GetScale(), 150);
  EXPECT_EQ(big->GetFrameCount(), 3);
  EXPECT_EQ(big->GetFrameDelay(1), 50);
  SGifPlayer* p = Player(L"anim", 150);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->GetSkin(), big);
  EXPECT_EQ(Rgb(15, 15), kRed);
  EXPECT_EQ(FramesAt(p, {1100}), std::vector<int>{1});
  EXPECT_EQ(Rgb(15, 15), kGreen);
}

TEST_F(GifPlayerTest, TheBuiltLoadingAnimationPlaysItsFrames) {
  SSkinAni* loading = Skin(L"md_gif_loading");
  ASSERT_NE(loading, nullptr);
  ASSERT_EQ(loading->GetFrameCount(), 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(loading->GetFrameDelay(i), 8) << i;
  EXPECT_EQ(loading->NaturalSize().cx, 32);
  SGifPlayer* p = Player(L"md_gif_loading");
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(p->OnTimeline());
  // The lit dot walks: the top dot (frame 0's) is lit, then no longer.
  const uint32_t lit = Rgb(10, 3);
  EXPECT_EQ(FramesAt(p, {1080}), std::vector<int>{1});
  EXPECT_NE(Rgb(10, 3), lit);
}

TEST_F(GifPlayerTest, PlayFileTakesAGifAndRefusesTheRest) {
  SGifPlayer* p = Player(L"still");
  ASSERT_NE(p, nullptr);
  const std::wstring dir = bundle.WFolder();
  EXPECT_FALSE(p->PlayFile((dir + L"/nothing.gif").c_str()));
  EXPECT_FALSE(p->PlayFile((dir + L"/anim.gif").c_str(), TRUE));  // no animated-PNG skins
  EXPECT_EQ(p->GetSkin(), Skin(L"still"));
  ASSERT_TRUE(p->PlayFile((dir + L"/anim.gif").c_str()));
  EXPECT_EQ(p->GetSkin()->GetFrameCount(), 3);
  EXPECT_TRUE(p->OnTimeline());
  EXPECT_EQ(Rgb(10, 10), kRed);
}

}  // namespace
