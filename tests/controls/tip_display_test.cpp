// The tip dialog on the X server with the program's bundle and global look:
// its sizes for each kind of content, where its buttons stand, the codes
// each way of ending it gives (real clicks and keys), a line too long for
// the screen wrapping inside it, its picture at 100 % and its growth with
// the screen's DPI, set before it opens and while it is open.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "HostTestWindow.h"
#include "OrielTestApp.h"
#include "controls/ControlFactories.h"
#include "controls/SDlgTip.h"
#include "controls/SOrielResourceLoader.h"
#include "core/SWndTextMeasure.h"
#include "../platform-display/display_helper.h"
// After gtest: Xlib's macros would clash with its names.
#include <X11/keysym.h>
#include <X11/Xutil.h>

namespace {

using Tip = TestHostT<SDlgTip>;
constexpr UINT kInspect = WM_APP + 7;

RECT ScreenRect(HWND hwnd) {
  RECT rc{};
  GetWindowRect(hwnd, &rc);
  return rc;
}

class TipDisplay : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    RegisterControlFactories(*app, 1);
    RegisterControlFactories(*app, 2);
    IResProvider* p = BundleProvider();
    app->AttachProvider(p, L"UIDEF:XML_INIT");
    app->LoadSystemResources(p);
    ASSERT_TRUE(global_.LoadGlobalUiResources(GetModuleHandleW(nullptr)));
    main_ = std::make_unique<TestHost>();
    ASSERT_TRUE(MakeHost(*main_, "<ORIEL width='500' height='400'><root colorBkgnd='#e0e0e0'/></ORIEL>", 300, 200));
    ShowWindow(main_->GetHwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(main_->GetHwnd()));
    CDlgStack::Instance().RegisterWindow(main_->GetHwnd());
    moveMouse(5, 5);
  }
  void TearDown() override {
    if (main_) {
      CDlgStack::Instance().UnregisterWindow(main_->GetHwnd());
      main_->DestroyHostWindow();
    }
    main_.reset();
    global_.skin.reset();
    global_.style.reset();
    global_.color.reset();
    SLayoutSize::SetDefaultUnit(L"px");
    OrielAppTest::TearDown();
  }
  // Runs the tip; once it shows, `inspect` looks and `act` ends it.
  INT_PTR Run(Tip& tip, const std::function<void(Tip&)>& inspect, const std::function<void(Tip&)>& act) {
    tip.before = [&tip, inspect, act](UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
      if (msg == WM_SHOWWINDOW && wParam) PostMessageW(tip.GetHwnd(), kInspect, 0, 0);
      if (msg != kInspect) return std::nullopt;
      EXPECT_TRUE(waitViewable(tip.GetHwnd()));
      pumpFor(150);
      if (inspect) inspect(tip);
      if (act) act(tip);
      return 0;
    };
    return tip.DoModal(CDlgStack::Instance().Top());
  }
  static SWindow* Child(Tip& tip, const wchar_t* name) { return tip.FindDescendantByName(SStringW(name)); }
  // A child's rectangle on the screen.
  static RECT OnScreen(Tip& tip, SWindow* child) {
    RECT rc = child->GetWindowRect();
    POINT tl{rc.left, rc.top}, br{rc.right, rc.bottom};
    ClientToScreen(tip.GetHwnd(), &tl);
    ClientToScreen(tip.GetHwnd(), &br);
    return RECT{tl.x, tl.y, br.x, br.y};
  }
  static void Click(Tip& tip, const wchar_t* name) {
    SWindow* child = Child(tip, name);
    ASSERT_NE(child, nullptr);
    const RECT rc = OnScreen(tip, child);
    moveMouse((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    pumpFor(80);
    clickButton(1);
  }
  // Keys go to the tip, as a window manager gives a new dialog the focus.
  static void Key(Tip& tip, KeySym key) {
    XSetInputFocus(userDisplay(), Win32XWindowOf(tip.GetHwnd()), RevertToParent, CurrentTime);
    XSync(userDisplay(), False);
    pumpFor(100);
    tapKey(key);
  }
  // What a window manager sends when its close button is pressed.
  static void ManagerClose(Tip& tip) {
    Display* d = userDisplay();
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = Win32XWindowOf(tip.GetHwnd());
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, e.xclient.window, False, NoEventMask, &e);
    XSync(d, False);
  }
  // Sets Xft.dpi and waits until the windows follow.
  void SetDpi(RootResources& resources, int dpi) {
    RootResources::write(resources.withDpi(dpi == 96 ? 0 : dpi));
    ASSERT_TRUE(pumpUntil([&] { return GetDpiForWindow(main_->GetHwnd()) == static_cast<UINT>(dpi); }));
  }
  // The screen's pixels of `rc` as a render target.
  IRenderTarget* ScreenCopy(const RECT& rc) {
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    IRenderTarget* rt = NewTarget(w, h);
    XImage* image = XGetImage(userDisplay(), DefaultRootWindow(userDisplay()), rc.left, rc.top, w, h, AllPlanes,
                              ZPixmap);
    if (!image) return rt;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const unsigned long p = XGetPixel(image, x, y) & 0xFFFFFF;
        const RECT one{x, y, x + 1, y + 1};
        rt->ClearRect(&one, 0xFF000000 | ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF));
      }
    XDestroyImage(image);
    return rt;
  }
  static int ColourDistance(unsigned long a, unsigned long b) {
    int d = 0;
    for (int shift : {0, 8, 16})
      d = std::max(d, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return d;
  }
  SGlobalUiResources global_;
  std::unique_ptr<TestHost> main_;
};

SIZE SizeOf(Tip& tip) {
  const RECT rc = ScreenRect(tip.GetHwnd());
  return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

TEST_F(TipDisplay, TitleAndTheLayoutsOwnSizeWithoutLines) {
  Tip tip(SStringW(L"提示"), SStringW(L""), SStringW(L""), SStringW(L""), SStringW(L"确定"), SStringW(L"取消"));
  EXPECT_TRUE(tip.GetLines().empty()) << "empty lines are dropped";
  SIZE size{};
  std::wstring title;
  SStringW shown;
  const INT_PTR code = Run(
      tip,
      [&](Tip& t) {
        size = SizeOf(t);
        wchar_t text[64] = {};
        GetWindowTextW(t.GetHwnd(), text, 63);
        title = text;
        shown = Child(t, L"title_name")->GetText();
        EXPECT_TRUE(t.IsLayoutDone());
        EXPECT_FALSE(IsWindowEnabled(main_->GetHwnd()));
      },
      [&](Tip& t) { Click(t, L"btn_close"); });
  EXPECT_EQ(code, SDlgTip::kClose);
  EXPECT_EQ(title, L"提示");
  EXPECT_EQ(shown, SStringW(L"提示"));
  EXPECT_EQ(size.cx, 340);
  EXPECT_EQ(size.cy, 164);
  EXPECT_TRUE(IsWindowEnabled(main_->GetHwnd()));
  EXPECT_TRUE(CDlgStack::Instance().IsEmpty());
}

// Each row: the content, the size it gives and a way to end it.
TEST_F(TipDisplay, SizesFollowTheContentAndEachWayOutHasItsCode) {
  // A line between 260 and 340 pixels wide in the lines' font.
  SStringW wide;
  {
    // A text control in the lines' font.
    auto* edit = dynamic_cast<SWindow*>(app->NewWindowByClass(L"edit"));
    ASSERT_NE(edit, nullptr);
    edit->ApplyAttribute(SStringW(L"font"), SStringW(L"size:14"), TRUE);
    while (MeasureTextSize(edit, wide, false).cx <= 290) wide += L"录";
    EXPECT_LE(MeasureTextSize(edit, wide, false).cx, 340);
    edit->Release();
  }
  const struct {
    const char* what;
    std::vector<const wchar_t*> lines;
    const wchar_t* icon;
    int cx, cy;
    std::function<void(Tip&)> act;
    INT_PTR code;
  } rows[] = {
      {"one line, OK clicked", {L"录音已保存"}, L"", 340, 188, [this](Tip& t) { Click(t, L"btn_ok"); }, 1},
      {"two lines and an icon, No clicked", {L"第一行", L"第二行比第一行长一些"}, L"skin.icon.success", 340, 277,
       [this](Tip& t) { Click(t, L"btn_no"); }, 2},
      {"a wide line, Enter", {wide.c_str()}, L"", 430, 188, [](Tip& t) { Key(t, XK_Return); }, 1},
      {"Esc", {L"x"}, L"", 340, 188, [](Tip& t) { Key(t, XK_Escape); }, 8},
      {"n", {L"x"}, L"", 340, 188, [](Tip& t) { Key(t, XK_n); }, 2},
      {"window manager's close", {L"x"}, L"", 340, 188, [](Tip& t) { ManagerClose(t); }, 2},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    Tip tip(SStringW(L"提示"), SStringW(L"确定"), SStringW(L"取消"));
    for (const wchar_t* line : r.lines) tip.AddText(SStringW(line));
    tip.SetIconSkin(SStringW(r.icon));
    SIZE size{};
    std::vector<LONG> lefts, widths;
    const INT_PTR code = Run(
        tip,
        [&](Tip& t) {
          size = SizeOf(t);
          for (SWindow* c = Child(t, L"wnd_tip")->GetRelative(GSW_FIRSTCHILD); c; c = c->GetRelative(GSW_NEXTSIBLING)) {
            lefts.push_back(c->GetWindowRect().left);
            widths.push_back(c->GetWindowRect().right - c->GetWindowRect().left);
          }
        },
        r.act);
    EXPECT_EQ(code, r.code) << r.what;
    EXPECT_EQ(size.cx, r.cx) << r.what;
    EXPECT_EQ(size.cy, r.cy) << r.what;
    ASSERT_EQ(lefts.size(), r.lines.size()) << r.what;
    if (r.lines.size() == 2) {
      EXPECT_EQ(lefts[0], lefts[1]) << "two lines are left-aligned";
      EXPECT_NE(widths[0], widths[1]);
    }
  }
}

TEST_F(TipDisplay, WithoutNoOkStandsAtTheRightAndClosableOffHidesClose) {
  Tip tip(SStringW(L"提示"), SStringW(L"只有一个按钮"), SStringW(L""), SStringW(L""), SStringW(L"知道了"), SStringW(L""));
  tip.closable = false;
  RECT ok{}, no{};
  bool closeShown = true, noShown = true;
  SIZE okText{};
  const INT_PTR code = Run(
      tip,
      [&](Tip& t) {
        ok = Child(t, L"btn_ok")->GetWindowRect();
        no = Child(t, L"btn_no")->GetWindowRect();
        noShown = no.right > no.left;
        closeShown = Child(t, L"btn_close")->IsVisible(TRUE) != FALSE;
        okText = MeasureTextSize(Child(t, L"btn_ok"), SStringW(L"知道了"), false);
      },
      [this](Tip& t) { Click(t, L"btn_ok"); });
  EXPECT_EQ(code, 1);
  EXPECT_FALSE(noShown) << "an empty No takes no room";
  EXPECT_FALSE(closeShown);
  // The row's right padding (30) inside the root's (10).
  EXPECT_EQ(ok.right, 340 - 10 - 30);
  EXPECT_EQ(ok.right - ok.left, okText.cx + 36);
  EXPECT_EQ(ok.bottom - ok.top, okText.cy + 8);
}

TEST_F(TipDisplay, ALineWiderThanTheScreenWrapsInsideIt) {
  std::wstring text;
  for (int i = 0; i < 300; ++i) text += L"录音 ";
  Tip tip(SStringW(L"提示"), SStringW(text.c_str()), SStringW(L""), SStringW(L""), SStringW(L"确定"), SStringW(L""));
  RECT rc{};
  int rows = 0;
  const INT_PTR code = Run(
      tip,
      [&](Tip& t) {
        rc = ScreenRect(t.GetHwnd());
        SWindow* line = Child(t, L"wnd_tip")->GetRelative(GSW_FIRSTCHILD);
        ASSERT_NE(line, nullptr);
        const SStringW wrapped = line->GetText();
        rows = 1;
        for (int i = 0; i < wrapped.GetLength(); ++i) rows += wrapped[i] == L'\n';
        // Every piece fits the text room of the capped width.
        int start = 0;
        for (int i = 0; i <= wrapped.GetLength(); ++i) {
          if (i < wrapped.GetLength() && wrapped[i] != L'\n') continue;
          EXPECT_LE(MeasureTextSize(line, wrapped.Mid(start, i - start), false).cx, rc.right - rc.left - 80);
          start = i + 1;
        }
      },
      [](Tip& t) { Key(t, XK_Return); });
  EXPECT_EQ(code, 1);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromWindow(main_->GetHwnd(), MONITOR_DEFAULTTONEAREST), &info);
  EXPECT_EQ(rc.right - rc.left, info.rcWork.right - info.rcWork.left - 40);
  EXPECT_GE(rc.left, info.rcWork.left);
  EXPECT_LE(rc.right, info.rcWork.right);
  EXPECT_GE(rows, 3);
  EXPECT_EQ(rc.bottom - rc.top, 164 + 24 * rows);
}

TEST_F(TipDisplay, PictureAtOneHundredPercent) {
  Tip tip(SStringW(L"提示"), SStringW(L"录音已保存到文件夹"), SStringW(L""), SStringW(L"skin.icon.success"),
          SStringW(L"确定"), SStringW(L"取消"));
  IRenderTarget* shot = nullptr;
  Run(
      tip,
      [&](Tip& t) {
        pumpFor(200);
        shot = ScreenCopy(ScreenRect(t.GetHwnd()));
      },
      [](Tip& t) { Key(t, XK_Escape); });
  ASSERT_NE(shot, nullptr);
  EXPECT_TRUE(TargetMatchesGolden(shot, "tip_dialog_100"));
}

// At 150 and 200 % the whole dialog scales: its size, and its buttons drawn
// at their scaled places in the accent colour.
TEST_F(TipDisplay, ScalesWithTheScreensDpi) {
  RootResources resources;
  for (const auto& [dpi, scale] : {std::pair{144, 150}, std::pair{192, 200}}) {
    SetDpi(resources, dpi);
    Tip tip(SStringW(L"提示"), SStringW(L"录音已保存"), SStringW(L""), SStringW(L""), SStringW(L"确定"),
            SStringW(L"取消"));
    SIZE size{};
    RECT ok{};
    unsigned long okPixel = 0, corner = 0;
    Run(
        tip,
        [&](Tip& t) {
          size = SizeOf(t);
          ok = OnScreen(t, Child(t, L"btn_ok"));
          okPixel = screenPixel(ok.left + 3 * scale / 100, (ok.top + ok.bottom) / 2);
          const RECT rc = ScreenRect(t.GetHwnd());
          corner = screenPixel(rc.left + (rc.right - rc.left) / 2, rc.bottom - 15 * scale / 100);
        },
        [](Tip& t) { Key(t, XK_Escape); });
    EXPECT_EQ(size.cx, 340 * scale / 100) << dpi;
    EXPECT_EQ(size.cy, 188 * scale / 100) << dpi;
    EXPECT_LE(ColourDistance(okPixel, 0xDD2421), 40) << std::hex << okPixel << " at " << std::dec << dpi;
    EXPECT_LE(ColourDistance(corner, 0xFFFFFF), 8) << std::hex << corner << " at " << std::dec << dpi;
    // The button's height grows with the text it holds.
    EXPECT_GE(ok.bottom - ok.top, 25 * scale / 100 - 2) << dpi;
  }
  SetDpi(resources, 96);
}

TEST_F(TipDisplay, ADpiChangeWhileOpenGrowsTheTip) {
  RootResources resources;
  Tip tip(SStringW(L"提示"), SStringW(L"录音已保存"), SStringW(L""), SStringW(L""), SStringW(L"确定"), SStringW(L""));
  RECT before{}, after{};
  Run(
      tip,
      [&](Tip& t) {
        before = ScreenRect(t.GetHwnd());
        RootResources::write(resources.withDpi(144));
        pumpUntil([&] {
          after = ScreenRect(t.GetHwnd());
          return after.right - after.left != before.right - before.left;
        });
      },
      [](Tip& t) { Key(t, XK_Escape); });
  EXPECT_EQ(before.right - before.left, 340);
  EXPECT_EQ(before.bottom - before.top, 188);
  EXPECT_EQ(after.right - after.left, 510);
  EXPECT_EQ(after.bottom - after.top, 282);
  EXPECT_EQ(after.left, before.left) << "it grows from its top-left";
  EXPECT_EQ(after.top, before.top);
  SetDpi(resources, 96);
}

}  // namespace
