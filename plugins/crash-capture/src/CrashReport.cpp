#include "CrashReport.h"

#include <fcntl.h>
#include <iconv.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "SafeStackText.h"

namespace trevalin {
namespace {

// The local time's distance from UTC when the module was loaded: the
// handler cannot ask the time-zone code, which takes a lock.
long g_utcOffsetSeconds = 0;
iconv_t g_toAnsi = reinterpret_cast<iconv_t>(-1);

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

struct CivilTime {
  long long year;
  unsigned month, day, hour, minute, second;
};

// Seconds since the epoch as a calendar date and time (proleptic Gregorian).
CivilTime ToCivil(long long seconds) {
  long long days = seconds / 86400;
  long long rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned mp = (5 * dayOfYear + 2) / 153;
  CivilTime t{};
  t.day = dayOfYear - (153 * mp + 2) / 5 + 1;
  t.month = mp < 10 ? mp + 3 : mp - 9;
  t.year = static_cast<long long>(yearOfEra) + era * 400 + (t.month <= 2);
  t.hour = static_cast<unsigned>(rest / 3600);
  t.minute = static_cast<unsigned>(rest / 60 % 60);
  t.second = static_cast<unsigned>(rest % 60);
  return t;
}

CivilTime LocalNow(long* milliseconds) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  if (milliseconds) *milliseconds = now.tv_nsec / 1000000;
  return ToCivil(static_cast<long long>(now.tv_sec) + g_utcOffsetSeconds);
}

bool MakeFolders(const char* folder) {
  char part[4096];
  const size_t length = strlen(folder);
  if (length == 0 || length >= sizeof part) return false;
  for (size_t pos = 1; pos <= length; ++pos) {
    if (pos != length && folder[pos] != '/') continue;
    memcpy(part, folder, pos);
    part[pos] = '\0';
    if (mkdir(part, 0755) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return stat(folder, &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

void PrepareCrashReport() {
  tzset();
  const time_t now = time(nullptr);
  struct tm local {};
  if (localtime_r(&now, &local)) g_utcOffsetSeconds = local.tm_gmtoff;
  g_toAnsi = iconv_open("GBK", "UTF-8");
  PrepareStackText();
}

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

void BuildCrashReport(FixedText& out, int signal, bool hasFaultAddress, const void* faultAddress,
                      void* const* frames, int count) {
  long ms = 0;
  const CivilTime when = LocalNow(&ms);
  out.append("Crash: ");
  out.append(SignalName(signal));
  out.append(" (");
  out.appendUnsigned(static_cast<unsigned>(signal));
  out.append(")\nTime: ");
  out.appendUnsigned(static_cast<unsigned long long>(when.year), 4);
  out.append('-');
  out.appendUnsigned(when.month, 2);
  out.append('-');
  out.appendUnsigned(when.day, 2);
  out.append(' ');
  out.appendUnsigned(when.hour, 2);
  out.append(':');
  out.appendUnsigned(when.minute, 2);
  out.append(':');
  out.appendUnsigned(when.second, 2);
  out.append('.');
  out.appendUnsigned(static_cast<unsigned long long>(ms), 3);
  out.append("\nProcess: ");
  out.appendUnsigned(static_cast<unsigned long long>(getpid()));
  out.append('\n');
  if (hasFaultAddress) {
    out.append("Address: ");
    out.appendHex(reinterpret_cast<uintptr_t>(faultAddress));
    out.append('\n');
  }
  out.append("Call stack:\n");
  WriteStackText(out, frames, count);
}

bool StoreCrashReport(const char* folder, const FixedText& text, FixedText& path) {
  path.clear();
  if (!MakeFolders(folder)) return false;
  const CivilTime when = LocalNow(nullptr);
  path.append(folder);
  path.append("crash-");
  path.appendUnsigned(static_cast<unsigned long long>(when.year), 4);
  path.appendUnsigned(when.month, 2);
  path.appendUnsigned(when.day, 2);
  path.append('-');
  path.appendUnsigned(when.hour, 2);
  path.appendUnsigned(when.minute, 2);
  path.appendUnsigned(when.second, 2);
  path.append('-');
  path.appendUnsigned(static_cast<unsigned long long>(getpid()));
  path.append(".txt");
  if (path.full()) return false;
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const char* p = text.c_str();
  size_t left = text.size();
  while (left > 0) {
    const ssize_t n = write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      close(fd);
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return close(fd) == 0;
}

void ToAnsiCodePage(const FixedText& utf8, FixedText& out) {
  out.clear();
  if (g_toAnsi == reinterpret_cast<iconv_t>(-1)) {
    out.append(utf8.c_str(), utf8.size());
    return;
  }
  iconv(g_toAnsi, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(utf8.c_str());
  size_t inLeft = utf8.size();
  char buffer[256];
  while (inLeft > 0 && !out.full()) {
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    const size_t converted = iconv(g_toAnsi, &in, &inLeft, &dst, &dstLeft);
    out.append(buffer, static_cast<size_t>(dst - buffer));
    if (converted == static_cast<size_t>(-1) && errno != E2BIG) {
      // Not in the page, or not UTF-8: one '?' for the whole character.
      out.append('?');
      ++in;
      --inLeft;
      while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80) {
        ++in;
        --inLeft;
      }
    }
  }
}

}  // namespace trevalin
