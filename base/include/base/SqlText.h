// The statement texts that DALSQLite builds from rows of column names and
// values. Rows are walked in key order. Values go between apostrophes with
// any apostrophe inside doubled, so a value can never end its statement
// early or add statements; values without apostrophes give the texts the
// database layer has always produced.
#pragma once

#include <map>
#include <string>

using SqlRow = std::map<std::wstring, std::wstring>;

namespace sql_text {

// 'value' with every ' doubled.
std::wstring Quote(const std::wstring& value);

// INSERT INTO t(a,b) VALUES('1','2');
std::wstring Insert(const std::wstring& table, const SqlRow& row);
// DELETE FROM t where a = '1'AND b = '2';  (an empty row gives an
// incomplete text that the database rejects)
std::wstring Delete(const std::wstring& table, const SqlRow& row, bool joinWithAnd);
// UPDATE t SET a = '1',b = '2' WHERE c = '3' AND d = '4';  The caller must
// not pass empty new values.
std::wstring Update(const std::wstring& table, const SqlRow& values, const SqlRow& condition,
                    const std::wstring& comparison, bool joinWithAnd);
// SELECT a,b FROM t WHERE c = '3';  or SELECT * FROM t;
std::wstring Select(const std::wstring& table, const SqlRow& columns, const SqlRow& condition,
                    const std::wstring& comparison, bool joinWithAnd);

}  // namespace sql_text
