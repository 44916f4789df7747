// Mutexes. A named one is also visible to other processes: every process
// holding a handle keeps a shared flock on <runtime dir>/<name>.lock, so a
// creator that cannot take the lock exclusively knows the name exists.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>

#include "kernel_object.h"
#include "utf8.h"

namespace win32::detail {
namespace {

class Mutex : public KernelObject {
 public:
  explicit Mutex(std::wstring name, int lockFd) : name_(std::move(name)), lockFd_(lockFd) {}
  ~Mutex() override;
  bool signaledFor(DWORD threadId) const override { return owner_ == 0 || owner_ == threadId; }
  void acquire(DWORD threadId) override {
    owner_ = threadId;
    ++depth_;
  }
  // Called with kernelMutex() held.
  bool release(DWORD threadId) {
    if (owner_ != threadId || depth_ == 0) return false;
    if (--depth_ == 0) owner_ = 0;
    return true;
  }

 private:
  const std::wstring name_;
  const int lockFd_;
  DWORD owner_ = 0;
  int depth_ = 0;
};

struct NameTable {
  std::mutex mutex;
  std::map<std::wstring, std::weak_ptr<Mutex>> byName;
};

NameTable& names() {
  static NameTable* t = new NameTable();
  return *t;
}

Mutex::~Mutex() {
  if (!name_.empty()) {
    NameTable& t = names();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.byName.find(name_);
    if (it != t.byName.end() && it->second.expired()) t.byName.erase(it);
  }
  if (lockFd_ >= 0) ::close(lockFd_);  // drops this process's flock
}

std::string lockFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return runtime;
  std::string folder = "/tmp/quorvale-" + std::to_string(::getuid());
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::string();
  return folder;
}

std::string lockFileName(const wchar_t* name) {
  std::string file = toUtf8(name);
  for (char& c : file) {
    if (c == '/' || c == '\\') c = '_';
  }
  return file + ".lock";
}

// Opens the lock file and joins the holders. Returns the descriptor, or -1
// with errno set; *existed tells whether another process held it already.
int joinLockFile(const wchar_t* name, bool* existed) {
  const std::string folder = lockFolder();
  if (folder.empty()) return -1;
  const std::string path = folder + "/" + lockFileName(name);
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    std::fprintf(stderr, "CreateMutexW: cannot open lock file %s: %s\n", path.c_str(),
                 std::strerror(errno));
    return -1;
  }
  *existed = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  // Hold the lock shared from now on, so later creators see it exists.
  // A creator converting its exclusive lock holds it only for an instant.
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (::flock(fd, LOCK_SH | LOCK_NB) == 0) return fd;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::fprintf(stderr, "CreateMutexW: cannot share lock file %s: %s\n", path.c_str(),
               std::strerror(errno));
  return fd;
}

}  // namespace
}  // namespace win32::detail

using namespace win32::detail;

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCWSTR lpName) {
  std::shared_ptr<Mutex> mutex;
  bool existed = false;
  if (lpName && *lpName) {
    NameTable& t = names();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.byName.find(lpName);
    if (it != t.byName.end()) mutex = it->second.lock();
    if (mutex) {
      existed = true;
    } else {
      int fd = joinLockFile(lpName, &existed);
      if (fd < 0) {
        SetLastError(errno == EACCES || errno == EPERM ? ERROR_ACCESS_DENIED
                                                       : ERROR_PATH_NOT_FOUND);
        return nullptr;
      }
      mutex = std::make_shared<Mutex>(lpName, fd);
      t.byName[lpName] = mutex;
    }
  } else {
    mutex = std::make_shared<Mutex>(std::wstring(), -1);
  }
  if (bInitialOwner && !existed) {
    std::lock_guard<std::mutex> lock(kernelMutex());
    mutex->acquire(GetCurrentThreadId());
  }
  HANDLE handle = insertHandle(mutex);
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

BOOL ReleaseMutex(HANDLE hMutex) {
  auto mutex = lookupHandleAs<Mutex>(hMutex);
  if (!mutex) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(kernelMutex());
  if (!mutex->release(GetCurrentThreadId())) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  mutex->wakeWaiters();
  return TRUE;
}
