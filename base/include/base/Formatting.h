#pragma once
// Times, durations and sizes written as the windows and logs show them.

#include <cstdint>
#include <ctime>
#include <string>

#include "core/SString.h"
#include "win32/types.h"

// "YYYY-MM-DD hh：mm：ss" with full-width colons (U+FF1A) in the time part;
// the day of week and the milliseconds are not shown.
void FormatSystemTime(SStringW& out, const SYSTEMTIME* time);
// "hh:mm:ss" (hours not limited to two digits); "未知" for a negative count.
std::wstring FormatDuration(int seconds);
SStringW FormatDurationCString(int seconds);
// FormatSystemTime of the current local time.
SStringW FormatNow();

// Current local time as "%Y%m%d#%H-%M-%S"; "Error,GetDateTime" when the
// local time cannot be had.
std::wstring GetDateTime();
// Current local time as "YYYYMMDD#hh-mm-ss.mmm".
std::wstring GetDateTimeMs();
// "%Y-%m-%d#%H-%M-%S" of a broken-down time.
std::wstring FormatTm(const struct tm& time);
// FormatTm of the local time of a 64-bit time; empty when it cannot be had.
std::wstring FormatTime64(int64_t time);
// The 64-bit time of a local standard-time date (month 0 counts as January).
int64_t MakeTime64(int year, int month, int day, int hour, int minute, int second);
bool IsValidLocalTime(int64_t time, struct tm* out);
// Stores the current time in *out when the local time can be had; on
// failure, with showError, tells the user in a message box.
bool GetLocalTimeValue(int64_t* out, bool showError);
std::wstring FormatErrorCode(unsigned int code);
void ShowLocalTimeError(unsigned int code);

// "hh-mm-ss.mmm", each at least two digits, the milliseconds three.
std::wstring FormatMsDuration(uint32_t ms);
std::string FormatMsDurationA(uint32_t ms);
std::wstring FormatMsDiff(uint32_t first, uint32_t second);
std::string FormatMsDiffA(uint32_t first, uint32_t second);
// Current UTC time as the decimal number YYMMDDhhmmss.
uint64_t GetUtcStamp();

// Sizes scaled by 1024 up to "TB", two decimals: "1.50KB".
std::wstring FormatFileSize(uint64_t bytes);
SStringW FormatFileSizeCString(uint64_t bytes);
// "1.50 KB"; empty for a negative size.
std::wstring FormatSizeText(int64_t bytes);
// Writes "1.50 KB" and tells whether the size is at least 2 MB; a negative
// size writes nothing and gives false.
bool FormatSizeCheck(SStringW& out, int64_t bytes);
