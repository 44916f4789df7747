// The Windows rules for splitting a command line into arguments, as a
// started program's runtime reads them.
#pragma once

#include <string>
#include <vector>

namespace shell {

// Blanks and tabs separate arguments outside double quotes; quotes group
// and are removed; 2n backslashes before a quote give n backslashes and the
// quote acts, 2n+1 give n backslashes and a literal quote; other
// backslashes stand as written. Inside quotes, "" gives a literal quote.
std::vector<std::wstring> SplitWindowsCommandLine(const std::wstring& text);

}  // namespace shell
