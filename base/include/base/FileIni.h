// One INI settings file and one section of it, read and written by key.
//
// The file is UTF-16LE (see IniEngine.h); a missing file is created holding
// only the byte-order mark FF FE. Reads fall back to the caller's default
// when the key is missing, its value empty, the value not a number where a
// number is asked for, or the file damaged; the last of these, and every
// failed write, leave a text in GetLastErrorText().
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace base {
class IniFileBatch;
}

class CFileIni {
 public:
  CFileIni() = default;
  virtual ~CFileIni() = default;

  // Stores the path and creates the file (FF FE only) when it is missing.
  void SetFile(const wchar_t* path);
  void SetSection(const wchar_t* section);
  void SetName(const wchar_t* name);
  const wchar_t* GetFile() const { return m_file.c_str(); }
  const wchar_t* GetSection() const { return m_section.c_str(); }
  const wchar_t* GetName() const { return m_name.c_str(); }

  // The value, whole; the default when it is missing or empty.
  std::wstring ReadString(const wchar_t* key, const std::wstring& defaultValue) const;
  // Real reads carry single precision, as the settings always have: a
  // stored 0.1 reads as 0.100000001490116...
  double ReadDouble(const wchar_t* key, double defaultValue) const;
  float ReadFloat(const wchar_t* key, float defaultValue) const;
  int ReadInt(const wchar_t* key, int defaultValue) const;
  int64_t ReadInt64(const wchar_t* key, int64_t defaultValue) const;
  // True when the stored integer is above 0.
  bool ReadBool(const wchar_t* key, bool defaultValue) const;
  // Through GetPrivateProfileIntW, except that text that is not a number
  // gives the default as the other reads do.
  int ReadIntRaw(const wchar_t* key, int defaultValue) const;
  // SplitString of the value; empty when the value is missing or empty.
  std::vector<std::wstring> ReadList(const wchar_t* key, const wchar_t* separator) const;

  // Each returns true only when the file holds the new value.
  bool WriteString(const std::wstring& key, const std::wstring& value);
  bool WriteString(const wchar_t* key, const wchar_t* value);
  bool WriteInt(const std::wstring& key, int value);
  bool WriteInt(const wchar_t* key, int value);
  bool WriteBool(const std::wstring& key, bool value);
  bool WriteBool(const wchar_t* key, bool value);
  bool WriteInt64(const wchar_t* key, int64_t value);
  bool WriteDouble(const wchar_t* key, double value);  // "%f"
  bool WriteFloat(const wchar_t* key, float value);    // "%f"
  // Items joined by "," with nothing around them.
  bool WriteList(const std::wstring& key, const std::vector<std::wstring>& items);
  bool WriteList(const wchar_t* key, const std::vector<std::wstring>& items);

  // From BeginBatch to EndBatch, reads come from one reading of the file
  // and writes are gathered; EndBatch writes them all in one replace of the
  // file, so a crash leaves the old settings or the new ones, never a mix.
  // EndBatch is true when the file holds every change (and with no batch).
  void BeginBatch();
  bool EndBatch();

  // What went wrong in the last operation on this object; empty when
  // nothing did.
  const std::wstring& GetLastErrorText() const { return m_lastError; }

 private:
  // The value when present and not empty; records any file problem.
  bool ReadValue(const wchar_t* key, std::wstring& value) const;
  void NotANumber(const wchar_t* key, const std::wstring& value) const;
  // The key's value read by parse; nullopt when it is missing, empty or not
  // a number (the last one reported in the last error).
  template <typename T>
  std::optional<T> ReadNumber(const wchar_t* key,
                              std::optional<T> (*parse)(const std::wstring&)) const;
  bool Write(const wchar_t* key, const std::wstring& value);

  std::wstring m_file;
  std::wstring m_section;
  std::wstring m_name;  // for subclasses; unused here
  mutable std::wstring m_lastError;
  std::shared_ptr<base::IniFileBatch> m_batch;  // during a batch only
};

// The pieces between occurrences of delimiter, each trimmed of blanks, tabs,
// CR and LF. The piece after the last delimiter is always there, even when
// empty; a source without the delimiter is one piece. An empty delimiter
// gives the whole source as one piece.
std::vector<std::wstring> SplitString(const std::wstring& source, const std::wstring& delimiter);

// The text without blanks, tabs, CR and LF at either end.
std::wstring TrimWhitespace(const std::wstring& text);
