// ShellExecuteW over xdg-open, started with posix_spawnp: the argument
// reaches the handler as one word, whatever characters it holds. The file
// manager program "explorer.exe" is the desktop's file manager: a folder
// opens with xdg-open, "/select,<path>" asks the file manager over D-Bus.
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cwchar>
#include <string>
#include <wchar.h>
#include <thread>

#include "crt/utf8.h"
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

}  // namespace

HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, INT) {
  if (IsOpen(verb) && IsFileManager(file)) return OpenWithFileManager(parameters);
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
