#include "base/LogFile.h"

#include <cerrno>
#include <cstdio>
#include <cwchar>

#include "base/CodePage.h"
#include "base/Utf16.h"
#include "crt/wprintf.h"

CLogFile::CLogFile() = default;
CLogFile::~CLogFile() = default;

bool CLogFile::Reset() {
  ClearAll();
  return true;
}

bool CLogFile::Begin() {
  Reset();
  return true;
}

void CLogFile::ClearAll() {
  m_text.clear();
  ClearTempText();
}

void CLogFile::ClearTempText() { m_temp.getBuffer()[0] = L'\0'; }

bool CLogFile::FormatInto(const wchar_t* method, const wchar_t* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int n = format ? m_temp.formatV(format, copy) : -1;
  va_end(copy);
  if (n < 0) {
    m_temp.format(L"Err:_vsctprintf,%s", method);
    return false;
  }
  return true;
}

bool CLogFile::addInfo(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  bool ok = FormatInto(L"CLogFile::addInfo", format, args);
  va_end(args);
  if (ok) m_text += m_temp.getBuffer();
  return ok;
}

bool CLogFile::addInfoTemp(const wchar_t* format, ...) {
  ClearTempText();
  va_list args;
  va_start(args, format);
  bool ok = FormatInto(L"CLogFile::addInfoTemp", format, args);
  va_end(args);
  return ok;
}

bool CLogFile::AddHex(const uint16_t* values, uint32_t count, bool lineFeed,
                      const wchar_t* separator) {
  if (count == 0 || !values) return false;
  for (uint32_t i = 0; i < count; ++i) {
    if (i > 0 && separator) m_text += separator;
    wchar_t digits[8];
    swprintf(digits, 8, L"%.2x", static_cast<unsigned>(values[i]));
    m_text += digits;
  }
  if (lineFeed) m_text += L'\n';
  return true;
}

bool CLogFile::WriteFile(const std::wstring& path, const std::wstring& text) {
  CCritSectionGuard guard(m_lock);
  if (path.empty()) {
    SetLastErrorText(L"文件名称不能为空!");
    return false;
  }
  FILE* file = std::fopen(WStringToUtf8Ret(path).c_str(), "ab+e");
  if (!file) {
    SetLastErrorText(L"错误，日志文件不能被打开");
    return false;
  }
  std::string bytes = base::Utf16LeEncode(text, false);
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  bool closed = std::fclose(file) == 0;
  if (!written) {
    SetLastErrorText(L"错误，日志文件(" + path + L")写入失败");
    return false;
  }
  if (!closed) {
    SetLastErrorText(L"错误，不能关闭日志文件(" + path + L")");
    return false;
  }
  return true;
}

bool CLogFile::FlushTo(const std::wstring& path) {
  if (!WriteFile(path, m_text)) return false;
  m_text.clear();
  return true;
}
