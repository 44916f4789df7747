#include "SourceLines.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

extern char** environ;

namespace callstack {
namespace {

constexpr int kLimitMs = 5000;

long long NowMs() {
  struct timespec ts {};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

// "file:line", "file:line (discriminator 2)", "??:0" or "??:?".
SourceLine ParseLine(const std::string& text) {
  SourceLine result;
  std::string s = text;
  size_t paren = s.find(" (discriminator");
  if (paren != std::string::npos) s.erase(paren);
  size_t colon = s.rfind(':');
  if (colon == std::string::npos) return result;
  std::string file = s.substr(0, colon);
  unsigned long line = std::strtoul(s.c_str() + colon + 1, nullptr, 10);
  if (file.empty() || file == "??" || line == 0) return result;
  // Build folders compile with relative paths ("build/../src/x.cpp"); a
  // report reads better with the plain path.
  result.file = std::filesystem::path(file).lexically_normal().string();
  result.line = static_cast<unsigned>(line);
  return result;
}

}  // namespace

std::vector<SourceLine> LookupSourceLines(const std::string& modulePath,
                                          const std::vector<uintptr_t>& addresses) {
  std::vector<SourceLine> results(addresses.size());
  if (addresses.empty() || modulePath.empty()) return results;

  std::vector<std::string> args = {"addr2line", "-e", modulePath};
  for (uintptr_t address : addresses) {
    char hex[32];
    snprintf(hex, sizeof hex, "0x%lx", static_cast<unsigned long>(address));
    args.push_back(hex);
  }
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return results;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  int spawned = posix_spawnp(&pid, "addr2line", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return results;
  }

  std::string text;
  long long deadline = NowMs() + kLimitMs;
  bool finished = false;
  while (!finished) {
    long long left = deadline - NowMs();
    if (left <= 0) break;
    struct pollfd pfd {out[0], POLLIN, 0};
    int ready = poll(&pfd, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    char buffer[4096];
    ssize_t n = read(out[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      finished = true;
    } else {
      text.append(buffer, static_cast<size_t>(n));
    }
  }
  close(out[0]);
  if (!finished) kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!finished || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return results;

  size_t index = 0;
  size_t start = 0;
  while (index < results.size() && start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    results[index++] = ParseLine(text.substr(start, end - start));
    start = end + 1;
  }
  if (index != results.size()) return std::vector<SourceLine>(addresses.size());
  return results;
}

}  // namespace callstack
