#include <sys/stat.h>

#include <cstdio>

#include "registry/desktop_exec.h"
#include "Utf8Paths.h"
#include "base/SystemHelpers.h"

namespace {

bool exists(const std::string& path) {
  struct stat info {};
  return !path.empty() && stat(path.c_str(), &info) == 0;
}

// Values of a desktop entry are single lines.
std::string oneLine(const std::string& text) {
  std::string out;
  for (char c : text) out += (c == '\n' || c == '\r') ? ' ' : c;
  return out;
}

}  // namespace

std::wstring GetParentPath(const std::wstring& path) {
  if (path.size() <= 3) return path;
  std::wstring out = path.substr(0, MAX_PATH - 1);
  // Like PathRemoveFileSpec: drop a trailing separator, else the last part;
  // the root keeps its separator.
  const size_t cut = out.find_last_of(L"/\\");
  if (cut == std::wstring::npos) return L"";
  if (cut + 1 == out.size()) {
    out.erase(cut);
    return out.empty() ? L"/" : out;
  }
  out.erase(cut == 0 ? 1 : cut);
  return out;
}

bool CreateDirectoryTree(const std::wstring& path) {
  const std::string utf8 = ToUtf8Path(path);
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] != '/' && utf8[i] != '\\') continue;
    const std::string prefix = utf8.substr(0, i + 1);
    if (!exists(prefix)) mkdir(prefix.c_str(), 0777);
  }
  if (!exists(utf8)) mkdir(utf8.c_str(), 0777);
  return exists(utf8);
}

bool CreateShortcutFile(const std::wstring& shortcutPath, const std::wstring& target,
                        const std::wstring& arguments, const std::wstring& description,
                        const std::wstring& iconPath, int) {
  const std::wstring folder = GetParentPath(shortcutPath);
  if (!CreateDirectoryTree(folder)) return false;
  const std::string path = ToUtf8Path(shortcutPath);
  const std::string targetText = ToUtf8Path(target);
  const size_t slash = targetText.find_last_of('/');
  std::string text = "[Desktop Entry]\nType=Application\n";
  text += "Name=" + oneLine(targetText.substr(slash == std::string::npos ? 0 : slash + 1)) + "\n";
  std::vector<std::wstring> argv = registry::SplitCommandLine(arguments);
  argv.insert(argv.begin(), target);
  text += "Exec=" + ToUtf8Path(registry::DesktopExecValue(argv)) + "\n";
  text += "Path=" + oneLine(ToUtf8Path(folder)) + "\n";
  if (!description.empty()) text += "Comment=" + oneLine(ToUtf8Path(description)) + "\n";
  if (!iconPath.empty()) text += "Icon=" + oneLine(ToUtf8Path(iconPath)) + "\n";
  // Written beside and renamed, so a failed write never leaves half a file.
  const std::string temporary = path + ".tmp";
  FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  chmod(path.c_str(), 0755);
  return true;
}
