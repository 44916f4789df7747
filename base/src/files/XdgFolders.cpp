#include "files/XdgFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <vector>

#include "files/NativePath.h"

namespace {

std::string AbsoluteFromEnvironment(const char* name) {
  const char* value = getenv(name);
  return value != nullptr && value[0] == '/' ? std::string(value) : std::string();
}

std::string TrimTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string HomeNarrow() {
  std::string home = AbsoluteFromEnvironment("HOME");
  if (!home.empty()) return TrimTrailingSlashes(home);
  std::vector<char> buffer(16384);
  struct passwd entry{};
  struct passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && found->pw_dir[0] == '/') {
    return TrimTrailingSlashes(found->pw_dir);
  }
  return std::string();
}

// An XDG base folder: the variable when it holds an absolute path, else
// the default under the home folder; empty when neither is known.
std::string XdgBase(const char* variable, const char* underHome, const std::string& home) {
  const std::string value = AbsoluteFromEnvironment(variable);
  if (!value.empty()) return TrimTrailingSlashes(value);
  return home.empty() ? std::string() : home + "/" + underHome;
}

// One XDG_<key>_DIR="..." line of user-dirs.dirs; "$HOME" may lead the value.
std::string UserDirEntry(const std::string& key, const std::string& home) {
  const std::string config = XdgBase("XDG_CONFIG_HOME", ".config", home);
  if (config.empty()) return std::string();
  std::ifstream file(config + "/user-dirs.dirs");
  const std::string prefix = "XDG_" + key + "_DIR=\"";
  std::string line;
  while (std::getline(file, line)) {
    if (line.rfind(prefix, 0) != 0) continue;
    const size_t end = line.rfind('"');
    if (end <= prefix.size()) return std::string();
    std::string value = line.substr(prefix.size(), end - prefix.size());
    if (value.rfind("$HOME", 0) == 0) {
      if (home.empty()) return std::string();
      value = home + value.substr(5);
    }
    return value.empty() || value[0] != '/' ? std::string() : TrimTrailingSlashes(value);
  }
  return std::string();
}

}  // namespace

std::wstring HomeFolder() { return FromSystemPath(HomeNarrow()); }

std::wstring XdgDataHome() { return FromSystemPath(XdgBase("XDG_DATA_HOME", ".local/share", HomeNarrow())); }

std::wstring XdgConfigHome() { return FromSystemPath(XdgBase("XDG_CONFIG_HOME", ".config", HomeNarrow())); }

std::wstring XdgUserDir(const char* key, const wchar_t* fallbackName) {
  const std::string home = HomeNarrow();
  const std::string entry = UserDirEntry(key, home);
  if (!entry.empty()) return FromSystemPath(entry);
  if (home.empty()) return std::wstring();
  return FromSystemPath(home) + L"/" + fallbackName;
}
