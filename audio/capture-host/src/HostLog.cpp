#include "HostLog.h"

#include <cstdarg>
#include <cstdio>

namespace capture_host {

void HostLog(const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::fprintf(stderr, "capture host: %s\n", line);
}

}  // namespace capture_host
