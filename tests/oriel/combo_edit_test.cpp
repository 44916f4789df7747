// The edit part of an editable combo box on the headless host: built from
// the combo's "editStyle" with its events muted, change notices that speak
// as the combo, Down and Esc handed to the combo while other keys stay in
// the edit, hover shown on the combo, and a combo whose edit cannot be made
// left without one.
#include <string>
#include <vector>

#include "OrielTestApp.h"
#include "SwndTestHost.h"
// The combo's list brings the scroll codes before the text services'
// header defines them again as macros.
#include "recording_combo.h"
#include "core/STextServiceHelper.h"

using namespace combotest;

namespace {

constexpr const char* kItems = "<items><item text='44100'/><item text='48000'/></items>";

class ComboEditTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    host = new SwndTestHost(300, 100);
  }
  void TearDown() override {
    STextServiceHelper::getSingleton().SimulateMissingService(false);
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    OrielAppTest::TearDown();
  }
  // An editable combo named "rate", id 7, with two entries and `inner` in
  // its element.
  RecordingCombo* Make(const std::string& inner) {
    const std::string xml =
        "<combobox name='rate' id='7' pos='10,10,210,42' dropDown='0'>" + std::string(kItems) + inner + "</combobox>";
    RecordingCombo* combo = AddRecordingCombo(host, xml.c_str());
    host->ApplyLayout();
    return combo;
  }
  static std::wstring Text(SWindow* w) { return w->GetText().c_str(); }
  SwndTestHost* host = nullptr;
};

TEST_F(ComboEditTest, TheEditPartIsTheCombosLastChildWithIdMinus100) {
  RecordingCombo* combo = Make("");
  ASSERT_NE(combo, nullptr);
  SComboEdit* edit = combo->GetEditPart();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->GetParent(), combo);
  EXPECT_EQ(edit->GetOwner(), combo);
  EXPECT_EQ(edit->GetId(), kComboEditId);
  EXPECT_EQ(combo->FindDescendantById(kComboEditId, 1), edit);
  EXPECT_TRUE(edit->IsClass(L"edit"));
  EXPECT_TRUE(edit->IsClass(L"richedit"));
  EXPECT_FALSE(edit->IsRichText()) << "an edit is plain";
}

// Loading the style raises nothing even where it sets text with change
// notices on; afterwards each change is one notice with the combo's id and
// name, and refused input none.
TEST_F(ComboEditTest, StyleLoadsSilentlyAndNoticesSpeakAsTheCombo) {
  RecordingCombo* combo =
      Make("<editStyle name='inner' notifyChange='1' maxBuf='3' cueText='无' wantTab='1'>mp3</editStyle>");
  ASSERT_NE(combo, nullptr);
  SComboEdit* edit = combo->GetEditPart();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(Text(edit), L"mp3");
  EXPECT_EQ(combo->Count(EventRENotify::EventID), 0) << "creation is muted";
  EXPECT_EQ(std::wstring(edit->GetCueText().c_str()), L"无");
  EXPECT_TRUE(edit->GetOptions() & SRichEdit::kOptWantTab);

  edit->SetText(L"wa");
  edit->SelectRange(2, 2);
  edit->SendSwndMessage(WM_CHAR, L'v', 1);
  edit->SendSwndMessage(WM_CHAR, L'x', 1);  // past "maxBuf": refused, no notice
  EXPECT_EQ(Text(edit), L"wav");
  ASSERT_EQ(combo->Count(EventRENotify::EventID), 2);
  for (const Notice& n : combo->notices) {
    if (n.id != EventRENotify::EventID) continue;
    EXPECT_EQ(n.idFrom, 7);
    EXPECT_EQ(n.nameFrom, L"rate");
  }
}

// Down steps the combo's list (the chosen entry's text lands in the edit
// without a notice); Esc goes to the combo too; Left, Home and Up stay in
// the edit.
TEST_F(ComboEditTest, DownAndEscGoToTheComboOtherKeysStayInTheEdit) {
  RecordingCombo* combo = Make("");
  ASSERT_NE(combo, nullptr);
  SComboEdit* edit = combo->GetEditPart();
  ASSERT_NE(edit, nullptr);
  struct {
    UINT key;
    bool toCombo;
    int curSel;
    const wchar_t* text;
    long caret;
  } cases[] = {{VK_DOWN, true, 0, L"44100", 0},  {VK_END, false, 0, L"44100", 5},
               {VK_LEFT, false, 0, L"44100", 4},  {VK_ESCAPE, true, 0, L"44100", 4},
               {VK_HOME, false, 0, L"44100", 0},  {VK_UP, false, 0, L"44100", 0},
               {VK_DOWN, true, 1, L"48000", 0}};
  for (const auto& c : cases) {
    combo->messages.clear();
    edit->SendSwndMessage(WM_KEYDOWN, c.key, 0);
    EXPECT_EQ(combo->Keys(), c.toCombo ? std::vector<WPARAM>{c.key} : std::vector<WPARAM>{}) << c.key;
    EXPECT_EQ(combo->GetCurSel(), c.curSel) << c.key;
    EXPECT_EQ(Text(edit), c.text) << c.key;
    DWORD s = 0, e = 0;
    edit->SendSwndMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    EXPECT_EQ(static_cast<long>(e), c.caret) << c.key;
  }
  EXPECT_EQ(combo->Count(EventRENotify::EventID), 0) << "a chosen entry is not typing";
  EXPECT_EQ(combo->Count(EventCBSelChange::EventID), 2);
}

TEST_F(ComboEditTest, HoverAndLeaveShowOnTheCombo) {
  RecordingCombo* combo = Make("");
  ASSERT_NE(combo, nullptr);
  SComboEdit* edit = combo->GetEditPart();
  ASSERT_NE(edit, nullptr);
  edit->SendSwndMessage(WM_MOUSEHOVER, 0, 0);
  EXPECT_TRUE(edit->GetState() & WndState_Hover);
  EXPECT_TRUE(combo->GetState() & WndState_Hover);
  edit->SendSwndMessage(WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(edit->GetState() & WndState_Hover);
  EXPECT_FALSE(combo->GetState() & WndState_Hover);
  EXPECT_EQ(combo->messages, (std::vector<std::pair<UINT, WPARAM>>{{WM_MOUSEHOVER, 0}, {WM_MOUSELEAVE, 0}}));
}

// Without the text engine the edit cannot be made: the combo stays without
// an edit part (and holds no pointer to the window that left its tree),
// with and without a style element.
TEST_F(ComboEditTest, AComboWhoseEditCannotBeMadeHasNoEditPart) {
  STextServiceHelper::getSingleton().SimulateMissingService(true);
  for (const char* inner : {"", "<editStyle cueText='x'/>"}) {
    RecordingCombo* combo = Make(inner);
    ASSERT_NE(combo, nullptr) << inner;
    EXPECT_EQ(combo->GetEditPart(), nullptr) << inner;
    EXPECT_EQ(combo->FindDescendantById(kComboEditId, 1), nullptr) << inner;
    combo->SetText(L"typed");  // would reach a dangling edit
    EXPECT_EQ(Text(combo), L"") << "an editable combo without an edit has no text of its own";
  }
}

}  // namespace
