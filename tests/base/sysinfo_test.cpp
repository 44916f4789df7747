// Special folders from the XDG folders, operating-system facts, the
// processor signature, disk identities, the screen hook and WM_COPYDATA.
#include <stdlib.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cwctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/AppFolders.h"
#include "base/CodePage.h"
#include "base/SysInfo.h"
#include "win32/windows.h"

namespace {

// The test runs in a fresh home: point the XDG variables at known folders.
class SpecialFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = std::string(getenv("HOME"));
    setenv("XDG_DATA_HOME", (home_ + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home_ + "/cfg").c_str(), 1);
    std::filesystem::create_directories(home_ + "/cfg");
  }
  void TearDown() override { std::filesystem::remove(home_ + "/cfg/user-dirs.dirs"); }
  std::wstring W(const std::string& s) { return Utf8ToWStringRet(s); }
  std::string home_;
};

TEST_F(SpecialFolders, FolderTable) {
  const struct {
    int csidl;
    std::string expected;  // relative to the home folder; "" for none
  } cases[] = {
      {CSIDL_COMMON_APPDATA, "/data/"},
      {CSIDL_APPDATA, "/data/"},
      {CSIDL_DESKTOP, "/Desktop/"},
      {CSIDL_DESKTOPDIRECTORY, "/Desktop/"},
      {CSIDL_MYMUSIC, "/Music/"},
      {CSIDL_MYPICTURES, "/Pictures/"},
      {CSIDL_MYVIDEO, "/Videos/"},
      {CSIDL_PERSONAL, "/Documents/"},
      {CSIDL_PROGRAMS, "/data/applications/"},
      {CSIDL_FONTS, "/data/fonts/"},
      {CSIDL_STARTUP, "/cfg/autostart/"},
      {CSIDL_PROFILE, "/"},
  };
  for (const auto& c : cases) {
    std::wstring path;
    CSysSpecialFolder::GetPath(path, c.csidl);
    EXPECT_EQ(path, W(home_ + c.expected)) << c.csidl;
    EXPECT_EQ(path.find(L'\\'), std::wstring::npos);
  }
  for (int none : {CSIDL_FAVORITES, CSIDL_RECENT, CSIDL_WINDOWS, CSIDL_PROGRAM_FILES, 9999}) {
    std::wstring path = L"stale";
    CSysSpecialFolder::GetPath(path, none);
    EXPECT_EQ(path, L"") << none;
  }
  EXPECT_EQ(CSysSpecialFolder::GetCommonAppData(), W(home_ + "/data/"));
  EXPECT_EQ(CSysSpecialFolder::GetDownloadsFolder(), W(home_ + "/Downloads"));
}

TEST_F(SpecialFolders, UserDirsFileIsFollowed) {
  std::ofstream(home_ + "/cfg/user-dirs.dirs")
      << "# written by xdg-user-dirs-update\n"
      << "XDG_MUSIC_DIR=\"$HOME/音乐\"\n"
      << "XDG_DOWNLOAD_DIR=\"/srv/dl/\"\n"
      << "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n";
  EXPECT_EQ(CSysSpecialFolder::GetMyMusic(), W(home_ + "/音乐/"));
  EXPECT_EQ(CSysSpecialFolder::GetDesktop(), W(home_ + "/桌面/"));
  EXPECT_EQ(CSysSpecialFolder::GetDownloadsFolder(), L"/srv/dl");
  EXPECT_EQ(CSysSpecialFolder::GetMyPictures(), W(home_ + "/Pictures/"));  // not listed
}

// The special folders and the program's own folder helpers name the same
// folders whatever the environment holds: a home with a trailing slash, a
// relative home (ignored, as the passwd entry then counts) or none at all.
TEST_F(SpecialFolders, AgreeWithTheProgramsFolders) {
  std::filesystem::create_directories(home_ + "/cfg");
  unsetenv("XDG_DATA_HOME");
  for (const char* home : std::initializer_list<const char*>{"<home>/", "relative/home", nullptr}) {
    if (!home) {
      unsetenv("HOME");
    } else {
      std::string value = home;
      if (value.rfind("<home>", 0) == 0) value = home_ + value.substr(6);
      setenv("HOME", value.c_str(), 1);
    }
    const std::wstring data = std::wstring(GetCommonAppDataPath().c_str()) + L"/";
    ASSERT_NE(data, L"/") << (home ? home : "no HOME");
    EXPECT_EQ(CSysSpecialFolder::GetCommonAppData(), data) << (home ? home : "no HOME");
    EXPECT_EQ(CSysSpecialFolder::GetAppData(), data) << (home ? home : "no HOME");
    EXPECT_EQ(CSysSpecialFolder::GetMyMusic(), std::wstring(GetCommonMusicPath().c_str()) + L"/")
        << (home ? home : "no HOME");
    EXPECT_EQ(CSysSpecialFolder::GetDesktop(), GetDesktopDir() + L"/") << (home ? home : "no HOME");
  }
  setenv("HOME", home_.c_str(), 1);
}

TEST(SysInfo, OperatingSystemFromUname) {
  struct utsname info {};
  ASSERT_EQ(uname(&info), 0);
  EXPECT_EQ(CSysInfo::GetOSName(), Utf8ToWStringRet(std::string(info.sysname) + " " + info.release));
  EXPECT_EQ(CSysInfo::GetOSBits(), 64);  // the project builds for x86-64 only
  EXPECT_TRUE(CSysInfo::Is64BitOS());
  EXPECT_EQ(CSysInfo::GetProcessBits(), 64);
}

TEST(SysInfo, ScreenSizeComesFromTheDisplayHook) {
  int w = -1, h = -1;
  EXPECT_FALSE(CSysInfo::GetScreenSize(w, h));
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
  base::SetScreenSizeProvider([](int& width, int& height) {
    width = 1920;
    height = 1080;
    return true;
  });
  EXPECT_TRUE(CSysInfo::GetScreenSize(w, h));
  EXPECT_EQ(w, 1920);
  EXPECT_EQ(h, 1080);
  base::SetScreenSizeProvider([](int& width, int&) {
    width = 5;
    return false;
  });
  EXPECT_FALSE(CSysInfo::GetScreenSize(w, h));
  EXPECT_EQ(w, 0);
  base::SetScreenSizeProvider(nullptr);
}

TEST(Cpuid, SignatureIsEdxThenEaxOfLeafOne) {
  uint32_t regs[4];
  CCPUID::cpuid1(regs);
  std::wstring id = CCPUID::getCpuId();
  ASSERT_EQ(id.size(), 16u);
  for (wchar_t c : id) EXPECT_TRUE(std::iswxdigit(c) && !std::iswlower(c)) << int(c);
  EXPECT_EQ(std::stoul(id.substr(0, 8), nullptr, 16), regs[3]);
  EXPECT_EQ(std::stoul(id.substr(8), nullptr, 16), regs[0]);
  uint32_t leaf0[4] = {};
  CCPUID::cpuidEx(0, 0, leaf0);
  EXPECT_GE(leaf0[0], 1u);  // the highest leaf, so leaf 1 exists
  CCPUID::cpuidEx(0, 0, nullptr);
}

TEST(HardDisks, ListingMatchesSysfs) {
  CHardDiskInfo info;
  std::vector<std::string> disks = CHardDiskInfo::PhysicalDisks();
  EXPECT_EQ(info.getAllHDInfo(), !disks.empty());
  EXPECT_EQ(info.disks().size(), std::min<size_t>(disks.size(), 16));
  for (size_t i = 0; i < info.disks().size(); ++i) {
    CHardDiskRecord direct;
    ASSERT_TRUE(info.getHDInfo(L"/dev/" + Utf8ToWStringRet(disks[i]), direct));
    EXPECT_EQ(direct.product, info.disks()[i].product);
    EXPECT_EQ(direct.serial, info.disks()[i].serial);
  }
  CHardDiskRecord none;
  none.vendor = L"stale";
  EXPECT_FALSE(info.getHDInfo(L"/dev/no-such-disk", none));
  EXPECT_EQ(none.vendor, L"");
  EXPECT_EQ(std::wstring(info.getLastError()).rfind(L"Err:CreateFile,CHardDiskInfo::getHDInfo", 0), 0u);
  EXPECT_FALSE(info.getHDInfo(L"../../etc", none));
  EXPECT_FALSE(info.getHDInfoByIndex(static_cast<int>(disks.size()), none));
}

LRESULT CALLBACK CopyDataReceiver(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COPYDATA) {
    auto* record = reinterpret_cast<COPYDATASTRUCT*>(lp);
    auto* seen = reinterpret_cast<std::string*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    seen->assign(static_cast<const char*>(record->lpData), record->cbData);
    return record->dwData == 0 ? 1 : 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

TEST(CopyData, SendsTheRealSizeOfTheData) {
  WNDCLASSW wc {};
  wc.lpfnWndProc = CopyDataReceiver;
  wc.lpszClassName = L"SysInfoCopyDataReceiver";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  std::string seen;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&seen));

  const char payload[] = "twelve bytes";
  EXPECT_TRUE(CSysSpecialFolder::SendCopyData(payload, 12, window));
  EXPECT_EQ(seen, "twelve bytes");
  EXPECT_TRUE(CSysSpecialFolder::SendCopyData(window, payload, 3));
  EXPECT_EQ(seen, "twe");
  EXPECT_FALSE(CSysSpecialFolder::SendCopyData(payload, 12, nullptr));
  DestroyWindow(window);
}

}  // namespace
