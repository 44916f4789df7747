// The program as its own process under a window manager (openbox) that
// takes Alt+F4 for itself: the program never sees that Alt's release, and
// still its next dialog takes Esc as a plain key.
#include <gtest/gtest.h>

#include <filesystem>

#include "logic/DataFiles.h"
#include "desktop_session.h"
#include "program_process.h"
// Last: Xlib's macros (Status, None, Bool) would rename the program's names.
#include <X11/keysym.h>

namespace {

using namespace program_process;

TEST(ProgramKeys, AfterTheWindowManagerTookAltF4TheNextDialogTakesEsc) {
  ASSERT_NE(userDisplay(), nullptr);
  const VanishingWindowsAllowed vanishingWindowsAllowed;
  std::filesystem::remove(WideToUtf8(GetMoreIniPath()));
  ScopedDesktop desktop(false);
  ASSERT_TRUE(desktop.running()) << "openbox runs";
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(MainWindowUp());
  ASSERT_TRUE(OpenSettings()) << "the settings dialog opens";
  // Openbox closes the dialog. Alt is let go before F4, while openbox's
  // grab of the keyboard holds: that release goes to openbox alone.
  pressKey(XK_Alt_L);
  pressKey(XK_F4);
  releaseKey(XK_Alt_L);
  releaseKey(XK_F4);
  ASSERT_TRUE(WaitFor([] { return !Find(kSettingsTitle).viewable; }, 5000)) << "Alt+F4 closed the dialog";
  Sleep(500);
  ASSERT_TRUE(program.Alive());

  // The dialog's close button answers Esc; with Alt still held in the
  // program's key state the key would be Alt+Esc, which nothing answers.
  ASSERT_TRUE(OpenSettings()) << "the settings dialog opens again";
  tapKey(XK_Escape);
  EXPECT_TRUE(WaitFor([] { return !Find(kSettingsTitle).viewable; }, 5000)) << "Esc closed the dialog";
  program.Signal(SIGTERM);
  EXPECT_TRUE(program.EndsCleanly()) << program.HowItEnded();
}

}  // namespace
