// The edit part of an editable combo under real X keys: typed letters land
// in the edit and reach the combo as its own change notices, while Down and
// Esc go to the combo and leave the text alone.
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

class ComboEditDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    host = new SwndWindowHost(kX, kY, 240, 60);
    combo = AddRecordingCombo(host, "<combo name='rate' id='9' pos='10,10,230,42'/>");
    ASSERT_NE(combo, nullptr);
    SXmlDoc doc;
    const char* style = "<editStyle pos='0,0,-0,-0' font='size:16'/>";
    ASSERT_TRUE(doc.LoadBuffer(style, strlen(style)));
    edit = SComboEdit::CreateIn(combo, XmlChild(doc, L"editStyle"));
    ASSERT_NE(edit, nullptr);
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
  SwndWindowHost* host = nullptr;
  RecordingCombo* combo = nullptr;
  SComboEdit* edit = nullptr;
};

TEST_F(ComboEditDisplayTest, LettersGoToTheEditDownAndEscToTheCombo) {
  const RECT rc = edit->GetWindowRect();
  moveMouse(kX + rc.left + 10, kY + (rc.top + rc.bottom) / 2);
  pumpFor(30);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return edit->IsFocused(); }));
  tapKey(XK_4);
  tapKey(XK_8);
  ASSERT_TRUE(pumpUntil([&] { return std::wstring(edit->GetText().c_str()) == L"48"; }));
  tapKey(XK_Down);
  tapKey(XK_Escape);
  // Hover messages reach the combo too; the keys are what counts here.
  auto keys = [&] {
    std::vector<WPARAM> seen;
    for (const auto& [msg, wParam] : combo->messages)
      if (msg == WM_KEYDOWN) seen.push_back(wParam);
    return seen;
  };
  ASSERT_TRUE(pumpUntil([&] { return keys().size() >= 2; }));
  pumpFor(100);
  EXPECT_EQ(keys(), (std::vector<WPARAM>{VK_DOWN, VK_ESCAPE}));
  EXPECT_EQ(std::wstring(edit->GetText().c_str()), L"48");
  int notices = 0;
  for (const Notice& n : combo->notices) {
    if (n.id != EventRENotify::EventID) continue;
    ++notices;
    EXPECT_EQ(n.idFrom, 9);
    EXPECT_EQ(n.nameFrom, L"rate");
  }
  EXPECT_EQ(notices, 2) << "one notice per typed letter";
}

}  // namespace
