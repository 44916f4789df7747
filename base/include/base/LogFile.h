#pragma once
// Dated log entries appended to UTF-16LE files.
//
// File format: raw UTF-16LE, 2 bytes a character, no byte-order mark, bare
// LF line ends, appended. One CLogFileEx entry is "[Date <time>]\n<message>\n"
// with the local time as YYYYMMDD#HH-MM-SS.

#include <cstdint>
#include <string>

#include "base/BufferDynamic.h"
#include "base/CritSection.h"
#include "base/UniteBase.h"

// Text gathered in memory (printf-style or as hex) and appended to a file.
class CLogFile : public CUniteBase {
 public:
  CLogFile();
  ~CLogFile() override;

  virtual bool Reset();
  virtual bool Begin();
  virtual bool IsReady() { return true; }
  // Empties the text and the temporary text.
  virtual void ClearAll();

  // Formats into the temporary text and appends it to the text. A format
  // that cannot be formatted appends nothing, leaves the failure text in
  // the temporary text and gives false.
  bool addInfo(const wchar_t* format, ...);
  // Formats into the temporary text only.
  bool addInfoTemp(const wchar_t* format, ...);
  // Appends each value as at least two lower-case hex digits, the separator
  // (may be null) between two values, then LF when lineFeed; false for no
  // values.
  bool AddHex(const uint16_t* values, uint32_t count, bool lineFeed, const wchar_t* separator);

  const wchar_t* GetText() const { return m_text.c_str(); }
  const wchar_t* GetTempText() const { return m_temp.getBuffer(); }
  void ClearTempText();

  // Appends the text to the file as UTF-16LE. False with the last error
  // when the path is empty, the file cannot be opened, written or closed.
  bool WriteFile(const std::wstring& path, const std::wstring& text);
  // WriteFile of the text; the text is emptied once it reached the file and
  // kept when the write failed, so nothing is lost.
  bool FlushTo(const std::wstring& path);

 private:
  bool FormatInto(const wchar_t* method, const wchar_t* format, va_list args);

  CCritSection m_lock;
  std::wstring m_text;
  CBufferDynamic m_temp;
};

// A switchable log in a folder: each message becomes one dated entry.
class CLogFileEx : public CUniteBase {
 public:
  CLogFileEx();
  ~CLogFileEx() override;

  // Creates the folder with its parents (from the wide path, so any
  // character of its name is kept) and sets folder, name and full path.
  // An empty folder: the name alone is the path.
  bool SetLogFile(const std::wstring& folder, const std::wstring& fileName);
  void SetEnabled(bool enabled) { m_enabled = enabled ? 1 : 0; }
  // One dated entry. An empty message, or a disabled log, writes nothing
  // and gives true; a message that cannot be formatted gives false with
  // the last error.
  bool AddLog(const wchar_t* format, ...);
  // Deletes the file; false when there is none to delete or it stays.
  bool DeleteLogFile();
  // Creates or empties the file; 0, or the error number of the open.
  int ResetFile();

  const std::wstring& GetFullPath() const { return m_fullPath; }
  const std::wstring& GetFolder() const { return m_folder; }
  const std::wstring& GetFileName() const { return m_fileName; }

 private:
  CCritSection m_lock;
  int32_t m_enabled = 0;
  CLogFile m_log;
  std::wstring m_fileName;
  std::wstring m_folder;
  std::wstring m_fullPath;
  CBufferDynamic m_message;
};
