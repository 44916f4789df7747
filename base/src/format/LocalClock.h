#pragma once
// Moments of the real-time clock (file times) as local SYSTEMTIME records:
// the calendar fields from the C library's broken-down time, the
// milliseconds from the moment's nanoseconds.

#include <ctime>

#include "win32/types.h"

SYSTEMTIME SystemTimeFromTm(const struct tm& time, unsigned int milliseconds);
// Local time of a moment; false when the C library cannot convert it.
bool LocalSystemTimeOf(const struct timespec& moment, SYSTEMTIME* out);
