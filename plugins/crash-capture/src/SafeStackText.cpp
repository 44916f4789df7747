#include "SafeStackText.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

// libiberty's demangler (libiberty/demangle.h, whose other declarations
// clash with the C library's basename): it writes through the callback and
// allocates nothing.
extern "C" int cplus_demangle_v3_callback(const char* mangled, int options,
                                          void (*callback)(const char*, size_t, void*), void* opaque);
constexpr int kDemangleParams = 1 << 0;  // DMGL_PARAMS
constexpr int kDemangleAnsi = 1 << 1;    // DMGL_ANSI

namespace trevalin {
namespace {

constexpr int kMaxFrames = 128;
constexpr size_t kNameBytes = 1024;
constexpr size_t kFileBytes = 1024;
// addr2line gets this long per module before it is stopped.
constexpr int kSourceLinesLimitMs = 5000;

struct Frame {
  const char* modulePath = nullptr;  // owned by the dynamic linker, or g_programPath
  uintptr_t linkAddress = 0;
  bool isReturnAddress = true;
  char symbol[kNameBytes];  // readable name; empty when unknown
  unsigned long symbolOffset = 0;
  char file[kFileBytes];  // empty when unknown
  unsigned line = 0;
};

// Everything the handler writes with, set aside with the module.
Frame g_frames[kMaxFrames];
char g_programPath[4096];
char g_addr2line[4096];
char g_rawName[kNameBytes];
char g_demangled[kNameBytes];
char g_lines[64 * 1024];
char g_hexArguments[kMaxFrames][24];
char* g_argv[kMaxFrames + 4];

long long NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

bool ReadAt(int fd, void* buffer, size_t size, off_t offset) {
  return pread(fd, buffer, size, offset) == static_cast<ssize_t>(size);
}

// The best function symbol of one table holding target; its name goes to
// g_rawName.
bool SearchTable(int fd, const ElfW(Ehdr)& header, unsigned type, ElfW(Addr) target, unsigned long& offset) {
  for (unsigned i = 0; i < header.e_shnum; ++i) {
    ElfW(Shdr) table{};
    if (!ReadAt(fd, &table, sizeof table, header.e_shoff + i * sizeof table)) return false;
    if (table.sh_type != type || table.sh_entsize != sizeof(ElfW(Sym)) || table.sh_link >= header.e_shnum)
      continue;
    ElfW(Shdr) strings{};
    if (!ReadAt(fd, &strings, sizeof strings, header.e_shoff + table.sh_link * sizeof strings)) continue;
    ElfW(Sym) chunk[128];
    const size_t total = table.sh_size / sizeof(ElfW(Sym));
    bool found = false;
    ElfW(Sym) best{};
    for (size_t start = 0; start < total; start += 128) {
      const size_t n = total - start < 128 ? total - start : 128;
      if (!ReadAt(fd, chunk, n * sizeof(ElfW(Sym)), table.sh_offset + start * sizeof(ElfW(Sym)))) break;
      for (size_t k = 0; k < n; ++k) {
        const ElfW(Sym)& s = chunk[k];
        if (ELF64_ST_TYPE(s.st_info) != STT_FUNC || s.st_shndx == SHN_UNDEF || s.st_value == 0) continue;
        if (target < s.st_value || !s.st_size || target >= s.st_value + s.st_size) continue;
        if (!found || s.st_value > best.st_value) best = s;
        found = true;
      }
    }
    if (!found || best.st_name >= strings.sh_size) continue;
    size_t length = strings.sh_size - best.st_name;
    if (length > kNameBytes - 1) length = kNameBytes - 1;
    const ssize_t got = pread(fd, g_rawName, length, strings.sh_offset + best.st_name);
    if (got <= 0) continue;
    g_rawName[got] = '\0';  // the name ends at its own NUL, if that came first
    offset = target - best.st_value;
    return true;
  }
  return false;
}

bool SymbolFromFile(const char* path, ElfW(Addr) target, unsigned long& offset) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ElfW(Ehdr) header{};
  bool found = ReadAt(fd, &header, sizeof header, 0) && memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
               header.e_ident[EI_CLASS] == ELFCLASS64 && header.e_shentsize == sizeof(ElfW(Shdr));
  found = found && (SearchTable(fd, header, SHT_SYMTAB, target, offset) ||
                    SearchTable(fd, header, SHT_DYNSYM, target, offset));
  close(fd);
  return found;
}

void CollectDemangled(const char* text, size_t length, void* out) {
  static_cast<FixedText*>(out)->append(text, length);
}

// The demangled name without its parameter list and ABI tags, as the base
// library's call-stack text writes it; the raw name when it is not C++.
void ReadableName(const char* raw, char* out, size_t capacity) {
  FixedText name(g_demangled, sizeof g_demangled);
  if (!cplus_demangle_v3_callback(raw, kDemangleParams | kDemangleAnsi, CollectDemangled, &name) || name.full()) {
    FixedText copy(out, capacity);
    copy.append(raw);
    return;
  }
  // Drop "[abi:...]" tags.
  FixedText result(out, capacity);
  const char* text = name.c_str();
  size_t length = 0;
  char* kept = g_demangled;  // compacted in place
  for (size_t i = 0; text[i];) {
    if (strncmp(text + i, "[abi:", 5) == 0) {
      const char* end = strchr(text + i, ']');
      if (end) {
        i = static_cast<size_t>(end - text) + 1;
        continue;
      }
    }
    kept[length++] = text[i++];
  }
  kept[length] = '\0';
  // Cut at the '(' that opens the last parameter list; "(anonymous
  // namespace)" at the start is part of the name.
  size_t cut = length;
  const char* close = strrchr(kept, ')');
  if (close) {
    int depth = 0;
    for (size_t i = static_cast<size_t>(close - kept) + 1; i-- > 0;) {
      if (kept[i] == ')') {
        ++depth;
      } else if (kept[i] == '(' && --depth == 0) {
        if (i > 0) cut = i;
        break;
      }
    }
  }
  result.append(kept, cut);
}

// "a/b/../c/./d" as "a/c/d", without touching the file system.
void NormalPath(const char* path, size_t length, char* out, size_t capacity) {
  if (capacity == 0) return;
  const bool absolute = length && path[0] == '/';
  size_t size = absolute ? 1 : 0;
  size_t starts[256];  // where each kept segment begins in out
  int segments = 0;
  if (absolute) out[0] = '/';
  for (size_t i = 0; i < length;) {
    size_t end = i;
    while (end < length && path[end] != '/') ++end;
    const size_t n = end - i;
    const bool dot = n == 1 && path[i] == '.';
    const bool dots = n == 2 && path[i] == '.' && path[i + 1] == '.';
    const bool lastIsDots = segments > 0 && size - starts[segments - 1] == 2 &&
                            out[starts[segments - 1]] == '.' && out[starts[segments - 1] + 1] == '.';
    if (n == 0 || dot || (dots && absolute && segments == 0)) {
      // nothing to keep
    } else if (dots && segments > 0 && !lastIsDots) {
      --segments;
      size = starts[segments];
      if (size > (absolute ? 1u : 0u)) --size;  // its separator
    } else if (segments < 256 && size + n + 2 < capacity) {
      if (segments > 0) out[size++] = '/';
      starts[segments++] = size;
      memcpy(out + size, path + i, n);
      size += n;
    }
    i = end + 1;
  }
  out[size] = '\0';
}

// One "file:line" answer of addr2line ("??:0" when it does not know).
void ParseSourceLine(const char* text, size_t length, Frame& frame) {
  for (size_t i = 0; i + 15 <= length; ++i)
    if (memcmp(text + i, " (discriminator", 15) == 0) {
      length = i;
      break;
    }
  size_t colon = length;
  while (colon > 0 && text[colon - 1] != ':') --colon;
  if (colon == 0) return;
  const size_t fileLength = colon - 1;
  unsigned long line = 0;
  for (size_t i = colon; i < length && text[i] >= '0' && text[i] <= '9'; ++i) line = line * 10 + (text[i] - '0');
  if (fileLength == 0 || (fileLength == 2 && text[0] == '?' && text[1] == '?') || line == 0) return;
  NormalPath(text, fileLength, frame.file, sizeof frame.file);
  frame.line = static_cast<unsigned>(line);
}

// Source lines of the frames of one module, from one addr2line run.
void LookupSourceLines(const char* module, const int* indexes, int count) {
  if (!g_addr2line[0] || count == 0) return;
  int argc = 0;
  g_argv[argc++] = const_cast<char*>("addr2line");
  g_argv[argc++] = const_cast<char*>("-e");
  g_argv[argc++] = const_cast<char*>(module);
  for (int k = 0; k < count; ++k) {
    FixedText hex(g_hexArguments[k], sizeof g_hexArguments[k]);
    hex.appendHex(g_frames[indexes[k]].linkAddress);
    g_argv[argc++] = g_hexArguments[k];
  }
  g_argv[argc] = nullptr;

  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return;
  const pid_t child = _Fork();
  if (child == 0) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    const int quiet = open("/dev/null", O_RDWR);
    if (dup2(out[1], STDOUT_FILENO) < 0 || quiet < 0 || dup2(quiet, STDIN_FILENO) < 0 ||
        dup2(quiet, STDERR_FILENO) < 0)
      _exit(127);
    close_range(3, ~0U, 0);
    execve(g_addr2line, g_argv, environ);
    _exit(127);
  }
  close(out[1]);
  if (child < 0) {
    close(out[0]);
    return;
  }
  size_t size = 0;
  bool finished = false;
  const long long deadline = NowMs() + kSourceLinesLimitMs;
  while (!finished && size < sizeof g_lines) {
    const long long left = deadline - NowMs();
    if (left <= 0) break;
    pollfd ready{out[0], POLLIN, 0};
    const int polled = poll(&ready, 1, static_cast<int>(left));
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) break;
    const ssize_t n = read(out[0], g_lines + size, sizeof g_lines - size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) finished = true;
    else size += static_cast<size_t>(n);
  }
  close(out[0]);
  if (!finished) kill(child, SIGKILL);
  int status = 0;
  pid_t waited;
  do {
    waited = waitpid(child, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (!finished || (waited == child && (!WIFEXITED(status) || WEXITSTATUS(status) != 0))) return;

  // One line per address, in order; anything else is not trusted.
  int lines = 0;
  for (size_t i = 0; i < size; ++i) lines += g_lines[i] == '\n';
  if (lines != count) return;
  size_t start = 0;
  for (int k = 0; k < count; ++k) {
    size_t end = start;
    while (g_lines[end] != '\n') ++end;
    ParseSourceLine(g_lines + start, end - start, g_frames[indexes[k]]);
    start = end + 1;
  }
}

void DescribeModuleAndSymbol(void* address, Frame& frame) {
  // A return address points after the call, possibly past the end of a
  // function that never returns; the call itself lies one byte back.
  const char* lookup = static_cast<const char*>(address) - (frame.isReturnAddress ? 1 : 0);
  dl_find_object found{};
  if (_dl_find_object(const_cast<char*>(lookup), &found) != 0 || !found.dlfo_link_map) return;
  const link_map* map = found.dlfo_link_map;
  frame.modulePath = map->l_name && map->l_name[0] ? map->l_name : (g_programPath[0] ? g_programPath : nullptr);
  frame.linkAddress = reinterpret_cast<uintptr_t>(lookup) - map->l_addr;
  unsigned long offset = 0;
  if (frame.modulePath && SymbolFromFile(frame.modulePath, frame.linkAddress, offset)) {
    ReadableName(g_rawName, frame.symbol, sizeof frame.symbol);
    frame.symbolOffset = offset + (frame.isReturnAddress ? 1 : 0);
  }
}

const char* BaseName(const char* path) {
  const char* slash = strrchr(path, '/');
  return slash ? slash + 1 : path;
}

}  // namespace

void PrepareStackText() {
  const ssize_t n = readlink("/proc/self/exe", g_programPath, sizeof g_programPath - 1);
  g_programPath[n > 0 ? n : 0] = '\0';
  const char* path = getenv("PATH");
  if (!path || !*path) path = "/usr/local/bin:/usr/bin:/bin";
  for (const char* dir = path; *dir;) {
    const char* end = strchr(dir, ':');
    const size_t length = end ? static_cast<size_t>(end - dir) : strlen(dir);
    FixedText candidate(g_addr2line, sizeof g_addr2line);
    candidate.append(dir, length);
    candidate.append("/addr2line");
    if (length && access(g_addr2line, X_OK) == 0) return;
    if (!end) break;
    dir = end + 1;
  }
  g_addr2line[0] = '\0';
}

void WriteStackText(FixedText& out, void* const* frames, int count) {
  if (count > kMaxFrames) count = kMaxFrames;
  for (int i = 0; i < count; ++i) {
    Frame& frame = g_frames[i];
    frame.modulePath = nullptr;
    frame.linkAddress = 0;
    frame.isReturnAddress = i != 0;
    frame.symbol[0] = '\0';
    frame.symbolOffset = 0;
    frame.file[0] = '\0';
    frame.line = 0;
    DescribeModuleAndSymbol(frames[i], frame);
  }
  // One addr2line run per module, for all of its frames.
  bool done[kMaxFrames] = {};
  int indexes[kMaxFrames];
  for (int i = 0; i < count; ++i) {
    if (done[i] || !g_frames[i].modulePath) continue;
    int n = 0;
    for (int k = i; k < count; ++k)
      if (!done[k] && g_frames[k].modulePath && strcmp(g_frames[k].modulePath, g_frames[i].modulePath) == 0) {
        done[k] = true;
        indexes[n++] = k;
      }
    LookupSourceLines(g_frames[i].modulePath, indexes, n);
  }
  for (int i = 0; i < count; ++i) {
    const Frame& frame = g_frames[i];
    out.append(frame.file[0] ? frame.file : " ");
    out.append('(');
    out.appendUnsigned(frame.line);
    out.append(") : ");
    out.append(frame.modulePath ? BaseName(frame.modulePath) : "?.?");
    out.append(" at ");
    out.append(frame.symbol[0] ? frame.symbol : "?");
    out.append("()\n");
  }
}

}  // namespace trevalin
