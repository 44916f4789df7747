// The program as its own process with a real tray manager (trayer) under a
// window manager (openbox): its icon docks, real clicks on it show and
// hide the main window, its menu's commands act, and a window minimised by
// the close prompt stays within reach, through the icon or, with no tray
// on the screen, on the taskbar.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "logic/DataFiles.h"
#include "desktop_session.h"
#include "program_process.h"
// Last: Xlib's macros (Status, None, Bool) would rename the program's names.
#include "../platform-display/popup_levels.h"
#include <X11/keysym.h>

namespace {

using namespace program_process;

class ProgramTray : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(userDisplay(), nullptr) << "these tests need an X display";
    // The program's windows come and go while the tree is read.
    vanishingWindowsAllowed_.emplace();
    std::filesystem::remove(WideToUtf8(GetMoreIniPath()));
  }
  void TearDown() override { vanishingWindowsAllowed_.reset(); }

  static void ClickIcon(unsigned button = 1) {
    const Geometry icon = FindTrayIcon();
    ClickAt(icon.x + icon.width / 2, icon.y + icon.height / 2, button);
  }
  // The tray menu's item `index` (1 show or hide the floating window, 2 the
  // main window, 3 exit), chosen with the keys.
  static ::testing::AssertionResult ChooseFromTrayMenu(int index) {
    // Counted with the pointer away: over the icon its tip is a pop-up too.
    moveMouse(300, 300);
    Sleep(300);
    const size_t before = viewablePopups().size();
    ClickIcon(3);
    if (!WaitFor([&] { return viewablePopups().size() > before; }, 5000))
      return ::testing::AssertionFailure() << "no tray menu";
    Sleep(300);
    for (int i = 0; i < index; ++i) tapKey(XK_Down);
    tapKey(XK_Return);
    return ::testing::AssertionSuccess();
  }
  // "最小化程序" in the close prompt, at its place in the 340 x 189 layout.
  static ::testing::AssertionResult MinimiseThroughThePrompt() {
    const Geometry main = Find(kMainTitle);
    ClickAt(main.x + main.width - 21, main.y + 22);
    if (!WaitFor([] { return Find(kPromptTitle).viewable; }, 8000)) return ::testing::AssertionFailure() << "no prompt";
    Sleep(400);
    const Geometry prompt = Find(kPromptTitle);
    ClickAt(prompt.x + 60, prompt.y + 72);
    ClickAt(prompt.x + 260, prompt.y + 152);
    return ::testing::AssertionSuccess();
  }
  static bool MainShown() { return Find(kMainTitle).viewable; }
  static bool FlowShown() { return Find(kFlowTitle).viewable; }

  std::optional<VanishingWindowsAllowed> vanishingWindowsAllowed_;
};

TEST_F(ProgramTray, TheIconDocksAndItsClicksAndMenuDriveTheWindows) {
  ScopedDesktop desktop;
  ASSERT_TRUE(desktop.running()) << "openbox and trayer run";
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(MainWindowUp());
  ASSERT_TRUE(WaitFor([] { return FindTrayIcon().viewable; }, 10000)) << "the icon is docked in the tray";
  const Geometry icon = FindTrayIcon();
  EXPECT_GT(icon.y, -1);
  EXPECT_LT(icon.y, 40) << "inside the panel at the top edge";

  // A click hides the shown window and shows the hidden one; clicks apart
  // by more than the double-click time.
  ClickIcon();
  EXPECT_TRUE(WaitFor([] { return !MainShown(); }, 5000)) << "a click hides the main window";
  Sleep(800);
  ClickIcon();
  EXPECT_TRUE(WaitFor(MainShown, 5000)) << "a second click shows it";
  Sleep(800);
  // A double click shows the window, whether it was hidden or shown (its
  // first press hides a shown one).
  const auto doubleClick = [] {
    const Geometry at = FindTrayIcon();
    moveMouse(at.x + at.width / 2, at.y + at.height / 2);
    Sleep(150);
    clickButton(1);
    clickButton(1);
    Sleep(1000);
  };
  ClickIcon();
  ASSERT_TRUE(WaitFor([] { return !MainShown(); }, 5000));
  Sleep(800);
  doubleClick();
  EXPECT_TRUE(MainShown()) << "a double click shows the hidden window";
  Sleep(800);
  doubleClick();
  EXPECT_TRUE(MainShown()) << "and leaves the shown one shown";
  Sleep(800);

  // The menu: the floating window's item follows its state; "打开主界面".
  ASSERT_TRUE(WaitFor(FlowShown, 5000)) << "the floating window is shown at start";
  ASSERT_TRUE(ChooseFromTrayMenu(1));
  EXPECT_TRUE(WaitFor([] { return !FlowShown(); }, 5000)) << "\"隐藏悬浮球\" hides it";
  ASSERT_TRUE(ChooseFromTrayMenu(1));
  EXPECT_TRUE(WaitFor(FlowShown, 5000)) << "\"显示悬浮球\" shows it again";
  ClickIcon();
  ASSERT_TRUE(WaitFor([] { return !MainShown(); }, 5000));
  Sleep(800);
  ASSERT_TRUE(ChooseFromTrayMenu(2));
  EXPECT_TRUE(WaitFor(MainShown, 5000)) << "\"打开主界面\" brings the main window";

  // Minimised through the close prompt: hidden, and back from the icon.
  Sleep(500);
  ASSERT_TRUE(MinimiseThroughThePrompt());
  EXPECT_TRUE(WaitFor([] { return !MainShown(); }, 5000)) << "hidden to the tray";
  EXPECT_NE(WmState(Find(kMainTitle).xid), 3) << "not on the taskbar";
  ClickIcon();
  EXPECT_TRUE(WaitFor(MainShown, 5000)) << "the icon brings it back";

  ASSERT_TRUE(ChooseFromTrayMenu(3));
  EXPECT_TRUE(program.EndsCleanly()) << "\"退出主程序\": " << program.HowItEnded();
}

TEST_F(ProgramTray, WithNoTrayOnTheScreenMinimisingGoesToTheTaskbar) {
  ScopedDesktop desktop;
  ASSERT_TRUE(desktop.running()) << "openbox and trayer run";
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(MainWindowUp());
  ASSERT_TRUE(WaitFor([] { return FindTrayIcon().viewable; }, 10000)) << "docked first";
  // The tray goes away (a panel that crashed, a desktop without one).
  desktop.StopTray();
  ASSERT_FALSE(TrayOwned());
  ASSERT_TRUE(MinimiseThroughThePrompt());
  ASSERT_TRUE(WaitFor([] { return WmState(Find(kMainTitle).xid) == 3; }, 5000))
      << "iconic on the taskbar, not withdrawn: " << WmState(Find(kMainTitle).xid);
  EXPECT_TRUE(program.Alive());
  program.Signal(SIGTERM);
  EXPECT_TRUE(program.EndsCleanly()) << program.HowItEnded();
}

}  // namespace
