// Shared by the crash-upload tests: the configuration file, the crashing
// child started with it, and what the child and its helper wrote.
#include "crash_upload_helper.h"

#include "../online/local_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

extern char** environ;

namespace crashtest {

std::string WriteProductIni(const std::filesystem::path& folder, const std::string& lines) {
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "product.ini").string();
  std::ofstream(path) << "[product]\n" << lines;
  return path;
}

bool StartCrash(CrashRun& run, const std::string& how, const std::string& productIni) {
  int err[2];
  if (pipe2(err, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("QUORVALE_PRODUCT_INI=", 0) != 0) env.emplace_back(*e);
  env.push_back("QUORVALE_PRODUCT_INI=" + productIni);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string program = QUORVALE_CRASH_UPLOAD_CHILD;
  std::string mode = how;
  char* argv[] = {program.data(), mode.data(), nullptr};
  const int failed = posix_spawn(&run.pid, program.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(err[1]);
  if (failed) {
    close(err[0]);
    run.pid = -1;
    return false;
  }
  run.stderrFd = err[0];
  return true;
}

bool ReadStderr(CrashRun& run, const std::function<bool()>& stop, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (run.stderrFd >= 0) {
    if (stop && stop()) return true;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{run.stderrFd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(std::min<long>(left.count(), 50))) < 0) return false;
    if (!p.revents) continue;
    char buffer[4096];
    const ssize_t got = read(run.stderrFd, buffer, sizeof buffer);
    if (got <= 0) {
      close(run.stderrFd);
      run.stderrFd = -1;
      break;
    }
    run.stderrText.append(buffer, static_cast<size_t>(got));
  }
  return true;
}

int WaitForSignal(CrashRun& run) {
  if (run.pid <= 0) return -1;
  int status = 0;
  if (waitpid(run.pid, &status, 0) != run.pid) return -1;
  run.pid = -1;
  return WIFSIGNALED(status) ? WTERMSIG(status) : -1000 - WEXITSTATUS(status);
}

CrashRun::~CrashRun() {
  if (stderrFd >= 0) close(stderrFd);
  if (pid > 0) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
}

size_t CountOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

}  // namespace crashtest
