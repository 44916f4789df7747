#pragma once
// Source file and line of code addresses, from the debug information the
// module carries, read by binutils' addr2line.

#include <cstdint>
#include <string>
#include <vector>

namespace callstack {

struct SourceLine {
  std::string file;  // empty when unknown
  unsigned line = 0;
};

// One entry per address (link-time addresses of the module), in order; all
// empty when addr2line is missing, fails, or takes longer than a few
// seconds (it is stopped then: a crash report must not hang on it).
std::vector<SourceLine> LookupSourceLines(const std::string& modulePath,
                                          const std::vector<uintptr_t>& addresses);

}  // namespace callstack
