// A fresh folder per test, removed afterwards, and whole-file reads and
// writes for the tests that check bytes on disk. The folder's name is made
// unique by mkdtemp, so parallel runs and repeated tests never share one.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "base/CodePage.h"

namespace scratch {

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class ScratchFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvale-scratch-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    wroot_ = Utf8ToWStringRet(root_.string()) + L"/";
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  // relative is UTF-8.
  std::filesystem::path Path(const std::string& relative) const { return root_ / relative; }
  std::wstring WPath(const std::string& relative) const { return wroot_ + Utf8ToWStringRet(relative); }
  std::wstring W(const std::wstring& relative) const { return wroot_ + relative; }

  // Writes a file, making its folders first.
  void Write(const std::filesystem::path& relative, const std::string& bytes) {
    std::filesystem::create_directories((root_ / relative).parent_path());
    WriteBytes(root_ / relative, bytes);
  }
  std::string Read(const std::filesystem::path& relative) const { return ReadBytes(root_ / relative); }

  std::filesystem::path root_;
  std::wstring wroot_;  // ends with '/'
};

}  // namespace scratch
