#include "hive_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>

#include "file_replace.h"
#include "text_codec.h"

namespace registry::detail {
namespace {

// The first line of every hive file; a file without it is not ours.
const wchar_t kHeader[] = L"Quorvale registry 1";

std::recursive_mutex& ProcessLock() {
  static std::recursive_mutex lock;
  return lock;
}

std::wstring Escape(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\\' || c == L'"' || c == L']') {
      out += L'\\';
      out += c;
    } else if (c == L'\n') {
      out += L"\\n";
    } else if (c == L'\r') {
      out += L"\\r";
    } else {
      out += c;
    }
  }
  return out;
}

// Reads an escaped text up to the unescaped terminator; pos ends after it.
bool Unescape(const std::wstring& line, size_t& pos, wchar_t terminator, std::wstring& out) {
  out.clear();
  while (pos < line.size()) {
    wchar_t c = line[pos++];
    if (c == terminator) return true;
    if (c == L'\\') {
      if (pos >= line.size()) return false;
      wchar_t e = line[pos++];
      out += e == L'n' ? L'\n' : e == L'r' ? L'\r' : e;
    } else {
      out += c;
    }
  }
  return false;
}

std::wstring Hex(const std::string& bytes) {
  static const wchar_t digits[] = L"0123456789abcdef";
  std::wstring out;
  for (unsigned char b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

bool Unhex(const std::wstring& text, std::string& out) {
  if (text.size() % 2) return false;
  out.clear();
  auto nibble = [](wchar_t c) -> int {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
  };
  for (size_t i = 0; i < text.size(); i += 2) {
    int hi = nibble(text[i]), lo = nibble(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out += static_cast<char>(hi * 16 + lo);
  }
  return true;
}

bool Parse(const std::wstring& text, Hive& hive) {
  std::vector<std::wstring> lines;
  std::wstring line;
  for (wchar_t c : text) {
    if (c == L'\n') {
      if (!line.empty() && line.back() == L'\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) return false;  // every line ends with CR LF
  if (lines.empty() || lines[0] != kHeader) return false;
  Key* current = nullptr;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::wstring& l = lines[i];
    if (l.empty()) continue;
    size_t pos = 1;
    if (l[0] == L'[') {
      std::wstring path;
      if (!Unescape(l, pos, L']', path) || pos != l.size()) return false;
      current = &hive.Create(path, nullptr);
    } else if (l[0] == L'"' && current) {
      Value v;
      if (!Unescape(l, pos, L'"', v.name) || pos >= l.size() || l[pos] != L'=') return false;
      size_t colon = l.find(L':', pos + 1);
      if (colon == std::wstring::npos) return false;
      try {
        v.type = static_cast<unsigned>(std::stoul(l.substr(pos + 1, colon - pos - 1)));
      } catch (...) {
        return false;
      }
      if (!Unhex(l.substr(colon + 1), v.data)) return false;
      current->values[FoldCase(v.name)] = v;
    } else {
      return false;
    }
  }
  return true;
}

// Renames a damaged file to the first free "<file>.damaged", then
// "<file>.damaged(1)", ..., so no earlier rescue copy is replaced.
void SetAside(const std::string& path) {
  for (int n = 0; n < 1000; ++n) {
    std::string target = path + ".damaged" + (n ? "(" + std::to_string(n) + ")" : "");
    struct stat st;
    if (stat(target.c_str(), &st) == 0) continue;
    std::rename(path.c_str(), target.c_str());
    return;
  }
}

}  // namespace

std::wstring JoinKeyPath(const std::wstring& base, const std::wstring& sub) {
  std::wstring joined = base + L"\\" + sub, out;
  for (wchar_t c : joined) {
    if (c == L'\\' && (out.empty() || out.back() == L'\\')) continue;
    out += c;
  }
  if (!out.empty() && out.back() == L'\\') out.pop_back();
  return out;
}

Key* Hive::Find(const std::wstring& path) {
  auto it = keys.find(FoldCase(path));
  return it == keys.end() ? nullptr : &it->second;
}

Key& Hive::Create(const std::wstring& path, bool* created) {
  if (created) *created = false;
  size_t pos = 0;
  Key* key = nullptr;
  // The root and every key on the way down exist once the path does.
  for (;;) {
    size_t next = path.find(L'\\', pos);
    std::wstring prefix = next == std::wstring::npos ? path : path.substr(0, next);
    auto [it, inserted] = keys.try_emplace(FoldCase(prefix));
    if (inserted) {
      it->second.path = prefix;
      if (created) *created = true;
    }
    key = &it->second;
    if (next == std::wstring::npos || path.empty()) break;
    pos = next + 1;
  }
  keys.try_emplace(L"");
  return *key;
}

bool Hive::HasSubKeys(const std::wstring& path) const {
  std::wstring prefix = FoldCase(path) + L"\\";
  if (path.empty()) prefix.clear();
  for (const auto& [folded, key] : keys)
    if (!folded.empty() && folded.compare(0, prefix.size(), prefix) == 0 && folded != FoldCase(path)) return true;
  return false;
}

void Hive::Remove(const std::wstring& path, bool recursive) {
  std::wstring folded = FoldCase(path);
  keys.erase(folded);
  if (!recursive) return;
  std::wstring prefix = folded + L"\\";
  for (auto it = keys.begin(); it != keys.end();) {
    if (it->first.compare(0, prefix.size(), prefix) == 0)
      it = keys.erase(it);
    else
      ++it;
  }
}

HiveLock::HiveLock(const std::wstring& hiveFile) {
  ProcessLock().lock();
  std::string lockPath = ToUtf8(hiveFile) + ".lock";
  fd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ >= 0) {
    while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
}

HiveLock::~HiveLock() {
  if (fd_ >= 0) close(fd_);  // closing releases the flock
  ProcessLock().unlock();
}

bool LoadHive(const std::wstring& file, Hive& hive) {
  hive = Hive();
  std::string path = ToUtf8(file);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    struct stat st;
    return stat(path.c_str(), &st) != 0 && errno == ENOENT;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  std::string raw = bytes.str();
  in.close();
  bool ok = raw.size() >= 2 && raw.compare(0, 2, "\xFF\xFE") == 0 && Parse(FromUtf16Le(raw.substr(2)), hive);
  if (!ok) {
    hive = Hive();
    SetAside(path);
  }
  return true;
}

bool SaveHive(const std::wstring& file, const Hive& hive) {
  std::wstring text = std::wstring(kHeader) + L"\r\n";
  for (const auto& [folded, key] : hive.keys) {
    if (folded.empty() && key.values.empty()) continue;
    text += L"[" + Escape(key.path) + L"]\r\n";
    for (const auto& [vf, v] : key.values)
      text += L"\"" + Escape(v.name) + L"\"=" + std::to_wstring(v.type) + L":" + Hex(v.data) + L"\r\n";
  }
  return ReplaceFile(ToUtf8(file), "\xFF\xFE" + ToUtf16Le(text));
}

}  // namespace registry::detail
