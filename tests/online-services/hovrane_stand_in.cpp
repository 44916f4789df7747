// A stand-in for the updater: writes each argument it was given on a line of
// its own to the file HOVRANE_RECORD names (whole, by renaming it in place).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  const char* record = std::getenv("HOVRANE_RECORD");
  if (!record || !*record) return 2;
  const std::string partial = std::string(record) + ".part";
  {
    std::ofstream out(partial);
    for (int i = 1; i < argc; ++i) out << argv[i] << '\n';
  }
  return std::rename(partial.c_str(), record) == 0 ? 0 : 1;
}
