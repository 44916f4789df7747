#include "autostart_entry.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "file_replace.h"
#include "registry/desktop_exec.h"
#include "registry/registry.h"
#include "text_codec.h"

namespace registry::detail {
namespace {

std::wstring ConfigHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') return FromUtf8(xdg);
  const char* home = std::getenv("HOME");
  if (home && *home == '/') return FromUtf8(home) + L"/.config";
  return L"";
}

}  // namespace

bool IsCommand(const std::wstring& commandLine) {
  std::vector<std::wstring> args = SplitCommandLine(commandLine);
  return !args.empty() && !args[0].empty();
}

bool IsUserRunKey(const std::wstring& keyPath) {
  return FoldCase(keyPath) == L"software\\microsoft\\windows\\currentversion\\run";
}

std::string DesktopEntryText(const std::wstring& name, const std::wstring& commandLine) {
  std::wstring text = L"[Desktop Entry]\nType=Application\nName=" + EscapeDesktopValue(name) +
                      L"\nExec=" + DesktopExecValue(SplitCommandLine(commandLine)) + L"\n";
  return ToUtf8(text);
}

bool WriteAutostartEntry(const std::wstring& name, const std::wstring& commandLine) {
  std::wstring path = AutostartEntryPath(name);
  if (path.empty() || !IsCommand(commandLine)) return false;
  std::string folder = ToUtf8(path.substr(0, path.rfind(L'/')));
  std::string parent = folder.substr(0, folder.rfind('/'));
  mkdir(parent.c_str(), 0700);
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  return ReplaceFile(ToUtf8(path), DesktopEntryText(name, commandLine));
}

bool DeleteAutostartEntry(const std::wstring& name) {
  std::wstring path = AutostartEntryPath(name);
  if (path.empty()) return true;
  return std::remove(ToUtf8(path).c_str()) == 0 || errno == ENOENT;
}

}  // namespace registry::detail

namespace registry {

std::wstring AutostartEntryPath(const std::wstring& valueName) {
  std::wstring config = detail::ConfigHome();
  // The name becomes a file name: nothing that leaves the folder.
  if (config.empty() || valueName.empty() || valueName == L"." || valueName == L".." ||
      valueName.find(L'/') != std::wstring::npos || valueName.find(L'\0') != std::wstring::npos)
    return L"";
  return config + L"/autostart/" + valueName + L".desktop";
}

std::wstring HiveFilePath(HKEY root) {
  const wchar_t* name = nullptr;
  if (root == HKEY_CURRENT_USER) name = L"HKEY_CURRENT_USER";
  else if (root == HKEY_LOCAL_MACHINE) name = L"HKEY_LOCAL_MACHINE";
  else if (root == HKEY_CLASSES_ROOT) name = L"HKEY_CLASSES_ROOT";
  else if (root == HKEY_USERS) name = L"HKEY_USERS";
  std::wstring config = detail::ConfigHome();
  if (!name || config.empty()) return L"";
  return config + L"/Quorvale/registry/" + name + L".reg";
}

}  // namespace registry
