// The window style: attributes and their results, the four-way sides, the
// draw-text format, per-state colours and fonts, and scaling.
#include <gtest/gtest.h>

#include "OrielTestApp.h"
#include "core/SwndStyle.h"
#include "render/IRender.h"

namespace {

HRESULT Apply(SwndStyle& s, const wchar_t* name, const wchar_t* value, BOOL loading = TRUE) {
  return s.ApplyAttribute(SStringW(name), SStringW(value), loading);
}

TEST(WindowStyleTest, Defaults) {
  SwndStyle s;
  EXPECT_EQ(s.GetBkgndColor(), kRenderNoColor);
  EXPECT_EQ(s.GetBorderColor(), kRenderNoColor);
  EXPECT_TRUE(s.GetCursor() == L"arrow");
  EXPECT_EQ(s.GetAlpha(), 255);
  EXPECT_EQ(s.GetSepSpace(), 5);
  EXPECT_TRUE(s.IsBkgndBlend());
  EXPECT_FALSE(s.IsDotted());
  EXPECT_EQ(s.GetDrawTextFormat(), 0x25u);
  EXPECT_EQ(s.GetStateCount(), 1);
  EXPECT_TRUE(s.IsClass(L"style"));
}

TEST(WindowStyleTest, AttributeResults) {
  struct Case {
    const wchar_t* name;
    const wchar_t* value;
    BOOL loading;
    HRESULT result;
  } const cases[] = {
      {L"align", L"Center", TRUE, E_FAIL},   {L"ALIGN", L"center", TRUE, S_OK},
      {L"valign", L"centre", TRUE, E_FAIL},  {L"colorBkgnd", L"", TRUE, E_FAIL},
      {L"colorText", L"", TRUE, E_FAIL},     {L"colorBorder", L"#102030", TRUE, S_OK},
      {L"margin", L"1", TRUE, S_FALSE},      {L"margin", L"1", FALSE, S_OK},
      {L"padding", L"1", TRUE, S_FALSE},     {L"margin-x", L"1", TRUE, S_FALSE},
      {L"padding_left", L"1", TRUE, S_OK},   {L"cursor", L"hand", FALSE, S_FALSE},
      {L"dotted", L"3", TRUE, S_FALSE},      {L"trackMouseEvent", L"1", TRUE, S_FALSE},
      {L"alpha", L"0x80", TRUE, S_OK},       {L"bkgndBlend", L"0", TRUE, S_OK},
      {L"sepSpace", L"9", TRUE, S_OK},       {L"textMode", L"0x10", TRUE, S_OK},
      {L"pos", L"0,0", TRUE, E_NOTIMPL},
  };
  SwndStyle s;
  for (const Case& c : cases)
    EXPECT_EQ(Apply(s, c.name, c.value, c.loading), c.result) << XmlUtf8(c.name).c_str() << "="
                                                               << XmlUtf8(c.value).c_str();
  EXPECT_EQ(s.GetAlpha(), 128);
  EXPECT_EQ(s.GetAlign(), SwndStyle::kAlignCenter);
  EXPECT_EQ(s.GetBorderColor(), 0xFF302010u);
  EXPECT_TRUE(s.GetCursor() == L"hand");
  EXPECT_TRUE(s.IsDotted());
  EXPECT_TRUE(s.IsTrackMouse());
  EXPECT_FALSE(s.IsBkgndBlend());
  EXPECT_EQ(s.GetSepSpace(), 9);
  EXPECT_EQ(s.GetDrawTextFormat(), 0x10u) << "an explicit text mode wins";
}

TEST(WindowStyleTest, FourWaySides) {
  SwndStyle s;
  Apply(s, L"margin", L"2,4");
  RECT m = s.GetScaledMargin();
  EXPECT_EQ(m.left, 2);
  EXPECT_EQ(m.top, 4);
  EXPECT_EQ(m.right, 2);
  EXPECT_EQ(m.bottom, 4);
  Apply(s, L"margin", L"7,8,9");  // three parts change nothing
  m = s.GetScaledMargin();
  EXPECT_EQ(m.left, 2);
  EXPECT_EQ(m.bottom, 4);
  Apply(s, L"padding", L"1dp,2dp,3dp,4px");
  s.SetScale(150);
  const RECT p = s.GetScaledPadding();
  EXPECT_EQ(p.left, 2);  // floor(1.5 + 0.5)
  EXPECT_EQ(p.top, 3);
  EXPECT_EQ(p.right, 5);
  EXPECT_EQ(p.bottom, 4);  // pixels do not scale
  Apply(s, L"padding_top", L"10");
  EXPECT_EQ(s.GetScaledPadding().top, 10);
}

TEST(WindowStyleTest, DrawTextFormat) {
  struct Case {
    const wchar_t* align;
    const wchar_t* valign;
    const wchar_t* dotted;
    UINT format;
  } const cases[] = {
      {L"center", L"middle", L"0", 0x25},  {L"center", L"middle", L"1", 0x8025},
      {L"left", L"top", L"0", 0x0},        {L"right", L"bottom", L"0", 0x2A},
      {L"left", L"bottom", L"1", 0x8028},
  };
  for (const Case& c : cases) {
    SwndStyle s;
    Apply(s, L"align", c.align);
    Apply(s, L"valign", c.valign);
    Apply(s, L"dotted", c.dotted);
    EXPECT_EQ(s.GetDrawTextFormat(), c.format) << XmlUtf8(c.align).c_str() << " " << XmlUtf8(c.valign).c_str();
  }
}

TEST(WindowStyleTest, ColoursPerState) {
  SwndStyle s;
  Apply(s, L"colorText", L"#000000");
  Apply(s, L"colorTextHover", L"#ff0000");
  EXPECT_EQ(s.GetTextColorForState(SwndStyle::kStateHover), 0xFF0000FFu);
  EXPECT_EQ(s.GetTextColorForState(SwndStyle::kStatePush), 0xFF000000u) << "unset push: normal";
  EXPECT_EQ(s.GetStateCount(), 2);
  Apply(s, L"colorTextDisable", L"#808080");
  EXPECT_EQ(s.GetStateCount(), 3);
}

class WindowStyleFontTest : public OrielAppTest {};

TEST_F(WindowStyleFontTest, FontsPerStateFollowTheScale) {
  SwndStyle s;
  Apply(s, L"font", L"size:12dp");
  Apply(s, L"fontPush", L"size:12dp,bold:1");
  IFont* normal = s.GetFontForState(SwndStyle::kStateNormal);
  ASSERT_NE(normal, nullptr);
  EXPECT_EQ(s.GetFontForState(SwndStyle::kStateHover), normal) << "no hover font: the normal one";
  EXPECT_NE(s.GetFontForState(SwndStyle::kStatePush), normal);
  EXPECT_EQ(s.GetStateCount(), 2);
  const LONG height100 = std::abs(normal->LogFont()->lfHeight);
  s.SetScale(150);
  IFont* scaled = s.GetFontForState(SwndStyle::kStateNormal);
  ASSERT_NE(scaled, nullptr);
  EXPECT_EQ(std::abs(scaled->LogFont()->lfHeight), height100 * 3 / 2);
}

}  // namespace
