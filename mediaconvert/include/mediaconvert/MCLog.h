#pragma once
// Messages of the media library. They go to standard error, or to the log
// file a running job was given; standard output is never touched.

#include <cstdio>
#include <string>

void MCLogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// While alive, messages of this thread go to the file at path (created or
// truncated). A path that cannot be opened leaves messages on stderr.
class MCLogRedirect {
 public:
  explicit MCLogRedirect(const char* path);
  ~MCLogRedirect();
  MCLogRedirect(const MCLogRedirect&) = delete;
  MCLogRedirect& operator=(const MCLogRedirect&) = delete;
  bool IsOpen() const { return file_ != nullptr; }

 private:
  FILE* file_ = nullptr;
  FILE* previous_ = nullptr;
};
