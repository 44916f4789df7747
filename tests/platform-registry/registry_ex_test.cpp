// The typed value wrapper and the start-at-logon helper over the store.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "base/PathHelpers.h"
#include "base/RegistryEx.h"
#include "registry/registry.h"

namespace {

const wchar_t kTestKey[] = L"Software\\Quorvale\\Values";

class RegistryExTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void TearDown() override { SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Quorvale"); }

  static std::string ThrownText(const std::function<void()>& action) {
    try {
      action();
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return "(nothing thrown)";
  }
};

TEST_F(RegistryExTest, DwordReadsByStoredSizeAndType) {
  CRegistryEx reg(HKEY_CURRENT_USER, kTestKey, L"n");
  EXPECT_EQ(reg.GetDword(7), 7u);  // missing
  reg.SetDword(123456);
  EXPECT_EQ(reg.GetDword(7), 123456u);
  reg.SetSz(L"42");  // 6 bytes: read as the number the text starts with
  EXPECT_EQ(reg.GetDword(7), 42u);
  reg.SetSz(L"A");  // exactly 4 bytes: taken as they lie, not as a number
  EXPECT_EQ(reg.GetDword(7), 0x41u);
  const BYTE two[] = {1, 2};
  reg.SetBinary(two, 2);
  EXPECT_EQ(ThrownText([&] { reg.GetDword(7); }), "Err:2 != 4,n,CRegistryEx::GetDword");
  reg.SetSz(L"");  // an empty text is stored with 0 bytes, shorter than 4
  EXPECT_EQ(ThrownText([&] { reg.GetDword(7); }), "Err:0 != 4,n,CRegistryEx::GetDword");
}

TEST_F(RegistryExTest, TextsAndBinariesWithTypeChecks) {
  CRegistryEx reg(HKEY_CURRENT_USER, kTestKey, L"t");
  std::wstring text = L"unchanged";
  reg.GetSz(text);
  EXPECT_EQ(text, L"");
  EXPECT_EQ(reg.GetBinary(), nullptr);
  reg.SetSz(L"路径 value");
  reg.GetSz(text);
  EXPECT_EQ(text, L"路径 value");
  EXPECT_EQ(ThrownText([&] { reg.GetBinary(); }), "Err:type not match(1),t,CRegistryEx::GetBinary");

  const BYTE data[] = {9, 8, 7};
  reg.SetBinary(data, 3);
  DWORD size = 0;
  BYTE* back = reg.GetBinary(&size);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(back[0], 9);
  EXPECT_EQ(back[2], 7);
  EXPECT_EQ(ThrownText([&] { reg.GetSz(text); }), "Err:type not match(3),t,CRegistryEx::GetSz");

  EXPECT_TRUE(reg.DeleteValue());
  EXPECT_TRUE(reg.DeleteValue());  // a missing value is no failure
  reg.SetValueName(L"");
  EXPECT_FALSE(reg.DeleteValue());
}

TEST_F(RegistryExTest, FailuresThrowTextsNamingTheMethod) {
  EXPECT_EQ(ThrownText([] { CRegistryEx reg(HKEY_CURRENT_USER, L"Software\\Nobody", L"x"); }),
            "Err:2,Software\\Nobody,CRegistryEx::Key");
  CRegistryEx closed(HKEY_CURRENT_USER, L"", L"v");
  EXPECT_EQ(ThrownText([&] { closed.GetDword(0); }), "Err:hKey is null,v,CRegistryEx::GetDword");
  EXPECT_EQ(ThrownText([&] { closed.GetBinary(); }), "Err:hRegKey is null,v,CRegistryEx::GetBinary");
  EXPECT_EQ(ThrownText([&] { closed.DelSubHKey(L"x"); }), "Err:hKey ==NULL,CRegistryEx::DelSubHKey");
  EXPECT_FALSE(closed.DeleteValue());
}

TEST_F(RegistryExTest, SubKeysDeleteWhenEmptyOrWithEverything) {
  HKEY sub = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quorvale\\Values\\a\\b", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &sub, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(sub);
  CRegistryEx reg(HKEY_CURRENT_USER, kTestKey, L"");
  EXPECT_EQ(reg.DelSubHKey(L"missing"), 2);
  EXPECT_EQ(ThrownText([&] { reg.DelSubHKey(L"a"); }),
            "Err:" + std::to_string(ERROR_KEY_HAS_CHILDREN) + ",a,CRegistryEx::DelSubHKey");
  EXPECT_EQ(reg.DelSubHKeyRecurse(L"a"), 0);
  EXPECT_EQ(reg.DelSubHKey(L"a"), 2);
}

TEST_F(RegistryExTest, StartRunAddsTestsAndRemovesItsValue) {
  CWinStartRun run;
  std::wstring self;
  ASSERT_TRUE(GetModuleFilePath(self));
  EXPECT_FALSE(run.IsSelfSet(L"QvTest", false));
  EXPECT_TRUE(run.AddSelf(L"QvTest", false));
  EXPECT_TRUE(run.IsSelfSet(L"qvtest", false));
  std::wstring upper;
  for (wchar_t c : self) upper += static_cast<wchar_t>(towupper(c));
  EXPECT_TRUE(run.IsSet(L"QvTest", upper, false));
  EXPECT_FALSE(run.IsSet(L"QvTest", L"/elsewhere", false));
  EXPECT_TRUE(run.Remove(L"QvTest", false));
  EXPECT_TRUE(run.Remove(L"QvTest", false));
  EXPECT_FALSE(run.IsSelfSet(L"QvTest", false));
  EXPECT_TRUE(run.Add(L"QvTest", L"/opt/x", true));
  EXPECT_TRUE(run.IsSet(L"QvTest", L"/opt/x", true));
  EXPECT_FALSE(run.IsSet(L"QvTest", L"/opt/x", false));
}

std::string EntryText(const std::wstring& name) {
  std::string path;
  for (wchar_t c : registry::AutostartEntryPath(name)) path += static_cast<char>(c);
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The start-at-logon value must start the one program whatever its path
// holds: the value is one quoted argument, and the autostart entry made
// from it names the same path.
TEST_F(RegistryExTest, StartRunPathsStayOneProgram) {
  const struct {
    const wchar_t* path;
    const wchar_t* stored;
    const char* exec;
  } cases[] = {
      {L"/opt/my app/Quorvale", LR"("/opt/my app/Quorvale")", R"(Exec="/opt/my app/Quorvale")"},
      {LR"(/opt/a "b"/q$%\x)", LR"("/opt/a \"b\"/q$%\x")", R"(Exec="/opt/a \\"b\\"/q\\$%%\\\\x")"},
      {LR"(/opt/dir\)", LR"("/opt/dir\\")", R"(Exec="/opt/dir\\\\")"},
  };
  CWinStartRun run;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exec);
    ASSERT_TRUE(run.Add(L"QvPath", c.path, false));
    CRegistryEx reg(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"QvPath");
    std::wstring stored;
    reg.GetSz(stored);
    EXPECT_EQ(stored, c.stored);
    const std::string entry = EntryText(L"QvPath");
    EXPECT_NE(entry.find(std::string("\n") + c.exec + "\n"), std::string::npos) << entry;
    EXPECT_TRUE(run.IsSet(L"QvPath", c.path, false));
  }
  // A value written bare by an older version still counts as set.
  CRegistryEx(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"QvPath")
      .SetSz(L"/opt/q/Quorvale");
  EXPECT_TRUE(run.IsSet(L"QvPath", L"/opt/q/Quorvale", false));
  EXPECT_FALSE(run.IsSet(L"QvPath", L"/opt/q", false));
  EXPECT_TRUE(run.Remove(L"QvPath", false));
}

}  // namespace
