// The recordings whose files are open for writing, kept in a small file of
// the data folder from the moment each file is opened until the list of
// recordings holds it. A recording cut short by a crash or a kill is found
// there at the next start, so it never drops out of the list.
#pragma once

#include <mutex>
#include <string>
#include <vector>

class CRecordingJournal {
 public:
  // An empty path keeps nothing (no data folder).
  explicit CRecordingJournal(std::wstring path);

  // Each call rewrites the file whole through a temporary file and one
  // rename, so a kill leaves the old list or the new one. Safe from any
  // thread; false when the file could not be written.
  bool Add(const std::wstring& recording);
  bool Remove(const std::wstring& recording);
  // The paths in the order they were added; empty when there is no file.
  std::vector<std::wstring> Entries() const;
  const std::wstring& Path() const { return m_path; }

 private:
  std::vector<std::wstring> ReadLocked() const;
  bool WriteLocked(const std::vector<std::wstring>& entries);

  std::wstring m_path;
  mutable std::mutex m_lock;
};
