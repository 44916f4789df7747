// Loads the crash-capture module, registers an observer and crashes in a
// function of its own, in the way the first argument asks:
//   segv | abort | fpe | observer-crash | unload-segv (the loader frees the
//   module first) | thread-segv (on a worker thread) | overflow (the main
//   thread's stack runs out) | thread-overflow (a std::thread's stack runs
//   out) | early-thread-overflow (the same on a thread started before the
//   module was loaded) | createthread-overflow (on a CreateThread thread) |
//   pulse-overflow (on PulseAudio's main-loop thread) | observer-signal
//   (abort; the observer raises a signal whose handler runs on the signal
//   stack) | allocator-held-segv (another thread holds the allocator's lock
//   when the crash comes) | allocator-abort (the allocator finds a double
//   free and aborts with its lock held)
// The observer appends one line per call to the file named by the second
// argument, then the text it was given; like the handler that calls it,
// it allocates nothing.
#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <atomic>
#include <string>
#include <thread>
#include <utility>

#include <pulse/thread-mainloop.h>

#include "base/TrevalinDll.h"
#include "win32/windows.h"

namespace {

const char* g_observerLog = nullptr;
bool g_observerCrashes = false;
bool g_observerRaises = false;

// Uses a good part of whichever stack it runs on.
void FillTheStack(int) {
  volatile char scratch[16 * 1024];
  for (size_t i = 0; i < sizeof scratch; ++i) scratch[i] = 0;
}

class FileObserver : public CDumpCatchObserverBase {
 public:
  int OnCatch(int code, const char* crashText) override {
    int fd = open(g_observerLog, O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd >= 0) {
      char number[16];
      int n = 0;
      do {
        number[n++] = static_cast<char>('0' + code % 10);
        code /= 10;
      } while (code > 0 && n < 15);
      char line[32] = "OnCatch ";
      size_t length = strlen(line);
      while (n) line[length++] = number[--n];
      line[length++] = '\n';
      for (auto [text, size] : {std::pair<const char*, size_t>{line, length}, {crashText, strlen(crashText)},
                                {"\n", 1}})
        (void)!write(fd, text, size);
      close(fd);
    }
    if (g_observerRaises) raise(SIGUSR1);
    if (g_observerCrashes) {
      volatile int* nowhere = nullptr;
      *nowhere = 1;
    }
    return 1;
  }
};

FileObserver g_observer;

volatile int g_zero = 0;

__attribute__((noinline)) void CrashOnPurposeInNamedFunction(const std::string& how) {
  if (how == "abort" || how == "observer-signal") abort();
  if (how == "fpe") {
    volatile int one = 1;
    printf("%d\n", one / g_zero);
  }
  volatile int* nowhere = nullptr;
  *nowhere = 42;
}

__attribute__((noinline)) void FreeTwiceInNamedFunction() {
  // Too large for the per-thread cache: the second free reaches the
  // arena, takes its lock and aborts there.
  char* block = static_cast<char*>(malloc(2000));
  block[0] = 1;
  free(block);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuse-after-free"
  free(block);
#pragma GCC diagnostic pop
}

// The state letter of a thread of this process ('S' while it waits on a
// lock), read without allocating.
char ThreadState(long tid) {
  char path[64];
  snprintf(path, sizeof path, "/proc/self/task/%ld/stat", tid);
  const int fd = open(path, O_RDONLY);
  if (fd < 0) return '?';
  char text[512];
  const ssize_t n = read(fd, text, sizeof text - 1);
  close(fd);
  if (n <= 0) return '?';
  text[n] = '\0';
  const char* end = strrchr(text, ')');  // the name may hold blanks
  return end && end[1] == ' ' ? end[2] : '?';
}

std::atomic<long> g_statsThread{0};

// malloc_stats holds the main arena's lock while it prints to stderr; with
// stderr's lock held here, it stays inside, the allocator taken, until the
// process ends.
void HoldTheAllocatorFromAnotherThread() {
  flockfile(stderr);
  std::thread([] {
    g_statsThread.store(syscall(SYS_gettid));
    malloc_stats();
  }).detach();
  while (g_statsThread.load() == 0) usleep(1000);
  while (ThreadState(g_statsThread.load()) != 'S') usleep(1000);
  usleep(100000);
}

volatile bool g_deeper = true;  // always true; the compiler cannot tell

__attribute__((noinline)) int RecurseWithoutEnd(int depth) {
  volatile char frame[256];
  frame[0] = static_cast<char>(depth);
  if (!g_deeper) return frame[0];
  return RecurseWithoutEnd(depth + 1) + frame[0];
}

DWORD WINAPI OverflowOnCreatedThread(LPVOID) { return static_cast<DWORD>(RecurseWithoutEnd(0)); }

void OverflowOnPulseThread(pa_mainloop_api*, void*) { printf("%d\n", RecurseWithoutEnd(0)); }

// Runs on threads that are started for the crash and never meant to end:
// the process dies of the crash first.
[[noreturn]] void WaitForTheCrash() {
  for (;;) pause();
}

std::atomic<bool> g_moduleLoaded{false};

// A thread of the program that was running before the module was loaded
// overflows its stack once the module is there.
std::thread StartThreadThatOverflowsLater() {
  return std::thread([] {
    while (!g_moduleLoaded.load()) usleep(1000);
    printf("%d\n", RecurseWithoutEnd(0));
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: %s segv|abort|fpe|observer-crash observer-log\n", argv[0]);
    return 2;
  }
  std::string how = argv[1];
  g_observerLog = argv[2];
  g_observerCrashes = how == "observer-crash";
  g_observerRaises = how == "observer-signal";
  if (g_observerRaises) {
    struct sigaction action {};
    action.sa_handler = FillTheStack;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    sigaction(SIGUSR1, &action, nullptr);
  }

  std::thread early;
  if (how == "early-thread-overflow") early = StartThreadThatOverflowsLater();

  CTrevalinDll module;
  IDumpCatchMgr* manager = module.getInterface();
  if (!manager) return 3;
  IDumpCatcher* catcher = manager->GetCatcher();
  if (!catcher || !catcher->RegisterObserver(&g_observer)) return 4;
  if (how == "unload-segv") module.unload();
  if (how == "overflow") printf("%d\n", RecurseWithoutEnd(0));
  g_moduleLoaded.store(true);
  if (how == "early-thread-overflow") WaitForTheCrash();
  if (how == "thread-overflow") {
    std::thread worker([] { printf("%d\n", RecurseWithoutEnd(0)); });
    worker.join();
  }
  if (how == "createthread-overflow") {
    HANDLE worker = CreateThread(nullptr, 0, OverflowOnCreatedThread, nullptr, 0, nullptr);
    if (!worker) return 5;
    WaitForSingleObject(worker, INFINITE);
  }
  if (how == "pulse-overflow") {
    // The main loop's thread is started inside PulseAudio; no server is
    // needed for it to run a deferred call.
    pa_threaded_mainloop* loop = pa_threaded_mainloop_new();
    if (!loop) return 6;
    pa_mainloop_api_once(pa_threaded_mainloop_get_api(loop), OverflowOnPulseThread, nullptr);
    if (pa_threaded_mainloop_start(loop) != 0) return 7;
    WaitForTheCrash();
  }
  if (how == "allocator-held-segv") {
    HoldTheAllocatorFromAnotherThread();
    CrashOnPurposeInNamedFunction("segv");
  }
  if (how == "allocator-abort") {
    std::thread([] {}).join();  // a process that has had threads locks its arenas
    FreeTwiceInNamedFunction();
  }
  if (how == "thread-segv") {
    std::thread worker([] { CrashOnPurposeInNamedFunction("segv"); });
    worker.join();
  }
  CrashOnPurposeInNamedFunction(how);
  return 0;
}
