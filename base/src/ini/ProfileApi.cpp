#include "base/IniEngine.h"

#include <algorithm>
#include <cwchar>
#include <mutex>
#include <optional>
#include <vector>

#include "ini/IniEdits.h"
#include "ini/IniFile.h"
#include "ini/IniText.h"

namespace {

using base::ini::IniDocument;
using base::ini::IniFileContent;
using base::ini::IniFileStatus;

using base::ini::EngineMutex;

thread_local std::wstring t_lastError;

void Report(const std::wstring& text) { t_lastError = text; }

IniFileContent Load(const wchar_t* file) {
  IniFileContent content = base::ini::LoadIniFile(file);
  if (content.status == IniFileStatus::kDamaged || content.status == IniFileStatus::kUnreadable) {
    Report(content.problem + L"; defaults are used");
  }
  return content;
}

bool Readable(const IniFileContent& content) {
  return content.status == IniFileStatus::kOk;
}

std::optional<std::wstring> FindValue(LPCWSTR app, LPCWSTR key, LPCWSTR file) {
  IniFileContent content = Load(file);
  if (!Readable(content)) return std::nullopt;
  return content.document.Find(app, key);
}

DWORD CopyOut(const std::wstring& text, LPWSTR out, DWORD size) {
  DWORD n = static_cast<DWORD>(std::min<size_t>(text.size(), size - 1));
  std::wmemcpy(out, text.data(), n);
  out[n] = L'\0';
  return n;
}

// Names each followed by a NUL, the list by another NUL; a list that does
// not fit is cut and ends with two NULs, returning nSize - 2.
DWORD CopyList(const std::vector<std::wstring>& names, LPWSTR out, DWORD size) {
  if (size < 2) {
    out[0] = L'\0';
    return 0;
  }
  std::wstring all;
  for (const std::wstring& name : names) {
    all += name;
    all += L'\0';
  }
  if (all.size() + 1 <= size) {
    std::wmemcpy(out, all.data(), all.size());
    out[all.size()] = L'\0';
    return static_cast<DWORD>(all.size());
  }
  std::wmemcpy(out, all.data(), size - 2);
  out[size - 2] = L'\0';
  out[size - 1] = L'\0';
  return size - 2;
}

}  // namespace

DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                               LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName) {
  std::lock_guard<std::mutex> lock(EngineMutex());
  t_lastError.clear();
  if (!lpReturnedString || nSize == 0) return 0;
  if (!lpFileName) {
    Report(L"no file name given");
    lpReturnedString[0] = L'\0';
    return 0;
  }
  if (!lpAppName || !lpKeyName) {
    IniFileContent content = Load(lpFileName);
    std::vector<std::wstring> names;
    if (Readable(content)) {
      names = lpAppName ? content.document.KeyNames(lpAppName) : content.document.SectionNames();
    }
    return CopyList(names, lpReturnedString, nSize);
  }
  std::optional<std::wstring> value = FindValue(lpAppName, lpKeyName, lpFileName);
  if (value) return CopyOut(*value, lpReturnedString, nSize);
  std::wstring fallback = lpDefault ? lpDefault : L"";
  while (!fallback.empty() && fallback.back() == L' ') fallback.pop_back();
  return CopyOut(fallback, lpReturnedString, nSize);
}

UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName) {
  std::optional<std::wstring> value;
  {
    std::lock_guard<std::mutex> lock(EngineMutex());
    t_lastError.clear();
    if (!lpAppName || !lpKeyName || !lpFileName) return static_cast<UINT>(nDefault);
    value = FindValue(lpAppName, lpKeyName, lpFileName);
  }
  if (!value || value->empty()) return static_cast<UINT>(nDefault);
  const std::wstring& text = *value;
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  uint32_t result = 0;  // wraps like the 32-bit original
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    result = result * 10u + static_cast<uint32_t>(text[i] - L'0');
  }
  return negative ? 0u - result : result;
}

BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString,
                                LPCWSTR lpFileName) {
  std::lock_guard<std::mutex> lock(EngineMutex());
  t_lastError.clear();
  if (!lpAppName || !lpFileName) {
    Report(L"no section or file name given");
    return FALSE;
  }
  base::ini::IniEdit edit{lpAppName, std::nullopt, std::nullopt};
  if (lpKeyName) edit.key = lpKeyName;
  if (lpKeyName && lpString) edit.value = lpString;
  std::wstring refusal = base::ini::RefusalReason(edit);
  if (!refusal.empty()) {
    Report(L"write to " + std::wstring(lpFileName) + L" refused: " + refusal);
    return FALSE;
  }
  std::wstring problem;
  const bool written = base::ini::ApplyEdits(lpFileName, {edit}, problem);
  Report(problem);
  return written ? TRUE : FALSE;
}

namespace base {

std::wstring IniLastErrorText() { return t_lastError; }

bool IniReadValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                  std::wstring& value) {
  std::lock_guard<std::mutex> lock(EngineMutex());
  t_lastError.clear();
  std::optional<std::wstring> found = FindValue(section.c_str(), key.c_str(), file.c_str());
  if (!found) return false;
  value = std::move(*found);
  return true;
}

bool IniCreateEmptyFile(const std::wstring& file) {
  std::lock_guard<std::mutex> lock(EngineMutex());
  t_lastError.clear();
  std::wstring problem;
  if (ini::CreateEmptyIniFile(file, problem)) return true;
  Report(problem);
  return false;
}

}  // namespace base
