#pragma once
// Matches of a regular expression with their groups, over Boost.Regex.
// Failures (no match, a bad pattern, a search that gives up) are reported
// by false or an empty result and the last-error text; nothing throws out.

#include <memory>
#include <string>
#include <vector>

#include <boost/regex.hpp>
#include <boost/smart_ptr/bad_weak_ptr.hpp>

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

  // The first match only: its whole text (index 0) and its groups in order,
  // a group that took no part giving the empty text. Index -1 joins them all
  // with separator between them; any other index picks one element, and an
  // index past the end (or below -1) gives the empty text. Empty arguments
  // are filled from the fields; when one stays empty, so does the result.
  STR fetch(STR pattern, STR subject, int index = -1, STR separator = STR()) {
    if (!prepareArgs(pattern, subject)) return STR();
    try {
      REGEX expression(pattern);
      RESULTS match;
      if (!boost::regex_search(subject.cbegin(), subject.cend(), match, expression)) return STR();
      std::vector<STR> entries;
      for (size_t i = 0; i < match.size(); ++i)
        entries.push_back(match[i].matched ? STR(match[i].first, match[i].second) : STR());
      if (index == -1) {
        STR joined;
        for (size_t i = 0; i < entries.size(); ++i) {
          if (i > 0) joined += separator;
          joined += entries[i];
        }
        return joined;
      }
      if (index < 0 || static_cast<size_t>(index) >= entries.size()) return STR();
      return entries[static_cast<size_t>(index)];
    } catch (const boost::regex_error& error) {
      SetLastErrorText(L"fetch boost::bad_expression " + AnsiToWStringRet(error.what()));
    } catch (const boost::bad_weak_ptr& error) {
      SetLastErrorText(L"fetch boost::bad_weak_ptr " + AnsiToWStringRet(error.what()));
    } catch (const std::bad_weak_ptr& error) {
      SetLastErrorText(L"fetch boost::bad_weak_ptr " + AnsiToWStringRet(error.what()));
    } catch (const std::exception& error) {
      // Boost gives up on searches that grow too complex or deep.
      SetLastErrorText(L"boost::exception CRegEx::fetch " + AnsiToWStringRet(error.what()));
    }
    return STR();
  }

  STR m_subject;
  STR m_pattern;
};

using CRegExW = CRegEx<std::wstring, boost::wregex, boost::match_results<std::wstring::const_iterator>>;
using CRegExA = CRegEx<std::string, boost::regex, boost::match_results<std::string::const_iterator>>;
