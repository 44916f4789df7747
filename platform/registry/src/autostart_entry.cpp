#include "autostart_entry.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "file_replace.h"
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

// Splits a command line as Windows programs do: blanks separate arguments
// outside double quotes; backslashes are literal except before a quote,
// where each pair stands for one backslash and an odd one left over makes
// the quote literal ("\"" inside quotes is a quote character).
std::vector<std::wstring> Arguments(const std::wstring& commandLine) {
  std::vector<std::wstring> args;
  std::wstring current;
  bool inQuotes = false, any = false;
  for (size_t i = 0; i < commandLine.size(); ++i) {
    const wchar_t c = commandLine[i];
    if (c == L'\\') {
      size_t run = 0;
      while (i + run < commandLine.size() && commandLine[i + run] == L'\\') ++run;
      const bool beforeQuote = i + run < commandLine.size() && commandLine[i + run] == L'"';
      current.append(beforeQuote ? run / 2 : run, L'\\');
      any = true;
      i += run - 1;
      if (beforeQuote && run % 2 == 1) {
        current += L'"';
        ++i;  // the escaped quote is taken
      }
    } else if (c == L'"') {
      inQuotes = !inQuotes;
      any = true;
    } else if ((c == L' ' || c == L'\t') && !inQuotes) {
      if (any) args.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) args.push_back(current);
  return args;
}

// One argument in double quotes, with the four characters the format
// reserves inside quotes escaped, and '%' doubled as field codes demand.
std::wstring QuoteArgument(const std::wstring& arg) {
  std::wstring out = L"\"";
  for (wchar_t c : arg) {
    if (c == L'"' || c == L'`' || c == L'$' || c == L'\\') out += L'\\';
    if (c == L'%') out += L'%';
    out += c;
  }
  return out + L"\"";
}

// The string-value escapes of the desktop-entry format.
std::wstring EscapeValue(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\\') out += L"\\\\";
    else if (c == L'\n') out += L"\\n";
    else if (c == L'\t') out += L"\\t";
    else if (c == L'\r') out += L"\\r";
    else out += c;
  }
  return out;
}

}  // namespace

bool IsCommand(const std::wstring& commandLine) {
  std::vector<std::wstring> args = Arguments(commandLine);
  return !args.empty() && !args[0].empty();
}

bool IsUserRunKey(const std::wstring& keyPath) {
  return FoldCase(keyPath) == L"software\\microsoft\\windows\\currentversion\\run";
}

std::string DesktopEntryText(const std::wstring& name, const std::wstring& commandLine) {
  std::wstring exec;
  for (const std::wstring& arg : Arguments(commandLine)) {
    if (!exec.empty()) exec += L' ';
    exec += QuoteArgument(arg);
  }
  std::wstring text = L"[Desktop Entry]\nType=Application\nName=" + EscapeValue(name) + L"\nExec=" +
                      EscapeValue(exec) + L"\n";
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
