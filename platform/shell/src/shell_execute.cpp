// ShellExecuteW over xdg-open, started with posix_spawnp: the argument
// reaches the handler as one word, whatever characters it holds.
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cwchar>
#include <string>
#include <thread>

#include "crt/utf8.h"
#include "shell/shellapi.h"
#include "win32/errors.h"

extern char** environ;

#ifndef ERROR_NO_ASSOCIATION
#define ERROR_NO_ASSOCIATION 1155L
#endif

namespace {

HINSTANCE Code(int code) { return reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(code)); }

bool IsOpen(LPCWSTR verb) { return !verb || !*verb || wcscmp(verb, L"open") == 0; }

// The file manager, asked for by name with a folder as its parameters.
bool IsFileManager(LPCWSTR file) { return file && wcscasecmp(file, L"explorer.exe") == 0; }

// The handler usually hands the document on and exits at once; its exit
// is collected so that no finished child is left behind.
void Reap(pid_t child) {
  std::thread([child] {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

}  // namespace

HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, INT) {
  // The file manager opens the folder it is given: the desktop's handler
  // of that folder.
  if (IsOpen(verb) && IsFileManager(file) && parameters && *parameters) {
    file = parameters;
    parameters = nullptr;
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
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  std::string folder;
  if (directory && *directory) {
    folder = crt::WideToUtf8(directory);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  }
  std::string program = "xdg-open";
  char* argv[] = {program.data(), const_cast<char*>(target.c_str()), nullptr};
  pid_t child = 0;
  const int err = posix_spawnp(&child, "xdg-open", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (err != 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return Code(SE_ERR_FNF);
  }
  Reap(child);
  return Code(42);
}
