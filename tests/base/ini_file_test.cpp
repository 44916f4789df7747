// CFileIni: file creation, typed reads with their defaults, the number
// formats written, lists, and values longer than the Windows buffer.
#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "base/FileIni.h"
#include "base/IniEngine.h"
#include "ini_test_files.h"

namespace {

using ini_test::IniFolder;
using ini_test::ReadBytes;
using ini_test::ReadText;
using ini_test::Utf16File;
using ini_test::WriteBytes;

class IniFile : public IniFolder {
 protected:
  // A settings object over a file holding [OUTPUT] with the given lines.
  CFileIni& Over(const std::wstring& lines) {
    WriteBytes(WPath("settings.ini"), Utf16File(L"[OUTPUT]\r\n" + lines));
    ini_.SetFile(WPath("settings.ini").c_str());
    ini_.SetSection(L"OUTPUT");
    return ini_;
  }
  std::wstring Raw(const wchar_t* key) {
    wchar_t buffer[260] = {};
    GetPrivateProfileStringW(L"OUTPUT", key, L"<missing>", buffer, 260, WPath("settings.ini").c_str());
    return buffer;
  }
  CFileIni ini_;
};

TEST_F(IniFile, SetFileCreatesOnlyTheMarkAndKeepsAnExistingFile) {
  CFileIni ini;
  ini.SetFile(WPath("new.ini").c_str());
  EXPECT_EQ(ReadBytes(Path("new.ini")), std::string("\xFF\xFE", 2));
  EXPECT_TRUE(ini.GetLastErrorText().empty());
  EXPECT_EQ(std::wstring(ini.GetFile()), WPath("new.ini"));

  WriteBytes(Path("old.ini"), Utf16File(L"[A]\r\nk=1\r\n"));
  ini.SetFile(WPath("old.ini").c_str());
  EXPECT_EQ(ReadText(Path("old.ini")), L"[A]\r\nk=1\r\n");

  ini.SetFile(WPath("no-such-folder/x.ini").c_str());
  EXPECT_FALSE(ini.GetLastErrorText().empty());
  EXPECT_EQ(ini.ReadInt(L"k", 4), 4);
}

struct IntCase {
  const wchar_t* stored;  // nullptr: key missing
  int asInt;              // default 7
  bool asBool;            // default true
  int64_t asInt64;        // default -3
};

TEST_F(IniFile, IntegerReadsFallBackToTheDefaultUnlessTheWholeValueIsANumber) {
  const IntCase cases[] = {
      {L"2", 2, true, 2},
      {L"0", 0, false, 0},
      {L"-1", -1, false, -1},
      {L"+5", 5, true, 5},
      {L" 5 ", 5, true, 5},
      {L"\"12\"", 12, true, 12},
      {L"65", 65, true, 65},
      {L"", 7, true, -3},
      {nullptr, 7, true, -3},
      {L"abc", 7, true, -3},
      {L"12abc", 7, true, -3},
      {L"1.5", 7, true, -3},
      {L"0x10", 7, true, -3},
      {L"2147483648", 7, true, 2147483648LL},
      {L"9223372036854775807", 7, true, std::numeric_limits<int64_t>::max()},
      {L"9223372036854775808", 7, true, -3},
      {L"１２", 7, true, -3},  // full-width digits are not a number here
  };
  for (const IntCase& c : cases) {
    CFileIni& ini = Over(c.stored ? std::wstring(L"v=") + c.stored + L"\r\n" : L"");
    SCOPED_TRACE(c.stored ? c.stored : L"(missing)");
    EXPECT_EQ(ini.ReadInt(L"v", 7), c.asInt);
    EXPECT_EQ(ini.ReadIntRaw(L"v", 7), c.asInt);
    EXPECT_EQ(ini.ReadBool(L"v", true), c.asBool);
    EXPECT_EQ(ini.ReadInt64(L"v", -3), c.asInt64);
    bool number = c.stored && c.asInt64 != -3;
    EXPECT_EQ(ini.GetLastErrorText().empty(), number || !c.stored || !*c.stored)
        << "only text that is not a number is reported";
  }
}

struct RealCase {
  const wchar_t* stored;
  double expected;  // default 2.5
};

TEST_F(IniFile, RealReadsCarrySinglePrecisionInTheCLocale) {
  const RealCase cases[] = {
      {L"0.1", 0.100000001490116119384765625},
      {L"0.3", 0.30000001192092896},
      {L"128.3", static_cast<double>(128.3f)},
      {L"320.000000", 320.0},
      {L"-1.5e2", -150.0},
      {L"1e400", 2.5},  // overflows double
      {L"1e39", 2.5},   // overflows float
      {L"3,5", 2.5},    // a comma is no decimal separator
      {L"nan", 2.5},
      {L"inf", 2.5},
      {L"abc", 2.5},
      {L"", 2.5},
  };
  for (const RealCase& c : cases) {
    CFileIni& ini = Over(std::wstring(L"v=") + c.stored + L"\r\n");
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(ini.ReadDouble(L"v", 2.5), c.expected);
    EXPECT_EQ(ini.ReadFloat(L"v", 2.5f), static_cast<float>(c.expected));
  }
}

TEST_F(IniFile, StringReadsGiveTheWholeValueOrTheDefault) {
  const std::wstring longValue = std::wstring(200, L'录') + std::wstring(400, L'x') + L"尾";
  CFileIni& ini = Over(L"long=" + longValue + L"\r\nempty=\r\nspaced=  text  \r\n");
  EXPECT_EQ(ini.ReadString(L"long", L"d"), longValue);  // past 259 characters
  EXPECT_EQ(ini.ReadString(L"empty", L"d"), L"d");
  EXPECT_EQ(ini.ReadString(L"missing", L"d"), L"d");
  EXPECT_EQ(ini.ReadString(L"spaced", L"d"), L"text");
  EXPECT_TRUE(ini.GetLastErrorText().empty());
}

TEST_F(IniFile, WritesUseTheSystemsNumberFormats) {
  CFileIni& ini = Over(L"");
  EXPECT_TRUE(ini.WriteInt(L"int", -42));
  EXPECT_TRUE(ini.WriteInt(std::wstring(L"int2"), 7));
  EXPECT_TRUE(ini.WriteBool(L"yes", true));
  EXPECT_TRUE(ini.WriteBool(std::wstring(L"no"), false));
  EXPECT_TRUE(ini.WriteInt64(L"big", 9007199254740993LL));
  EXPECT_TRUE(ini.WriteDouble(L"one", 1.0));
  EXPECT_TRUE(ini.WriteDouble(L"quality", ini.ReadDouble(L"none", 128.3f)));
  EXPECT_TRUE(ini.WriteDouble(L"tiny", -0.0000004));
  EXPECT_TRUE(ini.WriteFloat(L"float", 0.3f));
  EXPECT_TRUE(ini.WriteString(L"dir", L"D:\\录音"));
  EXPECT_TRUE(ini.WriteString(std::wstring(L"title"), std::wstring(L"晨会")));
  EXPECT_TRUE(ini.WriteList(L"list", {L"a", L"b"}));
  EXPECT_TRUE(ini.WriteList(std::wstring(L"none"), {}));
  EXPECT_EQ(ReadText(Path("settings.ini")),
            L"[OUTPUT]\r\nint=-42\r\nint2=7\r\nyes=1\r\nno=0\r\nbig=9007199254740993\r\n"
            L"one=1.000000\r\nquality=128.300003\r\ntiny=-0.000000\r\nfloat=0.300000\r\n"
            L"dir=D:\\录音\r\ntitle=晨会\r\nlist=a,b\r\nnone=\r\n");
  EXPECT_EQ(ini.ReadInt64(L"big", 0), 9007199254740993LL);
  EXPECT_EQ(ini.ReadString(L"dir", L""), L"D:\\录音");
  EXPECT_TRUE(ini.GetLastErrorText().empty());
}

TEST_F(IniFile, AWriteThatFailsSaysSo) {
  CFileIni ini;
  ini.SetSection(L"OUTPUT");
  EXPECT_FALSE(ini.WriteInt(L"k", 1));  // no file set
  EXPECT_FALSE(ini.GetLastErrorText().empty());

  ini.SetFile(WPath("settings.ini").c_str());
  EXPECT_FALSE(ini.WriteString(L"k", L"two\r\nlines"));
  EXPECT_FALSE(ini.GetLastErrorText().empty());
  EXPECT_TRUE(ini.WriteString(L"k", L"one line"));
  EXPECT_TRUE(ini.GetLastErrorText().empty());

  std::filesystem::create_directories(Path("folder.ini"));
  ini.SetFile(WPath("folder.ini").c_str());
  EXPECT_FALSE(ini.WriteInt(L"k", 1));
  EXPECT_FALSE(ini.GetLastErrorText().empty());
}

TEST_F(IniFile, ListsSplitOnTheSeparatorAndTrimEachItem) {
  CFileIni& ini = Over(L"abc= a , b ,c\r\ntrailing=a,b,\r\nempty=\r\none=solo\r\nwide=甲||乙\r\n");
  EXPECT_EQ(ini.ReadList(L"abc", L","), (std::vector<std::wstring>{L"a", L"b", L"c"}));
  EXPECT_EQ(ini.ReadList(L"trailing", L","), (std::vector<std::wstring>{L"a", L"b", L""}));
  EXPECT_TRUE(ini.ReadList(L"empty", L",").empty());
  EXPECT_TRUE(ini.ReadList(L"missing", L",").empty());
  EXPECT_EQ(ini.ReadList(L"one", L","), (std::vector<std::wstring>{L"solo"}));
  EXPECT_EQ(ini.ReadList(L"wide", L"||"), (std::vector<std::wstring>{L"甲", L"乙"}));

  struct SplitCase {
    const wchar_t* source;
    const wchar_t* delimiter;
    std::vector<std::wstring> pieces;
  } cases[] = {
      {L"a,,b", L",", {L"a", L"", L"b"}},
      {L",a", L",", {L"", L"a"}},
      {L"", L",", {L""}},
      {L"\t a \r\n", L",", {L"a"}},
      {L"a,b", L"", {L"a,b"}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(SplitString(c.source, c.delimiter), c.pieces) << c.source;
  }
  EXPECT_EQ(TrimWhitespace(L"\t x y \r\n"), L"x y");
}

TEST_F(IniFile, ChineseSettingsRoundTripThroughTheFile) {
  CFileIni writer;
  writer.SetFile(WPath("round.ini").c_str());
  writer.SetSection(L"输出");
  ASSERT_TRUE(writer.WriteString(L"目录", L"C:\\用户\\桌面\\Velmora电脑录音软件"));
  ASSERT_TRUE(writer.WriteDouble(L"音量", 0.75));

  CFileIni reader;
  reader.SetFile(WPath("round.ini").c_str());
  reader.SetSection(L"输出");
  EXPECT_EQ(reader.ReadString(L"目录", L""), L"C:\\用户\\桌面\\Velmora电脑录音软件");
  EXPECT_EQ(reader.ReadDouble(L"音量", 0), 0.75);
  EXPECT_EQ(ReadText(Path("round.ini")),
            L"[输出]\r\n目录=C:\\用户\\桌面\\Velmora电脑录音软件\r\n音量=0.750000\r\n");
}

}  // namespace
