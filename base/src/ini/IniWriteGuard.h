// What a write of a settings file needs before it reads the file: the real
// file behind any symbolic links, and a lock that other processes writing
// files of the same folder honour too.
#pragma once

#include <string>

namespace base::ini {

// The file a path stands for: symbolic links are followed (relative ones
// from the folder of the link) until a path that is no link, or a missing
// one, is reached. Writing there keeps the links in place. A loop of links
// is left as it is, and the write reports the error the system gives.
std::wstring FollowLinks(const std::wstring& path);

// Holds an exclusive lock across processes on the folder of a settings
// file while it is read, changed and replaced, so that two programs that
// write the same file keep each other's keys. The file itself cannot carry
// the lock, as every write replaces it with a new one.
class IniWriteGuard {
 public:
  explicit IniWriteGuard(const std::wstring& file);
  ~IniWriteGuard();
  IniWriteGuard(const IniWriteGuard&) = delete;
  IniWriteGuard& operator=(const IniWriteGuard&) = delete;

  // Waits a few seconds at most for another program's lock. Empty when
  // the lock is held; otherwise why not (the write goes on unlocked: a
  // missing folder makes the write itself fail anyway, and settings saved
  // without the lock beat settings lost to a stuck program).
  const std::wstring& problem() const { return m_problem; }

 private:
  int m_fd = -1;
  std::wstring m_problem;
};

}  // namespace base::ini
