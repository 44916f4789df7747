// The output folder a new user records into: the music folder named by
// user-dirs.dirs, else ~/Music, followed by the program's folder name; the
// settings file falls back to it when it names none.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/CodePage.h"
#include "logic/ArgOutput.h"
#include "logic/DataFiles.h"
#include "logic/FileOutputArgument.h"

namespace {

class DefaultOutputFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = getenv("HOME");
    config_ = home_ + "/.config-music";
    std::filesystem::create_directories(config_);
    oldConfig_ = getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "";
    setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
  }
  void TearDown() override {
    std::filesystem::remove_all(config_);
    if (oldConfig_.empty())
      unsetenv("XDG_CONFIG_HOME");
    else
      setenv("XDG_CONFIG_HOME", oldConfig_.c_str(), 1);
  }
  void UserDirs(const std::string& text) {
    if (text.empty())
      std::filesystem::remove(config_ + "/user-dirs.dirs");
    else
      std::ofstream(config_ + "/user-dirs.dirs") << text;
  }
  std::wstring W(const std::string& s) { return Utf8ToWStringRet(s); }

  std::string home_, config_, oldConfig_;
};

TEST_F(DefaultOutputFolder, TheMusicFolderWithTheProgramsName) {
  const struct {
    const char* name;
    std::string userDirs;  // empty: no file
    std::string expected;  // "~" stands for the home folder
  } cases[] = {
      {"no user-dirs.dirs", "", "~/Music/Velmora电脑录音软件"},
      {"music under the home", "XDG_DESKTOP_DIR=\"$HOME/桌面\"\nXDG_MUSIC_DIR=\"$HOME/音乐\"\n",
       "~/音乐/Velmora电脑录音软件"},
      {"music elsewhere, trailing slash", "# by hand\nXDG_MUSIC_DIR=\"/srv/音乐/\"\n", "/srv/音乐/Velmora电脑录音软件"},
      {"only the desktop named", "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", "~/Music/Velmora电脑录音软件"},
      {"a relative music entry", "XDG_MUSIC_DIR=\"music\"\n", "~/Music/Velmora电脑录音软件"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    UserDirs(c.userDirs);
    std::string expected = c.expected;
    if (expected[0] == '~') expected = home_ + expected.substr(1);
    EXPECT_EQ(CArgOutput::DefaultOutputDir(), W(expected));
    EXPECT_EQ(CArgOutput().output_dir, W(expected));
  }
}

TEST_F(DefaultOutputFolder, ASettingsFileWithoutAFolderGivesTheMusicFolder) {
  UserDirs("XDG_MUSIC_DIR=\"$HOME/音乐\"\n");
  ASSERT_TRUE(EnsureDataFolder());
  std::remove(WStringToUtf8Ret(GetOutputIniPath()).c_str());
  CFileOutputArgument file(true);
  EXPECT_EQ(file.m_arg.output_dir, W(home_ + "/音乐/Velmora电脑录音软件"));
}

}  // namespace
