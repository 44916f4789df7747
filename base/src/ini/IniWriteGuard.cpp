#include "ini/IniWriteGuard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/CodePage.h"

namespace base::ini {
namespace {

// As many links as the kernel itself follows before it gives up.
constexpr int kMostLinks = 40;

// A write of a settings file holds the lock for milliseconds; a program
// that holds it longer is stuck, and the settings are written without it
// rather than the writer hanging with them (at exit: the program).
constexpr std::chrono::milliseconds kLongestLockWait{3000};

std::wstring SystemError(int error) { return Utf8ToWStringRet(std::strerror(error)); }

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.rfind(L'/');
  if (slash == std::wstring::npos) return L".";
  return slash == 0 ? L"/" : path.substr(0, slash);
}

bool ReadLink(const std::string& path, std::string& target) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) return false;
    if (static_cast<size_t>(n) < buffer.size()) {
      target.assign(buffer.data(), static_cast<size_t>(n));
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

std::wstring FollowLinks(const std::wstring& path) {
  std::wstring current = path;
  for (int hop = 0; hop < kMostLinks; ++hop) {
    const std::string native = WStringToUtf8Ret(current);
    struct stat st {};
    if (::lstat(native.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::string target;
    if (!ReadLink(native, target) || target.empty()) return current;
    const std::wstring next = Utf8ToWStringRet(target);
    if (next.empty()) return current;  // a target that is not UTF-8 is not followed
    current = next.front() == L'/' ? next : FolderOf(current) + L"/" + next;
  }
  return path;
}

IniWriteGuard::IniWriteGuard(const std::wstring& file) {
  const std::wstring folder = FolderOf(file);
  m_fd = ::open(WStringToUtf8Ret(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (m_fd < 0) {
    m_problem = L"cannot lock the folder " + folder + L": " + SystemError(errno);
    return;
  }
  const auto giveUpAt = std::chrono::steady_clock::now() + kLongestLockWait;
  std::chrono::milliseconds pause{1};
  while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    if (error == EINTR) continue;
    if (error != EWOULDBLOCK) {
      m_problem = L"cannot lock the folder " + folder + L": " + SystemError(error);
      break;
    }
    if (std::chrono::steady_clock::now() >= giveUpAt) {
      m_problem = L"the folder " + folder + L" stayed locked by another program for " +
                  std::to_wstring(kLongestLockWait.count() / 1000) + L" s; written without the lock";
      break;
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds{50});
  }
  if (!m_problem.empty()) {
    ::close(m_fd);
    m_fd = -1;
  }
}

IniWriteGuard::~IniWriteGuard() {
  if (m_fd >= 0) ::close(m_fd);  // closing the only descriptor releases the lock
}

}  // namespace base::ini
