// The rich edit and edit on the headless test host: creation against the
// engine helper, insets, limits, number filtering, key routing, the change
// notice, the default formats and the context menu's greying.
#include <string>

#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SEdit.h"
#include "control/SWin32Menu.h"
#include "core/SLog.h"
#include "core/STextServiceHelper.h"
#include "win32/menus.h"

namespace {

class RichEditTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    host = new SwndTestHost(400, 200);
  }
  void TearDown() override {
    STextServiceHelper::getSingleton().SimulateMissingService(false);
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    OrielAppTest::TearDown();
  }
  template <class T = SEdit>
  T* Make(const wchar_t* xml) {
    host->CreateChildrenFromString(xml);
    host->ApplyLayout();
    return static_cast<T*>(host->FindDescendantByName(L"e"));
  }
  void Type(SRichEdit* e, const std::wstring& text) {
    for (wchar_t ch : text) e->SendSwndMessage(WM_CHAR, ch, 1);
  }
  SwndTestHost* host = nullptr;
};

TEST_F(RichEditTest, BothClassesAreRegisteredAndAnEditStartsPlainSelectingAllOnFocus) {
  SEdit* e = Make(L"<edit name='e' pos='0,0,200,32'/>");
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(e->IsClass(L"richedit"));
  EXPECT_FALSE(e->IsRichText());
  EXPECT_TRUE(e->GetOptions() & SRichEdit::kOptAutoSel);
  EXPECT_EQ(e->GetCueColor(), 0xFFCCCCCCu);
  host->CreateChildrenFromString(L"<richedit name='r' pos='0,40,200,72'/>");
  auto* r = static_cast<SRichEdit*>(host->FindDescendantByName(L"r"));
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(r->IsRichText());
  EXPECT_FALSE(r->GetOptions() & SRichEdit::kOptAutoSel);
  EXPECT_EQ(r->GetMaxLength(), 0x7fffu);
}

TEST_F(RichEditTest, WithoutTheEngineTheWindowLeavesTheTree) {
  STextServiceHelper::getSingleton().SimulateMissingService(true);
  EXPECT_EQ(Make(L"<edit name='e' pos='0,0,200,32'/>"), nullptr);
  EXPECT_EQ(host->GetChildrenCount(), 0);
}

TEST_F(RichEditTest, XmlTextAndSetTextReachTheEngine) {
  SEdit* e = Make(L"<edit name='e' pos='0,0,200,32'>录音 abc</edit>");
  EXPECT_EQ(e->GetText(), SStringW(L"录音 abc"));
  e->SetText(L"第二");
  EXPECT_EQ(e->GetText(), SStringW(L"第二"));
  e->SelectRange(2, 2);
  Type(e, L"x");
  EXPECT_EQ(e->GetText(), SStringW(L"第二x"));
}

// A single plain line is centred whatever its padding; more lines use it.
TEST_F(RichEditTest, SingleLineInsetsCentreOneLineMultiLineUsesThePadding) {
  SEdit* a = Make(L"<edit name='e' pos='0,0,200,32' padding='2,2,2,2'/>");
  const int lh = a->GetLineHeight();
  ASSERT_GT(lh, 0);
  EXPECT_EQ(a->GetInsetPixels().top, (32 - lh) / 2);
  EXPECT_EQ(a->GetInsetPixels().bottom, (32 - lh) / 2);
  EXPECT_EQ(a->GetInsetPixels().left, 2);
  host->CreateChildrenFromString(L"<edit name='b' pos='0,40,200,72' padding='4,9,4,9'/>"
                                 L"<edit name='c' pos='0,80,200,112' padding='4,3,4,5' multiLines='1'/>"
                                 L"<edit name='d' pos='0,120,200,152' padding='4,3,4,5' rich='1'/>");
  host->ApplyLayout();
  auto inset = [&](const wchar_t* n) { return static_cast<SEdit*>(host->FindDescendantByName(n))->GetInsetPixels(); };
  EXPECT_EQ(inset(L"b").top, (32 - lh) / 2) << "the padding does not move a single plain line";
  EXPECT_EQ(inset(L"c").top, 3);
  EXPECT_EQ(inset(L"c").bottom, 5);
  EXPECT_EQ(inset(L"d").top, 3) << "rich text uses the padding";
}

// The case as a layout meets it: a 32 px field with an 18 px line.
TEST_F(RichEditTest, AThirtyTwoPixelFieldWithAnEighteenPixelLineHasSevenPixelInsets) {
  SEdit* found = nullptr;
  for (int size = 8; size <= 24 && !found; ++size) {
    const std::wstring xml = L"<edit name='s" + std::to_wstring(size) + L"' pos='0,0,200,32' padding='1,1,1,1' "
                             L"font='size:" + std::to_wstring(size) + L"'/>";
    host->CreateChildrenFromString(xml.c_str());
    host->ApplyLayout();
    auto* e = static_cast<SEdit*>(host->FindDescendantByName((L"s" + std::to_wstring(size)).c_str()));
    if (e && e->GetLineHeight() == 18) found = e;
  }
  ASSERT_NE(found, nullptr) << "no font size gives an 18 px line";
  EXPECT_EQ(found->GetInsetPixels().top, 7);
  EXPECT_EQ(found->GetInsetPixels().bottom, 7);
}

TEST_F(RichEditTest, MaxLengthZeroMeans32767AndLongerProgramTextRaisesIt) {
  SEdit* e = Make(L"<edit name='e' pos='0,0,200,32' maxBuf='2'/>");
  EXPECT_EQ(e->GetMaxLength(), 2u);
  Type(e, L"123");
  EXPECT_EQ(e->GetText(), SStringW(L"12")) << "typing stops at the limit";
  EXPECT_EQ(e->SendSwndMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"12345")), 1);
  EXPECT_EQ(e->GetMaxLength(), 5u);
  EXPECT_EQ(e->GetText(), SStringW(L"12345"));
  EXPECT_EQ(e->SendSwndMessage(EM_EXLIMITTEXT, 0, 0), 1);
  EXPECT_EQ(e->GetMaxLength(), 32767u);
}

// Focus selects the whole text, however long: an end of 0xFFFF would stop
// short of a text past 65535 characters.
TEST_F(RichEditTest, FocusSelectsAllOfATextLongerThan65535) {
  SEdit* e = Make(L"<edit name='e' pos='0,0,200,32'/>");
  const std::wstring text(70000, L'x');
  e->SetText(text.c_str());
  e->SelectRange(0, 0);
  e->SetFocus();
  DWORD start = 1, end = 0;
  e->SendSwndMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 70000u);
}

TEST_F(RichEditTest, ANumberFieldDropsLettersButTakesSignsAndProgramText) {
  SEdit* e = Make(L"<edit name='e' pos='0,0,200,32' number='1'/>");
  Type(e, L"1a-.,b2");
  EXPECT_EQ(e->GetText(), SStringW(L"1-.,2"));
  e->SetText(L"abc");
  EXPECT_EQ(e->GetText(), SStringW(L"abc")) << "the program's own text is not filtered";
}

// The notice arrives inside the change; a handler that rewrites the field
// gets exactly one more notice for its own change and the field keeps it.
TEST_F(RichEditTest, AHandlerRewritingTheFieldInsideItsChangeNoticeEndsWithItsText) {
  SEdit* e = Make(L"<edit name='e' pos='0,0,200,32' notifyChange='1'/>");
  int notices = 0;
  e->SubscribeEvent(EventRENotify::EventID, [&](EventArgs* a) {
    auto* n = static_cast<EventRENotify*>(a);
    if (n->iNotify != EN_CHANGE) return false;
    ++notices;
    if (e->GetText() != SStringW(L"01")) e->SetText(L"01");
    return true;
  });
  Type(e, L"5");
  EXPECT_EQ(e->GetText(), SStringW(L"01"));
  EXPECT_EQ(notices, 2);
  e->SendSwndMessage(EM_SETREADONLY, 1);
  Type(e, L"7");
  EXPECT_EQ(notices, 2) << "refused input sends no notice";
}

TEST_F(RichEditTest, ReturnOfASingleLineGoesOnToTheHostAndAMultiLineTakesIt) {
  SEdit* e = Make(L"<edit name='e' pos='0,0,200,32'/>"
                  L"<edit name='m' pos='0,40,200,120' multiLines='1' wantReturn='1'/>");
  e->SetFocus();
  host->DispatchFrameMessage(WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_FALSE(host->WasHandled()) << "Return reaches the host for the default button";
  host->DispatchFrameMessage(WM_KEYDOWN, VK_LEFT, 0);
  EXPECT_TRUE(host->WasHandled());

  int seen = 0;
  e->SubscribeEvent(EventKeyDown::EventID, [&](EventArgs* a) {
    ++seen;
    static_cast<EventKeyDown*>(a)->bCancel = true;
    return true;
  });
  host->DispatchFrameMessage(WM_KEYDOWN, VK_LEFT, 0);
  EXPECT_EQ(seen, 1);
  EXPECT_FALSE(host->WasHandled()) << "a cancelled key is left to the host";

  auto* m = static_cast<SEdit*>(host->FindDescendantByName(L"m"));
  m->SetFocus();
  m->SetText(L"ab");
  m->SelectRange(1, 1);
  host->DispatchFrameMessage(WM_KEYDOWN, VK_RETURN, 0);
  host->DispatchFrameMessage(WM_CHAR, L'\r', 0);
  EXPECT_TRUE(host->WasHandled());
  EXPECT_EQ(m->GetText(), SStringW(L"a\r\nb"));
}

TEST_F(RichEditTest, OnlyACharFormat2CanBeTheDefaultFormat) {
  SEdit* e = Make(L"<edit name='e' pos='0,0,200,32'/>");
  auto* log = new CapturingLog;
  app->SetLogger(log);
  CHARFORMATW small{};
  small.cbSize = sizeof small;
  EXPECT_EQ(e->SendSwndMessage(EM_SETCHARFORMAT, 0, reinterpret_cast<LPARAM>(&small)), 0);
  EXPECT_NE(log->lines.find("set default char format failed! only CHARFORMAT2W can be set for default char format"
                            " | ORIEL::SRichEdit::OnSetCharFormat"),
            std::string::npos)
      << log->lines;
  CHARFORMAT2W full{};
  full.cbSize = sizeof full;
  full.dwMask = CFM_COLOR;
  full.crTextColor = RGB(200, 0, 0);
  EXPECT_EQ(e->SendSwndMessage(EM_SETCHARFORMAT, 0, reinterpret_cast<LPARAM>(&full)), 1);
  EXPECT_EQ(e->SetDefaultCharColor(0xFF00FF00), RGB(200, 0, 0)) << "the default format took the colour";
  app->SetLogger(nullptr);
  log->Release();
}

TEST_F(RichEditTest, AlignmentBitsAreOnlyAdded) {
  SEdit* e = Make(L"<edit name='e' pos='0,0,200,32' align='center'/>");
  EXPECT_EQ(e->GetDefaultAlignment(), PFA_CENTER);
  e->ApplyAttribute(SStringW(L"align"), SStringW(L"left"), FALSE);
  EXPECT_EQ(e->GetDefaultAlignment(), PFA_CENTER);
  EXPECT_TRUE(e->GetEditStyle() & ES_CENTER);
}

TEST_F(RichEditTest, TheContextMenuGreysWhatCannotBeDone) {
  ASSERT_EQ(app->LoadSystemResources(BundleProvider()), 0);
  SEdit* e = Make(L"<edit name='e' pos='0,0,200,32'/>");
  auto states = [&] {
    SWin32Menu menu;
    EXPECT_TRUE(e->BuildContextMenu(menu));
    std::string grey;
    for (UINT id = 1; id <= 5; ++id) grey += (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) ? 'g' : '-';
    return grey;
  };
  OpenClipboard(nullptr);
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(states(), "ggggg") << "empty text, no selection, nothing to paste";
  e->SetText(L"abc");
  e->SelectRange(0, 2);
  EXPECT_EQ(states(), "--g--");
  e->SendSwndMessage(WM_COPY);
  EXPECT_EQ(states(), "-----");
  e->SendSwndMessage(EM_SETREADONLY, 1);
  EXPECT_EQ(states(), "g-gg-") << "read-only greys cut, paste and delete";
}

}  // namespace
