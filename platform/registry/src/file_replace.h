// Writing a whole file so that readers see either the old bytes or the new
// ones, never half of them.
#pragma once

#include <string>

namespace registry::detail {

// Writes bytes to "<path>.new" and renames it over path; false (and no
// temporary left behind) when either step fails.
bool ReplaceFile(const std::string& path, const std::string& bytes);

}  // namespace registry::detail
