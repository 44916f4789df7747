// Files on disk for the INI tests: a fresh folder per test, raw bytes in
// and out, UTF-16LE texts, and the fixtures kept under data/ini.
#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "base/Utf16.h"
#include "scratch_folder.h"

namespace ini_test {

using scratch::ReadBytes;
using scratch::WriteBytes;
using IniFolder = scratch::ScratchFolder;

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

}  // namespace ini_test
