#include "base/FileNaming.h"
#include "base/PathHelpers.h"
#include "files/NativePath.h"
#include "files/PathParts.h"
#include "files/StringBridge.h"

SStringW GetFileDir(const SStringW& path) { return ToSString(GetPathDir(ToStdString(path))); }

SStringW GetFileTitle(const SStringW& path) {
  return ToSString(GetPathTitle(ToStdString(path)));
}

SStringW GetFileExt(const SStringW& path) { return ToSString(GetFileExtW(ToStdString(path))); }

std::wstring GetPathDir(const std::wstring& path) { return SplitPathParts(path).folder; }

std::wstring GetPathTitle(const std::wstring& path) { return SplitPathParts(path).title; }

std::wstring GetPathExtension(const std::wstring& path) { return SplitPathParts(path).extension; }

std::wstring GetFileExtW(const std::wstring& path) { return SplitPathParts(path).extension; }

std::wstring GetFileTitleStd(const std::wstring& path) { return SplitPathParts(path).title; }

namespace {

size_t LastNarrowSeparator(const std::string& path) { return path.find_last_of("/\\"); }

}  // namespace

std::string GetFileTitleNarrow(const std::string& path) {
  const size_t sep = LastNarrowSeparator(path);
  const size_t start = sep == std::string::npos ? 0 : sep;
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < start) dot = path.size();
  std::string title = path.substr(start, dot - start);
  if (!title.empty() && title[0] == '\\') title[0] = '/';
  return title;
}

std::string GetFileDirNarrow(const std::string& path) {
  const size_t sep = LastNarrowSeparator(path);
  return sep == std::string::npos ? path : path.substr(0, sep);
}

std::string GetFileExtNarrow(const std::string& path) {
  const size_t sep = LastNarrowSeparator(path);
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return std::string();
  return path.substr(dot + 1);
}

bool GetParentFolder(const std::wstring& path, std::wstring& out) {
  if (path.size() < 2) return false;
  std::wstring text = path;
  if (IsPathSeparator(text.back())) text.pop_back();
  const size_t sep = LastPathSeparator(text);
  if (sep == std::wstring::npos) return false;
  out = text.substr(0, sep + 1);
  NormalizePathSeparators(out);
  return !out.empty();
}

bool GetLastPathPart(const std::wstring& path, std::wstring& out) {
  out.clear();
  if (path.size() < 2) return false;
  std::wstring text = path;
  if (IsPathSeparator(text.back())) text.pop_back();
  const size_t sep = LastPathSeparator(text);
  if (sep == std::wstring::npos || sep + 1 == text.size()) return false;
  out = text.substr(sep + 1);
  return true;
}
