// The program as its own process on the test servers, played with X input:
// closing the main window through the close prompt (minimise, exit, a
// remembered choice that holds in this run and after a restart, the
// prompt's close button, Alt+F4) and "退出主程序" from the floating
// window's menu, each checked by the process, its windows and the settings
// it leaves in config-more.ini and config-output.ini.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <vector>

#include "base/FileIni.h"
#include "logic/DataFiles.h"
#include "program_process.h"
// Last: Xlib's macros (Status, None, Bool) would rename the program's names.
#include "../platform-display/popup_levels.h"
#include <X11/keysym.h>

namespace {

using namespace program_process;

// What the user does in the close prompt, at the places of its 340 x 189
// layout at 100 %.
enum class Act { kMinimise, kExit, kRemember, kOk, kCloseButton, kAltF4 };

void Do(Act act, const Geometry& prompt) {
  switch (act) {
    case Act::kMinimise: ClickAt(prompt.x + 60, prompt.y + 72); break;
    case Act::kExit: ClickAt(prompt.x + 190, prompt.y + 72); break;
    case Act::kRemember: ClickAt(prompt.x + 60, prompt.y + 109); break;
    case Act::kOk: ClickAt(prompt.x + 260, prompt.y + 152); break;
    case Act::kCloseButton: ClickAt(prompt.x + 310, prompt.y + 30); break;
    case Act::kAltF4:
      pressKey(XK_Alt_L);
      tapKey(XK_F4);
      releaseKey(XK_Alt_L);
      break;
  }
}

class ProgramClose : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(userDisplay(), nullptr) << "these tests need an X display";
    // The program's windows come and go while the tree is read.
    vanishingWindowsAllowed_.emplace();
    screen_ = DisplayWidth(userDisplay(), DefaultScreen(userDisplay()));
    std::filesystem::remove(WideToUtf8(GetMoreIniPath()));
    std::filesystem::remove(WideToUtf8(GetOutputIniPath()));
  }
  void CloseMain() {
    const Geometry main = Find(kMainTitle);
    // The caption's close button: 30 x 30, 6 pixels from the right, 44 high.
    ClickAt(main.x + main.width - 21, main.y + 22);
  }
  Geometry Prompt(int ms = 8000) {
    WaitFor([] { return Find(kPromptTitle).viewable; }, ms);
    Sleep(400);
    return Find(kPromptTitle);
  }
  // "退出主程序" from the floating window's menu: the pointer brings it
  // out of its dock, a right click opens the menu, the third item is chosen.
  void ExitFromFlowMenu() {
    Geometry flow = Find(kFlowTitle);
    ASSERT_TRUE(flow.viewable) << "the floating window is shown";
    moveMouse(screen_ - 4, flow.y + 30);
    ASSERT_TRUE(WaitFor([&] { return Find(kFlowTitle).x == screen_ - flow.width; })) << Find(kFlowTitle).x;
    flow = Find(kFlowTitle);
    const size_t before = viewablePopups().size();
    ClickAt(flow.x + 100, flow.y + 12, 3);
    // The menu is one more pop-up on the screen; it takes the keys.
    ASSERT_TRUE(WaitFor([&] { return viewablePopups().size() > before; })) << "no menu";
    Sleep(300);
    for (int i = 0; i < 3; ++i) tapKey(XK_Down);
    tapKey(XK_Return);
  }
  static int MoreSetting(const wchar_t* key) {
    CFileIni ini;
    ini.SetFile(GetMoreIniPath().c_str());
    ini.SetSection(L"Common");
    return ini.ReadInt(key, -1);
  }
  static void SeedMoreSettings(int showCloseTip, int closeHide) {
    CFileIni ini;
    ini.SetFile(GetMoreIniPath().c_str());
    ini.SetSection(L"Common");
    ini.WriteInt(L"common_show_closetip", showCloseTip);
    ini.WriteInt(L"common_close_hide", closeHide);
  }
  void TearDown() override { vanishingWindowsAllowed_.reset(); }
  int screen_ = 0;
  std::optional<VanishingWindowsAllowed> vanishingWindowsAllowed_;
};

enum class After { kHidden, kExited, kUnchanged };

struct CloseRow {
  const char* what;
  std::vector<Act> acts;
  After after;
  int showCloseTip, closeHide;  // config-more.ini once the program has ended
};

TEST_F(ProgramClose, ThePromptsAnswersAsTheProcessCarriesThemOut) {
  // Nothing stored yet: the prompt opens with "退出程序" checked.
  const CloseRow rows[] = {
      {"exit as preset", {Act::kOk}, After::kExited, 1, 0},
      {"minimise", {Act::kMinimise, Act::kOk}, After::kHidden, 1, 1},
      {"minimise, then exit after all", {Act::kMinimise, Act::kExit, Act::kOk}, After::kExited, 1, 0},
      {"its close button", {Act::kMinimise, Act::kCloseButton}, After::kUnchanged, 1, 0},
      {"Alt+F4 acts as OK", {Act::kMinimise, Act::kAltF4}, After::kHidden, 1, 1},
      {"remembered exit", {Act::kRemember, Act::kOk}, After::kExited, 0, 0},
      {"remember ticked twice", {Act::kRemember, Act::kRemember, Act::kOk}, After::kExited, 1, 0},
  };
  for (const CloseRow& row : rows) {
    SCOPED_TRACE(row.what);
    std::filesystem::remove(WideToUtf8(GetMoreIniPath()));
    std::filesystem::remove(WideToUtf8(GetOutputIniPath()));
    Program program;
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(MainWindowUp());
    CloseMain();
    const Geometry prompt = Prompt();
    ASSERT_TRUE(prompt.viewable) << "closing asks first";
    EXPECT_EQ(prompt.width, 340);
    EXPECT_EQ(prompt.height, 189);
    for (Act act : row.acts) Do(act, prompt);
    switch (row.after) {
      case After::kHidden:
        EXPECT_TRUE(WaitFor([] { return !Find(kMainTitle).viewable; })) << "the main window is unmapped";
        Sleep(800);
        EXPECT_TRUE(program.Alive()) << "the program runs on";
        EXPECT_TRUE(Find(kMainTitle).found);
        ExitFromFlowMenu();
        break;
      case After::kUnchanged:
        EXPECT_TRUE(WaitFor([] { return !Find(kPromptTitle).viewable; })) << "the prompt is gone";
        Sleep(800);
        EXPECT_TRUE(program.Alive());
        EXPECT_TRUE(Find(kMainTitle).viewable) << "the main window stays";
        ExitFromFlowMenu();
        break;
      case After::kExited:
        break;
    }
    ASSERT_TRUE(program.EndsCleanly()) << "the process ends with 0";
    EXPECT_EQ(MoreSetting(L"common_show_closetip"), row.showCloseTip);
    EXPECT_EQ(MoreSetting(L"common_close_hide"), row.closeHide);
    // The output settings were written as well, not just created empty.
    CFileIni output;
    output.SetFile(GetOutputIniPath().c_str());
    output.SetSection(L"OUTPUT");
    EXPECT_NE(output.ReadInt(L"output_format", -1), -1) << "config-output.ini holds the output settings";
  }
}

// A remembered choice: no prompt for the rest of the run, nor after a
// restart, where only config-more.ini carries it.
TEST_F(ProgramClose, ARememberedChoiceIsNotAskedAgain) {
  {
    Program program;
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(MainWindowUp());
    CloseMain();
    const Geometry prompt = Prompt();
    ASSERT_TRUE(prompt.viewable);
    Do(Act::kMinimise, prompt);
    Do(Act::kRemember, prompt);
    Do(Act::kOk, prompt);
    ASSERT_TRUE(WaitFor([] { return !Find(kMainTitle).viewable; }));
    // A second start brings the hidden window back.
    Program second;
    ASSERT_TRUE(second.Started());
    EXPECT_TRUE(second.EndsCleanly(20000));
    ASSERT_TRUE(WaitFor([] { return Find(kMainTitle).viewable; })) << "the second start shows the first window";
    Sleep(500);
    CloseMain();
    EXPECT_TRUE(WaitFor([] { return !Find(kMainTitle).viewable; })) << "closed again: hidden at once";
    EXPECT_FALSE(Find(kPromptTitle).viewable) << "without a prompt";
    EXPECT_TRUE(program.Alive());
    ExitFromFlowMenu();
    ASSERT_TRUE(program.EndsCleanly());
    EXPECT_EQ(MoreSetting(L"common_show_closetip"), 0);
    EXPECT_EQ(MoreSetting(L"common_close_hide"), 1);
  }
  // Restarted with the file: hidden without a prompt. Then the file says
  // exit, still without a prompt.
  for (const int hide : {1, 0}) {
    SeedMoreSettings(0, hide);
    Program program;
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(MainWindowUp());
    CloseMain();
    if (hide) {
      EXPECT_TRUE(WaitFor([] { return !Find(kMainTitle).viewable; })) << "hidden";
      EXPECT_FALSE(Find(kPromptTitle).viewable);
      EXPECT_TRUE(program.Alive());
      ExitFromFlowMenu();
    } else {
      EXPECT_FALSE(Find(kPromptTitle).viewable);
    }
    ASSERT_TRUE(program.EndsCleanly()) << hide;
    EXPECT_EQ(MoreSetting(L"common_show_closetip"), 0);
    EXPECT_EQ(MoreSetting(L"common_close_hide"), hide);
  }
}

}  // namespace
