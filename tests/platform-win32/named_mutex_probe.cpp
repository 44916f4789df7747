// Helper process for the named-mutex tests: creates the named mutex given as
// the first argument and exits with 0 when it created it, 1 when it already
// existed, 2 on failure. With "hold" as the second argument it prints
// "ready" and keeps the handle until its standard input closes.
#include <cstdio>
#include <string>

#include "win32/windows.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string name = argv[1];
  const std::wstring wide(name.begin(), name.end());
  HANDLE mutex = CreateMutexW(nullptr, FALSE, wide.c_str());
  if (!mutex) return 2;
  const int result = GetLastError() == ERROR_ALREADY_EXISTS ? 1 : 0;
  if (argc > 2 && std::string(argv[2]) == "hold") {
    std::printf("ready\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
  }
  return result;
}
