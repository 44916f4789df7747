// Drives as mount points, the Run value, folder trees, desktop-entry
// shortcuts, shutdown requests and keeping rectangles inside bounds.
#include <unistd.h>

#include <cstdlib>
#include <cwchar>

#include "base/SystemHelpers.h"
#include "scratch_folder.h"

namespace {

std::vector<std::wstring> splitList(const wchar_t* buffer) {
  std::vector<std::wstring> out;
  for (const wchar_t* p = buffer; *p; p += std::wcslen(p) + 1) out.emplace_back(p);
  return out;
}

TEST(Drives, RootsAreMountPointsWithTheRootFirst) {
  wchar_t buffer[4096];
  ASSERT_EQ(GetLogicalDrivesUnelevated(4096, buffer), 0u);
  const auto roots = splitList(buffer);
  ASSERT_FALSE(roots.empty());
  EXPECT_EQ(roots.front(), L"/");
  for (const std::wstring& root : roots) EXPECT_EQ(root.back(), L'/') << root;
  EXPECT_EQ(GetDriveTypeOf(L"/"), DRIVE_FIXED);
  EXPECT_EQ(GetDriveTypeOf(L"relative"), DRIVE_NO_ROOT_DIR);
  // The fixed-size form gives the same list when it fits in MAX_PATH.
  size_t length = 1;
  for (const std::wstring& root : roots) length += root.size() + 1;
  wchar_t fixed[MAX_PATH];
  if (length <= MAX_PATH) {
    ASSERT_EQ(GetLogicalDrivesUnelevated(fixed), 0u);
    EXPECT_EQ(splitList(fixed), roots);
  } else {
    EXPECT_EQ(GetLogicalDrivesUnelevated(fixed), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  }
}

TEST(Drives, ListThatDoesNotFitIsReportedNotCut) {
  wchar_t tiny[2] = {L'x', L'x'};
  EXPECT_EQ(GetLogicalDrivesUnelevated(2, tiny), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(tiny[0], L'\0');
  EXPECT_EQ(tiny[1], L'\0');
}

TEST(Drives, ListGroupsByTypeAndFindsFreeSpace) {
  CDriveList list(true);
  const auto& all = list.GetDrives(-1);
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(all.front(), L"/");
  size_t grouped = 0;
  for (int type = DRIVE_UNKNOWN; type <= DRIVE_RAMDISK; ++type) grouped += list.GetDrives(type).size();
  EXPECT_EQ(grouped, all.size());
  EXPECT_TRUE(list.GetDrives(99).empty());
  EXPECT_EQ(list.GetDriveWithMostFreeSpace(99), L"");
  const std::wstring best = list.GetDriveWithMostFreeSpace(DRIVE_FIXED);
  ASSERT_FALSE(best.empty());
  EXPECT_TRUE(list.HasMostFreeSpace(best, DRIVE_FIXED));
  EXPECT_GT(GetFreeSpaceOfPath(L"/"), 0u);
  EXPECT_EQ(GetFreeSpaceOfPath(L"/no/such/folder/anywhere"), 0u);
}

TEST(Rectangles, MoveInsideKeepsSizeAndRefusesTooLarge) {
  const RECT bounds{0, 0, 100, 80};
  struct Case {
    RECT in;
    bool ok;
    RECT out;
  };
  const Case cases[] = {
      {{-10, 5, 30, 25}, true, {0, 5, 40, 25}},     // out on the left by 10
      {{80, 5, 110, 25}, true, {70, 5, 100, 25}},   // out on the right
      {{5, -7, 25, 13}, true, {5, 0, 25, 20}},      // out at the top
      {{5, 70, 25, 90}, true, {5, 60, 25, 80}},     // out at the bottom
      {{10, 10, 20, 20}, true, {10, 10, 20, 20}},   // inside: unchanged
      {{-5, 0, 101, 10}, false, {-5, 0, 101, 10}},  // wider than the bounds
      {{0, -1, 10, 80}, false, {0, -1, 10, 80}},    // taller than the bounds
  };
  for (const Case& c : cases) {
    RECT r = c.in;
    EXPECT_EQ(MoveRectInside(&r, &bounds), c.ok);
    EXPECT_TRUE(r.left == c.out.left && r.top == c.out.top && r.right == c.out.right &&
                r.bottom == c.out.bottom)
        << c.in.left << "," << c.in.top;
  }
  RECT r{0, 0, 1, 1};
  EXPECT_FALSE(MoveRectInside(&r, nullptr));
  EXPECT_FALSE(MoveRectInside(nullptr, &bounds));
}

TEST(Shutdown, UnknownKindsDoNothing) {
  EXPECT_EQ(ShutdownSystem(3, false), 0);
  EXPECT_EQ(ShutdownSystem(-1, true), 0);
  EXPECT_EQ(EnableShutdownPrivilege(), geteuid() == 0);
}

TEST(RunValue, SetQueryAndDelete) {
  EXPECT_FALSE(SetRunValue(true, L"", L"/usr/bin/true"));
  EXPECT_FALSE(IsRunValuePresent(L"QuorvaleTest"));
  ASSERT_TRUE(SetRunValue(true, L"QuorvaleTest", L"/opt/录音/recorder --tray"));
  EXPECT_TRUE(IsRunValuePresent(L"QuorvaleTest"));
  ASSERT_TRUE(SetRunValue(false, L"QuorvaleTest", nullptr));
  EXPECT_FALSE(IsRunValuePresent(L"QuorvaleTest"));
  // Long values are present too, whatever their length (300 characters are
  // 600 bytes stored but 1200 in memory; 600 characters pass 1024 bytes).
  for (size_t length : {300u, 600u}) {
    const std::wstring longValue(length, L'x');
    ASSERT_TRUE(SetRunValue(true, L"QuorvaleLong", longValue.c_str()));
    EXPECT_TRUE(IsRunValuePresent(L"QuorvaleLong")) << length;
    SetRunValue(false, L"QuorvaleLong", nullptr);
    EXPECT_FALSE(IsRunValuePresent(L"QuorvaleLong")) << length;
  }
}

TEST(ParentPath, CutsTheLastPart) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"/a", L"/a"},            // 3 characters or fewer: as is
      {L"/ab", L"/ab"},
      {L"/abc", L"/"},
      {L"/home/user/file.mp3", L"/home/user"},
      {L"/home/user/", L"/home/user"},
      {L"C:\\dir\\x.lnk", L"C:\\dir"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(GetParentPath(in), out) << in;
}

class FolderTree : public scratch::ScratchFolder {};

TEST_F(FolderTree, CreatesTheMissingFolders) {
  std::filesystem::create_directories(Path("a"));
  EXPECT_TRUE(CreateDirectoryTree(WPath("a/b/c")));
  EXPECT_TRUE(std::filesystem::is_directory(Path("a/b/c")));
  EXPECT_TRUE(CreateDirectoryTree(WPath("a/b/c")));  // already there
  Write("file", "x");
  EXPECT_FALSE(CreateDirectoryTree(WPath("file/sub")));
}

TEST_F(FolderTree, ShortcutIsADesktopEntryInANewFolder) {
  ASSERT_TRUE(CreateShortcutFile(WPath("menu/录音.desktop"), L"/opt/my app/recorder", L"--tray",
                                 L"电脑录音\nsecond line", L"/opt/my app/icon.png", 0));
  const std::string text = Read("menu/录音.desktop");
  EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
  EXPECT_NE(text.find("Exec=\"/opt/my app/recorder\" --tray\n"), std::string::npos);
  EXPECT_NE(text.find("Comment=电脑录音 second line\n"), std::string::npos);
  EXPECT_NE(text.find("Icon=/opt/my app/icon.png\n"), std::string::npos);
  EXPECT_NE(text.find("Path=" + Path("menu").string() + "\n"), std::string::npos);
  Write("blocker", "x");
  EXPECT_FALSE(CreateShortcutFile(WPath("blocker/x.desktop"), L"/bin/true", L"", L"", L"", 0));
}

// The Exec line must give a launcher back exactly the program and arguments:
// reserved characters quoted, '"', '`', '$' and '\' escaped in quotes, '%'
// doubled, and then every '\' doubled again as the string value asks.
TEST_F(FolderTree, ShortcutExecLinesAreEscapedForTheLauncher) {
  const struct {
    const wchar_t* target;
    const wchar_t* arguments;
    const char* exec;
  } cases[] = {
      {L"/opt/a\\b$c%d\"e", L"", R"(Exec="/opt/a\\\\b\\$c%%d\\"e")"},
      {L"/opt/my app/recorder", L"--tray \"C:\\My Files\\x.mp3\" 50%",
       R"(Exec="/opt/my app/recorder" --tray "C:\\\\My Files\\\\x.mp3" 50%%)"},
      {L"/usr/bin/rec", L"say\\\"hi `x`", R"(Exec=/usr/bin/rec "say\\"hi" "\\`x\\`")"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exec);
    ASSERT_TRUE(CreateShortcutFile(WPath("menu/q.desktop"), c.target, c.arguments, L"", L"", 0));
    const std::string text = Read("menu/q.desktop");
    EXPECT_NE(text.find(std::string("\n") + c.exec + "\n"), std::string::npos) << text;
    const std::string validate = "desktop-file-validate '" + Path("menu/q.desktop").string() + "'";
    EXPECT_EQ(std::system(validate.c_str()), 0) << text;
  }
}

}  // namespace
