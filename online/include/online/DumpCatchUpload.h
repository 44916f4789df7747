// The crash observer: on the first crash it hands the crash text to a
// helper program, quorvale-crash-upload in the program's folder, which posts
// it to the log-upload service and shows the answer.
//
// Nothing of the upload runs in the crashing process: it is inside a signal
// handler, where a network request, a window or even an allocation may hang
// on a lock the crashed code held. Everything the hand-over needs (the
// helper's path, its arguments and environment) is made by the constructor;
// OnCatch only forks, execs and writes the text into a pipe, all of it
// async-signal-safe. Start-up registers one of these with the crash-capture
// module's catcher.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "base/DumpCatch.h"

class CBLLDumpCatchUpload : public CDumpCatchObserverBase {
 public:
  // The helper beside the executable, the host of the configuration.
  CBLLDumpCatchUpload();
  // A given helper and host (empty host: the observer sends nothing).
  CBLLDumpCatchUpload(const std::string& helperPath, const std::string& uploadHost);
  virtual ~CBLLDumpCatchUpload() = default;
  CBLLDumpCatchUpload(const CBLLDumpCatchUpload&) = delete;
  CBLLDumpCatchUpload& operator=(const CBLLDumpCatchUpload&) = delete;

  // Only the first call of the process starts the helper; every call
  // returns 1. Safe inside a signal handler.
  int OnCatch(int code, const char* crashText) override;

  bool IsArmed() const { return m_calls.load() == 0; }
  const std::string& HelperPath() const { return m_helperPath; }
  const std::string& UploadHost() const { return m_host; }

 private:
  void Prepare();

  std::atomic<int> m_calls{0};
  std::string m_helperPath;
  std::string m_host;
  std::vector<std::string> m_argStore;
  std::vector<std::string> m_envStore;
  std::vector<char*> m_argv;
  std::vector<char*> m_envp;
};

// File name of the helper in the program's folder.
#define CRASH_UPLOAD_HELPER_FILE "quorvale-crash-upload"
