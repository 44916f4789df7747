#include "windows/TimerTaskInput.h"

#include <algorithm>

#include "crt/wprintf.h"
#include "crt/wtoi.h"

namespace {
constexpr int64_t kDaySeconds = 86400;

int FieldValue(const std::wstring& text) { return _wtoi(text.c_str()); }

std::wstring TwoDigits(int64_t value) {
  wchar_t text[32];
  swprintf_s(text, L"%02d", static_cast<int>(value));
  return text;
}

bool SameStart(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
         a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

std::wstring Line(const wchar_t* lead, const std::vector<const ConflictingTask*>& tasks) {
  if (tasks.empty()) return {};
  std::wstring line = lead;
  for (const ConflictingTask* task : tasks) line += L"【" + task->name + L"】";
  return line + L"冲突。";
}
}  // namespace

int64_t DurationMs(const DurationTexts& f) {
  return static_cast<int64_t>(FieldValue(f[0])) * 3600000 + static_cast<int64_t>(FieldValue(f[1])) * 60000 +
         static_cast<int64_t>(FieldValue(f[2])) * 1000;
}

std::wstring CheckDurationField(const DurationTexts& fields, int changed) {
  if (changed < 0 || changed > 2) return {};
  const int value = FieldValue(fields[static_cast<size_t>(changed)]);
  const int most = changed == 0 ? 24 : 60;
  if (value < 0 || value > most || DurationMs(fields) < 1000) return L"01";
  return {};
}

DurationTexts StepDuration(const DurationTexts& f, int delta) {
  int64_t total = static_cast<int64_t>(FieldValue(f[0])) * 3600 + FieldValue(f[1]) * 60 + FieldValue(f[2]) + delta;
  // No duration is shorter than a second.
  total = std::clamp<int64_t>(total, 1, kDaySeconds);
  return {TwoDigits(total / 3600), TwoDigits(total % 3600 / 60), TwoDigits(total % 60)};
}

std::wstring DefaultTaskName(const SYSTEMTIME& now) {
  wchar_t text[64];
  swprintf_s(text, L"Task-%02d%02d%02d-%02d%02d%02d", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
             now.wSecond);
  return text;
}

bool StartHasPassed(const SYSTEMTIME& start, const SYSTEMTIME& now) { return TimerUnits(start) < TimerUnits(now); }

bool EndsAfterStartDay(const SYSTEMTIME& start, int64_t durationMs) {
  const int64_t startSecond = start.wHour * 3600 + start.wMinute * 60 + start.wSecond;
  return startSecond + durationMs / 1000 > kDaySeconds - 1;
}

std::wstring FormatTaskStartTime(const CTimerDate& date) {
  const SYSTEMTIME& s = date.start;
  wchar_t text[96];
  if (date.IsEveryDay())
    swprintf_s(text, L"%s %02d:%02d:%02d", L"每日", s.wHour, s.wMinute, s.wSecond);
  else
    swprintf_s(text, L"%04d-%02d-%02d %02d:%02d:%02d", s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute, s.wSecond);
  return text;
}

std::wstring FormatTaskDuration(const CTimerDate& date) {
  const uint64_t seconds = static_cast<uint64_t>(date.duration) / 1000;
  wchar_t text[64];
  swprintf_s(text, L"%02d:%02d:%02d", static_cast<int>(seconds / 3600), static_cast<int>(seconds % 3600 / 60),
             static_cast<int>(seconds % 60));
  return text;
}

ConflictLines BuildConflictLines(const SYSTEMTIME& newStart, const std::vector<ConflictingTask>& sameName,
                                 const std::vector<ConflictingTask>& overlapping) {
  std::vector<const ConflictingTask*> named, sameStart, others;
  for (const ConflictingTask& t : sameName) named.push_back(&t);
  for (const ConflictingTask& t : overlapping) (SameStart(t.date.start, newStart) ? sameStart : others).push_back(&t);
  return {Line(L"任务名称与", named), Line(L"开始时间与", sameStart), Line(L"录制时间与", others)};
}
