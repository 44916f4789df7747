#pragma once
// Every match of a regular expression with its groups, over Boost.Regex.
// Failures (no match, a bad pattern, a search that gives up) are reported
// by false and the last-error text; nothing throws out.

#include <string>
#include <vector>

#include <boost/regex.hpp>

#include "base/CodePage.h"
#include "base/UniteBase.h"

template <typename STR, typename REGEX, typename RESULTS>
class CRegEx : public CUniteBase {
 public:
  CRegEx() = default;
  CRegEx(const STR& subject, const STR& pattern) : m_subject(subject), m_pattern(pattern) {}
  ~CRegEx() override = default;

  // Fills an empty argument from its field; false when both are empty.
  bool prepareArgs(STR& pattern, STR& subject) {
    if (pattern.empty()) pattern = m_pattern;
    if (subject.empty()) subject = m_subject;
    return !pattern.empty() && !subject.empty();
  }

  // Appends, for each match in order, the whole match and every group (the
  // empty text for a group that took no part). True when anything matched.
  bool fetchAll(std::vector<std::vector<STR>>& result, STR pattern, STR subject) {
    if (!prepareArgs(pattern, subject)) return false;
    result.clear();
    try {
      REGEX expression(pattern);
      auto begin = subject.cbegin();
      auto end = subject.cend();
      RESULTS match;
      while (boost::regex_search(begin, end, match, expression)) {
        std::vector<STR> entries;
        for (size_t i = 0; i < match.size(); ++i)
          entries.push_back(match[i].matched ? STR(match[i].first, match[i].second) : STR());
        result.push_back(std::move(entries));
        if (match[0].second == begin) {  // an empty match: step on, or it repeats forever
          if (begin == end) break;
          ++begin;
        } else {
          begin = match[0].second;
        }
      }
    } catch (const boost::regex_error& error) {
      SetLastErrorText(L"fetch boost::bad_expression " + AnsiToWStringRet(error.what()));
      return false;
    } catch (const std::exception& error) {
      // Boost gives up on searches that grow too complex or deep.
      SetLastErrorText(L"boost::exception CRegEx::fetchAll " + AnsiToWStringRet(error.what()));
      return false;
    }
    return !result.empty();
  }

  STR m_subject;
  STR m_pattern;
};

using CRegExW = CRegEx<std::wstring, boost::wregex, boost::match_results<std::wstring::const_iterator>>;
using CRegExA = CRegEx<std::string, boost::regex, boost::match_results<std::string::const_iterator>>;
