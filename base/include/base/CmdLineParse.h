#pragma once
// Command lines of key="value" pairs: built from a map for a child program,
// and parsed back into the map.
//
// A value is always written between double quotes. A double quote inside
// it is escaped with a backslash, and backslashes that precede a quote are
// doubled (the usual rules for splitting a command line into arguments),
// so no value can end its quotes early or run into the next pair.

#include <map>
#include <string>
#include <vector>

#include "base/RegEx.h"
#include "base/UniteBase.h"

class CCmdLineParse : public CUniteBase {
 public:
  CCmdLineParse();
  // The arguments after the program's own path, joined by one blank. An
  // argument of the form /key=value whose value needs quotes to be read
  // back (blanks, quotes, an empty value) gets them, escaped as the builder
  // does: a child receives its command line split into arguments, and this
  // puts it back together.
  CCmdLineParse(int argc, wchar_t** argv);
  // The same for a Linux program's own arguments (UTF-8).
  CCmdLineParse(int argc, char** argv);
  ~CCmdLineParse() override;

  // The key is stored as given; a later value replaces an earlier one.
  void setValue(const std::wstring& key, const std::wstring& value);

  // key="value" pairs in key order, one blank between them. False (out
  // empty, last error set) when a key could not be read back: keys start
  // with '/' and hold no white space, '=' or '"'.
  bool toCmdLine(std::wstring& out);

  bool parse();
  // Clears the map and reads every /key=value pair of the text: keys are
  // lower-cased, values kept as written (quotes included). False, with the
  // last error, when the text holds no pair.
  bool parseCmdLine(const std::wstring& text);

  // The value of a key as it was set: quotes removed and escapes undone.
  // False when the key is not in the map.
  bool getValue(const std::wstring& key, std::wstring& out) const;
  const std::map<std::wstring, std::wstring>& values() const { return m_values; }
  const std::wstring& joinedText() const { return m_joined; }

  // The value between quotes with its quotes and backslashes escaped.
  static std::wstring QuoteValue(const std::wstring& value);
  // The inverse of QuoteValue; a value without quotes is returned as is.
  static std::wstring UnquoteValue(const std::wstring& written);
  // Splits a command line into arguments by the same rules: blanks
  // separate arguments outside quotes, quotes are removed, \" is a quote.
  // What a launcher hands a child program as its argument vector.
  static std::vector<std::wstring> SplitArguments(const std::wstring& text);

 private:
  std::wstring m_joined;
  CRegExW m_regex;
  std::map<std::wstring, std::wstring> m_values;
};
