// Files on disk for the INI tests: a fresh folder per test, raw bytes in
// and out, and the fixtures kept under data/ini.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include "base/Utf16.h"

namespace ini_test {

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string Fixture(const std::string& name) {
  return ReadBytes(std::filesystem::path(QUORVALE_TEST_DATA_DIR) / "ini" / name);
}

// The text of a UTF-16LE file without its mark, for comparing whole files.
inline std::wstring ReadText(const std::filesystem::path& path) {
  std::string bytes = ReadBytes(path);
  EXPECT_TRUE(base::HasUtf16LeBom(bytes)) << path;
  return base::Utf16LeDecode(bytes, true);
}

inline std::string Utf16File(const std::wstring& text) { return base::Utf16LeEncode(text, true); }

class IniFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string leaf = "ini-test-" + std::to_string(::getpid()) + "-" +
                       info->test_suite_name() + "-" + info->name();
    for (char& c : leaf) {
      if (c == '/') c = '_';
    }
    dir_ = std::filesystem::temp_directory_path() / leaf;
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path Path(const std::string& name) const { return dir_ / name; }
  std::wstring WPath(const std::string& name) const { return Path(name).wstring(); }

 private:
  std::filesystem::path dir_;
};

}  // namespace ini_test
