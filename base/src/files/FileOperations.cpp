// Moving, copying and deleting files and folders as the shell's file
// operation does without asking: an existing target is replaced unless the
// caller asks for a free name instead.
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "base/PathHelpers.h"
#include "files/NativePath.h"

namespace fs = std::filesystem;

namespace {

// A target that is an existing folder receives the source inside it.
fs::path ResolveTarget(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (fs::is_directory(to, ec) && !fs::equivalent(from, to, ec)) return to / from.filename();
  return to;
}

// "name (2).ext", "name (3).ext", ...: the first name nothing holds.
fs::path CollisionName(const fs::path& target, int n) {
  const fs::path stem = target.stem();
  return target.parent_path() /
         (stem.string() + " (" + std::to_string(n) + ")" + target.extension().string());
}

bool CopyTree(const fs::path& from, const fs::path& to, bool overwrite) {
  std::error_code ec;
  auto options = fs::copy_options::recursive | fs::copy_options::copy_symlinks;
  if (overwrite) options |= fs::copy_options::overwrite_existing;
  fs::copy(from, to, options, ec);
  return !ec;
}

// Renames without ever replacing what lies at the target.
bool RenameNoReplace(const fs::path& from, const fs::path& to, int* error) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  *error = errno;
  return false;
}

// A hidden name beside the target that no other copy uses.
fs::path StagingName(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  return target.parent_path() / ("." + target.filename().string() + ".partial-" +
                                 std::to_string(getpid()) + "-" + std::to_string(counter++));
}

// Copies into a hidden staging name first and renames the finished copy to
// the first free name: a copy that fails half-way takes no name and leaves
// nothing behind, and a name taken meanwhile is never written into.
bool CopyToFreeName(const fs::path& from, const fs::path& target) {
  const fs::path staging = StagingName(target);
  std::error_code ec;
  bool placed = false;
  if (CopyTree(from, staging, false)) {
    for (int n = 1; n < 10000 && !placed; ++n) {
      int error = 0;
      if (RenameNoReplace(staging, n == 1 ? target : CollisionName(target, n), &error)) placed = true;
      else if (error != EEXIST) break;
    }
  }
  if (!placed) fs::remove_all(staging, ec);
  return placed;
}

// A file that replaces another is copied beside it first and renamed over
// it once whole: a copy that fails half-way leaves the old file as it was.
// Folders are merged into an existing target, entry by entry.
bool CopyReplacing(const fs::path& from, const fs::path& target) {
  std::error_code ec;
  if (fs::is_directory(fs::symlink_status(from, ec))) return CopyTree(from, target, true);
  const fs::path staging = StagingName(target);
  if (CopyTree(from, staging, false) && ::rename(staging.c_str(), target.c_str()) == 0) return true;
  fs::remove_all(staging, ec);
  return false;
}

bool Transfer(bool move, bool renameOnCollision, const std::wstring& fromText,
              const std::wstring& toText) {
  if (fromText.empty() || toText.empty()) return false;
  const fs::path from = SystemPathOf(fromText);
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(from, ec))) return false;
  const fs::path target = ResolveTarget(from, SystemPathOf(toText));

  if (renameOnCollision) {
    if (move) {
      int error = EEXIST;
      for (int n = 1; n < 10000 && error == EEXIST; ++n) {
        if (RenameNoReplace(from, n == 1 ? target : CollisionName(target, n), &error)) return true;
      }
      // Another volume: copy, then remove the source once the copy is whole.
      if (error != EXDEV) return false;
    }
    if (!CopyToFreeName(from, target)) return false;
    return !move || (fs::remove_all(from, ec) != static_cast<std::uintmax_t>(-1) && !ec);
  }

  if (!move) return CopyReplacing(from, target);
  fs::rename(from, target, ec);
  if (!ec) return true;
  if (ec.value() != EXDEV) return false;
  if (!CopyReplacing(from, target)) return false;
  fs::remove_all(from, ec);
  return !ec;
}

}  // namespace

bool MoveFileOp(bool renameOnCollision, const std::wstring& from, const std::wstring& to) {
  return Transfer(true, renameOnCollision, from, to);
}

bool CopyFileOp(bool renameOnCollision, const std::wstring& from, const std::wstring& to) {
  return Transfer(false, renameOnCollision, from, to);
}

bool DeleteFileOp(const std::wstring& path) {
  if (path.empty()) return false;
  std::error_code ec;
  const fs::path target = SystemPathOf(path);
  if (!fs::exists(fs::symlink_status(target, ec))) return false;
  fs::remove_all(target, ec);
  return !ec;
}
