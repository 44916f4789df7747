#include <time.h>

#include <cerrno>

#include "base/Formatting.h"
#include "crt/wprintf.h"
#include "files/StringBridge.h"
#include "win32/kernel32.h"

namespace {

std::wstring FormatOrEmpty(const std::optional<std::wstring>& text) {
  return text ? *text : std::wstring();
}

std::wstring StrFTime(const wchar_t* format, const struct tm& time) {
  wchar_t buffer[MAX_PATH] = {};
  const size_t n = wcsftime(buffer, MAX_PATH, format, &time);
  return std::wstring(buffer, n);
}

}  // namespace

void FormatSystemTime(SStringW& out, const SYSTEMTIME* time) {
  out = ToSString(FormatOrEmpty(crt::Format(L"%04d-%02d-%02d %02d\uFF1A%02d\uFF1A%02d",
                                            time->wYear, time->wMonth, time->wDay,
                                            time->wHour, time->wMinute, time->wSecond)));
}

std::wstring FormatDuration(int seconds) {
  if (seconds < 0) return L"未知";
  const int hours = seconds / 3600;
  const int minutes = (seconds / 60) % 60;
  return FormatOrEmpty(crt::Format(L"%02d:%02d:%02d", hours, minutes, seconds % 60));
}

SStringW FormatDurationCString(int seconds) { return ToSString(FormatDuration(seconds)); }

SStringW FormatNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  SStringW out;
  FormatSystemTime(out, &now);
  return out;
}

std::wstring GetDateTime() {
  const time_t now = time(nullptr);
  struct tm local{};
  if (localtime_r(&now, &local) == nullptr) return L"Error,GetDateTime";
  return StrFTime(L"%Y%m%d#%H-%M-%S", local);
}

std::wstring GetDateTimeMs() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return FormatOrEmpty(crt::Format(L"%.4d%.2d%.2d#%.2d-%.2d-%.2d.%.3d", t.wYear, t.wMonth,
                                   t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds));
}

std::wstring FormatTm(const struct tm& time) { return StrFTime(L"%Y-%m-%d#%H-%M-%S", time); }

std::wstring FormatTime64(int64_t time) {
  struct tm local{};
  if (!IsValidLocalTime(time, &local)) return std::wstring();
  return FormatTm(local);
}

int64_t MakeTime64(int year, int month, int day, int hour, int minute, int second) {
  struct tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month > 0 ? month - 1 : 0;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = 0;
  return static_cast<int64_t>(mktime(&t));
}

bool IsValidLocalTime(int64_t time, struct tm* out) {
  const time_t t = static_cast<time_t>(time);
  return localtime_r(&t, out) != nullptr;
}

bool GetLocalTimeValue(int64_t* out, bool showError) {
  const time_t now = time(nullptr);
  struct tm local{};
  errno = 0;
  if (localtime_r(&now, &local) == nullptr) {
    if (showError) ShowLocalTimeError(static_cast<unsigned int>(errno));
    return false;
  }
  *out = static_cast<int64_t>(now);
  return true;
}

std::wstring FormatErrorCode(unsigned int code) {
  return FormatOrEmpty(crt::Format(L"ErrorCode:%u", code));
}

std::wstring FormatMsDuration(uint32_t ms) {
  return FormatOrEmpty(crt::Format(L"%.2d-%.2d-%.2d.%.3d", ms / 3600000u,
                                   (ms % 3600000u) / 60000u, (ms % 60000u) / 1000u,
                                   ms % 1000u));
}

// The text holds digits, '-' and '.' only, which read the same in the OEM
// code page as in ASCII.
std::string FormatMsDurationA(uint32_t ms) {
  const std::wstring wide = FormatMsDuration(ms);
  return std::string(wide.begin(), wide.end());
}

std::wstring FormatMsDiff(uint32_t first, uint32_t second) {
  return FormatMsDuration(first > second ? first - second : second - first);
}

std::string FormatMsDiffA(uint32_t first, uint32_t second) {
  return FormatMsDurationA(first > second ? first - second : second - first);
}

uint64_t GetUtcStamp() {
  SYSTEMTIME t{};
  GetSystemTime(&t);
  return static_cast<uint64_t>(t.wYear % 100) * 10000000000ull +
         static_cast<uint64_t>(t.wMonth) * 100000000ull +
         static_cast<uint64_t>(t.wDay) * 1000000ull + static_cast<uint64_t>(t.wHour) * 10000ull +
         static_cast<uint64_t>(t.wMinute) * 100ull + t.wSecond;
}
