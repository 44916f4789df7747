// A stand-in of the desktop's handler (xdg-open) first on PATH: it writes
// each argument it gets on a line of its own into a record file, renamed
// into place when complete.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class HandlerStandIn {
 public:
  // Installs the stand-in in `folder`/bin; the record is `folder`/name.
  HandlerStandIn(const std::string& folder, const std::string& program = "xdg-open")
      : record_(folder + program + ".txt") {
    std::filesystem::create_directories(folder + "bin");
    Write(folder + "bin/" + program, record_);
    const char* path = getenv("PATH");
    oldPath_ = path ? path : "";
    setenv("PATH", (folder + "bin:" + oldPath_).c_str(), 1);
  }
  ~HandlerStandIn() { setenv("PATH", oldPath_.c_str(), 1); }

  // A script at `path` that records its arguments in `record`.
  static void Write(const std::string& path, const std::string& record) {
    std::ofstream script(path);
    script << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << record << ".tmp'\nmv '" << record
           << ".tmp' '" << record << "'\n";
    script.close();
    chmod(path.c_str(), 0755);
  }
  const std::string& Record() const { return record_; }
  bool Ran() const { return std::filesystem::exists(record_); }
  std::string Arguments() const { return Slurp(record_); }
  void Forget() const { std::filesystem::remove(record_); }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

 private:
  std::string record_;
  std::string oldPath_;
};
