// The close prompt opened from its layout on the X server: its size, texts
// in the CJK face and a golden image at 100 %, and its size and pixels at
// 150 % and 200 % when the screen's resources say Xft.dpi 144 and 192.
#include "../platform-display/display_helper.h"
#include "program_app.h"
#include "screen_golden.h"

#include <functional>

#include "core/SWndTextMeasure.h"
#include "windows/SDlgTipClose.h"

using namespace ORIEL;

namespace {

// While the prompt runs modally, a thread-less timer looks at it once it is
// on the screen, then closes it.
struct Look {
  SDlgTipClose* dialog = nullptr;
  std::function<void()> run;
  bool busy = false;
  bool done = false;
};
Look g_look;

void CALLBACK LookAtThePrompt(HWND, UINT, UINT_PTR, DWORD) {
  if (g_look.busy || g_look.done || !g_look.dialog) return;
  const HWND hwnd = g_look.dialog->GetHwnd();
  if (!IsWindow(hwnd) || !IsWindowVisible(hwnd)) return;
  g_look.busy = true;
  waitViewable(hwnd);
  pumpFor(300);  // the first paint reaches the server
  g_look.run();
  g_look.done = true;
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  g_look.busy = false;
}

class ClosePromptDisplay : public ProgramAppTest {
 protected:
  // Shows a prompt and runs `look` while it is on the screen; its result.
  INT_PTR Show(SDlgTipClose& dialog, std::function<void()> look) {
    g_look = Look{&dialog, std::move(look)};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &LookAtThePrompt);
    const INT_PTR result = dialog.DoModal(nullptr);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(g_look.done) << "the prompt was never on the screen";
    g_look = Look{};
    return result;
  }
  static RECT ScreenRect(HWND hwnd) {
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    return rc;
  }
};

// Known pixels of the 100 % layout: the checked radio's blue dot, the
// OK button's red, the white body.
constexpr POINT kMinimiseDot{57, 73}, kExitDot{187, 73}, kOkButton{225, 152}, kBody{170, 125};
constexpr unsigned long kDotBlue = 0x2F7FD0, kOkRed = 0xDD2421;

TEST_F(ClosePromptDisplay, ItsLayoutTextsAndPictureAt100Percent) {
  SDlgTipClose dialog;
  RECT rc{};
  std::wstring title;
  std::vector<std::pair<std::wstring, LONG>> texts;
  unsigned long body = 0, ok = 0, minimiseDot = 0;
  bool golden = false;
  std::string goldenWhy;
  const INT_PTR result = Show(dialog, [&] {
    rc = ScreenRect(dialog.GetHwnd());
    wchar_t buffer[64] = {};
    GetWindowTextW(dialog.GetHwnd(), buffer, 64);
    title = buffer;
    // The caption's text has no name: the first text element.
    SWindow* caption = dialog.FindDescendantByName(L"btn_close")->GetParent();
    for (SWindow* child = caption->GetRelative(GSW_FIRSTCHILD); child; child = child->GetRelative(GSW_NEXTSIBLING))
      if (!child->GetText().IsEmpty()) texts.emplace_back(child->GetText().c_str(), MeasureTextSize(child, child->GetText(), false).cx);
    for (const wchar_t* name : {L"original_folder", L"custom_folder", L"chk_auto", L"btn_ok"}) {
      SWindow* w = dialog.FindDescendantByName(name);
      texts.emplace_back(w->GetText().c_str(), MeasureTextSize(w, w->GetText(), false).cx);
    }
    body = screenPixel(rc.left + kBody.x, rc.top + kBody.y);
    ok = screenPixel(rc.left + kOkButton.x, rc.top + kOkButton.y);
    minimiseDot = screenPixel(rc.left + kMinimiseDot.x, rc.top + kMinimiseDot.y);
    const ::testing::AssertionResult match =
        ScreenMatchesGolden(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, "close_prompt_100");
    golden = match;
    goldenWhy = match.message();
  });
  EXPECT_EQ(result, 2);
  EXPECT_EQ(rc.right - rc.left, 340);
  EXPECT_EQ(rc.bottom - rc.top, 189);
  EXPECT_EQ(title, L"dlg_close");
  const std::vector<std::wstring> expected{L"退出提醒", L"最小化程序", L"退出程序", L"记住我的选择", L"确定"};
  ASSERT_EQ(texts.size(), expected.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(texts[i].first, expected[i]);
    // Full-width glyphs of a CJK face: about one em (13 or 14 pixels) each.
    const LONG chars = static_cast<LONG>(expected[i].size());
    EXPECT_GE(texts[i].second, chars * 12) << i;
    EXPECT_LE(texts[i].second, chars * 15) << i;
  }
  EXPECT_EQ(body, 0xFFFFFFu);
  EXPECT_EQ(ok, kOkRed);
  EXPECT_EQ(minimiseDot, kDotBlue) << "nothing preset: 最小化程序 is checked";
  EXPECT_TRUE(golden) << goldenWhy;
}

TEST_F(ClosePromptDisplay, FollowsTheScreensDpiTo150And200Percent) {
  RootResources resources;
  RecordingClass probeClass(L"ClosePromptDpiProbe");
  HWND probe = CreateWindowExW(0, probeClass.name(), L"probe", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  for (const auto& [dpi, scale] : {std::pair{144, 150}, std::pair{192, 200}}) {
    RootResources::write(resources.withDpi(dpi));
    ASSERT_TRUE(pumpUntil([&, dpi = dpi] { return GetDpiForWindow(probe) == static_cast<UINT>(dpi); }));
    SDlgTipClose dialog;
    dialog.exitChosen = true;
    RECT rc{};
    unsigned long body = 0, ok = 0, exitDot = 0, minimiseDot = 0;
    int dark = 0;
    Show(dialog, [&, scale = scale] {
      rc = ScreenRect(dialog.GetHwnd());
      const auto at = [&](POINT p) { return screenPixel(rc.left + p.x * scale / 100, rc.top + p.y * scale / 100); };
      body = at(kBody);
      ok = at(kOkButton);
      exitDot = at(kExitDot);
      minimiseDot = at(kMinimiseDot);
      // "最小化程序" right of its radio: dark glyph pixels at this scale.
      for (int x = 66 * scale / 100; x < 140 * scale / 100; ++x)
        for (int y = 64 * scale / 100; y < 82 * scale / 100; ++y)
          if ((screenPixel(rc.left + x, rc.top + y) & 0xFF) < 0x80) ++dark;
    });
    EXPECT_EQ(rc.right - rc.left, 340 * scale / 100) << dpi;
    EXPECT_EQ(rc.bottom - rc.top, 189 * scale / 100) << dpi;
    EXPECT_EQ(body, 0xFFFFFFu) << dpi;
    EXPECT_EQ(ok, kOkRed) << dpi;
    EXPECT_EQ(exitDot, kDotBlue) << dpi << ": the preset choice is checked";
    EXPECT_EQ(minimiseDot, 0xFFFFFFu) << dpi;
    EXPECT_GT(dark, 60 * scale / 100) << dpi;
  }
  DestroyWindow(probe);
}

}  // namespace
