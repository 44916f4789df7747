// Fonts and text: the program's font names resolve, DrawTextW measures what
// it draws, prefixes, colours and background modes.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "gdi/gdi.h"

namespace {

int CALLBACK CountFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM lp) {
  ++*reinterpret_cast<int*>(lp);
  return 1;
}

int FaceFound(const wchar_t* face) {
  HDC dc = CreateCompatibleDC(nullptr);
  int n = 0;
  EnumFontsW(dc, face, CountFace, reinterpret_cast<LPARAM>(&n));
  DeleteDC(dc);
  return n;
}

TEST(GdiFonts, ProgramFaceNamesResolveAndMissingOnesDoNot) {
  EXPECT_EQ(FaceFound(L"微软雅黑"), 1);
  EXPECT_EQ(FaceFound(L"宋体"), 1);
  EXPECT_EQ(FaceFound(L"Noto Sans CJK SC"), 1);
  EXPECT_EQ(FaceFound(L"No Such Face 7c1d"), 0);
}

struct TextDc {
  explicit TextDc(int px, const wchar_t* face = L"Noto Sans CJK SC") {
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateCompatibleBitmap(dc, 300, 100);
    old = SelectObject(dc, bmp);
    LOGFONTW lf{};
    lf.lfHeight = -px;
    lf.lfWeight = FW_NORMAL;
    wcscpy(lf.lfFaceName, face);
    font = CreateFontIndirectW(&lf);
    SelectObject(dc, font);
  }
  ~TextDc() {
    SelectObject(dc, old);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    DeleteObject(font);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  uint32_t at(int x, int y) {
    BITMAP bm{};
    GetObjectW(bmp, sizeof bm, &bm);
    return static_cast<uint32_t*>(bm.bmBits)[y * 300 + x];
  }
  RECT Ink() {
    RECT box{300, 100, 0, 0};
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 300; ++x)
        if (at(x, y) >> 24) {
          box.left = std::min<LONG>(box.left, x);
          box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x + 1);
          box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    return box;
  }
  HDC dc;
  HBITMAP bmp;
  HGDIOBJ old;
  HFONT font;
};

TEST(GdiText, CalcRectBoundsTheDrawnText) {
  TextDc t(16);
  SetBkMode(t.dc, TRANSPARENT);
  RECT calc{10, 10, 130, 10};
  int h = DrawTextW(t.dc, L"Wrapped words of text, 和中文", -1, &calc, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_EQ(h, calc.bottom - calc.top);
  EXPECT_LE(calc.right - calc.left, 120);
  SIZE line{};
  GetTextExtentPoint32W(t.dc, L"A", 1, &line);
  EXPECT_EQ((calc.bottom - calc.top) % line.cy, 0) << "whole lines";
  EXPECT_GE(calc.bottom - calc.top, 2 * line.cy);
  RECT draw = calc;
  DrawTextW(t.dc, L"Wrapped words of text, 和中文", -1, &draw, DT_WORDBREAK);
  RECT ink = t.Ink();
  EXPECT_GE(ink.left, calc.left - 1);
  EXPECT_LE(ink.right, calc.right + 1);
  EXPECT_GE(ink.top, calc.top);
  EXPECT_LE(ink.bottom, calc.bottom);
}

TEST(GdiText, ExtentsAndPrefixes) {
  TextDc t(16);
  SIZE a{}, ab{}, empty{}, cjk{};
  ASSERT_TRUE(GetTextExtentPoint32W(t.dc, L"a", 1, &a));
  GetTextExtentPoint32W(t.dc, L"ab", 2, &ab);
  GetTextExtentPoint32W(t.dc, L"", 0, &empty);
  GetTextExtentPoint32W(t.dc, L"中文", 2, &cjk);
  EXPECT_GT(ab.cx, a.cx);
  EXPECT_EQ(empty.cx, 0);
  EXPECT_EQ(empty.cy, a.cy);
  EXPECT_NEAR(cjk.cx, 32, 2);
  // '&' marks a mnemonic and is not shown; "&&" shows one '&'.
  auto width = [&](const wchar_t* s) {
    RECT r{0, 0, 1000, 0};
    DrawTextW(t.dc, s, -1, &r, DT_SINGLELINE | DT_CALCRECT);
    return r.right;
  };
  EXPECT_EQ(width(L"&File"), width(L"File"));
  SIZE amp{};
  GetTextExtentPoint32W(t.dc, L"a&b", 3, &amp);
  EXPECT_EQ(width(L"a&&b"), amp.cx);
  RECT none{0, 0, 1000, 0};
  DrawTextW(t.dc, L"&File", -1, &none, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
  EXPECT_GT(none.right, width(L"File"));
}

// A single line ignores line breaks: it neither breaks nor shows a glyph
// for them, so it draws exactly what the text without them draws.
TEST(GdiText, SingleLineIgnoresLineBreaks) {
  const wchar_t* const withBreaks[] = {L"AB\nCD", L"AB\r\nCD", L"\nABCD\r", L"A&B\nCD"};
  for (const wchar_t* text : withBreaks) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(text)));
    TextDc plain(16), broken(16);
    SetBkMode(plain.dc, TRANSPARENT);
    SetBkMode(broken.dc, TRANSPARENT);
    std::wstring joined;
    for (const wchar_t* c = text; *c; ++c)
      if (*c != L'\r' && *c != L'\n') joined += *c;
    RECT calcPlain{0, 0, 300, 100}, calcBroken{0, 0, 300, 100};
    DrawTextW(plain.dc, joined.c_str(), -1, &calcPlain, DT_SINGLELINE | DT_CALCRECT);
    DrawTextW(broken.dc, text, -1, &calcBroken, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(calcBroken.right, calcPlain.right);
    EXPECT_EQ(calcBroken.bottom, calcPlain.bottom) << "one line high";
    RECT r{0, 0, 300, 100};
    DrawTextW(plain.dc, joined.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER);
    DrawTextW(broken.dc, text, -1, &r, DT_SINGLELINE | DT_VCENTER);
    int differing = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 300; ++x) differing += plain.at(x, y) != broken.at(x, y);
    EXPECT_EQ(differing, 0);
  }
  // Without DT_SINGLELINE the break still starts a new line.
  TextDc t(16);
  RECT one{0, 0, 300, 0}, two{0, 0, 300, 0};
  DrawTextW(t.dc, L"ABCD", -1, &one, DT_CALCRECT);
  DrawTextW(t.dc, L"AB\nCD", -1, &two, DT_CALCRECT);
  EXPECT_EQ(two.bottom - two.top, 2 * (one.bottom - one.top));
}

TEST(GdiText, ColourAndBackgroundMode) {
  TextDc t(20);
  SetTextColor(t.dc, RGB(0, 0, 255));
  SetBkColor(t.dc, RGB(255, 255, 0));
  RECT r{0, 0, 300, 100};
  DrawTextW(t.dc, L"IIII", -1, &r, DT_SINGLELINE);  // opaque: the default mode
  EXPECT_EQ(t.at(1, 1) & 0xFFFFFF, 0xFFFF00u) << "background filled behind the text";
  bool blue = false;
  for (int x = 0; x < 60 && !blue; ++x)
    for (int y = 0; y < 30 && !blue; ++y) {
      uint32_t p = t.at(x, y);
      blue = (p & 0xFF) > 200 && ((p >> 16) & 0xFF) < 80 && ((p >> 8) & 0xFF) < 80;
    }
  EXPECT_TRUE(blue);
  TextDc u(20);
  SetBkMode(u.dc, TRANSPARENT);
  DrawTextW(u.dc, L"IIII", -1, &r, DT_SINGLELINE);
  EXPECT_EQ(u.at(1, 1), 0u);
}

}  // namespace

// A name too long for its box: the end ellipsis leaves two names that differ
// only at their end looking the same; the path ellipsis gives up the middle,
// so both ends show and the names stay apart, still inside the box.
TEST(GdiText, PathEllipsisKeepsTheEndsOfALongName) {
  const wchar_t* const names[] = {L"2026-12-11__13-45-07-0123.mp3", L"2026-12-11__13-45-07-0999.mp3"};
  auto drawBoth = [&](UINT cut, bool* same, int* widest) {
    TextDc a(16), b(16);
    SetBkMode(a.dc, TRANSPARENT);
    SetBkMode(b.dc, TRANSPARENT);
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | cut;
    RECT ra{10, 0, 130, 40}, rb = ra;
    DrawTextW(a.dc, names[0], -1, &ra, format);
    DrawTextW(b.dc, names[1], -1, &rb, format);
    *same = true;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 200; ++x) *same = *same && a.at(x, y) == b.at(x, y);
    RECT ink = a.Ink();
    *widest = ink.right;
    RECT calc{10, 0, 130, 40};
    DrawTextW(a.dc, names[0], -1, &calc, format | DT_CALCRECT);
    EXPECT_LE(calc.right, 130) << cut;
  };
  bool same = false;
  int right = 0;
  drawBoth(DT_END_ELLIPSIS, &same, &right);
  EXPECT_TRUE(same) << "the end ellipsis hides where they differ";
  drawBoth(DT_PATH_ELLIPSIS, &same, &right);
  EXPECT_FALSE(same) << "the path ellipsis shows where they differ";
  EXPECT_LE(right, 132);
}
