// Each header-alone unit of the headers test leaves a mark under the
// header's name, so the test can tell that every header was compiled.
#pragma once

#include <set>
#include <string>

std::set<std::string>& CompiledHeaders();

struct HeaderMark {
  explicit HeaderMark(const char* header) { CompiledHeaders().insert(header); }
};
