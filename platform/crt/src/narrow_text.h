// How the formatter crosses between narrow and wide arguments.
#pragma once

#include <string>
#include <string_view>

namespace crt::detail {

// A narrow argument in a wide format: UTF-8 when the bytes are UTF-8,
// otherwise GBK (the "ANSI" page); a byte neither reads becomes U+FFFD.
std::wstring WidenNarrowArgument(std::string_view bytes);

// A wide argument in a narrow format: UTF-8. Values that are not Unicode
// scalar values (surrogates, beyond U+10FFFF) become U+FFFD.
std::string NarrowWideArgument(std::wstring_view text);

}  // namespace crt::detail
