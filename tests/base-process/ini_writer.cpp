// Writes keys into one INI file from a process of its own, as a second copy
// of the program would.
//   base_ini_writer FILE PREFIX COUNT
// Waits for one byte (or the end) on standard input, so that the test can
// start several writers at once, then writes PREFIX0=0 ... in section
// "Shared". Exit 0 when every write succeeded, 1 otherwise, 2 on bad use.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/CodePage.h"
#include "base/IniEngine.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const std::wstring file = Utf8ToWStringRet(argv[1]);
  const std::wstring prefix = Utf8ToWStringRet(argv[2]);
  const int count = std::atoi(argv[3]);
  char go;
  (void)read(STDIN_FILENO, &go, 1);
  for (int i = 0; i < count; ++i) {
    const std::wstring value = std::to_wstring(i);
    if (WritePrivateProfileStringW(L"Shared", (prefix + value).c_str(), value.c_str(), file.c_str()) != 1) {
      std::fprintf(stderr, "write %d failed: %ls\n", i, base::IniLastErrorText().c_str());
      return 1;
    }
  }
  return 0;
}
