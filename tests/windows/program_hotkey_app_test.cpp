// The program as its own process under a window manager: a combination
// typed into the settings dialog's hot-key fields the way a tool types it,
// every key pressed and released within a few milliseconds, is stored with
// its modifiers.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/FileIni.h"
#include "logic/DataFiles.h"
#include "app_fixture.h"
#include "desktop_session.h"
#include "program_process.h"

namespace {

using namespace program_process;

int HotKeyValue(const wchar_t* key) {
  CFileIni ini;
  ini.SetFile(GetMoreIniPath().c_str());
  ini.SetSection(L"HotKey");
  return ini.ReadInt(key, -1);
}

TEST(ProgramHotKey, QuicklyTypedCombinationsKeepTheirModifiers) {
  ASSERT_NE(userDisplay(), nullptr);
  const VanishingWindowsAllowed vanishingWindowsAllowed;
  std::filesystem::remove(WideToUtf8(GetMoreIniPath()));
  ScopedDesktop desktop(false);
  ASSERT_TRUE(desktop.running()) << "openbox runs";
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(MainWindowUp());
  ASSERT_TRUE(OpenSettings()) << "the settings dialog opens";
  const Geometry dialog = Find(kSettingsTitle);
  ClickAt(dialog.x + 60, dialog.y + 94);  // the "快捷键" page
  struct Row {
    const char* keys;  // as xdotool names them
    int fieldY;        // the field's middle in the 510 x 350 dialog
    const wchar_t *keyName, *modName;
    int vk, mod;
  };
  const Row rows[] = {
      {"ctrl+F9", 111, L"hotkey_startend_key", L"hotkey_startend_mod", 0x78, 2},
      {"ctrl+shift+F7", 153, L"hotkey_paused_key", L"hotkey_paused_mod", 0x76, 2 | 4},
  };
  for (const Row& row : rows) {
    ClickAt(dialog.x + 377, dialog.y + row.fieldY);
    Sleep(300);
    int status = 0;
    RunCommand(std::string("xdotool key --delay 0 ") + row.keys, &status);
    EXPECT_EQ(status, 0);
    Sleep(500);
  }
  tapKey(XK_Escape);
  ASSERT_TRUE(WaitFor([] { return !Find(kSettingsTitle).viewable; }, 5000)) << "Esc closed the dialog";
  program.Signal(SIGTERM);
  ASSERT_TRUE(program.EndsCleanly()) << program.HowItEnded();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.keys);
    EXPECT_EQ(HotKeyValue(row.keyName), row.vk);
    EXPECT_EQ(HotKeyValue(row.modName), row.mod);
  }
}

}  // namespace
