// Questions about paths that ask the file system: existence, kind, size,
// and the folders of the running program and the user.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "base/FolderOps.h"
#include "base/PathHelpers.h"
#include "files/NativePath.h"
#include "files/XdgFolders.h"

namespace {

bool StatPath(const std::wstring& path, struct stat* info) {
  return !path.empty() && stat(SystemPathOf(path).c_str(), info) == 0;
}

std::wstring FolderFromEnvironment(const char* name) {
  const char* value = getenv(name);
  if (value == nullptr || value[0] != '/') return std::wstring();
  return FromSystemPath(value);
}

}  // namespace

bool GetModuleFilePath(std::wstring& out) {
  std::vector<char> buffer(4096);
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return false;
  out = FromSystemPath(std::string(buffer.data(), static_cast<size_t>(n)));
  return true;
}

bool GetModuleDir(std::wstring& out) {
  std::wstring path;
  if (!GetModuleFilePath(path)) return false;
  const size_t sep = LastPathSeparator(path);
  if (sep == std::wstring::npos) return false;
  path.erase(sep + 1);
  AppendPathSeparator(path);
  out = path;
  return true;
}

bool GetCurrentDir(std::wstring& out) {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return false;
    buffer.resize(buffer.size() * 2);
  }
  out = FromSystemPath(buffer.data());
  AppendPathSeparator(out);
  return true;
}

void GetSpecialFolderPath(std::wstring& out) {
  out = XdgDataHome();
  AppendPathSeparator(out);
}

void GetTempDir(std::wstring& out) {
  out = FolderFromEnvironment("TMPDIR");
  if (out.empty() || !IsDirectory(out)) out = L"/tmp";
  if (!IsDirectory(out)) {
    out.clear();
    return;
  }
  AppendPathSeparator(out);
}

bool FileExists(const std::wstring& path) {
  struct stat info;
  return StatPath(path, &info);
}

bool IsDirectory(const std::wstring& path) {
  struct stat info;
  return StatPath(path, &info) && S_ISDIR(info.st_mode);
}

bool IsNormalFile(const std::wstring& path) {
  struct stat info;
  return StatPath(path, &info) && S_ISREG(info.st_mode);
}

bool IsReadOnlyFile(const std::wstring& path) {
  struct stat info;
  return StatPath(path, &info) && (info.st_mode & S_IWUSR) == 0;
}

bool IsFileWritable(const std::wstring& path) {
  if (path.empty()) return false;
  const int fd = open(SystemPathOf(path).c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  close(fd);
  return true;
}

int64_t GetFileSizeOfPath(const wchar_t* path) {
  std::wstring full;
  if (path == nullptr || !GetFullPath(path, full) || !FileExists(full)) return -1;
  // The whole 64-bit size: files of 4 GiB and more are not cut to 32 bits.
  return GetFileSize64(full);
}
