#include "mediaconvert/MCLog.h"

#include <cstdarg>

namespace {
thread_local FILE* tLogFile = nullptr;
}

void MCLogPrintf(const char* format, ...) {
  FILE* out = tLogFile ? tLogFile : stderr;
  va_list args;
  va_start(args, format);
  vfprintf(out, format, args);
  va_end(args);
  fflush(out);
}

MCLogRedirect::MCLogRedirect(const char* path) : previous_(tLogFile) {
  if (path == nullptr) return;
  file_ = fopen(path, "wb");
  if (file_ != nullptr) tLogFile = file_;
}

MCLogRedirect::~MCLogRedirect() {
  if (file_ != nullptr) {
    tLogFile = previous_;
    fclose(file_);
  }
}
