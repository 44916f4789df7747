// Free names for files about to be written. The chosen name is taken with
// an exclusive create, so neither another thread nor another process can
// have its file truncated by the caller's write.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
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

// The longest file name, in bytes, that Linux file systems take.
constexpr size_t kLongestName = NAME_MAX;

size_t Utf8Length(wchar_t c) {
  const auto code = static_cast<uint32_t>(c);
  return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
}

size_t Utf8Length(const std::wstring& text) {
  size_t bytes = 0;
  for (wchar_t c : text) bytes += Utf8Length(c);
  return bytes;
}

// The title cut at a character boundary so that it and the tail (suffix,
// counter and extension) make a file name the file system takes; empty when
// not even one character of the title fits.
std::wstring FittedTitle(const std::wstring& title, const std::wstring& tail) {
  const size_t tailBytes = Utf8Length(tail);
  if (tailBytes >= kLongestName) return std::wstring();
  const size_t budget = kLongestName - tailBytes;
  size_t used = 0;
  size_t kept = 0;
  while (kept < title.size() && used + Utf8Length(title[kept]) <= budget) {
    used += Utf8Length(title[kept++]);
  }
  return title.substr(0, kept);
}

// Candidate n of the search: n = 0 is the title with the suffix, n >= 1
// adds the counter n - 1. Empty when no title fits the name limit.
std::wstring Candidate(const PathParts& parts, const std::wstring& suffix, long long n,
                       CounterStyle style) {
  std::wstring tail = suffix;
  if (n >= 1) {
    const std::wstring counter = std::to_wstring(n - 1);
    tail += style == CounterStyle::kParentheses ? L"(" + counter + L")" : counter;
  }
  if (parts.hasExtension) tail += L"." + parts.extension;
  const std::wstring title = FittedTitle(parts.title, tail);
  if (title.empty() && !parts.title.empty()) return std::wstring();
  return parts.folder + title + tail;
}

// The path as given, its title shortened only when its name is too long.
std::wstring FirstCandidate(const std::wstring& path, const PathParts& parts) {
  const size_t separator = LastPathSeparator(path);
  const std::wstring name = separator == std::wstring::npos ? path : path.substr(separator + 1);
  if (Utf8Length(name) <= kLongestName) return path;
  return Candidate(parts, std::wstring(), 0, CounterStyle::kParentheses);
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
// Every name is cut to the file system's limit before it is tried, so the
// counter never pushes a name past it.
std::wstring Search(const std::wstring& path, const std::wstring& suffix, CounterStyle style,
                    bool reserve) {
  const PathParts parts = SplitPathParts(path);
  std::wstring result = FirstCandidate(path, parts);
  for (long long n = 0; n <= INT_MAX; ++n) {
    if (result.empty()) return result;  // no name of this form fits
    if (reserve) {
      // Only a name that now exists is returned: one that cannot be created
      // (a missing folder, no permission) gives the caller nothing to write.
      const Claim claim = ClaimName(result);
      if (claim == Claim::kCreated) return result;
      if (claim == Claim::kUncreated) return std::wstring();
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
