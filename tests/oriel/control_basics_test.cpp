// The basic controls in a window tree without a screen: classes by their
// XML names, values and their limits, groups, keys, accelerators, fades,
// text lines, tab pages and the caption's messages to its host.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SButton.h"
#include "control/SCaption.h"
#include "control/SCheckBox.h"
#include "control/SImageWnd.h"
#include "control/SLink.h"
#include "control/SProgress.h"
#include "control/SRadioBox.h"
#include "control/SStatic.h"
#include "control/STabCtrl.h"
#include "control/SToggle.h"
#include "res.mgr/SSkinPool.h"

namespace {

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

class ControlsTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    app->LoadSystemResources(BundleProvider());
    host = new SwndTestHost(400, 300);
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
  template <class T>
  T* Find(const wchar_t* name) {
    return dynamic_cast<T*>(host->FindDescendantByName(SStringW(name)));
  }
  void Click(SWindow* w) {
    const RECT rc = w->GetWindowRect();
    const int x = (rc.left + rc.right) / 2, y = (rc.top + rc.bottom) / 2;
    host->DispatchFrameMessage(WM_MOUSEMOVE, 0, At(x, y));
    host->DispatchFrameMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
    host->DispatchFrameMessage(WM_LBUTTONUP, 0, At(x, y));
  }
  SwndTestHost* host = nullptr;
};

TEST_F(ControlsTest, EveryControlIsMadeByItsXmlName) {
  const std::pair<const wchar_t*, const wchar_t*> names[] = {
      {L"text", L"text"},         {L"link", L"link"},     {L"img", L"img"},           {L"icon", L"icon"},
      {L"animateimg", L"animateimg"}, {L"progress", L"progress"}, {L"hr", L"hr"},     {L"group", L"group"},
      {L"button", L"button"},     {L"imgbtn", L"imgbtn"}, {L"imgBtn", L"imgbtn"},     {L"check", L"check"},
      {L"radio", L"radio"},       {L"toggle", L"toggle"}, {L"caption", L"caption"},   {L"hotkey", L"hotkey"},
      {L"tabctrl", L"tabctrl"},
  };
  for (const auto& [element, cls] : names) {
    const SStringW xml = SStringW(L"<") + element + L" pos='0,0,10,10'/>";
    SWindow* w = Make(xml.c_str());
    ASSERT_NE(w, nullptr) << XmlUtf8(SStringW(element)).c_str();
    EXPECT_TRUE(w->IsClass(cls)) << XmlUtf8(SStringW(element)).c_str();
    EXPECT_TRUE(w->IsClass(L"window"));
  }
  EXPECT_TRUE(Make(L"<imgbtn pos='0,0,10,10'/>")->IsClass(L"button"));
}

TEST_F(ControlsTest, ProgressKeepsItsValueInRangeAndAnEmptyRangeShowsNothing) {
  auto* p = static_cast<SProgress*>(Make(L"<progress name='p' pos='0,0,200,20' value='50' showPercent='1'/>"));
  ASSERT_NE(p, nullptr);
  const RECT client = p->ClientRect();
  RECT bar = p->BarRect();
  EXPECT_EQ(bar.right - bar.left, (client.right - client.left) / 2);
  EXPECT_EQ(p->PercentText(), SStringW(L"50%"));
  p->SetValue(500);
  EXPECT_EQ(p->GetValue(), 100);
  p->SetValue(-5);
  EXPECT_EQ(p->GetValue(), 0);
  bar = p->BarRect();
  EXPECT_TRUE(IsRectEmpty(&bar));
  p->SetValue(70);
  p->SetRange(10, 40);
  EXPECT_EQ(p->GetValue(), 40);
  p->SetRange(60, 60);  // minimum = maximum
  EXPECT_EQ(p->GetValue(), 60);
  bar = p->BarRect();
  EXPECT_TRUE(IsRectEmpty(&bar));
  EXPECT_EQ(p->PercentText(), SStringW(L"0%"));
  IRenderTarget* rt = NewTarget(400, 300);
  p->PaintInRegion(rt, static_cast<const RECT*>(nullptr));  // paints without dividing by zero
}

// Without the framework's skins a progress bar has nothing to draw with:
// its creation fails and it leaves the tree.
TEST_F(OrielAppTest, AProgressWithoutSkinsIsNotCreated) {
  auto* bare = new SwndTestHost(100, 100);
  EXPECT_EQ(bare->CreateChildrenFromString(SStringW(L"<progress pos='0,0,20,20'/>")), nullptr);
  EXPECT_EQ(bare->GetChildrenCount(), 0);
  bare->SendSwndMessage(SWM_DESTROY);
  bare->Release();
}

TEST_F(ControlsTest, ImageSkinSetToNoneForgetsTheSkinItReleased) {
  auto* img = static_cast<SImageWnd*>(Make(L"<img pos='0,0,40,40'/>"));
  ISkinObj* skin = app->NewSkinByClass(L"colorrect");
  ASSERT_NE(skin, nullptr);
  skin->ApplyAttribute(SStringW(L"normal"), SStringW(L"#ff0000"), TRUE);
  EXPECT_TRUE(img->SetSkin(skin, 0, TRUE));
  EXPECT_EQ(skin->AddRef(), 3);  // ours, the window's, this one
  skin->Release();
  EXPECT_FALSE(img->SetSkin(nullptr));
  EXPECT_EQ(img->GetSkin(), nullptr);
  EXPECT_EQ(skin->AddRef(), 2);  // the window's reference is gone
  skin->Release();
  IRenderTarget* rt = NewTarget(400, 300);
  img->PaintInRegion(rt, static_cast<const RECT*>(nullptr));  // nothing left to draw, nothing released twice
  EXPECT_EQ(skin->Release(), 0);
  EXPECT_FALSE(img->SetIcon(0));
}

TEST_F(ControlsTest, CheckingARadioUnchecksItsSiblingQuietly) {
  Make(L"<window name='g1' pos='0,0,200,100'>"
       L"<radio name='a' pos='0,0,100,20' checked='1'/><radio name='b' pos='0,20,100,40'/></window>"
       L"<window name='g2' pos='0,100,200,200'><radio name='c' pos='0,0,100,20' checked='1'/></window>");
  auto* a = Find<SRadioBox>(L"a");
  auto* b = Find<SRadioBox>(L"b");
  auto* c = Find<SRadioBox>(L"c");
  ASSERT_TRUE(a && b && c);
  EXPECT_TRUE(a->IsChecked());
  int aChanges = 0, bChanges = 0;
  a->SubscribeEvent(EventSwndStateChanged::EventID, [&](EventArgs*) { return ++aChanges, false; });
  b->SubscribeEvent(EventSwndStateChanged::EventID, [&](EventArgs*) { return ++bChanges, false; });
  Click(b);
  EXPECT_TRUE(b->IsChecked());
  EXPECT_FALSE(a->IsChecked());
  EXPECT_EQ(aChanges, 0);
  EXPECT_GT(bChanges, 0);
  EXPECT_TRUE(c->IsChecked()) << "another parent is another group";
  EXPECT_EQ(a->GetGroupSelection(), b);
  // Checked from code, the group follows too.
  a->SetChecked(TRUE);
  EXPECT_FALSE(b->IsChecked());
}

TEST_F(ControlsTest, CheckedReadsDifferentlyForCheckAndRadioBoxes) {
  Make(L"<check name='k' pos='0,0,100,20' checked='1'/><window pos='0,30,200,60'><radio name='r' pos='0,0,100,20' checked='false'/></window>");
  auto* k = Find<SCheckBox>(L"k");
  auto* r = Find<SRadioBox>(L"r");
  EXPECT_TRUE(k->IsChecked());
  k->ApplyAttribute(SStringW(L"checked"), SStringW(L"false"), FALSE);
  EXPECT_FALSE(k->IsChecked());
  EXPECT_TRUE(r->IsChecked()) << "only \"0\" leaves a radio box unchecked";
  r->ApplyAttribute(SStringW(L"checked"), SStringW(L"0"), FALSE);
  EXPECT_FALSE(r->IsChecked());
}

TEST_F(ControlsTest, RadioAlignedRightDrawsItsBoxAtTheRight) {
  auto* r = static_cast<SRadioBox*>(Make(L"<radio pos='10,10,210,40' iconAlign='right'>x</radio>"));
  const RECT box = r->BoxRect();
  const RECT text = r->TextRectangle();
  EXPECT_EQ(box.right, 210);
  EXPECT_EQ(text.right, 210 - (box.right - box.left) - 4);
  EXPECT_EQ(r->ApplyAttribute(SStringW(L"iconAlign"), SStringW(L"Right"), FALSE), E_FAIL);
  EXPECT_EQ(r->BoxRect().right, 210);
}

TEST_F(ControlsTest, APressReleasedOutsideACheckBoxChangesNothing) {
  auto* k = static_cast<SCheckBox*>(Make(L"<check pos='10,10,110,30'>k</check>"));
  int commands = 0;
  k->SubscribeEvent(EventCmd::EventID, [&](EventArgs*) { return ++commands, false; });
  host->DispatchFrameMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  host->DispatchFrameMessage(WM_LBUTTONUP, 0, At(300, 200));
  EXPECT_FALSE(k->IsChecked());
  EXPECT_EQ(commands, 0);
  Click(k);
  EXPECT_TRUE(k->IsChecked());
  EXPECT_EQ(commands, 1);
  const std::pair<DWORD, int> frames[] = {
      {0, 0}, {WndState_Hover, 1}, {WndState_Hover | WndState_PushDown, 2}, {WndState_Disable | WndState_Hover, 3},
      {WndState_Check, 4}, {WndState_Check | WndState_Hover, 5}, {WndState_Check | WndState_PushDown, 6},
      {WndState_Check | WndState_Disable, 7}};
  for (const auto& [state, frame] : frames) EXPECT_EQ(CheckFrameIndex(state), frame) << state;
  // Space flips it and commands; other keys do nothing.
  k->SendSwndMessage(WM_KEYDOWN, VK_SPACE);
  EXPECT_FALSE(k->IsChecked());
  EXPECT_EQ(commands, 2);
  k->SendSwndMessage(WM_KEYDOWN, 'A');
  EXPECT_FALSE(k->IsChecked());
}

TEST_F(ControlsTest, ButtonAcceleratorsComeFromTheTextOrAccel) {
  Make(L"<button name='rec' pos='0,0,80,24'>录音(&amp;R)</button>"
       L"<button name='plain' pos='0,30,80,54'>录音(R)</button>"
       L"<button name='hidden' pos='0,60,80,84' accel='ctrl+f5' disableAccelIfInvisible='1' visible='0'/>");
  auto* rec = Find<SButton>(L"rec");
  EXPECT_EQ(rec->GetAccelerator(), 0x10052u);
  EXPECT_EQ(Find<SButton>(L"plain")->GetAccelerator(), 0u);
  int fired = 0;
  rec->SubscribeEvent(EventCmd::EventID, [&](EventArgs*) { return ++fired, false; });
  CFocusManager& focus = host->GetFocusManager();
  EXPECT_TRUE(focus.DispatchAccelerator(0x10052));
  EXPECT_EQ(fired, 1);
  rec->SetEnabled(FALSE);
  EXPECT_FALSE(focus.DispatchAccelerator(0x10052)) << "a disabled button never fires";
  EXPECT_EQ(fired, 1);
  EXPECT_FALSE(focus.DispatchAccelerator(0x20074)) << "hidden, with disableAccelIfInvisible";
  // Replacing "accel" drops the old combination.
  auto* hidden = Find<SButton>(L"hidden");
  hidden->SetVisible(TRUE);
  EXPECT_TRUE(focus.DispatchAccelerator(0x20074));
  hidden->ApplyAttribute(SStringW(L"accel"), SStringW(L"ctrl+f6"), FALSE);
  EXPECT_FALSE(focus.DispatchAccelerator(0x20074));
  EXPECT_TRUE(focus.DispatchAccelerator(0x20075));
  // Destroyed, the button leaves the accelerator table.
  hidden->Destroy();
  EXPECT_FALSE(focus.DispatchAccelerator(0x20075));
}

TEST_F(ControlsTest, SpaceAndEnterPressAndReleaseAButton) {
  auto* b = static_cast<SButton*>(Make(L"<button pos='0,0,80,24'>b</button>"));
  int commands = 0;
  b->SubscribeEvent(EventCmd::EventID, [&](EventArgs*) { return ++commands, false; });
  for (UINT key : {VK_SPACE, VK_RETURN}) {
    b->SendSwndMessage(WM_KEYDOWN, key);
    EXPECT_TRUE(b->GetState() & WndState_PushDown);
    b->SendSwndMessage(WM_KEYUP, key);
    EXPECT_FALSE(b->GetState() & WndState_PushDown);
  }
  EXPECT_EQ(commands, 2);
  BOOL handled = TRUE;
  b->SendSwndMessage(WM_KEYUP, VK_SPACE, 0, &handled);  // not pressed: no command
  EXPECT_EQ(commands, 2);
  b->SendSwndMessage(WM_KEYDOWN, 'X', 0, &handled);
  EXPECT_FALSE(handled);
}

TEST_F(ControlsTest, HoverFadesInOverCeilOf205OverStepFrames) {
  auto* b = static_cast<SButton*>(Make(L"<button pos='0,0,80,24' animate='1' animateStep='40'>b</button>"));
  host->DispatchFrameMessage(WM_MOUSEMOVE, 0, At(10, 10));
  ASSERT_EQ(b->GetFadeAlpha(), 50);
  int frames = 0;
  while (b->GetFadeAlpha() < 255 && frames < 100) {
    host->AdvanceFrame();
    ++frames;
  }
  EXPECT_EQ(frames, (205 + 39) / 40);
  host->AdvanceFrame();  // the fade left the timeline
  EXPECT_EQ(b->GetFadeAlpha(), 255);
  // Pressing while holding the capture starts no fade.
  host->DispatchFrameMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
  host->DispatchFrameMessage(WM_MOUSEMOVE, MK_LBUTTON, At(300, 200));
  EXPECT_EQ(b->GetFadeAlpha(), 255);
  host->DispatchFrameMessage(WM_LBUTTONUP, 0, At(300, 200));
}

TEST_F(ControlsTest, ToggleFlipsOnAClickInside) {
  auto* t = static_cast<SToggle*>(Make(L"<toggle pos='0,0,16,16'/>"));
  EXPECT_FALSE(t->GetToggle());
  Click(t);
  EXPECT_TRUE(t->GetToggle());
  EXPECT_EQ(t->FrameIndex(), 4) << "toggled and hovered";
  host->DispatchFrameMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(8, 8));
  host->DispatchFrameMessage(WM_LBUTTONUP, 0, At(100, 100));
  EXPECT_TRUE(t->GetToggle());
}

// Records the lines a multi-line text draws.
class LineRecorder : public SStatic {
 public:
  void DrawTextLine(IRenderTarget* rt, const SStringW& text, int first, int count, RECT* rc, UINT format) override {
    lines.push_back(text.Mid(first, count));
    tops.push_back(rc->top);
    SStatic::DrawTextLine(rt, text, first, count, rc, format);
  }
  std::vector<SStringW> lines;
  std::vector<int> tops;
};

TEST_F(ControlsTest, MultiLineTextBreaksAtBothLineEndsAndWrapsInsideWords) {
  auto* t = new LineRecorder;
  host->AttachChild(t);
  t->ApplyAttribute(SStringW(L"multiLines"), SStringW(L"1"), TRUE);
  IRenderTarget* rt = NewTarget(400, 300);
  SIZE letter{0, 0};
  rt->MeasureText(L"A", 1, &letter);
  RECT rc{0, 0, 400, 300};
  t->DrawTextBlock(rt, SStringW(L"one\\ntwo\nthree"), &rc, 0);
  ASSERT_EQ(t->lines.size(), 3u);
  EXPECT_EQ(t->lines[0], SStringW(L"one"));
  EXPECT_EQ(t->lines[1], SStringW(L"two"));
  EXPECT_EQ(t->lines[2], SStringW(L"three"));
  EXPECT_EQ(t->tops[1] - t->tops[0], letter.cy + 5);
  // A word wider than the box is cut where the next letter no longer fits.
  t->lines.clear();
  SIZE word{0, 0};
  rt->MeasureText(L"MMMMMMMMMM", 10, &word);
  RECT narrow{0, 0, word.cx / 2, 300};
  t->DrawTextBlock(rt, SStringW(L"MMMMMMMMMM"), &narrow, 0);
  ASSERT_GE(t->lines.size(), 2u);
  EXPECT_LT(t->lines[0].GetLength(), 10);
  SStringW joined;
  for (const SStringW& l : t->lines) joined += l;
  EXPECT_EQ(joined, SStringW(L"MMMMMMMMMM"));
  // Too little height: the walk stops at the wrap whose next line would
  // start below the bottom.
  t->lines.clear();
  RECT low{0, 0, word.cx / 4, letter.cy + 2};
  t->DrawTextBlock(rt, SStringW(L"MMMMMMMMMM"), &low, 0);
  EXPECT_EQ(t->lines.size(), 1u);
  // Bottom alignment ends the last line at the bottom.
  t->lines.clear();
  t->tops.clear();
  RECT tall{0, 0, 400, 200};
  t->DrawTextBlock(rt, SStringW(L"a\nb"), &tall, DT_BOTTOM);
  ASSERT_EQ(t->tops.size(), 2u);
  EXPECT_EQ(t->tops[1] + letter.cy, 200);
}

TEST_F(ControlsTest, ALinkWithoutTextShowsItsTarget) {
  auto* l = static_cast<SLink*>(Make(L"<link pos='0,0,300,20' href='https://example.invalid/x'/>"));
  EXPECT_EQ(l->GetText(), SStringW(L"https://example.invalid/x"));
  EXPECT_EQ(l->GetLinkTarget(), SStringW(L"https://example.invalid/x"));
}

TEST_F(ControlsTest, TabPagesSwitchWithVetoAndEvents) {
  auto* tab = static_cast<STabCtrl*>(Make(L"<tabctrl pos='0,0,300,200' tabHeight='0'>"
                                          L"<page name='p0'/><page name='p1'/><page name='p2'/><ignored/></tabctrl>"));
  ASSERT_EQ(tab->GetItemCount(), 3);
  EXPECT_EQ(tab->GetCurSel(), 0);
  EXPECT_TRUE(tab->GetPage(0)->IsVisible(TRUE));
  EXPECT_FALSE(tab->GetPage(1)->IsVisible(TRUE));
  EXPECT_EQ(tab->GetPage(3), nullptr);
  RECT page0 = tab->GetPage(0)->GetWindowRect();
  EXPECT_EQ(page0.right - page0.left, 300);
  EXPECT_EQ(page0.bottom - page0.top, 200);

  std::vector<std::pair<int, int>> changed;
  bool veto = false;
  tab->SubscribeEvent(EventTabSelChanging::EventID, [&](EventArgs* e) {
    static_cast<EventTabSelChanging*>(e)->bCancel = veto;
    return false;
  });
  tab->SubscribeEvent(EventTabSelChanged::EventID, [&](EventArgs* e) {
    auto* c = static_cast<EventTabSelChanged*>(e);
    changed.emplace_back(c->uOldSel, c->uNewSel);
    return false;
  });
  EXPECT_FALSE(tab->SetCurSel(0));
  EXPECT_FALSE(tab->SetCurSel(3));
  EXPECT_FALSE(tab->SetCurSel(-1));
  EXPECT_TRUE(changed.empty());
  EXPECT_TRUE(tab->SetCurSel(2));
  EXPECT_EQ(changed, (std::vector<std::pair<int, int>>{{0, 2}}));
  EXPECT_FALSE(tab->GetPage(0)->IsVisible(TRUE));
  EXPECT_TRUE(tab->GetPage(2)->IsVisible(TRUE));
  veto = true;
  EXPECT_FALSE(tab->SetCurSel(1));
  EXPECT_EQ(tab->GetCurSel(), 2);
  EXPECT_EQ(changed.size(), 1u);
  veto = false;
  // A page inserted before the current one keeps the same page shown.
  STabPage* shown = tab->GetPage(2);
  EXPECT_EQ(tab->InsertItemXml(SStringW(L"<page name='new'/>"), 0), 0);
  EXPECT_EQ(tab->GetCurSel(), 3);
  EXPECT_EQ(tab->GetPage(3), shown);
  EXPECT_FALSE(tab->GetPage(0)->IsVisible(TRUE));
  EXPECT_EQ(tab->InsertItemXml(SStringW(L"<page"), 0), -1);
  EXPECT_EQ(tab->InsertItemXml(SStringW(L"<button/>"), 0), -1);
}

// A host window that records what the caption sends it.
struct RecordedMessage {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<RecordedMessage>* g_recorded = nullptr;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (g_recorded && (msg == WM_SYSCOMMAND || msg == WM_LBUTTONUP)) {
    g_recorded->push_back({msg, wParam, lParam});
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class CaptionHost : public SwndTestHost {
 public:
  CaptionHost(HWND hwnd) : SwndTestHost(400, 300), hwnd_(hwnd) {}
  HWND GetHostHwnd() override { return hwnd_; }

 private:
  HWND hwnd_;
};

TEST_F(ControlsTest, CaptionSendsMoveThenTheReleaseAndMaximisesOnDoubleClick) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &RecordingProc;
  wc.lpszClassName = L"CaptionHostTest";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  std::vector<RecordedMessage> seen;
  g_recorded = &seen;
  auto* capHost = new CaptionHost(hwnd);
  capHost->CreateChildrenFromString(SStringW(L"<caption pos='0,0,400,30'/>"));
  capHost->ApplyLayout();

  capHost->DispatchFrameMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(50, 12));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].msg, static_cast<UINT>(WM_SYSCOMMAND));
  EXPECT_EQ(seen[0].wParam, 0xF012u);
  EXPECT_EQ(seen[1].msg, static_cast<UINT>(WM_LBUTTONUP));
  EXPECT_EQ(seen[1].wParam, static_cast<WPARAM>(MK_LBUTTON));
  EXPECT_EQ(seen[1].lParam, At(50, 12));

  // Double clicks need both a sizing frame and a maximise box.
  seen.clear();
  capHost->DispatchFrameMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, At(50, 12));
  EXPECT_TRUE(seen.empty());
  SetWindowLongW(hwnd, GWL_STYLE, WS_POPUP | WS_THICKFRAME | WS_MAXIMIZEBOX);
  capHost->DispatchFrameMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, At(50, 12));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].wParam, 0xF032u);
  SetWindowLongW(hwnd, GWL_STYLE, WS_POPUP | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MAXIMIZE);
  seen.clear();
  capHost->DispatchFrameMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, At(50, 12));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].wParam, 0xF122u);
  // A maximised host is not moved by dragging.
  seen.clear();
  capHost->DispatchFrameMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(50, 12));
  capHost->DispatchFrameMessage(WM_MOUSEMOVE, MK_LBUTTON, At(90, 40));
  capHost->DispatchFrameMessage(WM_LBUTTONUP, 0, At(90, 40));
  EXPECT_TRUE(seen.empty());

  g_recorded = nullptr;
  capHost->SendSwndMessage(SWM_DESTROY);
  capHost->Release();
  DestroyWindow(hwnd);
}

}  // namespace
