// The table of finished recordings in data-file-list.db.
#pragma once

// The create statement, kept by SQLite in the database's schema exactly as
// written (345 characters, spaces and tabs included).
extern const wchar_t g_recordInfoCreateSql[];
