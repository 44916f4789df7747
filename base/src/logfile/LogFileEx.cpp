#include <cstdio>
#include <unistd.h>

#include "base/CodePage.h"
#include "base/FolderOps.h"
#include "base/Formatting.h"
#include "base/LogFile.h"
#include "base/PathHelpers.h"
#include "crt/wprintf.h"

CLogFileEx::CLogFileEx() = default;
CLogFileEx::~CLogFileEx() = default;

bool CLogFileEx::SetLogFile(const std::wstring& folder, const std::wstring& fileName) {
  m_fileName.clear();
  m_folder.clear();
  m_fullPath.clear();
  if (fileName.empty()) {
    SetLastErrorText(L"Error:日志文件名称不能为空!");
    return false;
  }
  if (folder.empty()) {
    m_fullPath = m_fileName = fileName;
    return true;
  }
  if (!CreateFolderChain(folder)) {
    SetLastErrorText(L"Error:创建日志文件夹失败!" + folder);
    return false;
  }
  std::wstring dir = folder;
  if (dir.back() != L'\\' && dir.back() != L'/') dir += L'/';
  NormalizePathSeparators(dir);
  m_folder = dir;
  m_fileName = fileName;
  m_fullPath = dir + fileName;
  return true;
}

bool CLogFileEx::AddLog(const wchar_t* format, ...) {
  CCritSectionGuard guard(m_lock);
  va_list args;
  va_start(args, format);
  va_list counting;
  va_copy(counting, args);
  int count = format ? _vscwprintf(format, counting) : -1;
  va_end(counting);
  if (count < 0) {
    // Not a message: nothing is written, and the caller hears of it.
    va_end(args);
    SetLastErrorText(std::wstring(L"Err:_vsctprintf,CLogFileEx::AddLog,") + (format ? format : L"(null)"));
    return false;
  }
  if (count == 0) {
    va_end(args);
    return true;
  }
  int n = m_message.formatV(format, args);
  va_end(args);
  if (n < 0) {
    SetLastErrorText(L"Err:_stprintf_s,CLogFileEx::AddLog");
    return false;
  }
  if (!m_enabled) return true;

  std::wstring date = GetDateTime();
  if (!m_log.addInfo(L"[Date %s]\n%s\n", date.c_str(), m_message.getBuffer())) {
    SetLastErrorText(m_log.GetTempText());
    return false;
  }
  bool ok = m_log.WriteFile(m_fullPath, m_log.GetText());
  if (!ok) SetLastErrorText(m_log.getLastError());
  m_log.ClearAll();
  return ok;
}

bool CLogFileEx::DeleteLogFile() {
  if (m_fullPath.empty()) return false;
  return unlink(WStringToUtf8Ret(m_fullPath).c_str()) == 0;
}

int CLogFileEx::ResetFile() {
  FILE* file = std::fopen(WStringToUtf8Ret(m_fullPath).c_str(), "we");
  if (!file) return errno ? errno : -1;
  std::fclose(file);
  return 0;
}
