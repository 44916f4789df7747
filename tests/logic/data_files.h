// Reading the data folder's files back as the tests check them.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/CodePage.h"
#include "base/Utf16.h"

inline std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream in(WStringToUtf8Ret(path), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream(WStringToUtf8Ret(path), std::ios::binary | std::ios::trunc) << bytes;
}

// The text of a UTF-16LE file without its byte-order mark; "(no BOM)" when
// it does not start with one.
inline std::wstring ReadUtf16File(const std::wstring& path) {
  std::string bytes = ReadFileBytes(path);
  if (!base::HasUtf16LeBom(bytes)) return L"(no BOM)";
  return base::Utf16LeDecode(bytes, true);
}

inline void WriteUtf16File(const std::wstring& path, const std::wstring& text) {
  WriteFileBytes(path, base::Utf16LeEncode(text, true));
}

// Removes a data file and the copies set aside beside it ("<file>.damaged",
// "<file>.damaged(1)", ...), so a test starts from no file whatever ran
// before it in the same data folder.
inline void RemoveDataFile(const std::wstring& path) {
  std::filesystem::path file(WStringToUtf8Ret(path));
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
  const std::string aside = file.filename().string() + ".damaged";
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), ignored))
    if (entry.path().filename().string().rfind(aside, 0) == 0) std::filesystem::remove(entry.path(), ignored);
}
