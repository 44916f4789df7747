#include "base/JsonData.h"

#include <json/value.h>

#include "base/CodePage.h"
#include "base/JsonBuilder.h"

namespace {

Json::Value RecordValue(const CJsonCppData::Record& record) {
  Json::Value object(Json::objectValue);
  for (const auto& [key, text] : record) object[WStringToUtf8Ret(key)] = WStringToUtf8Ret(text);
  return object;
}

}  // namespace

void CJsonCppData::SetRecord(const std::wstring& key, const Record& record) {
  m_records.Set(key, record);
}

void CJsonCppData::SetText(const std::wstring& key, const std::wstring& text) {
  m_texts.Set(key, text);
}

void CJsonCppData::AddToTextList(const std::wstring& key, const std::wstring& text) {
  m_textLists.At(key).push_back(text);
}

void CJsonCppData::AddToRecordList(const std::wstring& key, const Record& record) {
  m_recordLists.At(key).push_back(record);
}

void CJsonCppData::AddRow(const Record& row) { m_rows.push_back(row); }

std::wstring CJsonCppData::toString() {
  m_records.Wait();
  m_texts.Wait();
  m_recordLists.Wait();
  m_textLists.Wait();
  bool keyed = !m_records.Map().empty() || !m_texts.Map().empty() ||
               !m_recordLists.Map().empty() || !m_textLists.Map().empty();
  bool rows = false;
  for (const auto& row : m_rows) rows = rows || !row.empty();
  if (!keyed && m_rows.empty()) return L"";
  if (keyed && rows) return L"";

  Json::Value root;
  for (const auto& [key, record] : m_records.Map()) {
    // An empty record is written as an empty array.
    root[WStringToUtf8Ret(key)] = record.empty() ? Json::Value(Json::arrayValue) : RecordValue(record);
  }
  for (const auto& [key, text] : m_texts.Map()) root[WStringToUtf8Ret(key)] = WStringToUtf8Ret(text);
  for (const auto& [key, list] : m_recordLists.Map()) {
    Json::Value array(Json::arrayValue);
    for (const auto& record : list)
      if (!record.empty()) array.append(RecordValue(record));
    root[WStringToUtf8Ret(key)] = array;
  }
  for (const auto& [key, list] : m_textLists.Map()) {
    Json::Value array(Json::arrayValue);
    for (const auto& text : list) array.append(WStringToUtf8Ret(text));
    root[WStringToUtf8Ret(key)] = array;
  }
  for (const auto& row : m_rows)
    if (!row.empty()) root.append(RecordValue(row));

  std::wstring wide;
  Utf8ToWString(base::WriteCompactJson(root), wide);
  return wide;
}
