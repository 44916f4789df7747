// Loads the crash-capture module, registers an observer and crashes in a
// function of its own, in the way the first argument asks:
//   segv | abort | fpe | observer-crash | unload-segv (the loader frees the
//   module first) | thread-segv (on a worker thread) | overflow (the stack
//   runs out)
// The observer appends one line per call to the file named by the second
// argument, then the text it was given.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "base/TrevalinDll.h"

namespace {

const char* g_observerLog = nullptr;
bool g_observerCrashes = false;

class FileObserver : public CDumpCatchObserverBase {
 public:
  int OnCatch(int code, const char* crashText) override {
    int fd = open(g_observerLog, O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd >= 0) {
      std::string line = "OnCatch " + std::to_string(code) + "\n" + crashText + "\n";
      ssize_t ignored = write(fd, line.data(), line.size());
      (void)ignored;
      close(fd);
    }
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
  if (how == "abort") abort();
  if (how == "fpe") {
    volatile int one = 1;
    printf("%d\n", one / g_zero);
  }
  volatile int* nowhere = nullptr;
  *nowhere = 42;
}

volatile bool g_deeper = true;  // always true; the compiler cannot tell

__attribute__((noinline)) int RecurseWithoutEnd(int depth) {
  volatile char frame[256];
  frame[0] = static_cast<char>(depth);
  if (!g_deeper) return frame[0];
  return RecurseWithoutEnd(depth + 1) + frame[0];
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

  CTrevalinDll module;
  IDumpCatchMgr* manager = module.getInterface();
  if (!manager) return 3;
  IDumpCatcher* catcher = manager->GetCatcher();
  if (!catcher || !catcher->RegisterObserver(&g_observer)) return 4;
  if (how == "unload-segv") module.unload();
  if (how == "overflow") printf("%d\n", RecurseWithoutEnd(0));
  if (how == "thread-segv") {
    std::thread worker([] { CrashOnPurposeInNamedFunction("segv"); });
    worker.join();
  }
  CrashOnPurposeInNamedFunction(how);
  return 0;
}
