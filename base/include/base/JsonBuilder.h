#pragma once
// A JSON object assembled from wide-string members (texts, text arrays,
// nested objects, arrays of objects) and written as compact UTF-8 JSON.
// A value type: copy, assign and destroy freely.

#include <map>
#include <string>
#include <vector>

#include <json/value.h>

class CjJsonCpp {
 public:
  CjJsonCpp() = default;
  CjJsonCpp(const CjJsonCpp& other) = default;
  CjJsonCpp& operator=(const CjJsonCpp& other) { return Assign(other); }
  // Not virtual: derived records are never deleted through this base.
  ~CjJsonCpp() = default;

  CjJsonCpp& Assign(const CjJsonCpp& other);

  // The entries, created empty when missing.
  std::wstring& StringAt(const std::wstring& key);
  std::vector<std::wstring>& StringArrayAt(const std::wstring& key);
  CjJsonCpp& ObjectAt(const std::wstring& key);

  void SetString(const std::wstring& key, const std::wstring& value);
  void SetStrings(const std::map<std::wstring, std::wstring>& values);
  void SetStringArray(const std::wstring& key, const std::vector<std::wstring>& values);
  void AppendString(const std::wstring& key, const std::wstring& value);
  void SetObject(const std::wstring& key, const CjJsonCpp& object);
  void SetObjectArray(const std::wstring& key, const std::vector<CjJsonCpp>& objects);

  // Texts first, then text arrays, nested objects and object arrays, each
  // in key order; a later step wins for a key present in two containers. An
  // object without entries is the null value.
  Json::Value ToValue() const;
  // One line, no blanks, members in key order, non-ASCII text as UTF-8
  // bytes; an empty object is "null".
  virtual std::string ToString();
  // ToString (a derived class's, when it has one) as wide text.
  std::wstring ToWString();

 private:
  std::map<std::wstring, CjJsonCpp> m_objects;
  std::map<std::wstring, std::wstring> m_strings;
  std::map<std::wstring, std::vector<std::wstring>> m_stringArrays;
  std::map<std::wstring, std::vector<CjJsonCpp>> m_objectArrays;
};

namespace base {
// The compact writer every JSON class of the library uses: indentation ""
// and emitUTF8 true.
std::string WriteCompactJson(const Json::Value& value);
}  // namespace base
