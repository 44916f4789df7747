#include "online/DumpCatchUpload.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/AppFolders.h"
#include "base/CodePage.h"
#include "base/ProductInfo.h"

extern char** environ;

namespace {

std::string DefaultHelperPath() {
  const SStringW dir = GetExeDir();
  if (dir.IsEmpty()) return {};
  return WStringToUtf8Ret(std::wstring(dir.c_str())) + "/" CRASH_UPLOAD_HELPER_FILE;
}

// write(2) until all is written or the reader is gone.
void WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
}

}  // namespace

CBLLDumpCatchUpload::CBLLDumpCatchUpload()
    : CBLLDumpCatchUpload(DefaultHelperPath(), WStringToUtf8Ret(GetUploadHostSetting())) {}

CBLLDumpCatchUpload::CBLLDumpCatchUpload(const std::string& helperPath, const std::string& uploadHost)
    : m_helperPath(helperPath), m_host(uploadHost) {
  Prepare();
}

void CBLLDumpCatchUpload::Prepare() {
  if (m_helperPath.empty() || m_host.empty()) return;
  m_argStore = {m_helperPath, m_host};
  for (char** entry = environ; entry && *entry; ++entry) m_envStore.emplace_back(*entry);
  for (std::string& arg : m_argStore) m_argv.push_back(arg.data());
  m_argv.push_back(nullptr);
  for (std::string& var : m_envStore) m_envp.push_back(var.data());
  m_envp.push_back(nullptr);
}

int CBLLDumpCatchUpload::OnCatch(int, const char* crashText) {
  // Two threads may crash at once: only the one that wins the exchange goes on.
  if (m_calls.exchange(1) != 0) return 1;
  if (m_argv.empty()) return 1;  // no host configured, or no program folder

  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return 1;
  const pid_t child = _Fork();
  if (child < 0) {
    close(fds[0]);
    close(fds[1]);
    return 1;
  }
  if (child == 0) {
    // A session of its own, so the helper outlives the crashing process's
    // group; the signal mask of the handler would otherwise survive exec.
    setsid();
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (dup2(fds[0], STDIN_FILENO) < 0) _exit(127);
    // Nothing of the dying process (its display, audio or database
    // connections) stays open in the helper.
    close_range(3, ~0U, 0);
    execve(m_argv[0], m_argv.data(), m_envp.data());
    _exit(127);
  }
  close(fds[0]);
  // A helper that could not start closes the pipe: the write fails, it
  // does not kill the process before it reports its own signal.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
  if (crashText) WriteAll(fds[1], crashText, strlen(crashText));
  close(fds[1]);
  return 1;
}
