#include "base/Logger.h"

#include "base/CodePage.h"
#include "base/Utf16.h"

namespace {

// One entry as it reaches the disk: CR LF, the text with each LF stored as
// CR LF (what a Windows text-mode stream does), CR LF.
std::string EntryBytes(const std::wstring& text) {
  std::wstring line;
  line.reserve(text.size() + 8);
  line += L"\r\n";
  for (wchar_t c : text) {
    if (c == L'\n') line += L'\r';
    line += c;
  }
  line += L"\r\n";
  return base::Utf16LeEncode(line);
}

}  // namespace

CLogger::CLogger() = default;

CLogger::~CLogger() { CloseFile(); }

bool CLogger::SetFile(bool keepOpen, const std::wstring& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Entries must never keep going to a file the caller has moved away from.
  if (file_ != nullptr && path != path_) CloseFile();
  keepOpen_ = keepOpen;
  path_ = path;
  if (path_.empty()) return true;
  const bool opened = Open();
  if (!keepOpen_) return CloseFile() && opened;
  return opened;
}

bool CLogger::WriteLine(const std::wstring& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  lastText_ = text;
  if (path_.empty()) return true;
  return WriteEntryLocked(lastText_);
}

bool CLogger::WriteLast() {
  // Takes the lock too: the last text may be replaced by another thread.
  std::lock_guard<std::mutex> lock(mutex_);
  if (path_.empty()) return true;
  return WriteEntryLocked(lastText_);
}

std::wstring CLogger::GetLastText() {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastText_;
}

std::wstring CLogger::GetFile() {
  std::lock_guard<std::mutex> lock(mutex_);
  return path_;
}

bool CLogger::IsOpen() {
  std::lock_guard<std::mutex> lock(mutex_);
  return file_ != nullptr;
}

bool CLogger::Open() {
  if (file_ != nullptr) return true;
  if (path_.empty()) return false;
  std::string nativePath;
  if (!WStringToUtf8(path_, nativePath) || nativePath.empty()) return false;
  // Binary append: the UTF-16LE bytes are produced here, never by the C
  // library's locale conversion. Close-on-exec ('e'): a kept log must not
  // stay open in the programs this process starts.
  FILE* file = std::fopen(nativePath.c_str(), "abe");
  if (file == nullptr) return false;
  if (std::fseek(file, 0, SEEK_END) != 0) {
    std::fclose(file);
    return false;
  }
  const long size = std::ftell(file);
  if (size < 0) {
    std::fclose(file);
    return false;
  }
  if (size == 0) {
    // A new (or empty) log starts with its byte-order mark, before any entry.
    if (std::fwrite(base::kUtf16LeBom.data(), 1, base::kUtf16LeBom.size(), file) !=
            base::kUtf16LeBom.size() ||
        std::fflush(file) != 0) {
      std::fclose(file);
      return false;
    }
  }
  file_ = file;
  return true;
}

void CLogger::Close() { CloseFile(); }

bool CLogger::CloseFile() {
  if (file_ == nullptr) return true;
  const bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

bool CLogger::WriteEntryLocked(const std::wstring& text) {
  if (!Open()) return false;
  const std::string bytes = EntryBytes(text);
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
  // Flushed at once so that an entry is on disk even while the file stays
  // open (the process may end without closing it).
  ok = std::fflush(file_) == 0 && ok;
  if (!keepOpen_) ok = CloseFile() && ok;
  return ok;
}
