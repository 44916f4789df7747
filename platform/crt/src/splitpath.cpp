#include "crt/splitpath.h"

#include <cerrno>
#include <cwchar>

namespace {

struct Part {
  wchar_t* buffer;
  size_t size;
};

bool Valid(const Part& p) { return (p.buffer == nullptr) == (p.size == 0); }

void EmptyAll(const Part* parts, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (parts[i].buffer && parts[i].size > 0) parts[i].buffer[0] = 0;
  }
}

}  // namespace

errno_t _wsplitpath_s(const wchar_t* path, wchar_t* drive, size_t driveSize, wchar_t* dir, size_t dirSize,
                      wchar_t* fname, size_t fnameSize, wchar_t* ext, size_t extSize) {
  const Part parts[] = {{drive, driveSize}, {dir, dirSize}, {fname, fnameSize}, {ext, extSize}};
  constexpr size_t kParts = sizeof parts / sizeof parts[0];
  if (!path) {
    EmptyAll(parts, kParts);
    return EINVAL;
  }
  for (const Part& p : parts) {
    if (!Valid(p)) {
      EmptyAll(parts, kParts);
      return EINVAL;
    }
  }
  const size_t len = wcslen(path);
  size_t nameStart = 0;
  for (size_t i = 0; i < len; ++i) {
    if (path[i] == L'/' || path[i] == L'\\') nameStart = i + 1;
  }
  size_t dot = len;
  for (size_t i = len; i > nameStart; --i) {
    if (path[i - 1] == L'.') {
      dot = i - 1;
      break;
    }
  }
  const size_t starts[] = {0, 0, nameStart, dot};
  const size_t lengths[] = {0, nameStart, dot - nameStart, len - dot};
  for (size_t i = 0; i < kParts; ++i) {
    if (parts[i].buffer && lengths[i] >= parts[i].size) {
      EmptyAll(parts, kParts);
      return ERANGE;
    }
  }
  for (size_t i = 0; i < kParts; ++i) {
    if (!parts[i].buffer) continue;
    wmemcpy(parts[i].buffer, path + starts[i], lengths[i]);
    parts[i].buffer[lengths[i]] = 0;
  }
  return 0;
}
