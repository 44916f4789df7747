// ShellExecuteW over xdg-open, started with posix_spawnp: the argument
// reaches the handler as one word, whatever characters it holds. The file
// manager program "explorer.exe" is the desktop's file manager: a folder
// opens with xdg-open, "/select,<path>" asks the file manager over D-Bus.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cwchar>
#include <cwctype>
#include <string>
#include <wchar.h>
#include <thread>
#include <vector>

#include "crt/utf8.h"
#include "program_arguments.h"
#include "shell/shellapi.h"
#include "shell/show_items.h"
#include "win32/errors.h"

extern char** environ;

#ifndef ERROR_NO_ASSOCIATION
#define ERROR_NO_ASSOCIATION 1155L
#endif

namespace {

HINSTANCE Code(int code) { return reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(code)); }

bool IsOpen(LPCWSTR verb) { return !verb || !*verb || wcscmp(verb, L"open") == 0; }

// The handler usually hands the document on and exits at once; its exit
// is collected so that no finished child is left behind.
void Reap(pid_t child) {
  std::thread([child] {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

bool IsFileManager(LPCWSTR file) {
  if (!file) return false;
  const wchar_t* name = file;
  for (const wchar_t* p = file; *p; ++p)
    if (*p == L'\\' || *p == L'/') name = p + 1;
  return wcscasecmp(name, L"explorer.exe") == 0;
}

}  // namespace

namespace shell {

bool SpawnXdgOpen(const std::string& target, const std::string& folder) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  std::string program = "xdg-open";
  char* argv[] = {program.data(), const_cast<char*>(target.c_str()), nullptr};
  pid_t child = 0;
  const int err = posix_spawnp(&child, "xdg-open", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (err != 0) return false;
  Reap(child);
  return true;
}

}  // namespace shell

namespace {

// "explorer.exe" with "/select,<path>" shows the item in its folder;
// with a folder (or nothing) opens that folder.
HINSTANCE OpenWithFileManager(LPCWSTR parameters) {
  std::wstring args = parameters ? parameters : L"";
  static const std::wstring kSelect = L"/select,";
  if (args.compare(0, kSelect.size(), kSelect) == 0) {
    const std::string item = crt::WideToUtf8(args.substr(kSelect.size()).c_str());
    if (item.empty()) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return Code(SE_ERR_FNF);
    }
    shell::ShowItemInFolder(item);
    return Code(42);
  }
  if (args.empty()) args = L".";
  if (!shell::SpawnXdgOpen(crt::WideToUtf8(args.c_str()), std::string())) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return Code(SE_ERR_FNF);
  }
  return Code(42);
}

// "Name.exe" → "name"; empty when the file is not named as a program.
std::wstring ProgramName(const std::wstring& file) {
  static const std::wstring kSuffix = L".exe";
  if (file.size() <= kSuffix.size()) return {};
  std::wstring lower;
  for (wchar_t c : file) lower += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  if (lower.compare(lower.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0) return {};
  const size_t slash = lower.find_last_of(L"/\\");
  const size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
  // The folder part keeps its case; only the program's own name is lowered.
  std::wstring result = file.substr(0, nameStart) + lower.substr(nameStart, lower.size() - nameStart - kSuffix.size());
  for (wchar_t& c : result)
    if (c == L'\\') c = L'/';
  return result;
}

HINSTANCE StartProgram(const std::wstring& program, LPCWSTR parameters, LPCWSTR directory) {
  std::string path = crt::WideToUtf8(program);
  if (path[0] != '/' && directory && *directory) path = crt::WideToUtf8(directory) + "/" + path;
  if (path[0] != '/' && path.rfind("./", 0) != 0) path = "./" + path;  // never a PATH search
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return Code(SE_ERR_FNF);
  }
  if (access(path.c_str(), X_OK) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return Code(SE_ERR_ACCESSDENIED);
  }
  std::vector<std::string> words{path};
  for (const std::wstring& argument : shell::SplitWindowsCommandLine(parameters ? parameters : L""))
    words.push_back(crt::WideToUtf8(argument));
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  const int err = posix_spawn(&child, path.c_str(), nullptr, nullptr, argv.data(), environ);
  if (err != 0) {
    SetLastError(err == EACCES ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
    return Code(err == EACCES ? SE_ERR_ACCESSDENIED : SE_ERR_FNF);
  }
  Reap(child);
  return Code(42);
}

}  // namespace

HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, INT) {
  if (IsOpen(verb) && IsFileManager(file)) return OpenWithFileManager(parameters);
  if (IsOpen(verb) && file && *file) {
    const std::wstring program = ProgramName(file);
    if (!program.empty()) return StartProgram(program, parameters, directory);
  }
  if (!IsOpen(verb) || (parameters && *parameters)) {
    SetLastError(ERROR_NO_ASSOCIATION);
    return Code(SE_ERR_NOASSOC);
  }
  if (!file || !*file) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return Code(SE_ERR_FNF);
  }
  const std::string target = crt::WideToUtf8(file);
  const std::string folder = directory && *directory ? crt::WideToUtf8(directory) : std::string();
  if (!shell::SpawnXdgOpen(target, folder)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return Code(SE_ERR_FNF);
  }
  return Code(42);
}
