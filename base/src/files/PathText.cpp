// Path texts: separators, absolute forms, splitting and joining. Nothing
// here touches the file system except the existence tests SplitPath and
// GetParentDir make.
#include <unistd.h>

#include <cerrno>
#include <cwctype>
#include <vector>

#include "base/PathHelpers.h"
#include "files/NativePath.h"
#include "win32/types.h"

namespace {

bool EndsWithSeparator(const std::wstring& path) {
  return !path.empty() && IsPathSeparator(path.back());
}

std::wstring CurrentFolder() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return std::wstring();
    buffer.resize(buffer.size() * 2);
  }
  return FromSystemPath(buffer.data());
}

// Resolves "." and ".." and collapses repeated separators; the path is
// absolute and uses '/'. A trailing separator is kept.
std::wstring LexicallyNormal(const std::wstring& absolute) {
  std::vector<std::wstring> parts;
  size_t start = 1;
  while (start <= absolute.size()) {
    size_t end = absolute.find(L'/', start);
    if (end == std::wstring::npos) end = absolute.size();
    const std::wstring part = absolute.substr(start, end - start);
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::wstring out = L"/";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += L'/';
    out += parts[i];
  }
  const bool folderForm = absolute.size() > 1 &&
                          (absolute.back() == L'/' || absolute.ends_with(L"/.") ||
                           absolute.ends_with(L"/.."));
  if (folderForm && !parts.empty()) out += L'/';
  return out;
}

}  // namespace

void NormalizePathSeparators(std::wstring& path) {
  for (wchar_t& c : path) {
    if (c == L'\\') c = L'/';
  }
}

bool NormalizePath(std::wstring& path) {
  NormalizePathSeparators(path);
  return true;
}

void NormalizePathKey(std::wstring& path) {
  NormalizePathSeparators(path);
  for (wchar_t& c : path) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  if (EndsWithSeparator(path)) path.pop_back();
}

std::wstring RemoveTrailingSeparator(std::wstring& path) {
  if (EndsWithSeparator(path)) path.pop_back();
  return path;
}

void AppendSlash(std::wstring& path) {
  if (!path.empty() && !EndsWithSeparator(path)) path += L'/';
}

void AppendPathSeparator(std::wstring& path) {
  AppendSlash(path);
  NormalizePathSeparators(path);
}

bool GetFullPath(const wchar_t* path, std::wstring& out) {
  if (path == nullptr) return false;
  std::wstring full = path;
  out.clear();
  if (full.empty()) return true;
  NormalizePathSeparators(full);
  if (full.front() != L'/') {
    std::wstring cwd = CurrentFolder();
    if (cwd.empty()) return true;
    AppendSlash(cwd);
    full = cwd + full;
  }
  full = LexicallyNormal(full);
  // The result must fit the 260-character buffers callers keep paths in.
  if (full.size() < MAX_PATH) out = full;
  return true;
}

bool SplitPath(const wchar_t* path, std::wstring& drive, std::wstring& folder, std::wstring& name,
               std::wstring& extension, std::wstring& lastFolder, std::wstring& driveFolder) {
  drive.clear(), folder.clear(), name.clear(), extension.clear(), lastFolder.clear(),
      driveFolder.clear();
  std::wstring full;
  if (!GetFullPath(path, full) || full.empty()) return false;
  if (IsDirectory(full)) AppendPathSeparator(full);

  const size_t sep = full.rfind(L'/');
  std::wstring dir = full.substr(0, sep + 1);
  std::wstring file = full.substr(sep + 1);
  const size_t dot = file.rfind(L'.');
  std::wstring stem = dot == std::wstring::npos ? file : file.substr(0, dot);
  std::wstring ext = dot == std::wstring::npos ? std::wstring() : file.substr(dot);
  // The parts must fit the 256-character fields a split fills.
  if (dir.size() > 255 || stem.size() > 255 || ext.size() > 255) return false;

  folder = dir;
  name = stem;
  extension = ext;
  size_t start = 0;
  while (start < folder.size()) {
    size_t end = folder.find(L'/', start);
    if (end == std::wstring::npos) end = folder.size();
    if (end > start) lastFolder = folder.substr(start, end - start);
    start = end + 1;
  }
  driveFolder = drive + folder;
  return true;
}

std::wstring GetFileNameOfPath(const std::wstring& path) {
  std::wstring text = path;
  NormalizePathSeparators(text);
  const bool trailing = text.size() > 1 && text.back() == L'/';
  const size_t searchEnd = trailing ? text.size() - 2 : std::wstring::npos;
  const size_t sep = text.rfind(L'/', searchEnd);
  if (sep == std::wstring::npos) return text;
  return text.substr(sep + 1);
}

std::wstring GetFileExtension(const std::wstring& path) {
  if (path.empty()) return std::wstring();
  const size_t sep = LastPathSeparator(path);
  const size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos || (sep != std::wstring::npos && dot < sep)) return std::wstring();
  return path.substr(dot);
}

std::wstring ChangeFileExtension(const std::wstring& path, const std::wstring& newExtension) {
  std::wstring drive, folder, name, extension, lastFolder, driveFolder;
  if (!SplitPath(path.c_str(), drive, folder, name, extension, lastFolder, driveFolder)) {
    return std::wstring();
  }
  return driveFolder + name + newExtension;
}

std::wstring GetParentDir(const std::wstring& path) {
  std::wstring text = path;
  NormalizePathSeparators(text);
  if (IsDirectory(text) || text.size() < 4) return text;
  if (text.back() == L'/') {
    // Only the trailing separator goes; the folder itself stays.
    text.pop_back();
  } else {
    const size_t sep = text.rfind(L'/');
    if (sep == std::wstring::npos) return std::wstring();
    text.erase(sep == 0 ? 1 : sep);
  }
  AppendPathSeparator(text);
  return text;
}

std::wstring NormalizePathLower(const std::wstring& path) {
  std::wstring text = path;
  NormalizePathSeparators(text);
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return text;
}

bool IsSamePath(const std::wstring& a, const std::wstring& b) {
  const std::wstring left = NormalizePathLower(a);
  const std::wstring right = NormalizePathLower(b);
  return !left.empty() && left == right;
}

bool PathAppendName(const std::wstring& name, int type, const std::wstring& base,
                    std::wstring& out) {
  out.clear();
  if (type < 0 || type > 2) {
    out = L"PathAppendName->未知路径操作类型," + std::to_wstring(type);
    return false;
  }
  std::wstring trimmed = base;
  while (!trimmed.empty() && trimmed.back() == L'\\') trimmed.pop_back();
  while (!trimmed.empty() && trimmed.back() == L'/') trimmed.pop_back();

  // Relative bases are taken against the folder the program started in,
  // whatever it has moved to since.
  static const std::wstring initialFolder = CurrentFolder();
  NormalizePathSeparators(trimmed);
  if (trimmed.empty() || trimmed.front() != L'/') {
    std::wstring root = initialFolder;
    AppendSlash(root);
    trimmed = root + trimmed;
  }
  const size_t sep = trimmed.rfind(L'/');
  const std::wstring parent = trimmed.substr(0, sep == 0 ? 1 : sep);
  const std::wstring file = trimmed.substr(sep + 1);
  const size_t dot = file.rfind(L'.');
  const bool hasExtension = dot != std::wstring::npos && dot > 0;
  const std::wstring stem = hasExtension ? file.substr(0, dot) : file;
  const std::wstring extension = hasExtension ? file.substr(dot) : std::wstring();

  std::wstring newName;
  if (type == 0) newName = name + stem;
  if (type == 1) newName = stem + name;
  if (type == 2) newName = name + stem + name;
  out = parent + (parent == L"/" ? L"" : L"/") + newName + extension;
  NormalizePathSeparators(out);
  return true;
}
