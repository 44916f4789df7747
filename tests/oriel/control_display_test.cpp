// The basic controls on a real window: what they show at known pixels,
// and real clicks and keys through the X server.
#include <X11/keysym.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "OrielTestApp.h"
#include "HostTestWindow.h"
#include "../platform-display/display_helper.h"
// After the helper, which brings Xlib in after gtest.
#include <X11/extensions/XTest.h>
#include "control/SButton.h"
#include "control/SCheckBox.h"
#include "control/SHotKeyCtrl.h"
#include "control/SImageWnd.h"
#include "control/SLink.h"
#include "control/SProgress.h"
#include "control/SRadioBox.h"
#include "res.mgr/SSkinPool.h"

namespace {

constexpr int kX = 200, kY = 150, kW = 360, kH = 240;
constexpr unsigned long kBackground = 0xE8ECF0;
constexpr COLORREF kBackgroundWord = 0xFFF0ECE8;  // the same colour as a colour word
constexpr uint32_t kImagePixel = 0xFF2080C0;      // premultiplied BGRA, opaque

// The fixture layout: every basic control at a known place.
const char* kLayout =
    "<ORIEL width='360' height='240'>"
    "<root colorBkgnd='#E8ECF0'>"
    "<text name='latin' pos='10,10,150,30' colorText='#000000'>Record</text>"
    "<text name='cn' pos='160,10,300,30' colorText='#000000'>录音设置</text>"
    "<button name='rec' id='101' pos='10,40,110,70'>录音(&amp;R)</button>"
    "<check name='chk' pos='130,40,230,60' checked='1'>on</check>"
    "<window pos='240,40,350,70'><radio name='rad' pos='0,0,100,20' checked='1'>r</radio></window>"
    "<progress name='prog' pos='10,80,210,100' value='50'/>"
    "<img name='pic' pos='230,80,270,120'/>"
    "<link name='lnk' pos='10,130,300,150' colorText='#0000ff'>help</link>"
    "<hotkey name='hk' pos='10,160,200,185'/>"
    "<check name='chk2' pos='230,160,330,180'>off</check>"
    "<button name='after' pos='230,190,330,220'>next</button>"
    "</root></ORIEL>";

class ControlsDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    app->LoadSystemResources(BundleProvider());
    host = new TestHost;
    ASSERT_TRUE(MakeHost(*host, kLayout, kX, kY));
    IBitmap* bmp = nullptr;
    ASSERT_TRUE(factory->CreateBitmap(&bmp));
    std::vector<uint32_t> px(16 * 16, kImagePixel);
    bmp->Init(16, 16, px.data());
    Find<SImageWnd>(L"pic")->SetImage(bmp);
    bmp->Release();
    ShowWindow(host->GetHwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(host->GetHwnd()));
    ASSERT_TRUE(pumpUntil([&] { return At(355, 235) == kBackground; }));
    pumpFor(100);
  }
  void TearDown() override {
    if (host) {
      host->DestroyHostWindow();
      delete host;
    }
    OrielAppTest::TearDown();
  }
  template <class T>
  T* Find(const wchar_t* name) {
    return dynamic_cast<T*>(host->FindDescendantByName(SStringW(name)));
  }
  unsigned long At(int x, int y) { return screenPixel(kX + x, kY + y); }
  // A skin frame drawn over the background alone, read at (x, y) of `rc`.
  unsigned long Expected(ISkinObj* skin, int frame, SIZE size, POINT at, const RECT* part = nullptr) {
    IRenderTarget* rt = NewTarget(size.cx, size.cy, kBackgroundWord);
    const RECT rc = part ? *part : RECT{0, 0, size.cx, size.cy};
    skin->DrawByIndex(rt, &rc, frame);
    return Pixel(rt, at.x, at.y) & 0xFFFFFF;
  }
  // The screen's pixels of `rc` (client coordinates) in a target.
  IRenderTarget* ScreenCopy(const RECT& rc) {
    IRenderTarget* rt = NewTarget(rc.right - rc.left, rc.bottom - rc.top);
    for (int y = rc.top; y < rc.bottom; ++y)
      for (int x = rc.left; x < rc.right; ++x) {
        const unsigned long p = At(x, y);
        const RECT one{x - rc.left, y - rc.top, x - rc.left + 1, y - rc.top + 1};
        rt->ClearRect(&one, 0xFF000000 | ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF));
      }
    return rt;
  }
  int InkIn(const RECT& rc) {
    int ink = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
      for (int x = rc.left; x < rc.right; ++x) ink += At(x, y) != kBackground;
    return ink;
  }
  void ClickAt(int x, int y) {
    moveMouse(kX + x, kY + y);
    pumpFor(50);
    clickButton(1);
  }
  TestHost* host = nullptr;
};

TEST_F(ControlsDisplayTest, TheLayoutShowsEachControlAtKnownPixels) {
  EXPECT_EQ(At(355, 235), kBackground);
  // Texts, Latin and Chinese, leave ink inside their rectangles only.
  EXPECT_GT(InkIn(RECT{10, 10, 150, 30}), 15);
  EXPECT_GT(InkIn(RECT{160, 10, 300, 30}), 30);
  EXPECT_EQ(InkIn(RECT{150, 5, 158, 35}), 0);
  // The fonts are fixed here: the words themselves are compared.
  EXPECT_TRUE(TargetMatchesGolden(ScreenCopy(RECT{10, 10, 150, 30}), "controls_text_latin"));
  EXPECT_TRUE(TargetMatchesGolden(ScreenCopy(RECT{160, 10, 300, 30}), "controls_text_chinese"));

  // The button face is its skin's normal frame.
  ISkinObj* face = SSkinPoolMgr::getSingleton().FindSystemSkin(4);
  ASSERT_NE(face, nullptr);
  EXPECT_EQ(At(13, 43), Expected(face, 0, SIZE{100, 30}, POINT{3, 3}));
  EXPECT_EQ(At(60, 68), Expected(face, 0, SIZE{100, 30}, POINT{50, 28}));

  // Check and radio boxes show their checked frames.
  auto* chk = Find<SCheckBox>(L"chk");
  const RECT box = chk->BoxRect();
  ISkinObj* checkSkin = SSkinPoolMgr::getSingleton().FindSystemSkin(0);
  const SIZE boxSize = checkSkin->NaturalSize();
  const POINT mid{boxSize.cx / 2, boxSize.cy / 2};
  ASSERT_NE(Expected(checkSkin, 4, boxSize, mid), Expected(checkSkin, 0, boxSize, mid)) << "frames must differ there";
  EXPECT_EQ(At(box.left + mid.x, box.top + mid.y), Expected(checkSkin, 4, boxSize, mid));
  auto* rad = Find<SRadioBox>(L"rad");
  const RECT rbox = rad->BoxRect();
  ISkinObj* radioSkin = SSkinPoolMgr::getSingleton().FindSystemSkin(1);
  const SIZE rSize = radioSkin->NaturalSize();
  const POINT rmid{rSize.cx / 2, rSize.cy / 2};
  ASSERT_NE(Expected(radioSkin, 4, rSize, rmid), Expected(radioSkin, 0, rSize, rmid));
  EXPECT_EQ(At(rbox.left + rmid.x, rbox.top + rmid.y), Expected(radioSkin, 4, rSize, rmid));

  // The bar of a progress at 50 % ends in the middle of the control.
  ISkinObj* bkgnd = SSkinPoolMgr::getSingleton().FindSystemSkin(15);
  ISkinObj* bar = SSkinPoolMgr::getSingleton().FindSystemSkin(16);
  IRenderTarget* rt = NewTarget(200, 20, kBackgroundWord);
  const RECT all{0, 0, 200, 20}, half{0, 0, 100, 20};
  bkgnd->DrawByIndex(rt, &all, 0);
  bar->DrawByIndex(rt, &half, 0);
  const unsigned long inside = Pixel(rt, 50, 10) & 0xFFFFFF, beyond = Pixel(rt, 150, 10) & 0xFFFFFF;
  ASSERT_NE(inside, beyond);
  EXPECT_EQ(At(10 + 50, 90), inside);
  EXPECT_EQ(At(10 + 150, 90), beyond);
  EXPECT_EQ(At(10 + 96, 90), Pixel(rt, 96, 10) & 0xFFFFFF);
  EXPECT_EQ(At(10 + 104, 90), Pixel(rt, 104, 10) & 0xFFFFFF);

  // The image is stretched over its window.
  EXPECT_EQ(At(231, 81), kImagePixel & 0xFFFFFF);
  EXPECT_EQ(At(268, 118), kImagePixel & 0xFFFFFF);
  EXPECT_EQ(At(271, 100), kBackground);
}

TEST_F(ControlsDisplayTest, AClickRaisesTheCommandWithTheButtonsIdAndName) {
  std::vector<std::pair<int, SStringW>> commands;
  auto* rec = Find<SButton>(L"rec");
  rec->SubscribeEvent(EventCmd::EventID, [&](EventArgs* e) {
    commands.emplace_back(e->idFrom, e->nameFrom);
    return false;
  });
  ClickAt(60, 55);
  ASSERT_TRUE(pumpUntil([&] { return !commands.empty(); }));
  pumpFor(100);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].first, 101);
  EXPECT_EQ(commands[0].second, SStringW(L"rec"));
  EXPECT_EQ(host->GetCapture(), 0u);
}

TEST_F(ControlsDisplayTest, APressReleasedOutsideACheckBoxChangesNothing) {
  auto* chk2 = Find<SCheckBox>(L"chk2");
  int commands = 0;
  chk2->SubscribeEvent(EventCmd::EventID, [&](EventArgs*) { return ++commands, false; });
  moveMouse(kX + 240, kY + 170);
  pumpFor(50);
  XTestFakeButtonEvent(userDisplay(), 1, True, CurrentTime);
  XFlush(userDisplay());
  ASSERT_TRUE(pumpUntil([&] { return (chk2->GetState() & WndState_PushDown) != 0; }));
  moveMouse(kX + 340, kY + 230);
  pumpFor(50);
  XTestFakeButtonEvent(userDisplay(), 1, False, CurrentTime);
  XFlush(userDisplay());
  ASSERT_TRUE(pumpUntil([&] { return host->GetCapture() == 0; }));
  pumpFor(100);
  EXPECT_FALSE(chk2->IsChecked());
  EXPECT_EQ(commands, 0);
  EXPECT_FALSE(chk2->GetState() & WndState_PushDown);
  // The same press released inside checks it.
  ClickAt(240, 170);
  ASSERT_TRUE(pumpUntil([&] { return chk2->IsChecked() != FALSE; }));
  EXPECT_EQ(commands, 1);
}

TEST_F(ControlsDisplayTest, AltRFiresTheButtonWhoseTextEndsInAmpersandR) {
  int fired = 0;
  Find<SButton>(L"rec")->SubscribeEvent(EventCmd::EventID, [&](EventArgs*) { return ++fired, false; });
  ClickAt(340, 120);  // the keyboard comes with a click on the window
  pressKey(XK_Alt_L);
  tapKey(XK_r);
  releaseKey(XK_Alt_L);
  ASSERT_TRUE(pumpUntil([&] { return fired > 0; }));
  pumpFor(150);
  EXPECT_EQ(fired, 1);
  // R alone is no accelerator.
  tapKey(XK_r);
  pumpFor(150);
  EXPECT_EQ(fired, 1);
}

TEST_F(ControlsDisplayTest, APressCutOffByDeactivationReleasesTheButton) {
  auto* rec = Find<SButton>(L"rec");
  moveMouse(kX + 60, kY + 55);
  pumpFor(50);
  XTestFakeButtonEvent(userDisplay(), 1, True, CurrentTime);
  XFlush(userDisplay());
  ASSERT_TRUE(pumpUntil([&] { return (rec->GetState() & WndState_PushDown) != 0; }));
  // Another window takes the activation while the button is held.
  TestHost other;
  ASSERT_TRUE(MakeHost(other, "<ORIEL width='80' height='80'><root colorBkgnd='#404040'/></ORIEL>", kX + kW + 20, kY));
  ShowWindow(other.GetHwnd(), SW_SHOW);
  ASSERT_TRUE(pumpUntil([&] { return (rec->GetState() & WndState_PushDown) == 0; }));
  EXPECT_EQ(host->GetCapture(), 0u);
  XTestFakeButtonEvent(userDisplay(), 1, False, CurrentTime);
  XFlush(userDisplay());
  pumpFor(100);
  EXPECT_FALSE(rec->GetState() & WndState_PushDown);
  other.DestroyHostWindow();
}

TEST_F(ControlsDisplayTest, AClickOnALinksTextOpensItsTarget) {
  const char* home = getenv("HOME");
  const std::string dir = std::string(home ? home : "/tmp") + "/link-" + std::to_string(getpid());
  const std::string record = dir + "/opened.txt";
  ASSERT_EQ(system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str()), 0);
  {
    std::ofstream script(dir + "/xdg-open");
    script << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << record << ".tmp'\nmv '" << record << ".tmp' '" << record << "'\n";
  }
  chmod((dir + "/xdg-open").c_str(), 0755);
  const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", (dir + ":" + oldPath).c_str(), 1);

  auto* link = Find<SLink>(L"lnk");
  link->ApplyAttribute(SStringW(L"href"), SStringW(L"https://example.invalid/录音?a=1&b=2"), FALSE);
  const RECT text = link->GetTextRect();
  ASSERT_FALSE(IsRectEmpty(&text));
  ASSERT_LT(text.right, 250) << "the words are narrower than the control";
  // Beside the words, inside the control: nothing opens.
  ClickAt(280, 140);
  pumpFor(400);
  EXPECT_NE(access(record.c_str(), F_OK), 0);
  // On the words: xdg-open gets the target.
  ClickAt((text.left + text.right) / 2, (text.top + text.bottom) / 2);
  bool opened = false;
  pumpUntil([&] { return opened = access(record.c_str(), F_OK) == 0; });
  setenv("PATH", oldPath.c_str(), 1);
  ASSERT_TRUE(opened);
  std::ifstream in(record);
  std::stringstream got;
  got << in.rdbuf();
  EXPECT_EQ(got.str(), "https://example.invalid/\xE5\xBD\x95\xE9\x9F\xB3?a=1&b=2\n");
}

TEST_F(ControlsDisplayTest, TheHotKeyFieldRecordsCtrlShiftF5AndTabLeavesIt) {
  auto* hk = Find<SHotKeyCtrl>(L"hk");
  std::vector<std::pair<WORD, WORD>> events;
  hk->SubscribeEvent(EventSetHotKey::EventID, [&](EventArgs* e) {
    auto* h = static_cast<EventSetHotKey*>(e);
    events.emplace_back(h->vKey, h->wModifiers);
    return false;
  });
  ClickAt(100, 172);
  ASSERT_TRUE(pumpUntil([&] { return hk->IsFocused() != FALSE; }));
  pressKey(XK_Control_L);
  pressKey(XK_Shift_L);
  tapKey(XK_F5);
  releaseKey(XK_Shift_L);
  releaseKey(XK_Control_L);
  ASSERT_TRUE(pumpUntil([&] { return !events.empty() && events.back().first == 0x74; }));
  pumpFor(150);
  WORD key = 0, modifiers = 0;
  hk->GetHotKey(key, modifiers);
  EXPECT_EQ(key, 0x74);
  EXPECT_EQ(modifiers, 6);
  EXPECT_EQ(hk->GetText(), SStringW(L"Ctrl+Shift+F5"));
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events.back(), (std::pair<WORD, WORD>{0x74, 6}));
  EXPECT_EQ(events.front(), (std::pair<WORD, WORD>{0, 2})) << "Ctrl alone first";
  // Tab moves the focus on instead of becoming the key.
  tapKey(XK_Tab);
  ASSERT_TRUE(pumpUntil([&] { return !hk->IsFocused(); }));
  hk->GetHotKey(key, modifiers);
  EXPECT_EQ(key, 0x74);
  EXPECT_EQ(hk->GetText(), SStringW(L"Ctrl+Shift+F5"));
}

TEST_F(ControlsDisplayTest, HotKeyRulesReplaceInvalidModifiersAndModifiersAloneSettleToNone) {
  auto* hk = Find<SHotKeyCtrl>(L"hk");
  ClickAt(100, 172);
  ASSERT_TRUE(pumpUntil([&] { return hk->IsFocused() != FALSE; }));
  WORD key = 0, modifiers = 0;
  // F5 alone under the default rule: the key, no modifiers, one event.
  int events = 0;
  hk->SubscribeEvent(EventSetHotKey::EventID, [&](EventArgs*) { return ++events, false; });
  tapKey(XK_F5);
  ASSERT_TRUE(pumpUntil([&] { return hk->GetText() == SStringW(L"F5"); }));
  pumpFor(100);
  EXPECT_EQ(events, 1);
  // Ctrl pressed and released alone: nothing chosen, "无".
  pressKey(XK_Control_L);
  releaseKey(XK_Control_L);
  ASSERT_TRUE(pumpUntil([&] { return hk->GetText() == SStringW(L"无"); }));
  hk->GetHotKey(key, modifiers);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(modifiers, 0);
  // Shift alone is invalid here and stands for Ctrl.
  hk->SetRule(2, CAccelerator::kCtrl);
  pressKey(XK_Shift_L);
  tapKey(XK_F5);
  releaseKey(XK_Shift_L);
  ASSERT_TRUE(pumpUntil([&] { return hk->GetText() == SStringW(L"Ctrl+F5"); }));
  hk->GetHotKey(key, modifiers);
  EXPECT_EQ(key, 0x74);
  EXPECT_EQ(modifiers, CAccelerator::kCtrl);
}

}  // namespace
