// Installs the fatal-signal handlers, and on a crash writes the report,
// tells the registered observer once and lets the process die of its signal.
#include <execinfo.h>
#include <signal.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "CrashReport.h"
#include "base/DumpCatch.h"

namespace trevalin {
namespace {

const int kFatalSignals[] = {SIGSEGV, SIGABRT, SIGFPE, SIGILL, SIGBUS};

std::atomic<CDumpCatchObserverBase*> g_observer{nullptr};
std::atomic<long> g_crashingThread{0};
std::string g_reportFolder;

// The alternate stack lets the handler run after a stack overflow. Reporting
// demangles names and formats text, so it gets room for that.
alignas(16) char g_altStack[256 * 1024];

void DieOf(int signal) {
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  sigaction(signal, &dfl, nullptr);
  // Blocked while this handler runs: delivered, with the default action,
  // as soon as the handler returns (a fault also recurs on return).
  raise(signal);
}

void* FaultingPc(void* context) {
  auto* uc = static_cast<ucontext_t*>(context);
  return uc ? reinterpret_cast<void*>(uc->uc_mcontext.gregs[REG_RIP]) : nullptr;
}

void OnFatalSignal(int signal, siginfo_t* info, void* context) {
  long self = syscall(SYS_gettid);
  long expected = 0;
  if (!g_crashingThread.compare_exchange_strong(expected, self)) {
    if (expected == self) {  // crashed again while reporting: give up at once
      DieOf(signal);
      return;
    }
    for (;;) pause();  // the first crashing thread ends the process
  }

  void* frames[128];
  int count = backtrace(frames, 128);
  // Start at the faulting instruction, past this handler and the kernel's
  // signal trampoline.
  void* pc = FaultingPc(context);
  int first = -1;
  for (int i = 0; i < count; ++i)
    if (frames[i] == pc) {
      first = i;
      break;
    }
  void** stack = frames;
  if (first >= 0) {
    stack = frames + first;
    count -= first;
  } else if (pc) {
    frames[0] = pc;  // unwinding did not cross the signal frame: the fault alone
    count = 1;
  }

  std::string text = BuildCrashReport(signal, info && info->si_code > 0,  // raised signals have no fault address
                                      info ? info->si_addr : nullptr, stack, count);
  std::string path = StoreCrashReport(g_reportFolder, text);
  if (path.empty())
    fprintf(stderr, "crash report could not be written to %s\n", g_reportFolder.c_str());
  else
    fprintf(stderr, "crash report written to %s\n", path.c_str());
  fputs(text.c_str(), stderr);

  if (CDumpCatchObserverBase* observer = g_observer.load()) {
    std::string ansi = ToAnsiCodePage(text);
    observer->OnCatch(signal, ansi.c_str());
  }
  DieOf(signal);
}

bool InstallHandlers() {
  g_reportFolder = DataFolder();
  // Load the unwinder now: its first use may allocate and open files.
  void* warm[4];
  backtrace(warm, 4);

  stack_t alt {};
  alt.ss_sp = g_altStack;
  alt.ss_size = sizeof g_altStack;
  alt.ss_flags = 0;
  bool ok = sigaltstack(&alt, nullptr) == 0;

  struct sigaction action {};
  action.sa_sigaction = OnFatalSignal;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int signal : kFatalSignals) ok = sigaction(signal, &action, nullptr) == 0 && ok;
  return ok;
}

class DumpCatcher final : public IDumpCatcher {
 public:
  bool RegisterObserver(CDumpCatchObserverBase* observer) override {
    g_observer.store(observer);
    return true;
  }
  const char* GetReportFolder() override { return g_reportFolder.c_str(); }
};

class DumpCatchMgr final : public IDumpCatchMgr {
 public:
  IDumpCatcher* GetCatcher() override { return &catcher_; }

 private:
  DumpCatcher catcher_;
};

}  // namespace
}  // namespace trevalin

// The module's one export: installs the handlers on the first call and
// returns the manager; null when the handlers could not be installed.
extern "C" __attribute__((visibility("default"))) IDumpCatchMgr* getBLLDumpCatchMgrExportInterface() {
  static trevalin::DumpCatchMgr manager;
  static std::once_flag once;
  static bool installed = false;
  std::call_once(once, [] { installed = trevalin::InstallHandlers(); });
  return installed ? &manager : nullptr;
}
