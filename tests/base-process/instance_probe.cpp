// Runs the single-instance check in a process of its own.
//   base_instance_probe check  exit 10 when another instance runs, 11 when not
//   base_instance_probe hold   prints "running" or "first", then keeps its
//                              instance until standard input closes
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "base/SingleInstance.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const bool running = CheckRunningInstance();
  if (std::strcmp(argv[1], "check") == 0) return running ? 10 : 11;
  if (std::strcmp(argv[1], "hold") != 0) return 2;
  std::printf("%s\n", running ? "running" : "first");
  std::fflush(stdout);
  char byte;
  while (read(STDIN_FILENO, &byte, 1) > 0) {
  }
  return 0;
}
