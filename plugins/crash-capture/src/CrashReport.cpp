#include "CrashReport.h"

#include <fcntl.h>
#include <iconv.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "base/CallStack.h"

namespace trevalin {
namespace {

const char* SignalName(int signal) {
  switch (signal) {
    case SIGSEGV: return "SIGSEGV";
    case SIGABRT: return "SIGABRT";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    case SIGBUS: return "SIGBUS";
    default: return "signal";
  }
}

bool MakeFolders(const std::string& folder) {
  if (folder.empty()) return false;
  for (size_t pos = 1; pos <= folder.size(); ++pos) {
    if (pos != folder.size() && folder[pos] != '/') continue;
    std::string part = folder.substr(0, pos);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

// The same rules as the program's data folder, so that the reports land
// where the uploader looks: only absolute variables count, and without a
// HOME the account's home folder does.
std::string DataFolder() {
  std::string base;
  const char* xdg = getenv("XDG_DATA_HOME");
  const char* home = getenv("HOME");
  if (xdg && *xdg == '/') {
    base = xdg;
  } else if (home && *home == '/') {
    base = std::string(home) + "/.local/share";
  } else {
    char buffer[16384];
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) != 0 || !found ||
        !found->pw_dir || found->pw_dir[0] != '/')
      return {};
    base = std::string(found->pw_dir) + "/.local/share";
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base + "/Quorvale/";
}

std::string BuildCrashReport(int signal, bool hasFaultAddress, const void* faultAddress,
                             void* const* frames, int count) {
  std::ostringstream out;
  struct timespec now {};
  clock_gettime(CLOCK_REALTIME, &now);
  struct tm local {};
  localtime_r(&now.tv_sec, &local);
  char when[64];
  strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
  out << "Crash: " << SignalName(signal) << " (" << signal << ")\n";
  out << "Time: " << when << '.';
  char ms[16];
  snprintf(ms, sizeof ms, "%03ld", now.tv_nsec / 1000000);
  out << ms << '\n';
  out << "Process: " << getpid() << '\n';
  if (hasFaultAddress) {
    char address[32];
    snprintf(address, sizeof address, "0x%lx", reinterpret_cast<unsigned long>(faultAddress));
    out << "Address: " << address << '\n';
  }
  out << "Call stack:\n";
  CRuntimeStack stack(frames, count);
  out << stack.GetText();
  return out.str();
}

std::string StoreCrashReport(const std::string& folder, const std::string& text) {
  if (!MakeFolders(folder)) return {};
  time_t now = time(nullptr);
  struct tm local {};
  localtime_r(&now, &local);
  char name[96];
  strftime(name, sizeof name, "crash-%Y%m%d-%H%M%S", &local);
  std::string path = folder + name + "-" + std::to_string(getpid()) + ".txt";
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return {};
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    ssize_t n = write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      close(fd);
      return {};
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (close(fd) != 0) return {};
  return path;
}

std::string ToAnsiCodePage(const std::string& utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return utf8;
  std::string out;
  char buffer[256];
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  while (inLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    out.append(buffer, static_cast<size_t>(dst - buffer));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      // Not in the page, or not UTF-8: one '?' for the whole character.
      out += '?';
      ++in;
      --inLeft;
      while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80) {
        ++in;
        --inLeft;
      }
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace trevalin
