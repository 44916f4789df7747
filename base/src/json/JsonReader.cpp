#include "base/JsonReader.h"

#include <charconv>
#include <stdexcept>

#include "base/CodePage.h"

CJsonCppReader::CJsonCppReader() : m_reader(m_builder.newCharReader()) {}

CJsonCppReader::~CJsonCppReader() = default;

bool CJsonCppReader::Release() {
  m_reader.reset();
  return true;
}

bool CJsonCppReader::valueToString(const Json::Value& value, std::string& out) {
  try {
    switch (value.type()) {
      case Json::nullValue:
        out = "null";
        return true;
      case Json::intValue:
        out = std::to_string(value.asInt64());
        return true;
      case Json::uintValue:
        out = std::to_string(value.asUInt64());
        return true;
      case Json::realValue: {
        // The shortest text that reads back as the same double.
        char buffer[64];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value.asDouble());
        out.assign(buffer, result.ptr);
        return true;
      }
      case Json::stringValue:
        out = value.asString();
        return true;
      case Json::booleanValue:
        out = value.asBool() ? "1" : "0";
        return true;
      case Json::arrayValue:
        out = "jcr_value_array";
        return false;
      case Json::objectValue:
        out = "jcr_value_object";
        return false;
    }
    out = "jcr_value_unknown";
    return false;
  } catch (const std::exception&) {
    out = "jcr_value_exception";
    return false;
  }
}

bool CJsonCppReader::parse(const std::string& utf8, std::map<std::string, std::string>& out) {
  m_parseError.clear();
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  try {
    if (!reader->parse(utf8.data(), utf8.data() + utf8.size(), &root, &m_parseError)) return false;
  } catch (const std::exception& error) {
    // Too deeply nested, among others.
    m_parseError = error.what();
    return false;
  }
  if (root.isNull()) return true;
  if (!root.isObject()) {
    m_parseError = "the top-level value is not an object";
    return false;
  }
  for (const std::string& name : root.getMemberNames()) {
    std::string text;
    if (!valueToString(root[name], text)) return false;
    out[name] = text;
  }
  return true;
}

void CJsonCppReader::checkMember(const Json::Value& value, const std::string& key) {
  if (!value.isObject()) throw std::runtime_error(WStringToUtf8Ret(L"Error:json 不是对象"));
  if (!value.isMember(key)) {
    std::wstring wideKey;
    Utf8ToWString(key, wideKey);
    throw std::runtime_error(WStringToUtf8Ret(L"Error:json对象key不存在\r\n" + wideKey));
  }
}
