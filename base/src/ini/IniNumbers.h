// Numbers in INI values, always in the C locale: a comma decimal separator
// must never reach a settings file, whatever locale the process runs in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace base::ini {

// The whole text must be the number (optional sign, then digits; for reals
// also a fraction and an exponent); anything else, an overflow, or a real
// that is not finite gives nullopt.
std::optional<int32_t> ParseInt32(const std::wstring& text);
std::optional<int64_t> ParseInt64(const std::wstring& text);
std::optional<double> ParseReal(const std::wstring& text);

std::wstring FormatInt(int64_t value);
// "%f": six decimals.
std::wstring FormatFixed6(double value);

}  // namespace base::ini
