#include "logic/RecordingJournal.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "base/CodePage.h"
#include "base/DebugStr.h"

namespace {

// Entries are UTF-8 paths, each ended by a NUL byte: no path can hold one.
std::string Encode(const std::vector<std::wstring>& entries) {
  std::string bytes;
  for (const std::wstring& entry : entries) {
    bytes += WStringToUtf8Ret(entry);
    bytes += '\0';
  }
  return bytes;
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

CRecordingJournal::CRecordingJournal(std::wstring path) : m_path(std::move(path)) {}

std::vector<std::wstring> CRecordingJournal::ReadLocked() const {
  std::vector<std::wstring> entries;
  if (m_path.empty()) return entries;
  std::ifstream in(WStringToUtf8Ret(m_path), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t start = 0;
  for (size_t end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1) {
    // A last entry without its NUL was never completely written: dropped.
    if (end > start) entries.push_back(Utf8ToWStringRet(bytes.substr(start, end - start)));
  }
  return entries;
}

bool CRecordingJournal::WriteLocked(const std::vector<std::wstring>& entries) {
  if (m_path.empty()) return false;
  const std::string path = WStringToUtf8Ret(m_path);
  if (entries.empty()) return ::unlink(path.c_str()) == 0 || errno == ENOENT;
  const std::string temporary = path + ".new";
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  bool ok = fd >= 0 && WriteAll(fd, Encode(entries)) && ::fsync(fd) == 0;
  if (fd >= 0 && ::close(fd) != 0) ok = false;
  if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    base::OutputDebugText(L"the list of recordings being written could not be saved: " + m_path + L"\r\n");
  }
  return ok;
}

bool CRecordingJournal::Add(const std::wstring& recording) {
  std::lock_guard<std::mutex> lock(m_lock);
  std::vector<std::wstring> entries = ReadLocked();
  if (std::find(entries.begin(), entries.end(), recording) != entries.end()) return true;
  entries.push_back(recording);
  return WriteLocked(entries);
}

bool CRecordingJournal::Remove(const std::wstring& recording) {
  std::lock_guard<std::mutex> lock(m_lock);
  std::vector<std::wstring> entries = ReadLocked();
  auto kept = std::remove(entries.begin(), entries.end(), recording);
  if (kept == entries.end()) return true;
  entries.erase(kept, entries.end());
  return WriteLocked(entries);
}

std::vector<std::wstring> CRecordingJournal::Entries() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return ReadLocked();
}
