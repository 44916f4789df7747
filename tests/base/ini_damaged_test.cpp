// Files that are not UTF-16LE INI files of ours: readers fall back to their
// defaults and say why; a writer keeps the old bytes aside and starts anew.
#include <random>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "base/FileIni.h"
#include "base/IniEngine.h"
#include "ini_test_files.h"

namespace {

using ini_test::IniFolder;
using ini_test::ReadBytes;
using ini_test::Utf16File;
using ini_test::WriteBytes;

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string bytes(n, '\0');
  for (char& b : bytes) b = static_cast<char>(gen() & 0xFF);
  bytes[0] = '\x00';  // never the mark by chance
  return bytes;
}

struct Damage {
  const char* name;
  std::string bytes;
};

std::vector<Damage> DamagedFiles() {
  const std::string good = Utf16File(L"[OUTPUT]\r\noutput_format=3\r\noutput_dir=D:\\录音\r\n");
  std::string loneSurrogate = Utf16File(L"[OUTPUT]\r\noutput_format=3\r\nx=");
  loneSurrogate += std::string("\x3C\xD8", 2) + std::string("a\0", 2);  // high unit, then 'a'
  return {
      {"random bytes", RandomBytes(700, 11)},
      {"UTF-8 without a mark", "[OUTPUT]\r\noutput_format=3\r\noutput_dir=D:\\\xE5\xBD\x95\xE9\x9F\xB3\r\n"},
      {"truncated in a character", good.substr(0, good.size() - 3)},
      {"only half a mark", std::string("\xFF", 1)},
      {"big-endian UTF-16", std::string("\xFE\xFF\x00[\x00O", 6)},
      {"NUL characters", Utf16File(L"[OUTPUT]\r\noutput_format=3\r\n") + std::string(64, '\0')},
      {"broken surrogate", loneSurrogate},
      // The second mark would hide "[OUTPUT]": a file of defaults in disguise.
      {"a second byte-order mark", std::string("\xFF\xFE", 2) + good},
      {"two files joined", good + good},
  };
}

class IniDamaged : public IniFolder {};

TEST_F(IniDamaged, ReadersFallBackToTheirDefaultsAndSaySo) {
  for (const Damage& d : DamagedFiles()) {
    SCOPED_TRACE(d.name);
    const std::wstring file = WPath("config-output.ini");
    WriteBytes(file, d.bytes);

    CFileIni ini;
    ini.SetFile(file.c_str());
    ini.SetSection(L"OUTPUT");
    EXPECT_EQ(ini.ReadInt(L"output_format", 0), 0);
    EXPECT_FALSE(ini.GetLastErrorText().empty());
    EXPECT_EQ(ini.ReadString(L"output_dir", L"默认"), L"默认");
    EXPECT_NE(ini.GetLastErrorText().find(L"damaged"), std::wstring::npos) << ini.GetLastErrorText();
    EXPECT_EQ(ini.ReadDouble(L"output_quality", 320.0), 320.0);
    EXPECT_TRUE(ini.ReadList(L"output_dir", L",").empty());

    wchar_t buffer[260];
    EXPECT_EQ(GetPrivateProfileStringW(L"OUTPUT", L"output_format", L"d", buffer, 260, file.c_str()), 1u);
    EXPECT_EQ(std::wstring(buffer), L"d");
    EXPECT_FALSE(base::IniLastErrorText().empty());
    EXPECT_EQ(GetPrivateProfileIntW(L"OUTPUT", L"output_format", 9, file.c_str()), 9u);
    EXPECT_EQ(GetPrivateProfileStringW(nullptr, nullptr, L"", buffer, 260, file.c_str()), 0u);

    EXPECT_EQ(ReadBytes(file), d.bytes) << "reading changes nothing on disk";
  }
}

TEST_F(IniDamaged, AWriteKeepsTheDamagedBytesAsideAndStartsAnew) {
  int round = 0;
  for (const Damage& d : DamagedFiles()) {
    SCOPED_TRACE(d.name);
    const std::wstring file = WPath("settings-" + std::to_string(round++) + ".ini");
    WriteBytes(file, d.bytes);

    CFileIni ini;
    ini.SetFile(file.c_str());
    ini.SetSection(L"OUTPUT");
    ASSERT_TRUE(ini.WriteInt(L"output_format", 5));
    EXPECT_NE(ini.GetLastErrorText().find(L".damaged"), std::wstring::npos) << ini.GetLastErrorText();
    EXPECT_EQ(ReadBytes(file + L".damaged"), d.bytes);
    EXPECT_EQ(ini_test::ReadText(file), L"[OUTPUT]\r\noutput_format=5\r\n");
    EXPECT_EQ(ini.ReadInt(L"output_format", 0), 5);
    EXPECT_TRUE(ini.GetLastErrorText().empty());
  }
}

TEST_F(IniDamaged, ASecondDamagedFileDoesNotReplaceTheFirstOneSetAside) {
  const std::wstring file = WPath("twice.ini");
  for (unsigned seed : {1u, 2u}) {
    WriteBytes(file, RandomBytes(100, seed));
    ASSERT_EQ(WritePrivateProfileStringW(L"A", L"k", L"v", file.c_str()), 1);
  }
  EXPECT_EQ(ReadBytes(file + L".damaged"), RandomBytes(100, 1));
  EXPECT_EQ(ReadBytes(file + L".damaged-2"), RandomBytes(100, 2));
}

TEST_F(IniDamaged, AnEmptyFileIsNotDamaged) {
  const std::wstring file = WPath("empty.ini");
  WriteBytes(file, "");
  CFileIni ini;
  ini.SetFile(file.c_str());
  ini.SetSection(L"S");
  EXPECT_EQ(ini.ReadInt(L"k", 3), 3);
  EXPECT_TRUE(ini.GetLastErrorText().empty());
  ASSERT_TRUE(ini.WriteInt(L"k", 4));
  EXPECT_FALSE(std::filesystem::exists(file + L".damaged"));
  EXPECT_EQ(ReadBytes(file), Utf16File(L"[S]\r\nk=4\r\n"));
}

TEST_F(IniDamaged, AFolderInPlaceOfTheFileIsReportedAndLeftAlone) {
  const std::wstring file = WPath("folder.ini");
  std::filesystem::create_directories(file);
  wchar_t buffer[16];
  EXPECT_EQ(GetPrivateProfileStringW(L"A", L"k", L"d", buffer, 16, file.c_str()), 1u);
  EXPECT_FALSE(base::IniLastErrorText().empty());
  EXPECT_EQ(WritePrivateProfileStringW(L"A", L"k", L"v", file.c_str()), 0);
  EXPECT_FALSE(base::IniLastErrorText().empty());
  EXPECT_TRUE(std::filesystem::is_directory(file));
}

// A named pipe in place of the file must not block the reader or the
// writer until some other program writes into it. Run in a child process,
// so a reader that does block is ended by its alarm instead of hanging.
TEST_F(IniDamaged, APipeInPlaceOfTheFileIsReportedWithoutWaiting) {
  const std::wstring file = WPath("pipe.ini");
  ASSERT_EQ(mkfifo(Path("pipe.ini").c_str(), 0600), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(10);
    wchar_t buffer[16];
    bool ok = GetPrivateProfileStringW(L"A", L"k", L"d", buffer, 16, file.c_str()) == 1u &&
              !base::IniLastErrorText().empty();
    ok = ok && WritePrivateProfileStringW(L"A", L"k", L"v", file.c_str()) == 0;
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status)) << "the child was ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
}

}  // namespace
