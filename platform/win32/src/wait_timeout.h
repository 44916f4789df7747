// A time left until a deadline as poll()'s time-out: whole milliseconds
// rounded up, never negative (which would wait for ever) and at most
// INT_MAX, so a finite wait of up to 49.7 days stays finite; the callers
// look at their deadline again after each poll.
#pragma once

#include <chrono>
#include <climits>

namespace win32::detail {

inline int pollTimeoutMs(std::chrono::steady_clock::duration left) {
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  if (ms <= 0) return 0;
  return ms >= INT_MAX ? INT_MAX : static_cast<int>(ms);
}

}  // namespace win32::detail
