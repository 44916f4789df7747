#include "base/FileIni.h"

#include <cmath>
#include <optional>

#include "base/IniEngine.h"
#include "base/StringHelpers.h"
#include "ini/IniNumbers.h"

using base::ini::FormatFixed6;
using base::ini::FormatInt;

void CFileIni::SetFile(const wchar_t* path) {
  m_file = path ? path : L"";
  m_lastError.clear();
  if (m_file.empty()) return;
  if (!base::IniCreateEmptyFile(m_file)) m_lastError = base::IniLastErrorText();
}

void CFileIni::SetSection(const wchar_t* section) { m_section = section ? section : L""; }

void CFileIni::SetName(const wchar_t* name) { m_name = name ? name : L""; }

void CFileIni::BeginBatch() {
  m_lastError.clear();
  if (m_file.empty()) return;
  m_batch = std::make_shared<base::IniFileBatch>(m_file);
}

bool CFileIni::EndBatch() {
  if (!m_batch) return true;
  std::shared_ptr<base::IniFileBatch> batch = std::move(m_batch);
  m_batch.reset();
  const bool done = batch->Commit();
  m_lastError = batch->problem();
  return done;
}

bool CFileIni::ReadValue(const wchar_t* key, std::wstring& value) const {
  m_lastError.clear();
  if (!key || m_file.empty()) return false;
  std::wstring found;
  bool present = false;
  if (m_batch) {
    present = m_batch->Find(m_section, key, found);
    m_lastError = m_batch->problem();
  } else {
    present = base::IniReadValue(m_file, m_section, key, found);
    m_lastError = base::IniLastErrorText();
  }
  if (!present || found.empty()) return false;
  value = std::move(found);
  return true;
}

void CFileIni::NotANumber(const wchar_t* key, const std::wstring& value) const {
  m_lastError = L"[" + m_section + L"] " + key + L" = \"" + value + L"\" in " + m_file +
                L" is not a number; the default is used";
}

std::wstring CFileIni::ReadString(const wchar_t* key, const std::wstring& defaultValue) const {
  std::wstring value;
  return ReadValue(key, value) ? value : defaultValue;
}

double CFileIni::ReadDouble(const wchar_t* key, double defaultValue) const {
  std::wstring value;
  if (!ReadValue(key, value)) return defaultValue;
  std::optional<double> number = base::ini::ParseReal(value);
  float narrowed = number ? static_cast<float>(*number) : 0.0f;
  if (!number || !std::isfinite(narrowed)) {
    NotANumber(key, value);
    return defaultValue;
  }
  return static_cast<double>(narrowed);
}

float CFileIni::ReadFloat(const wchar_t* key, float defaultValue) const {
  return static_cast<float>(ReadDouble(key, static_cast<double>(defaultValue)));
}

template <typename T>
std::optional<T> CFileIni::ReadNumber(const wchar_t* key,
                                      std::optional<T> (*parse)(const std::wstring&)) const {
  std::wstring value;
  if (!ReadValue(key, value)) return std::nullopt;
  std::optional<T> number = parse(value);
  if (!number) NotANumber(key, value);
  return number;
}

int CFileIni::ReadInt(const wchar_t* key, int defaultValue) const {
  return ReadNumber(key, &base::ini::ParseInt32).value_or(defaultValue);
}

int64_t CFileIni::ReadInt64(const wchar_t* key, int64_t defaultValue) const {
  return ReadNumber(key, &base::ini::ParseInt64).value_or(defaultValue);
}

bool CFileIni::ReadBool(const wchar_t* key, bool defaultValue) const {
  std::optional<int32_t> number = ReadNumber(key, &base::ini::ParseInt32);
  return number ? *number > 0 : defaultValue;
}

int CFileIni::ReadIntRaw(const wchar_t* key, int defaultValue) const {
  std::optional<int32_t> number = ReadNumber(key, &base::ini::ParseInt32);
  if (!number) return defaultValue;
  // The whole value is a 32-bit number here, which is what the profile
  // function would find in it too.
  if (m_batch) return *number;
  return static_cast<int>(
      GetPrivateProfileIntW(m_section.c_str(), key, defaultValue, m_file.c_str()));
}

std::vector<std::wstring> CFileIni::ReadList(const wchar_t* key, const wchar_t* separator) const {
  std::wstring value;
  if (!ReadValue(key, value)) return {};
  return SplitString(value, separator ? separator : L"");
}

bool CFileIni::Write(const wchar_t* key, const std::wstring& value) {
  m_lastError.clear();
  if (m_file.empty()) {
    m_lastError = L"no settings file set";
    return false;
  }
  if (m_batch) {
    const bool kept = m_batch->Set(m_section, key ? key : L"", value);
    m_lastError = m_batch->problem();
    return kept;
  }
  BOOL done = WritePrivateProfileStringW(m_section.c_str(), key, value.c_str(), m_file.c_str());
  m_lastError = base::IniLastErrorText();
  return done == 1;
}

bool CFileIni::WriteString(const std::wstring& key, const std::wstring& value) {
  return Write(key.c_str(), value);
}

bool CFileIni::WriteString(const wchar_t* key, const wchar_t* value) {
  if (!value) {
    m_lastError = L"no value given";
    return false;
  }
  return Write(key, value);
}

bool CFileIni::WriteInt(const std::wstring& key, int value) { return Write(key.c_str(), FormatInt(value)); }

bool CFileIni::WriteInt(const wchar_t* key, int value) { return Write(key, FormatInt(value)); }

bool CFileIni::WriteBool(const std::wstring& key, bool value) { return Write(key.c_str(), value ? L"1" : L"0"); }

bool CFileIni::WriteBool(const wchar_t* key, bool value) { return Write(key, value ? L"1" : L"0"); }

bool CFileIni::WriteInt64(const wchar_t* key, int64_t value) { return Write(key, FormatInt(value)); }

bool CFileIni::WriteDouble(const wchar_t* key, double value) { return Write(key, FormatFixed6(value)); }

bool CFileIni::WriteFloat(const wchar_t* key, float value) {
  return Write(key, FormatFixed6(static_cast<double>(value)));
}

bool CFileIni::WriteList(const std::wstring& key, const std::vector<std::wstring>& items) {
  return WriteList(key.c_str(), items);
}

bool CFileIni::WriteList(const wchar_t* key, const std::vector<std::wstring>& items) {
  std::wstring joined;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) joined += L",";
    joined += items[i];
  }
  return Write(key, joined);
}

std::vector<std::wstring> SplitString(const std::wstring& source, const std::wstring& delimiter) {
  std::vector<std::wstring> pieces;
  if (delimiter.empty()) {
    pieces.push_back(TrimString(source));
    return pieces;
  }
  size_t start = 0;
  for (size_t at = source.find(delimiter); at != std::wstring::npos;
       at = source.find(delimiter, start)) {
    pieces.push_back(TrimString(source.substr(start, at - start)));
    start = at + delimiter.size();
  }
  pieces.push_back(TrimString(source.substr(start)));
  return pieces;
}

std::wstring TrimWhitespace(const std::wstring& text) { return TrimString(text); }
