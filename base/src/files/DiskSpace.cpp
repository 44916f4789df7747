// Free space of the volume a path lies on, asked of the path's own volume
// (statvfs) rather than of a drive root.
#include "base/DiskSpace.h"

#include <sys/statvfs.h>

#include <cerrno>

#include "base/PathHelpers.h"
#include "crt/wprintf.h"
#include "files/NativePath.h"
#include "files/StringBridge.h"

namespace {

std::wstring FormatText(const std::optional<std::wstring>& text) { return text ? *text : L""; }

// The volume of the nearest existing folder on the path: a file about to
// be written does not exist yet, but its folder's volume is what counts.
// On failure, *queried is the path that could not be asked.
bool VolumeOf(const std::wstring& absolute, struct statvfs* info, std::wstring* queried,
              int* error) {
  std::wstring path = absolute;
  for (;;) {
    *queried = path;
    if (statvfs(SystemPathOf(path).c_str(), info) == 0) return true;
    *error = errno;
    if (*error != ENOENT || path == L"/") return false;
    while (path.size() > 1 && path.back() == L'/') path.pop_back();
    const size_t sep = path.rfind(L'/');
    path.erase(sep == 0 ? 1 : sep);
  }
}

}  // namespace

bool GetDiskSpace(const std::wstring& path, uint64_t& freeBytes, uint64_t& totalBytes,
                  std::wstring& error) {
  freeBytes = 0;
  totalBytes = 0;
  error.clear();
  std::wstring copy = path;
  NormalizePathSeparators(copy);
  // The root "/" is a whole path here; anything else this short, such as a
  // bare drive name, names no folder.
  if (copy.empty() || (copy.size() <= 2 && copy.front() != L'/')) {
    error = FormatText(crt::Format(L"Err:%s,路径非法,%s", L"GetDiskSpace", copy.c_str()));
    return false;
  }
  std::wstring absolute;
  GetFullPath(copy.c_str(), absolute);
  struct statvfs info{};
  std::wstring queried;
  int code = 0;
  if (absolute.empty() || !VolumeOf(absolute, &info, &queried, &code)) {
    error = FormatText(crt::Format(L"Err:%s,无法获取磁盘容量,%s,%d", L"GetDiskSpace",
                                   absolute.empty() ? copy.c_str() : queried.c_str(), code));
    return false;
  }
  freeBytes = static_cast<uint64_t>(info.f_bavail) * info.f_frsize;
  totalBytes = static_cast<uint64_t>(info.f_blocks) * info.f_frsize;
  return true;
}

bool HasDiskSpace(const std::wstring& path, uint64_t neededBytes) {
  uint64_t freeBytes = 0;
  uint64_t totalBytes = 0;
  std::wstring error;
  return GetDiskSpace(path, freeBytes, totalBytes, error) && freeBytes >= neededBytes;
}

bool GetDiskFreeRatio(float& ratio, const std::wstring& path, std::wstring& error) {
  uint64_t freeBytes = 0;
  uint64_t totalBytes = 0;
  if (!GetDiskSpace(path, freeBytes, totalBytes, error)) return false;
  ratio = totalBytes == 0 ? 0.0f
                          : static_cast<float>(static_cast<double>(freeBytes) /
                                               static_cast<double>(totalBytes));
  return true;
}

double GetDiskFreeGB(const SStringW& folder) {
  std::wstring absolute;
  const std::wstring path = ToStdString(folder);
  if (path.empty() || !GetFullPath(path.c_str(), absolute) || absolute.empty()) return 0.0;
  struct statvfs info{};
  std::wstring queried;
  int code = 0;
  if (!VolumeOf(absolute, &info, &queried, &code)) return 0.0;
  const uint64_t bytes = static_cast<uint64_t>(info.f_bfree) * info.f_frsize;
  return static_cast<double>(bytes) / (1024.0 * 1024.0 * 1024.0);
}

BOOL IsWow64() { return FALSE; }
