// Fonts by description relative to the UI definition's default font: the
// description rules, pooling, measuring alike through the render target and
// GDI at two scales, and a missing face.
#include <gtest/gtest.h>

#include <cmath>

#include "OrielTestApp.h"
#include "res.mgr/SFontPool.h"
#include "res.mgr/SResProviderFiles.h"
#include "res.mgr/SUiDef.h"

namespace {

class FontsTest : public OrielAppTest {
 protected:
  void TearDown() override {
    SLayoutSize::SetDefaultUnit(L"px");
    OrielAppTest::TearDown();
  }
  void Attach(const std::string& uidef) {
    bundle = std::make_unique<ScratchBundle>("fonts");
    bundle->Write("uidef.xml", uidef);
    bundle->WriteIndex({{"uidef", "xml_init", "uidef.xml"}});
    IResProvider* p = nullptr;
    MakeResProvider(kResProviderFiles, &p);
    const std::wstring folder = bundle->WFolder();
    ASSERT_TRUE(p->Init(reinterpret_cast<WPARAM>(folder.c_str()), 0));
    app->AttachProvider(p, L"uidef:xml_init");
    p->Release();
  }
  uint32_t Style(const wchar_t* description, int scale) {
    SXmlDoc extra;
    return SFontPool::getSingleton().DescribeFont(description, scale, extra).style;
  }
  std::unique_ptr<ScratchBundle> bundle;
};

TEST_F(FontsTest, DescriptionRules) {
  Attach("<uidef><font face=\"微软雅黑\" size=\"14\" bold=\"1\"/><unit defUnit=\"dp\"/></uidef>");
  constexpr uint32_t kItalic = 1u << 16, kUnderline = 1u << 17, kBold = 1u << 18;
  struct Case {
    const wchar_t* description;
    int scale;
    uint32_t size;
    uint32_t set, clear;
  } cases[] = {
      {L"italic:1", 150, 21, kItalic | kBold, 0},
      {L"size:12", 150, 18, 0, 0},
      {L"size:12px", 150, 12, 0, 0},
      {L"size:16,size:20", 100, 16, 0, 0},  // the first occurrence wins
      {L"bold:0", 100, 14, 0, kBold},
      {L"bold:no", 100, 14, kBold, 0},
      {L"underline:1,italic:1", 100, 14, kUnderline | kItalic, 0},
      {L"", 125, 17, kBold, 0},
      {L"adding:2", 100, 16, 0, 0},
      {L"size,bold:0", 100, 14, 0, kBold},  // a part without a value is ignored
  };
  for (const Case& c : cases) {
    const uint32_t style = Style(c.description, c.scale);
    EXPECT_EQ(FontInfo::Size(style), c.size) << XmlUtf8(c.description).c_str();
    EXPECT_EQ(style & c.set, c.set) << XmlUtf8(c.description).c_str();
    EXPECT_EQ(style & c.clear, 0u) << XmlUtf8(c.description).c_str();
  }
  SFontPool& pool = SFontPool::getSingleton();
  IFont* heavy = pool.GetFontByDescription(L"weight:700,bold:0", 100);
  ASSERT_NE(heavy, nullptr);
  EXPECT_EQ(FontInfo::Weight4(Style(L"weight:700", 100)), 175u);
  EXPECT_EQ(heavy->LogFont()->lfWeight, 700);
  EXPECT_EQ(pool.GetFontByDescription(L"bold:1", 100)->LogFont()->lfWeight, 700);
  EXPECT_EQ(pool.GetFontByDescription(L"bold:0", 100)->LogFont()->lfWeight, 400);
  SXmlDoc extra;
  EXPECT_EQ(pool.DescribeFont(L"Face:Arial,shadow:2", 100, extra).strFace, L"arial");
  EXPECT_NE(XmlToString(extra.first_child(), "").Find(L"shadow=\"2\""), -1);  // unknown keys travel as properties
}

TEST_F(FontsTest, EqualDescriptionAndScaleShareOneFont) {
  Attach("<uidef><font face=\"微软雅黑\" size=\"14\"/></uidef>");
  SFontPool& pool = SFontPool::getSingleton();
  IFont* a = pool.GetFontByDescription(L"underline:1", 100);
  IFont* b = pool.GetFontByDescription(L"underline:1", 100);
  IFont* c = pool.GetFontByDescription(L"underline:1", 150);
  IFont* d = pool.GetFontByDescription(L"underline:1,name:other", 100);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_NE(a, d);  // the name is part of the key
  SScaledFont holder;
  holder.SetDescription(L"underline:1", 100);
  EXPECT_EQ(holder.GetFont(), a);
  holder.Rescale(150);
  EXPECT_EQ(holder.GetFont(), c);
  SScaledFont empty;
  empty.Rescale(150);
  EXPECT_EQ(empty.GetFont(), nullptr);
}

TEST_F(FontsTest, ChineseTextMeasuresAlikeThroughTheTargetAndGdiAtTwoScales) {
  Attach("<uidef><font face=\"微软雅黑\" size=\"14\"/><unit defUnit=\"dp\"/></uidef>");
  const wchar_t* text = L"电脑录音软件";
  const int chars = 6;
  SIZE at[2];
  int index = 0;
  for (int scale : {100, 150}) {
    IFont* font = SFontPool::getSingleton().GetFontByDescription(L"face:微软雅黑,size:14", scale);
    ASSERT_NE(font, nullptr);
    IRenderTarget* rt = NewTarget(300, 60);
    rt->SelectObject(font, nullptr);
    SIZE viaTarget{};
    ASSERT_EQ(rt->MeasureText(text, -1, &viaTarget), S_OK);
    HFONT hf = CreateFontIndirectW(font->LogFont());
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, hf);
    SIZE viaGdi{};
    ASSERT_TRUE(GetTextExtentPoint32W(dc, text, chars, &viaGdi));
    SelectObject(dc, old);
    DeleteObject(hf);
    DeleteDC(dc);
    EXPECT_EQ(viaTarget.cx, viaGdi.cx) << scale;
    EXPECT_EQ(viaTarget.cy, viaGdi.cy) << scale;
    EXPECT_GT(viaTarget.cx, chars * 10);
    at[index++] = viaTarget;
  }
  EXPECT_NEAR(at[1].cx, at[0].cx * 1.5, chars) << at[0].cx << " " << at[1].cx;
}

TEST_F(FontsTest, MissingFaceFallsBackAndStillRenders) {
  Attach("<uidef><font face=\"No Such Face Anywhere\" size=\"16\"/></uidef>");
  const FontInfo& def = SUiDef::CurrentInfo()->GetDefFontInfo();
  EXPECT_EQ(def.strFace, L"宋体");
  IFont* font = SFontPool::getSingleton().GetFontByDescription(L"", 100);
  ASSERT_NE(font, nullptr);
  EXPECT_STREQ(font->LogFont()->lfFaceName, L"宋体");
  IRenderTarget* rt = NewTarget(120, 30, 0xFFFFFFFF);
  rt->SelectObject(font, nullptr);
  rt->SetTextColor(0xFF000000);
  RECT rc{0, 0, 120, 30};
  ASSERT_EQ(rt->DrawText(L"录音", -1, &rc, DT_LEFT | DT_TOP | DT_SINGLELINE), S_OK);
  int dark = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x) dark += (Pixel(rt, x, y) & 0xFF) < 128;
  EXPECT_GT(dark, 20);
}

}  // namespace
