// Free names for files about to be written. The chosen name is taken with
// an exclusive create, so neither another thread nor another process can
// have its file truncated by the caller's write.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <mutex>

#include "base/FileNaming.h"
#include "files/NativePath.h"
#include "files/PathParts.h"
#include "files/StringBridge.h"

namespace {

std::mutex& UniqueNameLock() {
  static std::mutex lock;
  return lock;
}

std::mutex& UniqueNameStdLock() {
  static std::mutex lock;
  return lock;
}

enum class CounterStyle { kParentheses, kPlain };

// Candidate n of the search: n = 0 is the title with the suffix, n >= 1
// adds the counter n - 1.
std::wstring Candidate(const PathParts& parts, const std::wstring& suffix, long long n,
                       CounterStyle style) {
  std::wstring title = parts.title + suffix;
  if (n >= 1) {
    const std::wstring counter = std::to_wstring(n - 1);
    title += style == CounterStyle::kParentheses ? L"(" + counter + L")" : counter;
  }
  return parts.folder + title + (parts.hasExtension ? L"." + parts.extension : L"");
}

bool NameTaken(const std::wstring& path) {
  struct stat info;
  return lstat(SystemPathOf(path).c_str(), &info) == 0;
}

enum class Claim { kTaken, kCreated, kUncreated };

Claim ClaimName(const std::wstring& path) {
  if (NameTaken(path)) return Claim::kTaken;
  const int fd = open(SystemPathOf(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0) {
    close(fd);
    return Claim::kCreated;
  }
  return errno == EEXIST ? Claim::kTaken : Claim::kUncreated;
}

// The search of the unique-name operations: the path itself, then every
// candidate in turn; with reserve, each free name is claimed by creating it.
std::wstring Search(const std::wstring& path, const std::wstring& suffix, CounterStyle style,
                    bool reserve) {
  const PathParts parts = SplitPathParts(path);
  std::wstring result = path;
  for (long long n = 0; n <= INT_MAX; ++n) {
    if (reserve) {
      // A name that cannot be created for another reason (a missing folder,
      // no permission) is still returned, as the caller's own open will
      // report the problem.
      if (ClaimName(result) != Claim::kTaken) return result;
    } else if (!NameTaken(result)) {
      return result;
    }
    result = Candidate(parts, suffix, n, style);
  }
  return std::wstring();
}

}  // namespace

SStringW MakeUniqueFileName(const SStringW& path, bool convertSuffix) {
  std::lock_guard<std::mutex> guard(UniqueNameLock());
  return ToSString(Search(ToStdString(path), convertSuffix ? L"_convert" : L"",
                          CounterStyle::kParentheses, true));
}

SStringW MakeUniqueNameNoLock(const SStringW& path, bool suffix) {
  return ToSString(
      Search(ToStdString(path), suffix ? L"_pxAudio" : L"", CounterStyle::kParentheses, false));
}

std::wstring MakeUniqueFileNameStd(const std::wstring& path, bool convertSuffix) {
  std::lock_guard<std::mutex> guard(UniqueNameStdLock());
  return Search(path, convertSuffix ? L"_convert" : L"", CounterStyle::kPlain, true);
}
