#include "mediaconvert/MCPendingOutput.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <vector>

extern "C" {
#include <libavutil/error.h>
}

namespace {

// The process's umask without changing it (umask() would, for a moment,
// for every thread).
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
  }
  return 022;
}

}  // namespace

int MCPendingOutput::Begin(const std::string& finalPath) {
  Discard();
  finalPath_ = finalPath;
  writePath_ = finalPath;
  struct stat st {};
  if (stat(finalPath.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return 0;
  const size_t slash = finalPath.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : finalPath.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? finalPath : finalPath.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  const std::string ext = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
  // Hidden and with the final extension: whatever looks at the name while
  // it is written sees the same kind of file.
  std::string pattern = folder + "." + stem + ".part-XXXXXX" + ext;
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  const int fd = mkstemps(buf.data(), static_cast<int>(ext.size()));
  if (fd < 0) return AVERROR(errno);
  // mkstemps makes the file private; the result gets the mode a plain
  // create would have given it.
  fchmod(fd, 0666 & ~CurrentUmask());
  close(fd);
  writePath_ = buf.data();
  pending_ = true;
  return 0;
}

int MCPendingOutput::Commit() {
  if (!pending_) return 0;
  if (std::rename(writePath_.c_str(), finalPath_.c_str()) != 0) {
    const int code = AVERROR(errno);
    Discard();
    return code;
  }
  pending_ = false;
  writePath_ = finalPath_;
  return 0;
}

void MCPendingOutput::Discard() {
  if (!pending_) return;
  std::remove(writePath_.c_str());
  pending_ = false;
  writePath_ = finalPath_;
}
