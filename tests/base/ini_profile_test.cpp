// The profile functions over our INI engine: bytes on disk, name matching,
// value trimming, where new keys and sections go, deletes, and files in the
// Windows program's format.
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/IniEngine.h"
#include "ini_test_files.h"

namespace {

using ini_test::IniFolder;
using ini_test::ReadBytes;
using ini_test::ReadText;
using ini_test::Utf16File;
using ini_test::WriteBytes;

std::wstring Get(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                 const wchar_t* fallback = L"<default>") {
  wchar_t buffer[260] = {};
  DWORD n = GetPrivateProfileStringW(section, key, fallback, buffer, 260, file.c_str());
  EXPECT_EQ(n, std::wcslen(buffer));
  return buffer;
}

class IniProfile : public IniFolder {};

TEST_F(IniProfile, ChineseValueIsWrittenAsExactUtf16LeBytes) {
  const std::wstring file = WPath("exact.ini");
  ASSERT_TRUE(base::IniCreateEmptyFile(file));
  EXPECT_EQ(ReadBytes(file), std::string("\xFF\xFE", 2));

  ASSERT_EQ(WritePrivateProfileStringW(L"录音", L"目录", L"D:/声音🎵", file.c_str()), 1);
  const unsigned char expected[] = {
      0xFF, 0xFE,                                                  // mark
      0x5B, 0x00, 0x55, 0x5F, 0xF3, 0x97, 0x5D, 0x00,              // [录音]
      0x0D, 0x00, 0x0A, 0x00,                                      // CR LF
      0xEE, 0x76, 0x55, 0x5F, 0x3D, 0x00,                          // 目录=
      0x44, 0x00, 0x3A, 0x00, 0x2F, 0x00, 0xF0, 0x58, 0xF3, 0x97,  // D:/声音
      0x3C, 0xD8, 0xB5, 0xDF,                                      // U+1F3B5 as a pair
      0x0D, 0x00, 0x0A, 0x00};
  EXPECT_EQ(ReadBytes(file), std::string(reinterpret_cast<const char*>(expected), sizeof expected));
  EXPECT_EQ(Get(file, L"录音", L"目录"), L"D:/声音🎵");
}

TEST_F(IniProfile, CreatingAnEmptyFileLeavesAnExistingOneAlone) {
  const std::wstring file = WPath("kept.ini");
  WriteBytes(file, Utf16File(L"[A]\r\nk=1\r\n"));
  ASSERT_TRUE(base::IniCreateEmptyFile(file));
  EXPECT_EQ(ReadText(file), L"[A]\r\nk=1\r\n");
}

struct NameCase {
  const wchar_t* writeSection;
  const wchar_t* writeKey;
  const wchar_t* readSection;
  const wchar_t* readKey;
};

TEST_F(IniProfile, SectionAndKeyNamesMatchWithoutCase) {
  const NameCase cases[] = {
      {L"OUTPUT", L"output_dir", L"output", L"OUTPUT_DIR"},
      {L"Common", L"Common_Auto_Open", L"cOMMON", L"common_auto_open"},
      {L"Ёлка", L"ΚΛΕΙΔΙ", L"ёлка", L"κλειδι"},  // case beyond ASCII
      {L"录音", L"Key录", L"录音", L"KEY录"},
  };
  const std::wstring file = WPath("case.ini");
  int n = 0;
  for (const NameCase& c : cases) {
    std::wstring value = L"v" + std::to_wstring(n++);
    ASSERT_EQ(WritePrivateProfileStringW(c.writeSection, c.writeKey, value.c_str(), file.c_str()), 1);
    EXPECT_EQ(Get(file, c.readSection, c.readKey), value) << c.readSection << L"/" << c.readKey;
    // Writing under the other spelling updates the same line.
    ASSERT_EQ(WritePrivateProfileStringW(c.readSection, c.readKey, L"again", file.c_str()), 1);
    EXPECT_EQ(Get(file, c.writeSection, c.writeKey), L"again");
  }
  EXPECT_EQ(ReadText(file),
            L"[OUTPUT]\r\noutput_dir=again\r\n[Common]\r\nCommon_Auto_Open=again\r\n"
            L"[Ёлка]\r\nΚΛΕΙΔΙ=again\r\n[录音]\r\nKey录=again\r\n");
}

struct ValueCase {
  const wchar_t* line;
  const wchar_t* expected;
};

TEST_F(IniProfile, ValuesAreTrimmedAndLoseOnePairOfQuotes) {
  const ValueCase cases[] = {
      {L"k = v ", L"v"},
      {L"  k\t=\tv w\t", L"v w"},
      {L"k=\"quoted\"", L"quoted"},
      {L"k='single'", L"single"},
      {L"k=\" keeps inner blanks \"", L" keeps inner blanks "},
      {L"k=\"mixed'", L"\"mixed'"},
      {L"k=\"", L"\""},
      {L"k=\"\"", L""},
      {L"k=a=b", L"a=b"},
      {L"k=\u3000全角\u3000", L"\u3000全角\u3000"},  // only ASCII blanks are trimmed
      {L"k=C:\\录音\\", L"C:\\录音\\"},
  };
  const std::wstring file = WPath("values.ini");
  for (const ValueCase& c : cases) {
    WriteBytes(file, Utf16File(std::wstring(L"[s]\r\n") + c.line + L"\r\n"));
    EXPECT_EQ(Get(file, L"s", L"k"), c.expected) << c.line;
    EXPECT_EQ(Get(file, L" s ", L" k "), c.expected) << "names are trimmed too: " << c.line;
  }
}

TEST_F(IniProfile, NewKeysGoAtTheEndOfTheirSectionAndNewSectionsAtTheEnd) {
  const std::wstring file = WPath("positions.ini");
  WriteBytes(file, Utf16File(L"; top\r\n[A]\r\na1=1\r\n; note\r\na2=2\r\n\r\n[B]\r\nb1=1\r\n"));
  ASSERT_EQ(WritePrivateProfileStringW(L"a", L"a3", L"3", file.c_str()), 1);
  ASSERT_EQ(WritePrivateProfileStringW(L"C", L"c1", L"x", file.c_str()), 1);
  ASSERT_EQ(WritePrivateProfileStringW(L"A", L"A1", L"one", file.c_str()), 1);
  ASSERT_EQ(WritePrivateProfileStringW(L"B", L"b2", L"2", file.c_str()), 1);
  EXPECT_EQ(ReadText(file),
            L"; top\r\n[A]\r\na1=one\r\n; note\r\na2=2\r\na3=3\r\n\r\n"
            L"[B]\r\nb1=1\r\nb2=2\r\n[C]\r\nc1=x\r\n");
}

TEST_F(IniProfile, NullValueDeletesTheKeyAndNullKeyTheSection) {
  const std::wstring file = WPath("delete.ini");
  WriteBytes(file, Utf16File(L"[A]\r\na1=1\r\na2=2\r\n[B]\r\n; b's note\r\nb1=1\r\n[C]\r\nc1=1\r\n"));
  ASSERT_EQ(WritePrivateProfileStringW(L"A", L"A1", nullptr, file.c_str()), 1);
  ASSERT_EQ(WritePrivateProfileStringW(L"b", nullptr, nullptr, file.c_str()), 1);
  EXPECT_EQ(ReadText(file), L"[A]\r\na2=2\r\n[C]\r\nc1=1\r\n");
  EXPECT_EQ(Get(file, L"A", L"a1"), L"<default>");
  EXPECT_EQ(Get(file, L"B", L"b1"), L"<default>");

  // Deleting what is not there succeeds and creates no file.
  const std::wstring missing = WPath("missing.ini");
  EXPECT_EQ(WritePrivateProfileStringW(L"A", L"k", nullptr, missing.c_str()), 1);
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(IniProfile, ReadsCutToTheBufferAndListNames) {
  const std::wstring file = WPath("lists.ini");
  const std::wstring longValue(300, L'长');
  ASSERT_EQ(WritePrivateProfileStringW(L"S", L"long", longValue.c_str(), file.c_str()), 1);
  ASSERT_EQ(WritePrivateProfileStringW(L"S", L"k2", L"v", file.c_str()), 1);
  ASSERT_EQ(WritePrivateProfileStringW(L"T", L"k", L"v", file.c_str()), 1);

  wchar_t buffer[260];
  EXPECT_EQ(GetPrivateProfileStringW(L"S", L"long", L"", buffer, 260, file.c_str()), 259u);
  EXPECT_EQ(std::wstring(buffer), longValue.substr(0, 259));

  wchar_t names[32];
  DWORD n = GetPrivateProfileStringW(L"s", nullptr, L"", names, 32, file.c_str());
  EXPECT_EQ(std::wstring(names, n), std::wstring(L"long\0k2\0", 8));
  EXPECT_EQ(names[n], L'\0');
  n = GetPrivateProfileStringW(nullptr, nullptr, L"", names, 32, file.c_str());
  EXPECT_EQ(std::wstring(names, n), std::wstring(L"S\0T\0", 4));
  n = GetPrivateProfileStringW(L"S", nullptr, L"", names, 4, file.c_str());
  EXPECT_EQ(n, 2u);  // a list that does not fit ends with two NULs
  EXPECT_EQ(names[2], L'\0');
  EXPECT_EQ(names[3], L'\0');

  // A missing key gives the default without its trailing blanks.
  EXPECT_EQ(Get(file, L"S", L"none", L"fallback  "), L"fallback");
  EXPECT_EQ(Get(file, L"none", L"k", nullptr), L"");
}

TEST_F(IniProfile, IntegersReadLikeTheWindowsFunction) {
  const std::wstring file = WPath("ints.ini");
  WriteBytes(file, Utf16File(L"[n]\r\na=42\r\nb=-7\r\nc=12abc\r\nd=abc\r\ne=\r\nf= \"9\" \r\n"));
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntW(L"n", L"a", 5, file.c_str())), 42);
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntW(L"n", L"b", 5, file.c_str())), -7);
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntW(L"n", L"c", 5, file.c_str())), 12);
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntW(L"n", L"d", 5, file.c_str())), 0);
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntW(L"n", L"e", 5, file.c_str())), 5);
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntW(L"n", L"f", 5, file.c_str())), 9);
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntW(L"n", L"missing", 5, file.c_str())), 5);
}

TEST_F(IniProfile, WritesThatWouldBreakTheLinesAreRefused) {
  const std::wstring file = WPath("refused.ini");
  WriteBytes(file, Utf16File(L"[A]\r\nk=1\r\n"));
  struct Refused {
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* value;
  } cases[] = {
      {L"A", L"k", L"1\r\n[B]\r\nx=2"},
      {L"A", L"k", L"line\nbreak"},
      {L"A", L"a=b", L"1"},
      {L"A", L"[B]", L"1"},
      {L"A", L";k", L"1"},
      {L"A", L"", L"1"},
      {L"A]x", L"k", L"1"},
      {L"", L"k", L"1"},
  };
  for (const Refused& c : cases) {
    EXPECT_EQ(WritePrivateProfileStringW(c.section, c.key, c.value, file.c_str()), 0)
        << c.section << L"/" << c.key;
    EXPECT_FALSE(base::IniLastErrorText().empty());
  }
  EXPECT_EQ(ReadText(file), L"[A]\r\nk=1\r\n");
  ASSERT_EQ(WritePrivateProfileStringW(L"A", L"k", L"2", file.c_str()), 1);
  EXPECT_TRUE(base::IniLastErrorText().empty());
}

TEST_F(IniProfile, FileFromTheWindowsProgramReadsBackTheSame) {
  const std::wstring file = WPath("config-timer-tasks.ini");
  const std::string windowsBytes = ini_test::Fixture("windows-config-timer-tasks.ini");
  ASSERT_FALSE(windowsBytes.empty());
  WriteBytes(file, windowsBytes);

  const std::pair<const wchar_t*, const wchar_t*> output[] = {
      {L"output_device", L"2"},
      {L"output_format", L"3"},
      {L"output_speaker_name", L"扬声器 (Realtek(R) Audio) (loopback)"},
      {L"output_speaker_id", L"{0.0.0.00000000}.{5d3f1c2a-7b8e-4f10-9a6d-2c4e8b1f0a37}"},
      {L"output_speaker_volume", L"1.000000"},
      {L"output_mic_name", L"__device_in_default"},
      {L"output_mic_id", L""},
      {L"output_mic_volume", L"0.800000"},
      {L"output_dir", L"C:\\Users\\张伟\\Desktop\\Velmora电脑录音软件"},
      {L"output_open_split", L"1"},
      {L"output_split_time", L"600000"},
      {L"output_samplerate", L"48000"},
      {L"output_channel", L"2"},
      {L"output_quality", L"128.300003"},
      {L"output_id3_title", L"晨会录音 🎵"},
      {L"output_id3_artist", L"张伟"},
      {L"output_id3_date", L"2026"},
      {L"output_id3_album", L""},
      {L"output_id3_genre", L"Speech"},
  };
  EXPECT_EQ(Get(file, L"OPTION", L"option_everyday"), L"1");
  for (const auto& [key, value] : output) EXPECT_EQ(Get(file, L"OUTPUT", key), value) << key;

  // The reverse: the same writes here give the Windows program's bytes.
  const std::wstring ours = WPath("ours.ini");
  ASSERT_TRUE(base::IniCreateEmptyFile(ours));
  ASSERT_EQ(WritePrivateProfileStringW(L"OPTION", L"option_everyday", L"1", ours.c_str()), 1);
  for (const auto& [key, value] : output) {
    ASSERT_EQ(WritePrivateProfileStringW(L"OUTPUT", key, value, ours.c_str()), 1);
  }
  EXPECT_EQ(ReadBytes(ours), windowsBytes);

  // Rewriting every key in place changes no byte.
  for (const auto& [key, value] : output) {
    ASSERT_EQ(WritePrivateProfileStringW(L"OUTPUT", key, value, file.c_str()), 1);
  }
  EXPECT_EQ(ReadBytes(file), windowsBytes);
}

TEST_F(IniProfile, HandEditedFileKeepsItsOtherLinesWhenWritten) {
  const std::wstring file = WPath("config-more.ini");
  WriteBytes(file, ini_test::Fixture("windows-hand-edited.ini"));
  EXPECT_EQ(Get(file, L"Common", L"common_showflow_desktop"), L"0");
  EXPECT_EQ(Get(file, L"common", L"common_close_hide"), L"1");
  EXPECT_EQ(Get(file, L"Common", L"common_auto_open"), L"0");
  EXPECT_EQ(Get(file, L"History", L"NAME"), L"  D:\\录音\\会议.mp3  ");

  ASSERT_EQ(WritePrivateProfileStringW(L"Common", L"common_auto_open", L"1", file.c_str()), 1);
  ASSERT_EQ(WritePrivateProfileStringW(L"HotKey", L"hotkey_startend_key", L"113", file.c_str()), 1);
  EXPECT_EQ(ReadText(file),
            L"; settings kept by hand\r\n\r\n[Common]\r\ncommon_showflow_desktop = 0 \r\n"
            L"  Common_Close_Hide=\t\"1\"\r\ncommon_auto_open=1\r\n\r\n[HotKey]\r\n"
            L"hotkey_openmain_key=112\r\nhotkey_openmain_mod=2\r\nhotkey_startend_key=113\r\n\r\n"
            L"[history]\r\nname=\"  D:\\录音\\会议.mp3  \"\r\n");
}

TEST_F(IniProfile, ConcurrentWritersLoseNoKey) {
  const std::wstring file = WPath("threads.ini");
  auto writer = [&file](const wchar_t* section) {
    for (int i = 0; i < 50; ++i) {
      std::wstring key = L"k" + std::to_wstring(i);
      EXPECT_EQ(WritePrivateProfileStringW(section, key.c_str(), key.c_str(), file.c_str()), 1);
    }
  };
  std::thread a(writer, L"A");
  std::thread b(writer, L"B");
  a.join();
  b.join();
  for (const wchar_t* section : {L"A", L"B"}) {
    for (int i = 0; i < 50; ++i) {
      std::wstring key = L"k" + std::to_wstring(i);
      EXPECT_EQ(Get(file, section, key.c_str()), key);
    }
  }
}

}  // namespace
