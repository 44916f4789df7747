#include "controls/FolderListing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <string>

#include "base/CodePageFramework.h"

namespace ORIEL {

namespace {

std::string Narrow(const SStringW& path) { return WideCStringToUtf8(path).c_str(); }

// The names in a folder, "." and ".." left out, in byte order so that every
// walk of the same folder is the same walk.
bool ListNames(const SStringW& folder, std::vector<std::string>& names) {
  DIR* dir = opendir(Narrow(folder).c_str());
  if (!dir) return false;
  while (const dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return true;
}

int CompareNoCase(const SStringW& a, const SStringW& b) {
  const int n = std::min(a.GetLength(), b.GetLength());
  for (int i = 0; i < n; ++i) {
    const wint_t x = std::towlower(a[i]);
    const wint_t y = std::towlower(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.GetLength() != b.GetLength()) return a.GetLength() < b.GetLength() ? -1 : 1;
  return 0;
}

// '*' any run, '?' one character; letters compared without regard to case.
bool WildcardMatch(const wchar_t* name, const wchar_t* pattern) {
  const wchar_t* star = nullptr;
  const wchar_t* resume = nullptr;
  while (*name) {
    if (*pattern == L'*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == L'?' || (*pattern && std::towlower(*pattern) == std::towlower(*name))) {
      ++pattern;
      ++name;
    } else if (star) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == L'*') ++pattern;
  return *pattern == 0;
}

SStringW Trimmed(SStringW text) {
  text.Trim();
  return text;
}

}  // namespace

bool ReadFolderEntries(const SStringW& folder, std::vector<FolderEntry>& out) {
  out.clear();
  std::vector<std::string> names;
  if (!ListNames(folder, names)) return false;
  for (const std::string& name : names) {
    if (name[0] == '.') continue;
    FolderEntry entry;
    entry.name = Utf8ToWideCString(name);
    struct stat st {};
    // A link counts as what it leads to; one that leads nowhere (dangling,
    // or a loop of links) is nothing the user could open.
    if (stat(Narrow(JoinPath(folder, entry.name)).c_str(), &st) != 0) continue;
    entry.isFolder = S_ISDIR(st.st_mode);
    entry.size = entry.isFolder ? 0 : static_cast<int64_t>(st.st_size);
    entry.modified = st.st_mtime;
    out.push_back(entry);
  }
  return true;
}

void SortFolderEntries(std::vector<FolderEntry>& entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
    if (a.isFolder != b.isFolder) return a.isFolder;
    const int folded = CompareNoCase(a.name, b.name);
    if (folded != 0) return folded < 0;
    return a.name.Compare(b.name) < 0;
  });
}

bool MatchesFilterPattern(const SStringW& name, const SStringW& pattern) {
  if (Trimmed(pattern).IsEmpty()) return true;
  int start = 0;
  while (start <= pattern.GetLength()) {
    int end = pattern.Find(L';', start);
    if (end < 0) end = pattern.GetLength();
    const SStringW one = Trimmed(pattern.Mid(start, end - start));
    // "*.*" is every file here, dotted or not, as it is to the user.
    if (one == L"*" || one == L"*.*") return true;
    if (!one.IsEmpty() && WildcardMatch(name.c_str(), one.c_str())) return true;
    start = end + 1;
  }
  return false;
}

std::vector<FolderEntry> VisibleEntries(const std::vector<FolderEntry>& all, bool pickFolders,
                                        const SStringW& pattern) {
  std::vector<FolderEntry> shown;
  for (const FolderEntry& e : all) {
    if (e.name.IsEmpty() || e.name[0] == L'.') continue;
    if (e.isFolder || (!pickFolders && MatchesFilterPattern(e.name, pattern))) shown.push_back(e);
  }
  SortFolderEntries(shown);
  return shown;
}

SStringW JoinPath(const SStringW& folder, const SStringW& name) {
  if (folder.IsEmpty()) return name;
  if (folder[folder.GetLength() - 1] == L'/') return folder + name;
  return folder + L"/" + name;
}

SStringW ParentFolder(const SStringW& folder) {
  const int slash = folder.ReverseFind(L'/');
  if (slash <= 0) return SStringW(L"/");
  return folder.Left(slash);
}

SStringW HomeFolder() {
  const char* home = getenv("HOME");
  if (!home || !*home) return SStringW(L"/");
  return ResolveTypedPath(Utf8ToWideCString(home), SStringW(L"/"));
}

SStringW ResolveTypedPath(const SStringW& typed, const SStringW& current) {
  SStringW text = Trimmed(typed);
  text.Replace(L"\\", L"/");
  if (text == L"~" || text.Left(2) == L"~/") text = HomeFolder() + text.Mid(1);
  else if (text.IsEmpty() || text[0] != L'/') text = JoinPath(current, text);
  std::vector<SStringW> parts;
  int start = 0;
  while (start <= text.GetLength()) {
    int end = text.Find(L'/', start);
    if (end < 0) end = text.GetLength();
    const SStringW part = text.Mid(start, end - start);
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.IsEmpty() && part != L".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  SStringW out;
  for (const SStringW& part : parts) out += L"/" + part;
  return out.IsEmpty() ? SStringW(L"/") : out;
}

bool IsFolderPath(const SStringW& path) {
  struct stat st {};
  return stat(Narrow(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFilePath(const SStringW& path) {
  struct stat st {};
  return stat(Narrow(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

SStringW FormatEntrySize(int64_t bytes) {
  const int64_t kb = bytes <= 0 ? 0 : (bytes + 1023) / 1024;
  std::wstring digits = std::to_wstring(kb);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), L",");
  return SStringW(digits.c_str()) + L" KB";
}

SStringW FormatEntryTime(time_t when) {
  struct tm local {};
  if (!localtime_r(&when, &local)) return SStringW();
  wchar_t text[32] = {};
  wcsftime(text, 32, L"%Y/%m/%d %H:%M", &local);
  return SStringW(text);
}

void CollectFilesRecursive(const SStringW& path, SStringWArray& files) {
  SStringW folder = path;
  if (folder.GetLength() > 1 && (folder.Right(1) == L"/" || folder.Right(1) == L"\\"))
    folder = folder.Left(folder.GetLength() - 1);
  if (!IsFolderPath(folder)) {
    files.Add(path);
    return;
  }
  std::vector<std::string> names;
  if (!ListNames(folder, names)) return;
  for (const std::string& name : names) {
    const SStringW full = JoinPath(folder, Utf8ToWideCString(name));
    struct stat st {};
    if (lstat(Narrow(full).c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      CollectFilesRecursive(full, files);
      continue;
    }
    // A link is taken for the file it leads to; a link to a folder is not
    // entered (it may lead back up), and one that leads nowhere is no file.
    if (S_ISLNK(st.st_mode) && stat(Narrow(full).c_str(), &st) != 0) continue;
    if (S_ISREG(st.st_mode)) files.Add(full);
  }
}

}  // namespace ORIEL
