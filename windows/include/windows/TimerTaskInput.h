// What the timer-task dialog makes of its input: the duration fields, their
// check and their spin, the default task name, the time checks of a
// once-only task, the texts of a task's start and duration, and the lines
// that name conflicting tasks.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "logic/TimerDate.h"
#include "win32/types.h"

// Hours, minutes, seconds as the three edits hold them.
using DurationTexts = std::array<std::wstring, 3>;

// Milliseconds of the three fields, each read as an integer (empty or
// non-numeric text counts 0).
int64_t DurationMs(const DurationTexts& fields);

// The text the changed field (0 hours, 1 minutes, 2 seconds) must show
// instead, "01", when it is out of range (hours 0..24, the others 0..60)
// or the whole duration is below a second; empty when it stands.
std::wstring CheckDurationField(const DurationTexts& fields, int changed);

// One second more or less, kept within 00:00:01 .. 24:00:00.
DurationTexts StepDuration(const DurationTexts& fields, int delta);

// "Task-" and the local date and time, the year with its four digits.
std::wstring DefaultTaskName(const SYSTEMTIME& now);

// A once-only task's start must lie ahead of now, and its end within the
// start's day (23:59:59 at the latest).
bool StartHasPassed(const SYSTEMTIME& start, const SYSTEMTIME& now);
bool EndsAfterStartDay(const SYSTEMTIME& start, int64_t durationMs);

// "每日 08:30:00" for an every-day task, else the full date and time.
std::wstring FormatTaskStartTime(const CTimerDate& date);
// Hours (as many digits as they need), minutes and seconds.
std::wstring FormatTaskDuration(const CTimerDate& date);

// A filed task the new one conflicts with, as the refusal names it.
struct ConflictingTask {
  std::wstring name;
  CTimerDate date;
};

// The refusal's lines, each "…与" + the names in 【】 + "冲突。", empty when
// it has no names: tasks of the same name; overlapping tasks that start at
// the same moment; the other overlapping tasks.
struct ConflictLines {
  std::wstring name;
  std::wstring start;
  std::wstring time;
};
ConflictLines BuildConflictLines(const SYSTEMTIME& newStart, const std::vector<ConflictingTask>& sameName,
                                 const std::vector<ConflictingTask>& overlapping);
