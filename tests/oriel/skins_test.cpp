// Skins: every built-in skin draws in each of its states, golden pictures
// of the common ones, scaled copies, colourising and the edge cases of the
// image and drawn skins as pixel tables.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "OrielTestApp.h"
#include "res.mgr/SBitmapTint.h"
#include "res.mgr/SSkinDrawn.h"
#include "res.mgr/SSkinImgList.h"
#include "res.mgr/SSkinPool.h"
#include "res.mgr/SSkinScrollbar.h"
#include "res.mgr/SSkinShape.h"

namespace {

constexpr COLORREF kClear = 0x00000000;

class SkinsTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()), 0);
    pools = SSkinPoolMgr::getSingletonPtr();
  }
  // A skin from XML, owned by the fixture.
  template <class T = ISkinObj>
  T* Make(const char* xml) {
    SXmlDoc doc;
    EXPECT_TRUE(doc.load_string(xml));
    pugi::xml_node node = doc.first_child();
    ISkinObj* skin = app->NewSkinByClass(XmlName(node));
    EXPECT_NE(skin, nullptr) << xml;
    if (!skin) return nullptr;
    skin->LoadXmlNode(node);
    owned.push_back(skin);
    return dynamic_cast<T*>(skin);
  }
  // A bitmap of w x h opaque pixels, each its own colour.
  IBitmap* Cells(int w, int h) {
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) px[static_cast<size_t>(y) * w + x] = 0xFF000000u | (uint32_t)(x << 8) | (uint32_t)y;
    IBitmap* b = nullptr;
    factory->CreateBitmap(&b);
    b->Init(w, h, px.data());
    owned.push_back(b);
    return b;
  }
  static std::vector<uint32_t> Pixels(IRenderTarget* rt) {
    SIZE sz = rt->GetSize();
    std::vector<uint32_t> out;
    for (int y = 0; y < sz.cy; ++y)
      for (int x = 0; x < sz.cx; ++x) out.push_back(Pixel(rt, x, y));
    return out;
  }
  SSkinPoolMgr* pools = nullptr;
};

// The pixels a cell draws, on a clear target of the skin's natural size
// (at least 24 x 24 for skins without one).
std::vector<uint32_t> DrawState(SkinsTest* t, IRenderFactory* f, ISkinObj* skin, int state, int scale = 100) {
  SIZE sz = skin->NaturalSize();
  if (sz.cx <= 0 || sz.cy <= 0) sz = SIZE{24 * scale / 100, 24 * scale / 100};
  IRenderTarget* rt = nullptr;
  f->CreateRenderTarget(&rt, sz.cx, sz.cy);
  rt->Clear(kClear);
  RECT rc{0, 0, sz.cx, sz.cy};
  skin->DrawByIndex(rt, &rc, state);
  std::vector<uint32_t> px;
  for (int y = 0; y < sz.cy; ++y)
    for (int x = 0; x < sz.cx; ++x) px.push_back(SkinsTest::Pixel(rt, x, y));
  rt->Release();
  (void)t;
  return px;
}

bool Visible(const std::vector<uint32_t>& px) {
  for (uint32_t p : px)
    if (p >> 24) return true;
  return false;
}

TEST_F(SkinsTest, EverySystemSkinDrawsEachStateAndStatesDiffer) {
  for (int i = 0; i < kSystemSkinCount; ++i) {
    ISkinObj* skin = pools->FindSystemSkin(i);
    ASSERT_NE(skin, nullptr) << XmlUtf8(SystemSkinName(i)).c_str();
    if (i == 5) continue;  // the scroll bar draws parts, below
    std::set<std::vector<uint32_t>> seen;
    for (int s = 0; s < skin->StateCount(); ++s) {
      const auto px = DrawState(this, factory, skin, s);
      EXPECT_TRUE(Visible(px)) << XmlUtf8(SystemSkinName(i)).c_str() << " state " << s;
      seen.insert(px);
    }
    EXPECT_EQ((int)seen.size(), skin->StateCount()) << XmlUtf8(SystemSkinName(i)).c_str();
  }
  EXPECT_EQ(pools->FindSystemSkin(0)->StateCount(), 8);
  EXPECT_EQ(pools->FindSystemSkin(1)->StateCount(), 8);
  EXPECT_EQ(pools->FindSystemSkin(11)->StateCount(), 3);
  EXPECT_EQ(pools->FindSystemSkin(9)->StateCount(), 9);  // tree check box: empty, checked, partly; each normal, hover, pushed
  EXPECT_EQ(pools->FindSystemSkin(35), nullptr);
  auto* sb = dynamic_cast<SSkinScrollbar*>(pools->FindSystemSkin(5));
  ASSERT_NE(sb, nullptr);
  EXPECT_EQ(sb->GetIdealSize(), 16);
  std::set<std::vector<uint32_t>> thumbs;
  for (int state = 0; state < 5; ++state) {
    IRenderTarget* rt = NewTarget(16, 40, kClear);
    RECT rc{0, 0, 16, 40};
    sb->DrawByIndex(rt, &rc, MakeScrollbarIndex(kSbThumb, state, true));
    const auto px = Pixels(rt);
    EXPECT_TRUE(Visible(px)) << state;
    thumbs.insert(px);
  }
  EXPECT_EQ(thumbs.size(), 5u);  // the inactive row is its own
}

TEST_F(SkinsTest, GoldenPictures) {
  IRenderTarget* rt = NewTarget(260, 150, 0xFFFFFFFF);
  ISkinObj* check = pools->FindSystemSkin(0);
  for (int s = 0; s < 8; ++s) {
    RECT rc{4 + s * 20, 4, 20 + s * 20, 20};
    check->DrawByIndex(rt, &rc, s);
  }
  ISkinObj* sb = pools->FindSystemSkin(5);
  const int v[] = {kSbLineUp, kSbPageUp, kSbThumb, kSbPageDown, kSbLineDown};
  const int vpos[] = {0, 16, 40, 80, 104};
  const int vlen[] = {16, 24, 40, 24, 16};
  for (int i = 0; i < 5; ++i) {
    RECT rc{4, 28 + vpos[i], 20, 28 + vpos[i] + vlen[i]};
    sb->DrawByIndex(rt, &rc, MakeScrollbarIndex(v[i], i == 2 ? 1 : 0, true));
  }
  for (int i = 0; i < 5; ++i) {
    RECT rc{28 + vpos[i], 28, 28 + vpos[i] + vlen[i], 44};
    sb->DrawByIndex(rt, &rc, MakeScrollbarIndex(v[i], i == 2 ? 2 : 0, false));
  }
  const int caption[] = {21, 22, 23, 20};
  for (int b = 0; b < 4; ++b)
    for (int s = 0; s < 4; ++s) {
      RECT rc{28 + s * 30, 52 + b * 22, 56 + s * 30, 72 + b * 22};
      pools->FindSystemSkin(caption[b])->DrawByIndex(rt, &rc, s);
    }
  ISkinObj* btn = pools->FindSystemSkin(4);
  for (int s = 0; s < 4; ++s) {
    RECT rc{156, 52 + s * 24, 252, 74 + s * 24};
    btn->DrawByIndex(rt, &rc, s);
  }
  EXPECT_TRUE(TargetMatchesGolden(rt, "oriel_system_skins"));
}

TEST_F(SkinsTest, DefaultButtonShowsGradientAndBorderAndAlphaZeroDrawsNothing) {
  ISkinObj* btn = pools->FindSystemSkin(4);
  IRenderTarget* rt = NewTarget(60, 30, 0xFFFFFFFF);
  RECT rc{0, 0, 60, 30};
  btn->DrawByIndex(rt, &rc, 0);
  EXPECT_EQ(Pixel(rt, 30, 0), 0xFF707070u);  // border, opaque
  const uint32_t top = Pixel(rt, 30, 2), bottom = Pixel(rt, 30, 27);
  EXPECT_GT(top & 0xFF, bottom & 0xFF);  // lighter at the top: colorUp to colorDown
  EXPECT_EQ(top >> 24, 0xFFu);
  auto* literal = Make("<colorrect name=\"x\" normal=\"#FF000000\"/>");  // alpha 0 written in the XML
  IRenderTarget* rt2 = NewTarget(10, 10, 0xFF123456);
  RECT rc2{0, 0, 10, 10};
  literal->DrawByIndex(rt2, &rc2, 0);
  EXPECT_EQ(Pixel(rt2, 5, 5), 0xFF563412u);  // the colour word 0xFF123456 as a BGRA pixel
}

TEST_F(SkinsTest, ScaledCopiesAreMadeOnceAtTheNormalisedStep) {
  ISkinObj* at100 = pools->FindSystemSkin(0);
  ISkinObj* at150 = pools->FindSystemSkin(0, 150);
  ASSERT_NE(at150, nullptr);
  EXPECT_NE(at150, at100);
  EXPECT_EQ(at150->GetScale(), 150);
  EXPECT_EQ(at150->NaturalSize().cx, 24);
  EXPECT_EQ(pools->FindSystemSkin(0, 160), at150);
  EXPECT_EQ(pools->FindSystemSkin(0, 150), at150);
  ISkinObj* at200 = pools->FindSystemSkin(0, 200);
  EXPECT_EQ(at200->NaturalSize().cx, 32);
  for (int s = 0; s < 8; ++s) EXPECT_TRUE(Visible(DrawState(this, factory, at200, s, 200))) << s;
  // Skins of fixed look are shared by every scale.
  EXPECT_EQ(pools->FindSystemSkin(4, 200), pools->FindSystemSkin(4));
  // A 4-state strip of 20 x 20 cells at 150: 120 x 30, cells kept apart.
  auto* list = Make<SSkinImgList>("<imglist name=\"strip\" states=\"4\"/>");
  list->SetImage(Cells(80, 20));
  ISkinObj* copy = list->Scale(150);
  ASSERT_NE(copy, nullptr);
  owned.push_back(copy);
  auto* scaled = dynamic_cast<SSkinImgList*>(copy);
  EXPECT_EQ(scaled->GetImage()->Width(), 120u);
  EXPECT_EQ(scaled->GetImage()->Height(), 30u);
  EXPECT_EQ(copy->NaturalSize().cx, 30);
  const auto* px = static_cast<const uint32_t*>(scaled->GetImage()->GetPixelBits());
  // The last column of cell 0 comes from cell 0's own last columns, not from cell 1.
  EXPECT_LT((px[10 * 120 + 29] >> 8) & 0xFF, 20u);
  EXPECT_GE((px[10 * 120 + 30] >> 8) & 0xFF, 20u);
}

TEST_F(SkinsTest, ColourisingThenZeroRestores) {
  ISkinObj* check = pools->FindSystemSkin(0);
  const auto before = DrawState(this, factory, check, 4);
  check->ApplyColorize(0xFF00A000);
  const auto tinted = DrawState(this, factory, check, 4);
  EXPECT_NE(tinted, before);
  check->ApplyColorize(0);
  EXPECT_EQ(DrawState(this, factory, check, 4), before);
  auto* btn = Make<SSkinButton>("<button name=\"b\" colorUp=\"#336699\"/>");
  COLORREF colors[12];
  for (int i = 0; i < 12; ++i) colors[i] = btn->Color(0, i);
  btn->ApplyColorize(0xFF0000FF);
  EXPECT_NE(btn->Color(SSkinButton::kUp, 0), colors[4]);
  btn->ApplyColorize(0x800000FF);
  btn->ApplyColorize(0);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(btn->Color(0, i), colors[i]) << i;
}

TEST_F(SkinsTest, TintPixelTable) {
  struct Case {
    uint32_t pixel;
    COLORREF colour;
    uint32_t expected;
  } cases[] = {
      {0xFFFFFFFF, 0xFF0000FF, 0xFFFFFFFF},  // white stays white
      {0xFFFFFFFF, 0x000000FF, 0xFFFFFFFF},  // at weight 204 too
      {0x00000000, 0xFF0000FF, 0x00000000},  // clear pixels are never changed
      {0xFF000000, 0xFF0000FF, 0xFF000000},  // black stays black
      {0xFF000000, 0x400000FF, 0xFF000000},
      {0xFF0000FF, 0xFF808080, 0xFF808080},  // a grey colour: the pixel's own lightness in grey
      {0x80FF00FF, 0xFF0000FF, 0x80800000},  // channels above alpha are clamped, alpha kept
  };
  for (const Case& c : cases)
    EXPECT_EQ(SBitmapTint::ColorizePixel(c.pixel, c.colour), c.expected) << std::hex << c.pixel << " " << c.colour;
}

TEST_F(SkinsTest, ImageSkinEdgeCases) {
  // imglist: vertical strip, cell 2 from (0, 40); state map 0-0-1.
  auto* list = Make<SSkinImgList>("<imglist name=\"v\" states=\"4\" vertical=\"1\" stateMap=\"0-0-1\"/>");
  list->SetImage(Cells(20, 80));
  EXPECT_EQ(list->NaturalSize().cx, 20);
  EXPECT_EQ(list->NaturalSize().cy, 20);
  const RECT cell2 = list->CellRect(2);
  EXPECT_EQ(cell2.top, 40);
  EXPECT_EQ(cell2.bottom, 60);
  EXPECT_EQ(list->StateCount(), 3);
  IRenderTarget* rt = NewTarget(20, 20, kClear);
  RECT rc{0, 0, 20, 20};
  list->DrawByIndex(rt, &rc, 2);  // mapped to cell 1
  EXPECT_EQ(Pixel(rt, 0, 0) & 0xFF, 20u);
  list->DrawByIndex(rt, &rc, 3);  // beyond the map: cell 3
  EXPECT_EQ(Pixel(rt, 0, 0) & 0xFF, 60u);
  EXPECT_EQ(list->ApplyAttribute(SStringW(L"filterLevel"), SStringW(L"best"), FALSE), E_FAIL);
  EXPECT_EQ(list->ApplyAttribute(SStringW(L"filterLevel"), SStringW(L"High"), FALSE), E_FAIL);
  EXPECT_EQ(list->GetFilterLevel(), 0);
  EXPECT_EQ(list->ApplyAttribute(SStringW(L"filterLevel"), SStringW(L"high"), FALSE), S_FALSE);
  EXPECT_EQ(list->GetFilterLevel(), 3);
  EXPECT_EQ(list->ApplyAttribute(SStringW(L"src"), SStringW(L"PNGSYSTEM:NONE"), FALSE), E_FAIL);

  auto* frame = Make<SSkinImgFrame>("<imgframe name=\"f\" margin=\"5\"/>");
  EXPECT_EQ(frame->GetMargin().left, 5);
  EXPECT_EQ(frame->GetMargin().top, 0);
  EXPECT_EQ(frame->ApplyAttribute(SStringW(L"margin2"), SStringW(L"1,2,3"), FALSE), E_INVALIDARG);

  // A 16 x 16 cell centred in 40 x 30 lands at (12, 7).
  auto* center = Make<SSkinImgList>("<imgCenter name=\"c\"/>");
  center->SetImage(Cells(16, 16));
  IRenderTarget* rc2 = NewTarget(40, 30, kClear);
  RECT r{0, 0, 40, 30};
  center->DrawByIndex(rc2, &r, 0);
  EXPECT_EQ(Pixel(rc2, 11, 7) >> 24, 0u);
  EXPECT_EQ(Pixel(rc2, 12, 7) >> 24, 0xFFu);
  EXPECT_EQ(Pixel(rc2, 27, 22) >> 24, 0xFFu);
  EXPECT_EQ(Pixel(rc2, 28, 22) >> 24, 0u);

  // Nine-patch: top row and left column mark pixels 3 to 6 of a 10 x 10 image.
  std::vector<uint32_t> np(100, 0xFF808080);
  for (int i = 0; i < 10; ++i) np[i] = np[i * 10] = 0;
  for (int i = 3; i <= 6; ++i) np[i] = np[i * 10] = 0xFF000000;
  IBitmap* nine = nullptr;
  factory->CreateBitmap(&nine);
  nine->Init(10, 10, np.data());
  owned.push_back(nine);
  auto* f2 = Make<SSkinImgFrame2>("<imgframe2 name=\"n\"/>");
  EXPECT_EQ(f2->SetNinePatch(nine), S_FALSE);
  const RECT m = f2->GetMargin();
  EXPECT_EQ(m.left, 2);
  EXPECT_EQ(m.right, 2);
  EXPECT_EQ(m.top, 2);
  EXPECT_EQ(m.bottom, 2);
  EXPECT_EQ(f2->GetImage()->Width(), 8u);
  IBitmap* tiny = Cells(1, 5);
  EXPECT_EQ(f2->SetNinePatch(tiny), E_INVALIDARG);

  // Scroll-bar parts on a 144-pixel grid: horizontal thumb, hover.
  auto* sb = dynamic_cast<SSkinScrollbar*>(pools->FindSystemSkin(5));
  const RECT thumb = sb->PartRectangle(kSbThumb, 1, false);
  EXPECT_EQ(thumb.left, 96);
  EXPECT_EQ(thumb.top, 16);
  EXPECT_EQ(thumb.right, 112);
  EXPECT_EQ(thumb.bottom, 32);
}

TEST_F(SkinsTest, DrawnSkinEdgeCases) {
  auto* rect = Make("<colorrect name=\"r\" normal=\"#FF0000\" alpha=\"128\"/>");
  EXPECT_EQ(rect->StateCount(), 1);
  IRenderTarget* rt = NewTarget(10, 10, kClear);
  RECT rc{0, 0, 10, 10};
  rect->DrawByIndex(rt, &rc, 2);  // unset states draw the normal colour
  EXPECT_EQ(Pixel(rt, 5, 5) >> 24, 127u);
  auto* two = Make("<colorrect name=\"r2\" normal=\"#FF0000\" hover=\"#00FF00\"/>");
  EXPECT_EQ(two->StateCount(), 2);
  EXPECT_EQ(static_cast<SSkinObjBase*>(two)->ApplyAttribute(SStringW(L"normal"), SStringW(L""), FALSE), E_FAIL);

  auto* btn = Make<SSkinButton>("<button name=\"b\" cornerPercent=\"0.5\"/>");
  EXPECT_EQ(btn->RadiusFor(RECT{0, 0, 20, 100}), 10);

  // A ring stroke of width 4, 90 degrees over 180, on 40 x 20: a half circle on (12, 2, 28, 18).
  auto* ring = Make(
      "<shape name=\"ring\" shape=\"ring\"><stroke width=\"4\" color=\"#000000\"/>"
      "<ring startAngle=\"90\" sweepAngle=\"180\"/></shape>");
  IRenderTarget* rr = NewTarget(40, 20, kClear);
  RECT r{0, 0, 40, 20};
  ring->DrawByIndex(rr, &r, 0);
  EXPECT_GT(Pixel(rr, 12, 10) >> 24, 100u);  // the left end of the square, on the arc
  EXPECT_EQ(Pixel(rr, 28, 10) >> 24, 0u);    // the right half is not drawn
  EXPECT_EQ(Pixel(rr, 4, 10) >> 24, 0u);
  EXPECT_EQ(Pixel(rr, 36, 10) >> 24, 0u);

  // A group whose hover skin is missing draws nothing in that state.
  auto* group = Make("<group name=\"g\" normal=\"_skin.sys.btn.normal\" hover=\"nowhere\"/>");
  EXPECT_TRUE(Visible(DrawState(this, factory, group, 0)));
  EXPECT_FALSE(Visible(DrawState(this, factory, group, 1)));
}

TEST_F(SkinsTest, PoolsAnswerNewestFirstAndSkipDuplicates) {
  SSkinPool* a = new SSkinPool;
  SSkinPool* b = new SSkinPool;
  SXmlDoc doc;
  ASSERT_TRUE(doc.load_string("<a><colorrect name=\"gs\" normal=\"#FF0000\"/><colorrect name=\"gs\" normal=\"#00FF00\"/></a>"
                              "<b><colorrect name=\"gs\" normal=\"#0000FF\"/></b>"));
  EXPECT_EQ(a->AddSkinsFromXml(doc.child("a")), 2);  // both count, the first stays
  EXPECT_EQ(b->AddSkinsFromXml(doc.child("b")), 1);
  pools->PushSkinPool(a);
  pools->PushSkinPool(b);
  auto colour = [&](int scale) {
    ISkinObj* s = pools->GetSkin(L"gs", scale);
    auto px = DrawState(this, factory, s, 0);
    return px[0];
  };
  EXPECT_EQ(colour(100), 0xFF0000FFu);
  EXPECT_EQ(pools->GetSkin(L"gs", 200), pools->GetSkin(L"gs", 100));  // colour rectangles are not copied
  pools->PopPool(b);
  EXPECT_EQ(colour(100), 0xFFFF0000u);
  const size_t count = pools->GetPoolCount();
  pools->PopPool(pools->GetSystemPool());
  EXPECT_EQ(pools->GetPoolCount(), count);
  pools->PopPool(a);
  a->Release();
  b->Release();
}

}  // namespace
