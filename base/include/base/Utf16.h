// UTF-16LE bytes for everything that leaves the process as UTF-16.
//
// Wide strings hold one code point per wchar_t (32 bits here), but INI
// files, logs and the registry store keep UTF-16LE on disk. These helpers
// are the only place that turns one into the other; wchar_t memory is never
// written out as it stands.
//
// Defined results for text that is not well formed:
//   encoding: a wchar_t that is a surrogate (U+D800..U+DFFF) or above
//             U+10FFFF is written as U+FFFD;
//   decoding: a lone or reversed surrogate unit, and an odd trailing byte,
//             each become U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace base {

// The byte-order mark FF FE.
inline constexpr std::string_view kUtf16LeBom{"\xFF\xFE", 2};

// True when the bytes start with FF FE.
bool HasUtf16LeBom(std::string_view bytes);

// Appends the UTF-16LE bytes of text to out (no BOM). Code points above
// U+FFFF become surrogate pairs.
void AppendUtf16Le(std::string& out, std::wstring_view text);

// The UTF-16LE bytes of text, preceded by FF FE when withBom is true.
std::string Utf16LeEncode(std::wstring_view text, bool withBom = false);

// Decodes UTF-16LE bytes into a wide string. A leading FF FE is dropped when
// skipBom is true and kept as U+FEFF otherwise.
std::wstring Utf16LeDecode(std::string_view bytes, bool skipBom = true);

// Number of UTF-16 code units text takes once encoded (a REG_SZ byte count
// is this times 2).
size_t Utf16UnitCount(std::wstring_view text);

}  // namespace base
