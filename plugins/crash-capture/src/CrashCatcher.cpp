// Installs the fatal-signal handlers, and on a crash writes the report,
// tells the registered observer once and lets the process die of its signal.
// From the signal on, only async-signal-safe calls run, on memory set aside
// when the handlers were installed.
#include <execinfo.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "CrashReport.h"
#include "SignalStack.h"
#include "base/DumpCatch.h"

namespace trevalin {
namespace {

const int kFatalSignals[] = {SIGSEGV, SIGABRT, SIGFPE, SIGILL, SIGBUS};

std::atomic<CDumpCatchObserverBase*> g_observer{nullptr};
std::atomic<long> g_crashingThread{0};
std::string g_reportFolder;

// The handler starts on the crashing thread's own small signal stack, which
// holds the unwinder but not the report: symbol lookup, formatting and the
// observer (which may post the report) run on this larger stack, which only
// the one thread that reports ever uses. Untouched pages cost no memory.
constexpr size_t kReportStackBytes = 1024 * 1024;
char* g_reportStack = nullptr;  // null when it could not be had

// What the crashing thread hands over to the report stack.
struct PendingReport {
  int signal = 0;
  bool hasFaultAddress = false;
  void* faultAddress = nullptr;
  void* frames[128];
  void** stack = nullptr;
  int count = 0;
};
PendingReport g_pending;
ucontext_t g_handlerContext;
ucontext_t g_reportContext;

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

// The report, its ANSI copy and the file's path: set aside with the module,
// since the handler may not allocate (the crash may have happened inside
// the allocator, or while another thread holds it).
char g_reportText[64 * 1024];
char g_ansiText[64 * 1024];
char g_reportPath[4096];

void WriteToStandardError(const char* text, size_t size) {
  while (size > 0) {
    const ssize_t n = write(STDERR_FILENO, text, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text += n;
    size -= static_cast<size_t>(n);
  }
}

void WriteToStandardError(const char* text) { WriteToStandardError(text, strlen(text)); }

void WriteReportAndTellTheObserver() {
  const PendingReport& pending = g_pending;
  FixedText text(g_reportText, sizeof g_reportText);
  BuildCrashReport(text, pending.signal, pending.hasFaultAddress, pending.faultAddress, pending.stack,
                   pending.count);
  FixedText path(g_reportPath, sizeof g_reportPath);
  if (StoreCrashReport(g_reportFolder.c_str(), text, path)) {
    WriteToStandardError("crash report written to ");
    WriteToStandardError(path.c_str());
  } else {
    WriteToStandardError("crash report could not be written to ");
    WriteToStandardError(g_reportFolder.c_str());
  }
  WriteToStandardError("\n");
  WriteToStandardError(text.c_str(), text.size());

  if (CDumpCatchObserverBase* observer = g_observer.load()) {
    FixedText ansi(g_ansiText, sizeof g_ansiText);
    ToAnsiCodePage(text, ansi);
    observer->OnCatch(pending.signal, ansi.c_str());
  }
}

// Off the signal stack, a further signal would be given a frame at its top,
// over the handler waiting there for the report to end: while the report
// runs, signals run on the report stack.
void ReportFromTheReportStack() {
  stack_t off {};
  off.ss_flags = SS_DISABLE;
  sigaltstack(&off, nullptr);
  WriteReportAndTellTheObserver();
}

// Returns to the handler once the report is done (the report context's
// link); without a report stack the report runs where the handler is.
void ReportOnTheReportStack() {
  if (g_reportStack && getcontext(&g_reportContext) == 0) {
    g_reportContext.uc_stack.ss_sp = g_reportStack;
    g_reportContext.uc_stack.ss_size = kReportStackBytes;
    g_reportContext.uc_link = &g_handlerContext;
    makecontext(&g_reportContext, ReportFromTheReportStack, 0);
    if (swapcontext(&g_handlerContext, &g_reportContext) == 0) return;
  }
  WriteReportAndTellTheObserver();
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

  // The frames are taken here, where the unwinder can still cross the
  // signal frame into the crashing code.
  PendingReport& pending = g_pending;
  int count = backtrace(pending.frames, 128);
  // Start at the faulting instruction, past this handler and the kernel's
  // signal trampoline.
  void* pc = FaultingPc(context);
  int first = -1;
  for (int i = 0; i < count; ++i)
    if (pending.frames[i] == pc) {
      first = i;
      break;
    }
  void** stack = pending.frames;
  if (first >= 0) {
    stack = pending.frames + first;
    count -= first;
  } else if (pc) {
    pending.frames[0] = pc;  // unwinding did not cross the signal frame: the fault alone
    count = 1;
  }
  pending.signal = signal;
  pending.hasFaultAddress = info && info->si_code > 0;  // raised signals have no fault address
  pending.faultAddress = info ? info->si_addr : nullptr;
  pending.stack = stack;
  pending.count = count;

  ReportOnTheReportStack();
  DieOf(signal);
}

// A guard page below the stack turns running out of it into a fault.
char* MapReportStack() {
  const size_t guard = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  void* mapping = mmap(nullptr, kReportStackBytes + guard, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
  if (mapping == MAP_FAILED) {
    perror("crash capture: no memory for the report stack; reports run on the signal stack");
    return nullptr;
  }
  mprotect(mapping, guard, PROT_NONE);
  return static_cast<char*>(mapping) + guard;
}

bool InstallHandlers() {
  g_reportFolder = DataFolder();
  PrepareCrashReport();
  // Load the unwinder now: its first use may allocate and open files.
  void* warm[4];
  backtrace(warm, 4);
  g_reportStack = MapReportStack();

  // The program gives each thread it starts a signal stack; the loading
  // thread gets one here if it has none, as in a program that does not.
  bool ok = crashcapture::EnsureThreadSignalStack();

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
