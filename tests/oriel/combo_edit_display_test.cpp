// An editable combo box under real X input: typed letters land in its edit
// part and clear the list selection once per change without a selection
// event; Down reaches the combo, which chooses the next entry and writes
// its text into the edit; Esc reaches the combo too and leaves the text.
#include <string>

#include "OrielTestApp.h"
#include "SwndWindowHost.h"
#include "recording_combo.h"
#include "../platform-display/display_helper.h"
// After gtest: Xlib's macros clash with its names.
#include <X11/keysym.h>

using namespace combotest;

namespace {

constexpr int kX = 200, kY = 160;

std::string Utf8(const SStringW& w) { return std::string(XmlUtf8(w).c_str()); }

class ComboEditDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    host = new SwndWindowHost(kX, kY, 240, 60);
    combo = AddRecordingCombo(host,
                              "<combobox name='rate' id='9' pos='10,10,230,42' dropDown='0' curSel='1'>"
                              "<items><item text='44100'/><item text='48000'/><item text='96000'/></items>"
                              "<editStyle font='size:16'/></combobox>");
    ASSERT_NE(combo, nullptr);
    edit = combo->GetEditPart();
    ASSERT_NE(edit, nullptr);
    host->ApplyLayout();
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
  bool TextIs(const std::wstring& text) {
    return pumpUntil([&] { return std::wstring(edit->GetText().c_str()) == text; });
  }
  SwndWindowHost* host = nullptr;
  RecordingCombo* combo = nullptr;
  SComboEdit* edit = nullptr;
};

TEST_F(ComboEditDisplayTest, TypingClearsTheSelectionAndDownAndEscReachTheCombo) {
  ASSERT_EQ(combo->GetCurSel(), 1);
  ASSERT_TRUE(TextIs(L"48000"));
  const int selChanges = combo->Count(EventCBSelChange::EventID);
  const RECT rc = edit->GetWindowRect();
  moveMouse(kX + rc.left + 10, kY + (rc.top + rc.bottom) / 2);
  pumpFor(30);
  clickButton(1);  // the first click selects all
  ASSERT_TRUE(pumpUntil([&] { return edit->IsFocused(); }));
  tapKey(XK_2);
  tapKey(XK_2);
  ASSERT_TRUE(TextIs(L"22")) << Utf8(edit->GetText());
  EXPECT_EQ(combo->GetCurSel(), -1) << "typing clears the list selection";
  EXPECT_EQ(combo->Count(EventRENotify::EventID), 2) << "one notice per change";
  EXPECT_EQ(combo->Count(EventCBSelChange::EventID), selChanges) << "typing is no selection";

  tapKey(XK_Down);
  ASSERT_TRUE(TextIs(L"44100")) << "Down chose the first entry and wrote its text: " << Utf8(edit->GetText());
  EXPECT_EQ(combo->GetCurSel(), 0);
  EXPECT_EQ(combo->Count(EventCBSelChange::EventID), selChanges + 1);
  tapKey(XK_Escape);
  ASSERT_TRUE(pumpUntil([&] { return combo->Keys().size() >= 2; }));
  pumpFor(100);
  EXPECT_EQ(combo->Keys(), (std::vector<WPARAM>{VK_DOWN, VK_ESCAPE}));
  EXPECT_EQ(std::wstring(edit->GetText().c_str()), L"44100");
  EXPECT_EQ(combo->Count(EventRENotify::EventID), 2) << "a chosen entry is not typing";
  for (const Notice& n : combo->notices) {
    if (n.id != EventRENotify::EventID) continue;
    EXPECT_EQ(n.idFrom, 9);
    EXPECT_EQ(n.nameFrom, L"rate");
  }
}

}  // namespace
