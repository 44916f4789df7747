// quorvale-crash-upload <host>: started by the crash observer of a dying
// Quorvale, reads the crash report from standard input and uploads it.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "online/CrashUploadClient.h"

int main(int argc, char** argv) {
  if (argc < 2 || !argv[1][0]) {
    std::fprintf(stderr, "usage: %s <upload host[:port]> < crash-report\n", argv[0]);
    return 2;
  }
  const std::string text((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  return RunCrashUpload(argv[1], text);
}
