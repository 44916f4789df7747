#include "base/SqlText.h"

namespace sql_text {
namespace {

// name OP 'value', joined by " AND " or " OR ", then ";".
std::wstring Conditions(const SqlRow& condition, const std::wstring& comparison, bool joinWithAnd) {
  std::wstring text;
  for (auto it = condition.begin(); it != condition.end(); ++it) {
    if (it != condition.begin()) text += joinWithAnd ? L" AND " : L" OR ";
    text += it->first + L" " + comparison + L" " + Quote(it->second);
  }
  return text + L";";
}

}  // namespace

std::wstring Quote(const std::wstring& value) {
  std::wstring quoted = L"'";
  for (wchar_t c : value) {
    quoted += c;
    if (c == L'\'') quoted += c;
  }
  return quoted + L"'";
}

std::wstring Insert(const std::wstring& table, const SqlRow& row) {
  std::wstring names;
  std::wstring values;
  for (auto it = row.begin(); it != row.end(); ++it) {
    if (it != row.begin()) {
      names += L",";
      values += L",";
    }
    names += it->first;
    values += Quote(it->second);
  }
  return L"INSERT INTO " + table + L"(" + names + L") VALUES(" + values + L");";
}

std::wstring Delete(const std::wstring& table, const SqlRow& row, bool joinWithAnd) {
  std::wstring text = L"DELETE FROM " + table + L" where ";
  for (auto it = row.begin(); it != row.end(); ++it) {
    if (it != row.begin()) text += joinWithAnd ? L"AND " : L"OR ";
    text += it->first + L" = " + Quote(it->second);
  }
  if (!row.empty()) text += L";";
  return text;
}

std::wstring Update(const std::wstring& table, const SqlRow& values, const SqlRow& condition,
                    const std::wstring& comparison, bool joinWithAnd) {
  std::wstring text = L"UPDATE " + table + L" SET ";
  for (auto it = values.begin(); it != values.end(); ++it) {
    if (it != values.begin()) text += L",";
    text += it->first + L" = " + Quote(it->second);
  }
  if (condition.empty()) return text + L";";
  return text + L" WHERE " + Conditions(condition, comparison, joinWithAnd);
}

std::wstring Select(const std::wstring& table, const SqlRow& columns, const SqlRow& condition,
                    const std::wstring& comparison, bool joinWithAnd) {
  std::wstring text = L"SELECT ";
  if (columns.empty()) {
    text += L"* FROM " + table;
  } else {
    for (auto it = columns.begin(); it != columns.end(); ++it) {
      if (it != columns.begin()) text += L",";
      text += it->first;
    }
    text += L" FROM " + table;
  }
  if (condition.empty()) return text + L";";
  return text + L" WHERE " + Conditions(condition, comparison, joinWithAnd);
}

}  // namespace sql_text
