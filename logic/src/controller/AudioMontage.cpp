#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "base/CodePage.h"
#include "base/PathHelpers.h"
#include "logic/BllMain.h"

extern char** environ;

int CBllMain::RunAudioMontage(const std::wstring& recordingPath) {
  std::wstring dir;
  if (!GetModuleDir(dir)) {
    m_error = L"the program's folder cannot be read";
    return 2;
  }
  std::string editor = WStringToUtf8Ret(dir + L"Tarnwell/Tarnwell");
  struct stat st;
  if (stat(editor.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    m_error = L"the audio editor is not installed: " + Utf8ToWStringRet(editor);
    return 2;
  }
  std::string argument = WStringToUtf8Ret(recordingPath);
  char* argv[] = {editor.data(), argument.data(), nullptr};
  pid_t pid = 0;
  int error = posix_spawn(&pid, editor.c_str(), nullptr, nullptr, argv, environ);
  if (error != 0) {
    m_error = L"the audio editor cannot be started: " + Utf8ToWStringRet(std::strerror(error));
    return 5;
  }
  // The editor lives on its own; only its exit status is collected.
  std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
  m_error.clear();
  return 0;
}
