// One-step conversions shared by the conversion sets.
#pragma once

#include <cstddef>
#include <string>

namespace codepage {

// Strict: a size query of 0, or a conversion count that differs from it,
// is a failure (out untouched). Loose: results are not checked; a refused
// conversion gives empty.
enum class Check { Strict, Loose };

// sourceLength is -1 for the terminated text, else a count of units. The
// result is cut at its first terminator.
bool NarrowToWide(unsigned int codePage, const char* source, int sourceLength, Check check,
                  std::wstring& out);
bool WideToNarrow(unsigned int codePage, const wchar_t* source, int sourceLength, Check check,
                  std::string& out);

// A length for the system calls; lengths past INT_MAX give -2, which the
// loose conversions treat as refused.
int LengthArgument(size_t length);

}  // namespace codepage
