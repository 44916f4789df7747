// Many keys of one file read from one reading and written in one replace:
// what the batch sees, what reaches the file, and when the file is left
// as it is.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "base/FileIni.h"
#include "base/IniEngine.h"
#include "ini_test_files.h"

namespace {

using ini_test::IniFolder;
using ini_test::ReadText;
using ini_test::Utf16File;
using ini_test::WriteBytes;

ino_t Inode(const std::filesystem::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

class IniBatch : public IniFolder {};

TEST_F(IniBatch, ReadsSeeTheFileAsFirstReadAndTheBatchsOwnChanges) {
  WriteBytes(Path("s.ini"), Utf16File(L"[A]\r\nx=1\r\ny=old\r\n"));
  CFileIni ini;
  ini.SetFile(WPath("s.ini").c_str());
  ini.SetSection(L"A");
  ini.BeginBatch();
  // Another writer changes the file after the batch read it.
  ASSERT_EQ(WritePrivateProfileStringW(L"A", L"x", L"2", WPath("s.ini").c_str()), 1);
  EXPECT_EQ(ini.ReadInt(L"x", 0), 1);
  ASSERT_TRUE(ini.WriteString(L"y", L"new"));
  EXPECT_EQ(ini.ReadString(L"y", L""), L"new");
  EXPECT_EQ(ReadText(Path("s.ini")), L"[A]\r\nx=2\r\ny=old\r\n") << "nothing written before the end";
  ASSERT_TRUE(ini.EndBatch()) << ini.GetLastErrorText();
  // The changes go onto the file as it is now: the other writer's x stays.
  EXPECT_EQ(ReadText(Path("s.ini")), L"[A]\r\nx=2\r\ny=new\r\n");
  EXPECT_EQ(ini.ReadInt(L"x", 0), 2) << "after the batch, reads go to the file again";
}

TEST_F(IniBatch, ManyKeysOfTwoSectionsReachTheFileInOneReplace) {
  WriteBytes(Path("s.ini"), Utf16File(L"; kept\r\n[B]\r\nold=1\r\n"));
  const ino_t before = Inode(Path("s.ini"));
  CFileIni ini;
  ini.SetFile(WPath("s.ini").c_str());
  ini.BeginBatch();
  ini.SetSection(L"A");
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(ini.WriteInt(L"k" + std::to_wstring(i), i));
  ini.SetSection(L"B");
  ASSERT_TRUE(ini.WriteBool(L"flag", true));
  // A value that would break the file's lines is refused alone.
  EXPECT_FALSE(ini.WriteString(L"bad", L"two\r\nlines"));
  EXPECT_FALSE(ini.GetLastErrorText().empty());
  ASSERT_TRUE(ini.EndBatch());
  EXPECT_NE(Inode(Path("s.ini")), before);
  EXPECT_EQ(ReadText(Path("s.ini")), L"; kept\r\n[B]\r\nold=1\r\nflag=1\r\n[A]\r\nk0=0\r\nk1=1\r\nk2=2\r\n");
}

TEST_F(IniBatch, ASaveThatChangesNothingLeavesTheFileAlone) {
  WriteBytes(Path("s.ini"), Utf16File(L"[A]\r\nx=1\r\n"));
  const ino_t before = Inode(Path("s.ini"));
  CFileIni ini;
  ini.SetFile(WPath("s.ini").c_str());
  ini.SetSection(L"A");
  ini.BeginBatch();
  ASSERT_TRUE(ini.WriteInt(L"x", 1));
  ASSERT_TRUE(ini.EndBatch());
  EXPECT_EQ(Inode(Path("s.ini")), before) << "the same text is not written again";
  EXPECT_TRUE(ini.WriteInt(L"x", 1));  // nor by a single write
  EXPECT_EQ(Inode(Path("s.ini")), before);
}

TEST_F(IniBatch, ADamagedFileReadsAsEmptyAndIsSetAsideByTheSave) {
  WriteBytes(Path("s.ini"), "[A]\r\nx=1\r\n");  // no mark: not ours
  CFileIni ini;
  ini.SetFile(WPath("s.ini").c_str());
  ini.SetSection(L"A");
  ini.BeginBatch();
  EXPECT_EQ(ini.ReadInt(L"x", 7), 7);
  EXPECT_NE(ini.GetLastErrorText().find(L"damaged"), std::wstring::npos) << ini.GetLastErrorText();
  ASSERT_TRUE(ini.WriteInt(L"x", 2));
  ASSERT_TRUE(ini.EndBatch());
  EXPECT_NE(ini.GetLastErrorText().find(L".damaged"), std::wstring::npos) << ini.GetLastErrorText();
  EXPECT_EQ(ini_test::ReadBytes(Path("s.ini.damaged")), "[A]\r\nx=1\r\n");
  EXPECT_EQ(ReadText(Path("s.ini")), L"[A]\r\nx=2\r\n");
}

}  // namespace
