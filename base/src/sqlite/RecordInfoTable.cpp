#include "base/RecordInfoTable.h"

// Blanks and tabs as the statement has always been written: databases made
// by earlier versions hold this very text in their schema. An array, so it
// is there before any constructor runs.
const wchar_t g_recordInfoCreateSql[] =
    L"CREATE TABLE RecordInfo (" L"                " L"RecordFileID INTEGER  NOT NULL PRIMARY KEY AUTOINCREMENT"
    L"                " L"UNIQUE,"
    L"                " L"FilePath     VARCHAR(500)  NOT NULL,"
    L"                " L"FileName     VARCHAR(500)  NOT NULL,"
    L"\t\t\t\t" L"Duration" L"\t" L" " L"VARCHAR" L"\t" L"   " L"NOT NULL,"
    L"                " L"Size         VARCHAR       NOT NULL,"
    L"\t\t\t\t" L"Date" L"\t\t" L" " L"VARCHAR       NOT NULL);";
