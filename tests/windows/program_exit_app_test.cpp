// The program as its own process under a window manager and a tray
// manager: an exit from the floating window's menu, the tray icon's menu or
// a desktop logout's SIGTERM while one of its dialogs is open ends the
// dialog, then the program, with exit code 0 and its settings written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <vector>

#include "base/FileIni.h"
#include "logic/DataFiles.h"
#include "desktop_session.h"
#include "program_process.h"
// Last: Xlib's macros (Status, None, Bool) would rename the program's names.
#include "../platform-display/popup_levels.h"
#include <X11/keysym.h>

namespace {

using namespace program_process;

enum class Dialog { kSettings, kTimerTasks, kAbout, kClosePrompt };
enum class ExitBy { kFlowMenu, kTrayMenu, kSigterm };

class ProgramExit : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(userDisplay(), nullptr) << "these tests need an X display";
    // The program's windows come and go while the tree is read.
    vanishingWindowsAllowed_.emplace();
    screen_ = DisplayWidth(userDisplay(), DefaultScreen(userDisplay()));
  }
  void TearDown() override { vanishingWindowsAllowed_.reset(); }


  // Opens the dialog by real clicks at its button's place in the 760 x 640
  // main layout at 100 %; the dialog's title.
  static const char* Open(Dialog dialog) {
    const Geometry main = Find(kMainTitle);
    switch (dialog) {
      case Dialog::kSettings:
        ClickAt(main.x + 604, main.y + 555);  // "更多设置"
        return kSettingsTitle;
      case Dialog::kTimerTasks:
        ClickAt(main.x + 510, main.y + 555);  // "创建任务"
        return kTimerTasksTitle;
      case Dialog::kAbout: {
        const size_t before = viewablePopups().size();
        ClickAt(main.x + main.width - 111, main.y + 22);  // the caption's menu button
        WaitFor([&] { return viewablePopups().size() > before; }, 5000);
        Sleep(300);
        for (int i = 0; i < 4; ++i) tapKey(XK_Down);  // "关于我们", the fourth item
        tapKey(XK_Return);
        return kAboutTitle;
      }
      case Dialog::kClosePrompt:
        ClickAt(main.x + main.width - 21, main.y + 22);  // the caption's close button
        return kPromptTitle;
    }
    return "";
  }

  // A right click on `x`, `y` opens a menu whose third item is "退出主程序";
  // it is chosen with the keys.
  static void ChooseExitFromMenuAt(int x, int y) {
    const size_t before = viewablePopups().size();
    ClickAt(x, y, 3);
    ASSERT_TRUE(WaitFor([&] { return viewablePopups().size() > before; }, 5000)) << "no menu";
    Sleep(300);
    for (int i = 0; i < 3; ++i) tapKey(XK_Down);
    tapKey(XK_Return);
  }

  void Exit(ExitBy by, Program& program) {
    switch (by) {
      case ExitBy::kFlowMenu: {
        Geometry flow = Find(kFlowTitle);
        ASSERT_TRUE(flow.viewable) << "the floating window is shown";
        // Wherever the window manager put it: the pointer over its visible
        // part brings it out of a dock at the edge.
        const auto visibleMiddle = [&](const Geometry& g) {
          return (std::max(g.x, 0) + std::min(g.x + g.width, screen_)) / 2;
        };
        moveMouse(visibleMiddle(flow), flow.y + 12);
        Sleep(1200);
        flow = Find(kFlowTitle);
        ChooseExitFromMenuAt(visibleMiddle(flow), flow.y + 12);
        break;
      }
      case ExitBy::kTrayMenu: {
        const Geometry icon = FindTrayIcon();
        ASSERT_TRUE(icon.viewable) << "the tray icon is docked";
        ChooseExitFromMenuAt(icon.x + icon.width / 2, icon.y + icon.height / 2);
        break;
      }
      case ExitBy::kSigterm:
        program.Signal(SIGTERM);
        break;
    }
  }

  static int ReadInt(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
    CFileIni ini;
    ini.SetFile(path.c_str());
    ini.SetSection(section);
    return ini.ReadInt(key, -1);
  }

  int screen_ = 0;
  std::optional<VanishingWindowsAllowed> vanishingWindowsAllowed_;
};

TEST_F(ProgramExit, EveryExitPathWithADialogOpenEndsCleanlyAndSavesTheSettings) {
  ScopedDesktop desktop;
  ASSERT_TRUE(desktop.running()) << "openbox and trayer run";
  const std::pair<const char*, Dialog> dialogs[] = {
      {"settings", Dialog::kSettings},
      {"timer tasks", Dialog::kTimerTasks},
      {"about", Dialog::kAbout},
      {"close prompt", Dialog::kClosePrompt},
  };
  const std::pair<const char*, ExitBy> exits[] = {
      {"floating window's menu", ExitBy::kFlowMenu},
      {"tray menu", ExitBy::kTrayMenu},
      {"SIGTERM", ExitBy::kSigterm},
  };
  for (const auto& [dialogName, dialog] : dialogs) {
    for (const auto& [exitName, exitBy] : exits) {
      SCOPED_TRACE(std::string(dialogName) + " open, exit from the " + exitName);
      // Nothing stored: a clean exit writes both files with every value.
      std::filesystem::remove(WideToUtf8(GetMoreIniPath()));
      std::filesystem::remove(WideToUtf8(GetOutputIniPath()));
      std::filesystem::remove(WideToUtf8(GetTimerXmlPath()));
      Program program;
      ASSERT_TRUE(program.Started());
      ASSERT_TRUE(MainWindowUp());
      const char* title = Open(dialog);
      ASSERT_TRUE(WaitFor([&] { return Find(title).viewable; }, 10000)) << "the dialog opens: " << title;
      Sleep(1500);  // the elapsed-time timer ticks inside the dialog's loop
      Exit(exitBy, program);
      EXPECT_TRUE(program.EndsCleanly()) << program.HowItEnded();
      EXPECT_NE(ReadInt(GetMoreIniPath(), L"Common", L"common_show_closetip"), -1) << "config-more.ini written";
      EXPECT_NE(ReadInt(GetOutputIniPath(), L"OUTPUT", L"output_format"), -1) << "config-output.ini written";
      EXPECT_TRUE(std::filesystem::exists(WideToUtf8(GetTimerXmlPath()))) << "the timer tasks written";
      if (HasFailure()) return;
    }
  }
}

}  // namespace
