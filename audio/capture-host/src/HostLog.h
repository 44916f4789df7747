// Log lines of the capture host go to standard error, where the program's
// other libraries print their audio messages too.
#pragma once

namespace capture_host {

void HostLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace capture_host
