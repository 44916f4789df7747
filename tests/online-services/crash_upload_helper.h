// Shared by the crash-upload tests: the configuration file, the crashing
// child started with it, and what the child and its helper wrote.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace crashtest {

// Writes [product] with `lines` to folder/product.ini; returns its path.
std::string WriteProductIni(const std::filesystem::path& folder, const std::string& lines);

struct CrashRun {
  pid_t pid = -1;
  int stderrFd = -1;  // shared by the child and the helper it starts
  std::string stderrText;
  CrashRun() = default;
  CrashRun(const CrashRun&) = delete;
  CrashRun& operator=(const CrashRun&) = delete;
  ~CrashRun();
};

// Starts the crashing child ("one" or "two") with that configuration and
// its standard error into a pipe; false when it could not be started.
bool StartCrash(CrashRun& run, const std::string& how, const std::string& productIni);
// Reads standard error until every writer closed it (the child and its
// helper both ended), `stop` holds or the time is up (false).
bool ReadStderr(CrashRun& run, const std::function<bool()>& stop, int timeoutMs);
// The signal the child died of; -1000 - code when it exited.
int WaitForSignal(CrashRun& run);

size_t CountOf(const std::string& text, const std::string& part);

}  // namespace crashtest
