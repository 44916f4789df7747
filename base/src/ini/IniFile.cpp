#include "ini/IniFile.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string_view>

#include "base/CodePage.h"
#include "base/Utf16.h"

namespace base::ini {
namespace {

// Settings files are a few kilobytes; anything this large is not one of
// ours and is not worth holding in memory.
constexpr off_t kLargestIniFile = 16 * 1024 * 1024;

std::wstring SystemError(int error) { return Utf8ToWStringRet(std::strerror(error)); }

std::string NativePath(const std::wstring& path) { return WStringToUtf8Ret(path); }

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Empty when the UTF-16LE bytes after the mark are well formed; otherwise
// what is wrong with them.
std::wstring Utf16Problem(std::string_view units) {
  if (units.size() % 2 != 0) return L"it ends in the middle of a character (truncated)";
  uint16_t previous = L'\n';  // the text begins a line
  for (size_t i = 0; i < units.size(); i += 2) {
    uint16_t u = static_cast<uint8_t>(units[i]) | (static_cast<uint8_t>(units[i + 1]) << 8);
    if (u == 0) return L"it holds NUL characters";
    // A second mark (two files joined, or a mark written into a file that
    // had one) hides the line it starts: its section or key would be lost.
    if (u == 0xFEFF && (previous == L'\n' || previous == L'\r')) return L"a byte-order mark starts a line";
    previous = u;
    if (u >= 0xDC00 && u <= 0xDFFF) return L"it holds a broken surrogate pair";
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 3 >= units.size()) return L"it holds a broken surrogate pair";
      uint16_t next = static_cast<uint8_t>(units[i + 2]) | (static_cast<uint8_t>(units[i + 3]) << 8);
      if (next < 0xDC00 || next > 0xDFFF) return L"it holds a broken surrogate pair";
      i += 2;
    }
  }
  return {};
}

// Whether a process of this id may still be running: only "no such
// process" says it is gone (a process of another user answers EPERM).
bool ProcessMayRun(long pid) { return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH); }

// "<pid>-<n>" in decimal, as SaveIniFile names its temporary files; the
// pid, or -1 for any other text.
long TempFileOwner(std::string_view tail) {
  const size_t dash = tail.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash + 1 == tail.size()) return -1;
  long pid = 0;
  for (size_t i = 0; i < tail.size(); ++i) {
    if (i == dash) continue;
    if (tail[i] < '0' || tail[i] > '9') return -1;
    if (i < dash) {
      if (pid > 100000000) return -1;
      pid = pid * 10 + (tail[i] - '0');
    }
  }
  return pid;
}

// A writer killed between writing its temporary file and renaming it
// leaves "<file>.tmp-<pid>-<n>" behind; the next write of the file removes
// those whose process is gone. A live writer's file is left alone.
void RemoveStaleTempFiles(const std::string& target) {
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
  const std::string prefix = (slash == std::string::npos ? target : target.substr(slash + 1)) + ".tmp-";
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  const long self = static_cast<long>(::getpid());
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    const long owner = TempFileOwner(name.substr(prefix.size()));
    if (owner < 0 || owner == self || ProcessMayRun(owner)) continue;
    ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

// Writes bytes to a descriptor and closes it; 0 or the errno of the failure.
int WriteAndClose(int fd, std::string_view bytes) {
  int error = 0;
  if (!WriteAll(fd, bytes)) error = errno ? errno : EIO;
  if (::close(fd) != 0 && error == 0) error = errno;
  return error;
}

}  // namespace

IniFileContent LoadIniFile(const std::wstring& path) {
  IniFileContent content;
  // Non-blocking: a named pipe in the file's place would otherwise hold
  // the open until another program writes into it. It is refused below,
  // and reads of a regular file are not affected.
  int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) return content;
    content.status = IniFileStatus::kUnreadable;
    content.problem = L"cannot open " + path + L": " + SystemError(errno);
    return content;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    int error = errno;
    ::close(fd);
    content.status = IniFileStatus::kUnreadable;
    content.problem = L"cannot read " + path + L": " +
                      (S_ISDIR(st.st_mode)    ? std::wstring(L"it is a folder")
                       : st.st_mode != 0      ? std::wstring(L"it is not a regular file")
                                              : SystemError(error));
    return content;
  }
  if (st.st_size > kLargestIniFile) {
    ::close(fd);
    content.status = IniFileStatus::kDamaged;
    content.problem = path + L" is not a settings file: it is too large";
    return content;
  }
  std::string bytes;
  char chunk[8192];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int error = errno;
      ::close(fd);
      content.status = IniFileStatus::kUnreadable;
      content.problem = L"cannot read " + path + L": " + SystemError(error);
      return content;
    }
    if (n == 0 || bytes.size() > static_cast<size_t>(kLargestIniFile)) break;
    bytes.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);

  content.status = IniFileStatus::kOk;
  if (bytes.empty()) return content;
  std::wstring problem;
  if (!HasUtf16LeBom(bytes)) {
    problem = L"it does not start with the UTF-16LE byte-order mark";
  } else {
    problem = Utf16Problem(std::string_view(bytes).substr(2));
  }
  if (!problem.empty()) {
    content.status = IniFileStatus::kDamaged;
    content.problem = path + L" is damaged: " + problem;
    return content;
  }
  content.document = IniDocument::Parse(Utf16LeDecode(bytes, true));
  return content;
}

bool SaveIniFile(const std::wstring& path, const IniDocument& document, std::wstring& problem) {
  static std::atomic<unsigned> counter{0};
  const std::string target = NativePath(path);
  const std::string bytes = Utf16LeEncode(document.Serialize(), true);

  mode_t mode = 0644;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;

  RemoveStaleTempFiles(target);
  const std::string temp = target + ".tmp-" + std::to_string(::getpid()) + "-" +
                           std::to_string(counter.fetch_add(1));
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd >= 0) {
    int error = WriteAndClose(fd, bytes);
    if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
    if (error == 0) return true;
    ::unlink(temp.c_str());
    problem = L"cannot write " + path + L": " + SystemError(error);
    return false;
  }
  // The folder may refuse new files while the file itself is writable:
  // write it in place then.
  fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) {
    problem = L"cannot write " + path + L": " + SystemError(errno);
    return false;
  }
  int error = WriteAndClose(fd, bytes);
  if (error != 0) problem = L"cannot write " + path + L": " + SystemError(error);
  return error == 0;
}

bool CreateEmptyIniFile(const std::wstring& path, std::wstring& problem) {
  const std::string target = NativePath(path);
  int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (errno == EEXIST) return true;
    problem = L"cannot create " + path + L": " + SystemError(errno);
    return false;
  }
  int error = WriteAndClose(fd, kUtf16LeBom);
  if (error == 0) return true;
  ::unlink(target.c_str());
  problem = L"cannot create " + path + L": " + SystemError(error);
  return false;
}

}  // namespace base::ini
