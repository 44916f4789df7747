#pragma once
// What the system knows about one file: its three time stamps as local
// time, its size and its name parts.

#include <cstdint>
#include <ctime>
#include <string>

#include "win32/types.h"

// The file-system facts a record was built from, kept so that Refresh can
// recompute the times and the size without asking the file system again.
struct FileFindData {
  bool found = false;
  struct timespec creationTime{};  // birth time where the file system keeps one, else mtime
  struct timespec lastAccessTime{};
  struct timespec lastWriteTime{};
  uint64_t size = 0;
};

class CFileInfo {
 public:
  enum TimeIndex { kCreationTime = 0, kLastAccessTime = 1, kLastWriteTime = 2 };

  CFileInfo() = default;
  explicit CFileInfo(const std::wstring& path);

  // Reads the file's facts; false (only the path changed) when not found.
  bool Load(const std::wstring& path);
  // Recomputes the times and the size from the stored facts.
  bool Refresh();

  // Time 0, 1 or 2 in local time; an all-zero record for any other index
  // or a file that was not found.
  SYSTEMTIME GetTime(int index) const;
  // The chosen fields of a time, each followed by the separator, with the
  // final separator removed: "2023-05-07-09-04-01".
  std::wstring FormatTime(int index, bool year, bool month, bool day, bool hour, bool minute,
                          bool second, const std::wstring& separator) const;
  uint64_t GetSize() const { return size_; }
  // "1.5KB", "0B": six significant digits and a unit up to "TB".
  std::wstring GetSizeText() const;
  std::wstring GetPath() const { return path_; }
  // The text before the last separator ('/' or '\'); empty without one.
  std::wstring GetDir() const;
  // The file name without the part from its last '.' on.
  std::wstring GetTitle() const;
  // The text after the last '.' of the file name; empty when it has none.
  std::wstring GetExt() const;
  // Programs built here carry no version resource: always empty.
  std::wstring GetFileVersion() const;

 private:
  SYSTEMTIME times_[3]{};
  uint64_t size_ = 0;
  std::wstring path_;
  FileFindData findData_;
};
