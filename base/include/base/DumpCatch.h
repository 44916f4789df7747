#pragma once
// The interface of the crash-capture module (libTrevalin.so), as the program
// sees it. The module's export getBLLDumpCatchMgrExportInterface returns the
// manager; the manager's first operation gives its catcher; the catcher's
// first operation registers the observer that hears of a crash.

// Told once, on the crashing thread, while the process is in its crash
// state. code: the signal number. crashText: the crash report (signal, time,
// call stack) as NUL-terminated text in the ANSI code page (936). The module
// ends the process after the call; the result is not used.
class CDumpCatchObserverBase {
 public:
  virtual int OnCatch(int code, const char* crashText) = 0;

 protected:
  ~CDumpCatchObserverBase() = default;
};

class IDumpCatcher {
 public:
  // Registers the observer (replacing an earlier one; null removes it).
  // The observer is not owned and must outlive the process's crash.
  virtual bool RegisterObserver(CDumpCatchObserverBase* observer) = 0;
  // Folder the crash reports are written to, with a trailing '/'.
  virtual const char* GetReportFolder() = 0;

 protected:
  ~IDumpCatcher() = default;
};

class IDumpCatchMgr {
 public:
  virtual IDumpCatcher* GetCatcher() = 0;

 protected:
  ~IDumpCatchMgr() = default;
};

extern "C" {
typedef IDumpCatchMgr* (*GetBLLDumpCatchMgrExportInterfaceFn)();
}

// File name of the module in the program's folder, and its export.
#define TREVALIN_MODULE_FILE "libTrevalin.so"
#define TREVALIN_EXPORT_NAME "getBLLDumpCatchMgrExportInterface"
