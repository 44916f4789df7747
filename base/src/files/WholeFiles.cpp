// Whole-file reads and writes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/PathHelpers.h"
#include "files/NativePath.h"

namespace {

// The permission bits a newly created file gets from this process, read
// without changing the process's umask (other threads may create files).
mode_t NewFileMode() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) {
      return static_cast<mode_t>(0666 & ~std::stoul(line.substr(6), nullptr, 8));
    }
  }
  return 0644;
}

bool WriteAll(int fd, const unsigned char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

std::wstring DecodeUtf16(const std::vector<uint16_t>& units) {
  std::wstring out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    const uint16_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      out += static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      out += L'\uFFFD';
    } else {
      out += static_cast<wchar_t>(u);
    }
  }
  return out;
}

}  // namespace

bool WriteWholeFile(const void* data, size_t size, const std::wstring& path) {
  if (path.empty() || data == nullptr || size == 0) return false;
  const std::string target = SystemPathOf(path);
  std::string temporary = target + ".tmp-XXXXXX";
  const int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;

  struct stat existing;
  const mode_t mode =
      stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : NewFileMode();
  bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, static_cast<const unsigned char*>(data), size) &&
            fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (ok) ok = rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

bool ReadWholeFile(std::wstring& out, const std::wstring& path) {
  out.clear();
  if (path.empty()) return false;
  const int fd = open(SystemPathOf(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;

  // Pieces of 518 bytes, each taken as UTF-16LE text up to its first zero
  // unit; the units are decoded together so that a surrogate pair split
  // between two pieces still reads as one character.
  constexpr size_t kPiece = 518;
  std::vector<uint16_t> units;
  unsigned char buffer[kPiece];
  bool ok = true;
  for (;;) {
    size_t filled = 0;
    while (filled < kPiece) {
      const ssize_t n = read(fd, buffer + filled, kPiece - filled);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) ok = false;
      if (n <= 0) break;
      filled += static_cast<size_t>(n);
    }
    if (!ok) break;
    for (size_t i = 0; i + 1 < filled; i += 2) {
      const uint16_t unit = static_cast<uint16_t>(buffer[i] | (buffer[i + 1] << 8));
      if (unit == 0) break;
      units.push_back(unit);
    }
    if (filled < kPiece) break;
  }
  close(fd);
  if (!ok) return false;
  out = DecodeUtf16(units);
  return true;
}
