#include "base/JsonBuilder.h"

#include <json/writer.h>

#include <memory>
#include <sstream>

#include "base/CodePage.h"

namespace {

// An array step appends to what an earlier step left under the key; a text
// or an object cannot take items, so it is replaced by the array.
Json::Value& ArrayAt(Json::Value& root, const std::string& key) {
  Json::Value& slot = root[key];
  if (!slot.isNull() && !slot.isArray()) slot = Json::Value(Json::arrayValue);
  return slot;
}

}  // namespace

namespace base {
std::string WriteCompactJson(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder.settings_["indentation"] = "";
  builder.settings_["emitUTF8"] = true;
  std::unique_ptr<Json::StreamWriter> writer(builder.newStreamWriter());
  std::ostringstream out;
  writer->write(value, &out);
  return out.str();
}
}  // namespace base

CjJsonCpp& CjJsonCpp::Assign(const CjJsonCpp& other) {
  if (this == &other) return *this;
  m_objects = other.m_objects;
  m_strings = other.m_strings;
  m_stringArrays = other.m_stringArrays;
  m_objectArrays = other.m_objectArrays;
  return *this;
}

std::wstring& CjJsonCpp::StringAt(const std::wstring& key) { return m_strings[key]; }

std::vector<std::wstring>& CjJsonCpp::StringArrayAt(const std::wstring& key) {
  return m_stringArrays[key];
}

CjJsonCpp& CjJsonCpp::ObjectAt(const std::wstring& key) { return m_objects[key]; }

void CjJsonCpp::SetString(const std::wstring& key, const std::wstring& value) {
  m_strings[key] = value;
}

void CjJsonCpp::SetStrings(const std::map<std::wstring, std::wstring>& values) {
  for (const auto& [key, value] : values) m_strings[key] = value;
}

void CjJsonCpp::SetStringArray(const std::wstring& key, const std::vector<std::wstring>& values) {
  m_stringArrays[key] = values;
}

void CjJsonCpp::AppendString(const std::wstring& key, const std::wstring& value) {
  m_stringArrays[key].push_back(value);
}

void CjJsonCpp::SetObject(const std::wstring& key, const CjJsonCpp& object) {
  m_objects[key] = object;
}

void CjJsonCpp::SetObjectArray(const std::wstring& key, const std::vector<CjJsonCpp>& objects) {
  m_objectArrays[key] = objects;
}

Json::Value CjJsonCpp::ToValue() const {
  Json::Value root;
  for (const auto& [key, text] : m_strings) root[WStringToUtf8Ret(key)] = WStringToUtf8Ret(text);
  for (const auto& [key, texts] : m_stringArrays) {
    Json::Value& array = ArrayAt(root, WStringToUtf8Ret(key));
    for (const auto& text : texts) array.append(WStringToUtf8Ret(text));
  }
  for (const auto& [key, object] : m_objects) root[WStringToUtf8Ret(key)] = object.ToValue();
  for (const auto& [key, objects] : m_objectArrays) {
    Json::Value& array = ArrayAt(root, WStringToUtf8Ret(key));
    for (const auto& object : objects) array.append(object.ToValue());
  }
  return root;
}

std::string CjJsonCpp::ToString() { return base::WriteCompactJson(ToValue()); }

std::wstring CjJsonCpp::ToWString() {
  std::wstring wide;
  Utf8ToWString(ToString(), wide);
  return wide;
}
