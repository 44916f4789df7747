// Text conversions of the registry store: UTF-16LE for what it keeps on
// disk, UTF-8 for file names, and the case folding of key and value names.
#pragma once

#include <string>

namespace registry::detail {

std::string ToUtf16Le(const std::wstring& text);
// Odd trailing bytes and broken surrogates become U+FFFD.
std::wstring FromUtf16Le(const std::string& bytes);
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
// Lower case for comparing names (Unicode letters, not only ASCII).
std::wstring FoldCase(const std::wstring& text);

}  // namespace registry::detail
