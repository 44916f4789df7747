#include "base/FileInfo.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <charconv>

#include "crt/wprintf.h"
#include "files/NativePath.h"
#include "format/LocalClock.h"
#include "format/SizeScale.h"

namespace {

FileFindData FindFile(const std::wstring& path) {
  FileFindData data;
  if (path.empty()) return data;
  struct statx sx{};
  if (statx(AT_FDCWD, SystemPathOf(path).c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
    return data;
  }
  auto toTimespec = [](const struct statx_timestamp& t) {
    struct timespec ts{};
    ts.tv_sec = static_cast<time_t>(t.tv_sec);
    ts.tv_nsec = static_cast<long>(t.tv_nsec);
    return ts;
  };
  data.found = true;
  data.lastAccessTime = toTimespec(sx.stx_atime);
  data.lastWriteTime = toTimespec(sx.stx_mtime);
  data.creationTime = (sx.stx_mask & STATX_BTIME) ? toTimespec(sx.stx_btime) : data.lastWriteTime;
  data.size = sx.stx_size;
  return data;
}

// The file name part of a path: the text after its last separator.
size_t NameStart(const std::wstring& path) {
  const size_t sep = LastPathSeparator(path);
  return sep == std::wstring::npos ? 0 : sep + 1;
}

}  // namespace

CFileInfo::CFileInfo(const std::wstring& path) { Load(path); }

bool CFileInfo::Load(const std::wstring& path) {
  path_ = path;
  findData_ = FindFile(path);
  if (!findData_.found) return false;
  return Refresh();
}

bool CFileInfo::Refresh() {
  for (SYSTEMTIME& t : times_) t = SYSTEMTIME{};
  size_ = 0;
  if (!findData_.found) return true;
  LocalSystemTimeOf(findData_.creationTime, &times_[kCreationTime]);
  LocalSystemTimeOf(findData_.lastAccessTime, &times_[kLastAccessTime]);
  LocalSystemTimeOf(findData_.lastWriteTime, &times_[kLastWriteTime]);
  size_ = findData_.size;
  return true;
}

SYSTEMTIME CFileInfo::GetTime(int index) const {
  if (index < 0 || index > 2) return SYSTEMTIME{};
  return times_[index];
}

std::wstring CFileInfo::FormatTime(int index, bool year, bool month, bool day, bool hour,
                                   bool minute, bool second, const std::wstring& separator) const {
  const SYSTEMTIME t = GetTime(index);
  const bool flags[] = {year, month, day, hour, minute, second};
  const int values[] = {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
  std::wstring out;
  for (int i = 0; i < 6; ++i) {
    if (!flags[i]) continue;
    if (auto field = crt::Format(i == 0 ? L"%04d%s" : L"%02d%s", values[i], separator.c_str())) {
      out += *field;
    }
  }
  // Every field ends with the separator; drop the final one.
  const size_t last = separator.empty() ? std::wstring::npos : out.find_last_of(separator);
  if (last != std::wstring::npos) {
    const size_t start = last + 1 >= separator.size() ? last + 1 - separator.size() : 0;
    out.erase(start, last + 1 - start);
  }
  return out;
}

std::wstring CFileInfo::GetSizeText() const {
  const ScaledSize s = ScaleSize(size_);
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof(buffer), s.value, std::chars_format::general, 6);
  return std::wstring(buffer, result.ptr) + s.unit;
}

std::wstring CFileInfo::GetDir() const {
  const size_t sep = LastPathSeparator(path_);
  if (sep == std::wstring::npos) return std::wstring();
  return path_.substr(0, sep);
}

std::wstring CFileInfo::GetTitle() const {
  const std::wstring name = path_.substr(NameStart(path_));
  const size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring CFileInfo::GetExt() const {
  const std::wstring name = path_.substr(NameStart(path_));
  const size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? std::wstring() : name.substr(dot + 1);
}

std::wstring CFileInfo::GetFileVersion() const { return std::wstring(); }
