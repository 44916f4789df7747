#include "online/RemoteFileName.h"

#include "base/CodePage.h"
#include "base/RegEx.h"
#include "base/UrlCoding.h"

namespace {

// The name may be quoted (and then hold blanks) or bare up to the next
// blank. The line must not run on into the next header.
const char kDispositionPattern[] = "(?i)Content-Disposition:[^\\r\\n]+?filename=(\"[^\"\\r\\n]*\"|\\S+)";

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

}  // namespace

std::wstring SafeFileName(const std::wstring& raw) {
  std::wstring name;
  for (wchar_t c : raw)
    if (c != L'"' && c != L';') name += c;
  const size_t separator = name.find_last_of(L"/\\");
  if (separator != std::wstring::npos) name.erase(0, separator + 1);
  while (!name.empty() && IsBlank(name.back())) name.pop_back();
  size_t first = 0;
  while (first < name.size() && IsBlank(name[first])) ++first;
  name.erase(0, first);
  if (name == L"." || name == L"..") return std::wstring();
  return name;
}

std::wstring FileNameFromHeaders(const std::string& headers) {
  if (headers.empty()) return std::wstring();
  CRegExA regex;
  const std::string raw = regex.fetch(kDispositionPattern, headers, 1);
  if (raw.empty()) return std::wstring();
  std::wstring wide;
  if (!Utf8ToWString(raw, wide)) return std::wstring();
  return SafeFileName(wide);
}

std::wstring FileNameFromUrl(const std::string& url) {
  const std::string decoded = UrlDecode(url);
  const size_t scheme = decoded.find("://");
  const size_t authority = scheme == std::string::npos ? 0 : scheme + 3;
  const size_t pathStart = decoded.find('/', authority);
  if (pathStart == std::string::npos) return std::wstring();
  // The query stays part of the name, so the last '/' of the whole text is
  // the one that counts.
  const std::string last = decoded.substr(decoded.rfind('/') + 1);
  std::wstring wide;
  if (!Utf8ToWString(last, wide)) return std::wstring();
  return SafeFileName(wide);
}
