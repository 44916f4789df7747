#include "core/SCalendarCore.h"

namespace ORIEL {
namespace {

bool InRange(int year) { return year >= 1600 && year <= 6999; }
bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DayOfYear(int year, int month, int day) {
  static const int kBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  int n = kBefore[month - 1] + day;
  if (month > 2 && IsLeap(year)) ++n;
  return n;
}

}  // namespace

bool CalendarIsDateValid(unsigned short year, unsigned short month, unsigned short day) {
  if (month < 1 || month > 12 || day < 1 || day > 31) return false;
  if (month == 4 || month == 6 || month == 9 || month == 11) return day <= 30;
  if (month == 2) {
    const bool leap = InRange(year) && IsLeap(year);
    return day <= (leap ? 29 : 28);
  }
  return true;
}

int CalendarDayOfWeek(int year, int month, int day) {
  if (!InRange(year) || !CalendarIsDateValid(static_cast<unsigned short>(year), static_cast<unsigned short>(month),
                                             static_cast<unsigned short>(day)))
    return -1;
  const int y = year - 1;
  return (y + y / 4 - y / 100 + y / 400 + DayOfYear(year, month, day)) % 7;
}

int CalendarDaysOfMonth(int year, int month) {
  if (month < 1 || month > 12) return 0;
  if (month == 12) return 31;
  if (!InRange(year)) return 0;
  return DayOfYear(year, month + 1, 1) - DayOfYear(year, month, 1);
}

}  // namespace ORIEL
