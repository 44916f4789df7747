#include "AudioLog.h"

#include <cstdarg>
#include <cstdio>

void AudioLog(const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::fprintf(stderr, "audio: %s\n", line);
}
