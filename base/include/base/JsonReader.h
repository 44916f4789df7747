#pragma once
// Parses a JSON object text and flattens its top-level members into texts.

#include <map>
#include <memory>
#include <string>

#include <json/reader.h>
#include <json/value.h>

class CJsonCppReader {
 public:
  CJsonCppReader();
  virtual ~CJsonCppReader();
  // The object owns its reader: a copy would delete it a second time.
  CJsonCppReader(const CJsonCppReader&) = delete;
  CJsonCppReader& operator=(const CJsonCppReader&) = delete;

  virtual bool Init() { return true; }
  // Deletes the reader and forgets it.
  virtual bool Release();
  virtual void Reset() {}

  Json::CharReader* GetReader() const { return m_reader.get(); }

  // UTF-8 text of a JSON object (or null) into name -> text. False when the
  // text is not JSON, when its top-level value is neither an object nor
  // null, or at the first member that is an array or object; members
  // stored before that stay in the map. Never throws.
  bool parse(const std::string& utf8, std::map<std::string, std::string>& out);
  // The reader's message for the last text that did not parse.
  const std::string& GetParseError() const { return m_parseError; }

  // A scalar as text: null "null"; integers in decimal (negative and 64-bit
  // ones too); reals with every digit needed to read them back; texts as
  // they are; booleans "1"/"0". Arrays and objects give "jcr_value_array" /
  // "jcr_value_object" and false.
  static bool valueToString(const Json::Value& value, std::string& out);

  // Returns when the value is an object holding the key; throws a
  // std::runtime_error with a UTF-8 message otherwise.
  static void checkMember(const Json::Value& value, const std::string& key);

 private:
  Json::CharReaderBuilder m_builder;
  std::unique_ptr<Json::CharReader> m_reader;
  std::string m_parseError;
};
