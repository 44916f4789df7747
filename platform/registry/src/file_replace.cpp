#include "file_replace.h"

#include <cstdio>
#include <fstream>

namespace registry::detail {

bool ReplaceFile(const std::string& path, const std::string& bytes) {
  std::string tmp = path + ".new";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << bytes;
    out.flush();
    if (!out) {
      out.close();
      std::remove(tmp.c_str());
      return false;
    }
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace registry::detail
