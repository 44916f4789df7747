#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/SystemHelpers.h"

extern char** environ;

namespace {

// Runs a command without a shell; true when it ran and exited with 0.
bool run(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  pid_t waited;
  do {
    waited = waitpid(pid, &status, 0);  // a signal must not leave a zombie or a false failure
  } while (waited < 0 && errno == EINTR);
  if (waited != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool EnableShutdownPrivilege() { return geteuid() == 0; }

BOOL ShutdownSystem(int kind, bool force) {
  if (kind < 0 || kind > 2) return 0;
  // As on Windows, a failure to get the privilege is no reason not to ask:
  // logind decides whether this user may.
  EnableShutdownPrivilege();
  switch (kind) {
    case 0: {
      const char* session = std::getenv("XDG_SESSION_ID");
      if (!session || !*session) return 0;
      return run({"loginctl", "terminate-session", session}) ? 1 : 0;
    }
    case 1:
      return run(force ? std::vector<std::string>{"systemctl", "poweroff", "--force"}
                       : std::vector<std::string>{"systemctl", "poweroff"})
                 ? 1
                 : 0;
    default:
      return run(force ? std::vector<std::string>{"systemctl", "reboot", "--force"}
                       : std::vector<std::string>{"systemctl", "reboot"})
                 ? 1
                 : 0;
  }
}
