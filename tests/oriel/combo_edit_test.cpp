// The edit part of an editable combo on the headless host, under a small
// owner window that stands in for the combo and records what reaches it:
// creation from the combo's "editStyle" with its events muted, change
// notices that speak as the combo, Down and Esc handed to the combo while
// other keys stay in the edit, hover shown on the combo, and a failed
// creation that leaves nothing behind.
#include <string>
#include <vector>

#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SComboEdit.h"
#include "recording_combo.h"
#include "core/STextServiceHelper.h"

using namespace combotest;

namespace {

class ComboEditTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    host = new SwndTestHost(300, 100);
    combo = AddRecordingCombo(host, "<combo name='format' id='7' pos='10,10,210,42'/>");
    ASSERT_NE(combo, nullptr);
  }
  void TearDown() override {
    STextServiceHelper::getSingleton().SimulateMissingService(false);
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    OrielAppTest::TearDown();
  }
  SComboEdit* Make(const char* editStyle) {
    SXmlDoc doc;
    if (editStyle) doc.LoadBuffer(editStyle, strlen(editStyle));
    SComboEdit* edit = SComboEdit::CreateIn(combo, editStyle ? XmlChild(doc, L"editStyle") : pugi::xml_node());
    host->ApplyLayout();
    return edit;
  }
  int ChangeNotices() const {
    int n = 0;
    for (const Notice& s : combo->notices) n += s.id == EventRENotify::EventID;
    return n;
  }
  SwndTestHost* host = nullptr;
  RecordingCombo* combo = nullptr;
};

TEST_F(ComboEditTest, TheEditPartIsTheCombosLastChildWithIdMinus100) {
  host->CreateChildrenFromString(L"<window name='before' pos='0,0,1,1'/>");
  combo->CreateChildrenFromString(L"<window name='first' pos='0,0,1,1'/>");
  SComboEdit* edit = Make(nullptr);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->GetParent(), combo);
  EXPECT_EQ(edit->GetOwner(), combo);
  EXPECT_EQ(combo->GetRelative(GSW_LASTCHILD), edit);
  EXPECT_EQ(edit->GetId(), SComboEdit::kId);
  EXPECT_EQ(combo->FindDescendantById(-100, 1), edit);
  EXPECT_TRUE(edit->IsClass(L"edit"));
  EXPECT_TRUE(edit->IsClass(L"richedit"));
  EXPECT_TRUE(edit->IsClass(L"window"));
  EXPECT_FALSE(edit->IsRichText()) << "an edit is plain";
}

// Loading the style raises nothing even where it sets text with change
// notices on; afterwards each change is one notice with the combo's id and
// name.
TEST_F(ComboEditTest, StyleLoadsSilentlyAndNoticesSpeakAsTheCombo) {
  SComboEdit* edit = Make(
      "<editStyle name='inner' pos='0,0,-0,-0' notifyChange='1' maxBuf='3' cueText='无' wantTab='1'>mp3</editStyle>");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(std::wstring(edit->GetText().c_str()), L"mp3");
  EXPECT_EQ(ChangeNotices(), 0) << "creation is muted";
  EXPECT_EQ(std::wstring(edit->GetCueText().c_str()), L"无");
  EXPECT_TRUE(edit->GetOptions() & SRichEdit::kOptWantTab);

  edit->SetText(L"wa");
  edit->SelectRange(2, 2);
  edit->SendSwndMessage(WM_CHAR, L'v', 1);
  edit->SendSwndMessage(WM_CHAR, L'x', 1);  // past "maxBuf": refused, no notice
  EXPECT_EQ(std::wstring(edit->GetText().c_str()), L"wav");
  ASSERT_EQ(ChangeNotices(), 2);
  for (const Notice& n : combo->notices) {
    if (n.id != EventRENotify::EventID) continue;
    EXPECT_EQ(n.idFrom, 7);
    EXPECT_EQ(n.nameFrom, L"format");
  }
}

// Without a style the edit still asks for change notices.
TEST_F(ComboEditTest, WithoutAStyleChangesAreStillReported) {
  SComboEdit* edit = Make(nullptr);
  ASSERT_NE(edit, nullptr);
  edit->SendSwndMessage(WM_CHAR, L'a', 1);
  EXPECT_EQ(ChangeNotices(), 1);
}

// A chosen entry's text is written without a change notice, and typing
// afterwards is reported again.
TEST_F(ComboEditTest, AChosenEntrysTextIsWrittenWithoutANotice) {
  SComboEdit* edit = Make(nullptr);
  ASSERT_NE(edit, nullptr);
  edit->ShowChosenText(L"44100 Hz");
  EXPECT_EQ(std::wstring(edit->GetText().c_str()), L"44100 Hz");
  EXPECT_EQ(ChangeNotices(), 0);
  edit->SelectRange(8, 8);
  edit->SendSwndMessage(WM_CHAR, L'!', 1);
  EXPECT_EQ(ChangeNotices(), 1);
  EXPECT_EQ(std::wstring(edit->GetText().c_str()), L"44100 Hz!");
}

TEST_F(ComboEditTest, DownAndEscGoToTheComboOtherKeysStayInTheEdit) {
  SComboEdit* edit = Make(nullptr);
  ASSERT_NE(edit, nullptr);
  edit->SetText(L"abc");
  edit->SelectRange(3, 3);
  struct {
    UINT key;
    bool toCombo;
    long caret;  // after the key
  } cases[] = {{VK_DOWN, true, 3}, {VK_ESCAPE, true, 3}, {VK_LEFT, false, 2}, {VK_HOME, false, 0},
               {VK_UP, false, 0},  {VK_DOWN, true, 0}};
  for (const auto& c : cases) {
    combo->messages.clear();
    edit->SendSwndMessage(WM_KEYDOWN, c.key, 0);
    if (c.toCombo) {
      EXPECT_EQ(combo->messages, (std::vector<std::pair<UINT, WPARAM>>{{WM_KEYDOWN, c.key}})) << c.key;
    } else {
      EXPECT_TRUE(combo->messages.empty()) << c.key;
    }
    DWORD s = 0, e = 0;
    edit->SendSwndMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    EXPECT_EQ(static_cast<long>(e), c.caret) << c.key;
  }
  EXPECT_EQ(std::wstring(edit->GetText().c_str()), L"abc");
}

TEST_F(ComboEditTest, HoverAndLeaveShowOnTheCombo) {
  SComboEdit* edit = Make(nullptr);
  ASSERT_NE(edit, nullptr);
  edit->SendSwndMessage(WM_MOUSEHOVER, 0, 0);
  EXPECT_TRUE(edit->GetState() & WndState_Hover);
  edit->SendSwndMessage(WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(edit->GetState() & WndState_Hover);
  EXPECT_EQ(combo->messages,
            (std::vector<std::pair<UINT, WPARAM>>{{WM_MOUSEHOVER, 0}, {WM_MOUSELEAVE, 0}}));
}

TEST_F(ComboEditTest, AnEditThatCannotBeCreatedLeavesTheComboEmpty) {
  STextServiceHelper::getSingleton().SimulateMissingService(true);
  EXPECT_EQ(Make("<editStyle pos='0,0,-0,-0'/>"), nullptr);
  EXPECT_EQ(Make(nullptr), nullptr);
  EXPECT_EQ(combo->GetChildrenCount(), 0);
}

}  // namespace
