// Creating and emptying folders.
#include "base/FolderOps.h"

#include <dirent.h>
#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/PathHelpers.h"
#include "files/NativePath.h"

namespace {

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Every prefix ending at a separator, then the whole path, is made when
// missing. A failed step is not fatal by itself (a prefix may exist as
// something we cannot stat); the answer is whether the folder exists now.
bool MakeChain(const std::string& path) {
  if (path.empty()) return false;
  for (size_t k = 1; k < path.size(); ++k) {
    if (path[k] != '/') continue;
    const std::string prefix = path.substr(0, k + 1);
    if (!IsFolder(prefix)) mkdir(prefix.c_str(), 0777);
  }
  if (!IsFolder(path)) mkdir(path.c_str(), 0777);
  return IsFolder(path);
}

std::string NarrowNative(const char* path) {
  std::string copy = path;
  for (char& c : copy) {
    if (c == '\\') c = '/';
  }
  return copy;
}

template <typename Visit>
void ForEachEntry(const std::string& folder, Visit visit) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  while (struct dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string full = folder + (folder.back() == '/' ? "" : "/") + name;
    struct stat info;
    // Links are removed as links, never followed into what they point at.
    if (lstat(full.c_str(), &info) != 0) continue;
    visit(full, S_ISDIR(info.st_mode));
  }
  closedir(dir);
}

void DeleteTree(const std::string& folder, bool removeSubfolders) {
  ForEachEntry(folder, [removeSubfolders](const std::string& full, bool isFolder) {
    if (isFolder) {
      DeleteTree(full, removeSubfolders);
      if (removeSubfolders) rmdir(full.c_str());
    } else {
      unlink(full.c_str());
    }
  });
}

}  // namespace

bool CreateFolderChain(const std::wstring& path) { return MakeChain(SystemPathOf(path)); }

int CreateDirectoryTreeNarrow(const char* path) {
  if (path == nullptr) return 0;
  std::string copy = NarrowNative(path);
  while (copy.size() > 1 && copy.back() == '/') copy.pop_back();
  return MakeChain(copy) ? 0 : -1;
}

int CreateDirectoryTreeA(const std::wstring& path) {
  return CreateDirectoryTreeNarrow(SystemPathOf(path).c_str());
}

int CreateParentFolder(const std::wstring& filePath) {
  if (FileExists(filePath)) return 0;
  std::wstring drive, folder, name, extension, lastFolder, driveFolder;
  if (!SplitPath(filePath.c_str(), drive, folder, name, extension, lastFolder, driveFolder)) {
    return -1;
  }
  return MakeChain(SystemPathOf(driveFolder)) ? 0 : -1;
}

int CreateFolderShell(const std::wstring& folderPath) {
  std::wstring full;
  if (!GetFullPath(folderPath.c_str(), full) || full.empty()) return -1;
  return MakeChain(SystemPathOf(full)) ? 0 : -1;
}

int DeleteDirectoryTree(const std::wstring& folder, bool removeSubfolders) {
  if (!folder.empty()) DeleteTree(SystemPathOf(folder), removeSubfolders);
  return 1;
}

bool DeleteDirectory(const std::wstring& folder, bool removeSubfolders) {
  DeleteDirectoryTree(folder, removeSubfolders);
  return !folder.empty() && rmdir(SystemPathOf(folder).c_str()) == 0;
}

bool DeleteFilesInFolder(const std::wstring& folder) {
  if (folder.empty()) return true;
  ForEachEntry(SystemPathOf(folder), [](const std::string& full, bool isFolder) {
    if (!isFolder) unlink(full.c_str());
  });
  return true;
}

int64_t GetFileSize64(const std::wstring& path) {
  if (path.empty()) return -1;
  const int fd = open(SystemPathOf(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info;
  const bool ok = fstat(fd, &info) == 0;
  close(fd);
  return ok ? static_cast<int64_t>(info.st_size) : -1;
}

uint64_t GetFileSizeByFind(const std::wstring& pattern) {
  if (pattern.empty()) return 0;
  glob_t found{};
  uint64_t size = 0;
  if (glob(SystemPathOf(pattern).c_str(), 0, nullptr, &found) == 0 && found.gl_pathc > 0) {
    struct stat info;
    if (stat(found.gl_pathv[0], &info) == 0 && S_ISREG(info.st_mode)) {
      size = static_cast<uint64_t>(info.st_size);
    }
  }
  globfree(&found);
  return size;
}
