// The table that a CREATE TABLE statement makes.
#pragma once

#include <string>

namespace base::sqlite {

// The name in "CREATE [TEMP] TABLE [IF NOT EXISTS] [schema.]name (...",
// without its quotes; empty when the text is not such a statement.
std::string CreateTableName(const std::string& utf8Sql);

}  // namespace base::sqlite
