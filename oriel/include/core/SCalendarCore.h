// Gregorian date arithmetic the calendar and the date-time picker share.
#pragma once

namespace ORIEL {

// 0 (Sunday) to 6, or -1 when the date is not valid or the year lies
// outside 1600-6999.
int CalendarDayOfWeek(int year, int month, int day);
// Days of the month; 0 for a month that is not valid or (except December)
// a year outside 1600-6999.
int CalendarDaysOfMonth(int year, int month);
// Month 1-12, day 1-31 within the month's length; February has 29 days in
// leap years of 1600-6999 only. The year itself is not checked.
bool CalendarIsDateValid(unsigned short year, unsigned short month, unsigned short day);

}  // namespace ORIEL
