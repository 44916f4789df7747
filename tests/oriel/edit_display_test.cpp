// Edit fields in a real window fed by real X input: typing shows, Chinese
// arrives by another client's clipboard and by the input method's
// character, selection by Shift+arrows and by a drag, clipboard round
// trips, undo, number fields, the cue, password characters, the first
// click that selects all and the edit menu's greyed items. Pixels are read back from the host's target.
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "OrielTestApp.h"
#include "SwndWindowHost.h"
#include "control/SEdit.h"
#include "../platform-display/display_helper.h"
#include "../platform-display/popup_levels.h"
// After gtest: Xlib's macros clash with its names.
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

constexpr int kX = 160, kY = 120, kW = 360, kH = 200;

std::string Utf8(const std::wstring& w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, out.data(), n, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

void Button(bool down) {
  XTestFakeButtonEvent(userDisplay(), 1, down ? True : False, CurrentTime);
  XSync(userDisplay(), False);
}

bool SetClipboard(const std::wstring& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  const bool ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  return ok;
}

class EditDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    host = new SwndWindowHost(kX, kY, kW, kH);
    host->CreateChildrenFromString(
        L"<edit name='a' pos='10,10,350,42' colorText='#000000' font='size:16'/>"
        L"<edit name='n' pos='10,50,170,82' number='1' font='size:16'/>"
        L"<edit name='p' pos='180,50,350,82' password='1' font='size:16'/>"
        L"<edit name='m' pos='10,90,350,150' multiLines='1' wantReturn='1' cueText='无' cueColor='#ff0000' align='center' "
        L"font='size:16'/>"
        L"<edit name='r' pos='10,158,350,190' readOnly='1' font='size:16'/>");
    moveMouse(10, 10);
    ShowWindow(host->Hwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == host->Hwnd(); }));
    pumpFor(50);
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(SWM_DESTROY);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  SEdit* E(const wchar_t* name) { return static_cast<SEdit*>(host->FindDescendantByName(name)); }
  void Click(SWindow* w, int dx = 8) {
    const RECT rc = w->GetWindowRect();
    moveMouse(kX + rc.left + dx, kY + (rc.top + rc.bottom) / 2);
    pumpFor(30);
    clickButton(1);
    pumpFor(60);
  }
  void Chord(std::initializer_list<KeySym> held, KeySym key) {
    for (KeySym k : held) pressKey(k);
    tapKey(key);
    for (auto it = std::rbegin(held); it != std::rend(held); ++it) releaseKey(*it);
  }
  bool TextIs(SEdit* e, const std::wstring& text) {
    return pumpUntil([&] { return std::wstring(e->GetText().c_str()) == text; });
  }
  // Dark pixels of the host's target inside a window's client area; with
  // `cueOnly` only the red of the cue (red here, so that no grey edge of a
  // black letter counts).
  int Ink(SWindow* w, bool cueOnly = false) {
    host->Paint();
    const RECT rc = w->ClientRect();
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
      for (int x = rc.left; x < rc.right; ++x) {
        const uint32_t p = Pixel(host->Target(), x, y);
        const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        if (cueOnly) n += r > 0xA0 && g < 0x70 && b < 0x70;
        else n += r < 0x80 && g < 0x80 && b < 0x80;
      }
    return n;
  }
  std::pair<long, long> Sel(SEdit* e) {
    DWORD s = 0, t = 0;
    e->SendSwndMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&t));
    return {static_cast<long>(s), static_cast<long>(t)};
  }
  SwndWindowHost* host = nullptr;
};

TEST_F(EditDisplayTest, TypedLatinShowsAndCtrlZRestores) {
  SEdit* a = E(L"a");
  Click(a);
  EXPECT_EQ(SWindowMgr::getSingleton().LookupWindow(host->GetFocusWindow()), a);
  const int empty = Ink(a);
  Chord({XK_Shift_L}, XK_h);
  tapKey(XK_i);
  ASSERT_TRUE(TextIs(a, L"Hi")) << Utf8(a->GetText().c_str());
  EXPECT_GT(Ink(a), empty + 20) << "the typed letters are drawn";
  tapKey(XK_BackSpace);
  ASSERT_TRUE(TextIs(a, L"H"));
  Chord({XK_Control_L}, XK_z);
  ASSERT_TRUE(TextIs(a, L"Hi"));
}

TEST_F(EditDisplayTest, ChineseArrivesByAnotherClientsClipboardAndByTheInputMethod) {
  SEdit* a = E(L"a");
  Click(a);
  const std::string probe = std::string(DISPLAY_PROBE) + " clipboard-hold '录音中文'";
  Display* d = userDisplay();
  const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
  const Window before = XGetSelectionOwner(d, clipboard);
  FILE* holder = popen(probe.c_str(), "w");
  ASSERT_NE(holder, nullptr);
  ASSERT_TRUE(pumpUntil([&]() -> bool {
    XSync(d, False);
    const Window owner = XGetSelectionOwner(d, clipboard);
    return owner != 0 && owner != before;
  }));
  pumpFor(100);
  Chord({XK_Control_L}, XK_v);
  EXPECT_TRUE(TextIs(a, L"录音中文")) << Utf8(a->GetText().c_str());
  pclose(holder);

  PostMessageW(host->Hwnd(), WM_IME_CHAR, L'字', 1);
  EXPECT_TRUE(TextIs(a, L"录音中文字"));
  EXPECT_GT(Ink(a), 40);
}

TEST_F(EditDisplayTest, ShiftArrowsAndADragSelect) {
  SEdit* m = E(L"m");
  m->SetText(L"abcdef");
  Click(m, 300);  // past the end: the caret goes to the end, no select-all yet
  pumpUntil([&] { return Sel(m).first == 0 && Sel(m).second == 6; });
  EXPECT_EQ(Sel(m), std::make_pair(0L, 6L)) << "the first click selects all";
  pumpFor(700);  // not a double click
  Click(m, 300);
  ASSERT_TRUE(pumpUntil([&] { return Sel(m) == std::make_pair(6L, 6L); })) << "the second places the caret";
  Chord({XK_Shift_L}, XK_Left);
  Chord({XK_Shift_L}, XK_Left);
  ASSERT_TRUE(pumpUntil([&] { return Sel(m) == std::make_pair(4L, 6L); }));

  // A drag from the middle of the text to its left edge.
  const RECT rc = m->ClientRect();
  moveMouse(kX + (rc.left + rc.right) / 2, kY + rc.top + 20);
  pumpFor(30);
  Button(true);
  pumpFor(30);
  moveMouse(kX + rc.left + 2, kY + rc.top + 20);
  pumpFor(60);
  Button(false);
  ASSERT_TRUE(pumpUntil([&] { return Sel(m).first == 0 && Sel(m).second > 0; }));
}

TEST_F(EditDisplayTest, CopyAndPasteRoundTripIncludingALargeText) {
  SEdit* a = E(L"a");
  SEdit* m = E(L"m");
  Click(a);
  a->SetText(L"录音 round trip");
  a->SelectRange(0, -1);
  Chord({XK_Control_L}, XK_c);
  pumpFor(50);
  Click(m);
  Chord({XK_Control_L}, XK_v);
  EXPECT_TRUE(TextIs(m, L"录音 round trip"));

  std::wstring big;
  for (int i = 0; big.size() * 3 < 300 * 1024; ++i) big += L"第" + std::to_wstring(i) + L"行 录音 line\r\n";
  m->SendSwndMessage(EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
  m->SetText(big.c_str());
  m->SelectRange(0, -1);
  Chord({XK_Control_L}, XK_x);
  ASSERT_TRUE(TextIs(m, L""));
  Chord({XK_Control_L}, XK_v);
  ASSERT_TRUE(pumpUntil([&] { return m->GetText().GetLength() == static_cast<int>(big.size()); }, 10000));
  EXPECT_TRUE(std::wstring(m->GetText().c_str()) == big);
}

TEST_F(EditDisplayTest, ANumberFieldRefusesALetterAndAPasteHoldingOne) {
  SEdit* n = E(L"n");
  Click(n);
  tapKey(XK_4);
  tapKey(XK_a);
  tapKey(XK_2);
  ASSERT_TRUE(TextIs(n, L"42"));
  ASSERT_TRUE(SetClipboard(L"1a"));
  Chord({XK_Control_L}, XK_v);
  pumpFor(100);
  EXPECT_EQ(std::wstring(n->GetText().c_str()), L"42") << "the paste is refused whole";
  ASSERT_TRUE(SetClipboard(L"-1.5"));
  Chord({XK_Control_L}, XK_v);
  EXPECT_TRUE(TextIs(n, L"42-1.5"));
}

TEST_F(EditDisplayTest, TheCueShowsOnlyWhenEmptyAndUnfocused) {
  SEdit* m = E(L"m");
  EXPECT_GT(Ink(m, true), 10) << "empty and unfocused: the cue";
  Click(m);
  EXPECT_EQ(Ink(m, true), 0) << "focused: no cue";
  tapKey(XK_x);
  ASSERT_TRUE(TextIs(m, L"x"));
  Click(E(L"a"));
  EXPECT_EQ(Ink(m, true), 0) << "not empty: no cue";
  m->SetText(L"");
  EXPECT_GT(Ink(m, true), 10);
}

bool g_escaped = false;

void CALLBACK PressEscape(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_escaped = true;
  tapKey(XK_Escape);
}

// A right click focuses the field and shows the edit menu; closing it
// without a choice raises the menu event with no command and changes
// nothing.
TEST_F(EditDisplayTest, ARightClickShowsTheEditMenu) {
  ASSERT_EQ(app->LoadSystemResources(BundleProvider()), 0);
  SEdit* a = E(L"a");
  a->SetText(L"abc");
  std::vector<UINT> chosen;
  bool closedByEscape = false;
  g_escaped = false;
  a->SubscribeEvent(EventREMenu::EventID, [&](EventArgs* e) {
    chosen.push_back(static_cast<EventREMenu*>(e)->uCmd);
    closedByEscape = g_escaped;
    return false;
  });
  const RECT rc = a->GetWindowRect();
  moveMouse(kX + rc.left + 20, kY + (rc.top + rc.bottom) / 2);
  pumpFor(30);
  SetTimer(nullptr, 0, 400, &PressEscape);
  clickButton(3);
  ASSERT_TRUE(pumpUntil([&] { return chosen.size() == 1; }));
  EXPECT_EQ(chosen[0], 0u);
  EXPECT_TRUE(closedByEscape) << "the menu stayed up until Escape";
  EXPECT_EQ(SWindowMgr::getSingleton().LookupWindow(host->GetFocusWindow()), a);
  EXPECT_EQ(std::wstring(a->GetText().c_str()), L"abc");
}

TEST_F(EditDisplayTest, APasswordFieldShowsStars) {
  SEdit* p = E(L"p");
  SEdit* a = E(L"a");
  p->SetText(L"secret");
  a->SetText(L"******");
  const int stars = Ink(a);
  p->SetText(L"");
  Click(p);
  for (KeySym k : {XK_s, XK_e, XK_c, XK_r, XK_u, XK_t}) tapKey(k);
  ASSERT_TRUE(TextIs(p, L"secrut")) << Utf8(p->GetText().c_str());
  Click(a);  // the caret leaves
  const int drawn = Ink(p);
  EXPECT_GT(drawn, 20);
  EXPECT_NEAR(drawn, stars, stars / 5 + 4) << "six stars, not the letters";
}

// In a read-only field the edit menu greys cut, paste and delete: a click
// on the greyed cut leaves the menu up, a click on copy chooses it and the
// text reaches the clipboard.
TEST_F(EditDisplayTest, TheEditMenuOfAReadOnlyFieldGreysWhatWouldChangeIt) {
  ASSERT_EQ(app->LoadSystemResources(BundleProvider()), 0);
  SEdit* r = E(L"r");
  ASSERT_NE(r, nullptr);
  r->SetText(L"只读 text");
  ASSERT_TRUE(SetClipboard(L"before"));
  std::vector<UINT> chosen;
  r->SubscribeEvent(EventREMenu::EventID, [&](EventArgs* e) {
    chosen.push_back(static_cast<EventREMenu*>(e)->uCmd);
    return false;
  });
  const unsigned long hostX = Win32XWindowOf(host->Hwnd());
  bool stayedUp = false;
  std::thread user([&] {
    if (!waitPopupCount(1, {hostX})) return;
    usleep(100000);
    const RECT menu = viewablePopups({hostX}).at(0);
    const int x = (menu.left + menu.right) / 2, height = menu.bottom - menu.top;
    // Five items and a separator: cut's middle near a tenth of the height,
    // copy's near three tenths.
    moveMouse(x, menu.top + height / 10);
    usleep(50000);
    clickButton(1);
    usleep(300000);
    stayedUp = viewablePopups({hostX}).size() == 1;
    moveMouse(x, menu.top + 3 * height / 10);
    usleep(50000);
    clickButton(1);
    // A menu still up after this is closed, so the test fails instead of
    // hanging.
    if (!waitPopupCount(0, {hostX}, 2000)) tapKey(XK_Escape);
  });
  const RECT rc = r->GetWindowRect();
  moveMouse(kX + rc.left + 20, kY + (rc.top + rc.bottom) / 2);
  pumpFor(30);
  clickButton(3);
  const bool answered = pumpUntil([&] { return !chosen.empty(); }, 8000);
  user.join();
  ASSERT_TRUE(answered);
  EXPECT_TRUE(stayedUp) << "a greyed item cannot be chosen";
  EXPECT_EQ(chosen, std::vector<UINT>{2});
  EXPECT_EQ(std::wstring(r->GetText().c_str()), L"只读 text");
  std::wstring pasted;
  if (OpenClipboard(nullptr)) {
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      pasted = static_cast<const wchar_t*>(GlobalLock(data));
      GlobalUnlock(data);
    }
    CloseClipboard();
  }
  EXPECT_EQ(pasted, L"只读 text") << "copy stays allowed";
}

}  // namespace
