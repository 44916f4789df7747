// Character rules shared by the INI parser: which characters are blanks
// around names and values, and how names compare.
#pragma once

#include <string>
#include <string_view>

namespace base::ini {

// Blanks around section names, key names and values (ASCII only, so a
// full-width space inside a Chinese value is kept).
bool IsIniBlank(wchar_t c);
std::wstring_view TrimBlanks(std::wstring_view text);

// Section and key names match without regard to case, for every script
// that has case, not only ASCII.
bool NamesEqual(std::wstring_view a, std::wstring_view b);

// A value as readers see it: blanks trimmed, then one pair of matching
// surrounding quotes (double or single) removed.
std::wstring_view ValueAsRead(std::wstring_view raw);

}  // namespace base::ini
