#include "format/LocalClock.h"

#include <time.h>

SYSTEMTIME SystemTimeFromTm(const struct tm& time, unsigned int milliseconds) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(time.tm_year + 1900);
  st.wMonth = static_cast<WORD>(time.tm_mon + 1);
  st.wDayOfWeek = static_cast<WORD>(time.tm_wday);
  st.wDay = static_cast<WORD>(time.tm_mday);
  st.wHour = static_cast<WORD>(time.tm_hour);
  st.wMinute = static_cast<WORD>(time.tm_min);
  st.wSecond = static_cast<WORD>(time.tm_sec);
  st.wMilliseconds = static_cast<WORD>(milliseconds);
  return st;
}

bool LocalSystemTimeOf(const struct timespec& moment, SYSTEMTIME* out) {
  struct tm local{};
  if (localtime_r(&moment.tv_sec, &local) == nullptr) return false;
  *out = SystemTimeFromTm(local, static_cast<unsigned int>(moment.tv_nsec / 1000000));
  return true;
}
