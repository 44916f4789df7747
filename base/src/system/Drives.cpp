#include <sys/statvfs.h>

#include <cstring>

#include "MountTable.h"
#include "Utf8Paths.h"
#include "base/SystemHelpers.h"
#include "win32/errors.h"

namespace {

// The mount whose point is the longest prefix of the path.
const MountEntry* mountOf(const std::vector<MountEntry>& mounts, const std::string& path) {
  std::string withSlash = path;
  if (withSlash.empty() || withSlash.back() != '/') withSlash.push_back('/');
  const MountEntry* best = nullptr;
  for (const MountEntry& m : mounts) {
    if (withSlash.rfind(m.mountPoint, 0) == 0 &&
        (!best || m.mountPoint.size() > best->mountPoint.size()))
      best = &m;
  }
  return best;
}

}  // namespace

DWORD GetLogicalDrivesUnelevated(DWORD count, wchar_t* buffer) {
  if (!buffer) return ERROR_INVALID_PARAMETER;
  std::memset(buffer, 0, count * sizeof(wchar_t));
  std::vector<MountEntry> mounts;
  int error = 0;
  if (!ReadDriveMounts(mounts, error)) return ERROR_PATH_NOT_FOUND;
  std::wstring list;
  for (const MountEntry& m : mounts) {
    list += FromUtf8Path(m.mountPoint);
    list.push_back(L'\0');
  }
  // An empty list would read as "no drives": a list that does not fit is
  // reported, not cut.
  if (list.size() + 1 > count) return ERROR_INSUFFICIENT_BUFFER;
  std::wmemcpy(buffer, list.data(), list.size());
  return 0;
}

DWORD GetLogicalDrivesUnelevated(wchar_t* buffer) { return GetLogicalDrivesUnelevated(MAX_PATH, buffer); }

int GetDriveTypeOf(const std::wstring& root) {
  if (root.empty() || root[0] != L'/') return DRIVE_NO_ROOT_DIR;
  std::vector<MountEntry> mounts;
  int error = 0;
  if (!ReadDriveMounts(mounts, error)) return DRIVE_UNKNOWN;
  const MountEntry* mount = mountOf(mounts, ToUtf8Path(root));
  return mount ? DriveTypeOfMount(*mount) : DRIVE_NO_ROOT_DIR;
}

uint64_t GetFreeSpaceOfPath(const std::wstring& path) {
  struct statvfs info {};
  if (path.empty() || statvfs(ToUtf8Path(path).c_str(), &info) != 0) return 0;
  return static_cast<uint64_t>(info.f_bfree) * info.f_frsize;
}

CDriveList::CDriveList(bool) {
  // Without elevation there is no other view of the drives to take: both
  // forms list what every process of the user sees. The whole list is
  // taken, however long its texts.
  std::vector<MountEntry> mounts;
  int error = 0;
  ReadDriveMounts(mounts, error);
  for (const MountEntry& m : mounts) {
    const std::wstring root = FromUtf8Path(m.mountPoint);
    drives_[DriveTypeOfMount(m)].push_back(root);
    drives_[-1].push_back(root);
  }
}

std::vector<std::wstring>& CDriveList::GetDrives(int type) { return drives_[type]; }

std::wstring CDriveList::GetDriveWithMostFreeSpace(int type) {
  uint64_t best = 0;
  std::wstring result;
  for (const std::wstring& drive : GetDrives(type)) {
    const uint64_t free = GetFreeSpaceOfPath(drive);
    if (free >= best) {
      best = free;
      result = drive;
    }
  }
  return result;
}

bool CDriveList::HasMostFreeSpace(const std::wstring& path, int type) {
  const uint64_t own = GetFreeSpaceOfPath(path);
  for (const std::wstring& drive : GetDrives(type)) {
    if (GetFreeSpaceOfPath(drive) > own) return false;
  }
  return true;
}

bool MoveRectInside(RECT* rect, const RECT* bounds) {
  if (!rect || !bounds) return false;
  const LONG width = rect->right - rect->left, height = rect->bottom - rect->top;
  if (width > bounds->right - bounds->left || height > bounds->bottom - bounds->top) return false;
  auto shift = [](LONG& low, LONG& high, LONG boundLow, LONG boundHigh) {
    if (low < boundLow) {
      high += boundLow - low;
      low = boundLow;
    }
    if (high > boundHigh) {
      low -= high - boundHigh;
      high = boundHigh;
    }
  };
  shift(rect->left, rect->right, bounds->left, bounds->right);
  shift(rect->top, rect->bottom, bounds->top, bounds->bottom);
  return true;
}
