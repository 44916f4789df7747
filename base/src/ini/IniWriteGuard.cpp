#include "ini/IniWriteGuard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "base/CodePage.h"

namespace base::ini {
namespace {

// As many links as the kernel itself follows before it gives up.
constexpr int kMostLinks = 40;

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
    m_problem = L"cannot lock the folder " + folder + L": " + Utf8ToWStringRet(std::strerror(errno));
    return;
  }
  while (::flock(m_fd, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    m_problem = L"cannot lock the folder " + folder + L": " + Utf8ToWStringRet(std::strerror(errno));
    ::close(m_fd);
    m_fd = -1;
    return;
  }
}

IniWriteGuard::~IniWriteGuard() {
  if (m_fd >= 0) ::close(m_fd);  // closing the only descriptor releases the lock
}

}  // namespace base::ini
