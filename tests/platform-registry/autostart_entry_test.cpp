// The Run value of the current user and the autostart entry that stands for
// it: written with the value, valid for desktop-file-validate, removed with it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "registry/registry.h"

namespace {

std::string Narrow(const std::wstring& w) {
  std::string out;
  for (wchar_t c : w) out += static_cast<char>(c);
  return out;
}

std::string ReadText(const std::wstring& path) {
  std::ifstream in(Narrow(path), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::wstring& path) {
  struct stat st;
  return stat(Narrow(path).c_str(), &st) == 0;
}

LONG SetSz(HKEY key, const wchar_t* name, const std::wstring& text) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * 2));
}

HKEY OpenRun(HKEY root) {
  HKEY run = nullptr;
  EXPECT_EQ(RegOpenKeyExW(root, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_ALL_ACCESS, &run),
            ERROR_SUCCESS);
  return run;
}

TEST(AutostartEntry, FollowsTheRunValueAndValidates) {
  struct Case {
    std::wstring command;
    std::string exec;
  };
  const Case cases[] = {
      {L"\"/opt/q v/Quorvale\"", "Exec=\"/opt/q v/Quorvale\""},
      {L"/opt/q/Quorvale --min", "Exec=/opt/q/Quorvale --min"},
      {L"\"/opt/$a`b/100%\\x\"", "Exec=\"/opt/\\\\$a\\\\`b/100%%\\\\\\\\x\""},
  };
  HKEY run = OpenRun(HKEY_CURRENT_USER);
  std::wstring entry = registry::AutostartEntryPath(L"Quorvale");
  ASSERT_FALSE(entry.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.command));
    ASSERT_EQ(SetSz(run, L"Quorvale", c.command), ERROR_SUCCESS);
    std::string text = ReadText(entry);
    EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(text.find("\nName=Quorvale\n"), std::string::npos);
    EXPECT_NE(text.find("\n" + c.exec + "\n"), std::string::npos) << text;
    std::string cmd = "desktop-file-validate '" + Narrow(entry) + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << text;
  }
  ASSERT_EQ(RegDeleteValueW(run, L"quorvale"), ERROR_SUCCESS);
  EXPECT_FALSE(Exists(entry));
  EXPECT_EQ(RegDeleteValueW(run, L"Quorvale"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(run);
}

TEST(AutostartEntry, OnlyTheCurrentUsersRunKeyWritesEntries) {
  HKEY machine = OpenRun(HKEY_LOCAL_MACHINE);
  ASSERT_EQ(SetSz(machine, L"Other", L"/bin/true"), ERROR_SUCCESS);
  EXPECT_FALSE(Exists(registry::AutostartEntryPath(L"Other")));
  RegCloseKey(machine);

  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Run", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(SetSz(key, L"Other", L"/bin/true"), ERROR_SUCCESS);
  EXPECT_FALSE(Exists(registry::AutostartEntryPath(L"Other")));
  RegCloseKey(key);

  // A value that is no command any more takes its entry with it.
  HKEY run = OpenRun(HKEY_CURRENT_USER);
  ASSERT_EQ(SetSz(run, L"Other", L"/bin/true"), ERROR_SUCCESS);
  EXPECT_TRUE(Exists(registry::AutostartEntryPath(L"Other")));
  DWORD one = 1;
  ASSERT_EQ(RegSetValueExW(run, L"Other", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4), ERROR_SUCCESS);
  EXPECT_FALSE(Exists(registry::AutostartEntryPath(L"Other")));
  // Nor does a text that names no program: the value is kept, as Windows
  // keeps it, and starts nothing.
  for (const wchar_t* nothing : {L"", L"  ", L"\"\""}) {
    ASSERT_EQ(SetSz(run, L"Other", L"/bin/true"), ERROR_SUCCESS);
    EXPECT_EQ(SetSz(run, L"Other", nothing), ERROR_SUCCESS);
    EXPECT_FALSE(Exists(registry::AutostartEntryPath(L"Other")));
  }
  ASSERT_EQ(SetSz(run, L"Other", L""), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(run, L"Other", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 2u);
  RegCloseKey(run);
}

TEST(AutostartEntry, AnEntryThatCannotBeWrittenLeavesTheValueOut) {
  std::wstring entry = registry::AutostartEntryPath(L"Quorvale");
  std::string folder = Narrow(entry.substr(0, entry.rfind(L'/')));
  // A file where the folder should be: the entry cannot be written.
  std::string parent = folder.substr(0, folder.rfind('/'));
  mkdir(parent.c_str(), 0700);
  rmdir(folder.c_str());
  std::ofstream(folder) << "x";
  HKEY run = OpenRun(HKEY_CURRENT_USER);
  EXPECT_EQ(SetSz(run, L"Quorvale", L"/bin/true"), ERROR_WRITE_FAULT);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(run, L"Quorvale", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(run);
  std::remove(folder.c_str());
}

}  // namespace
