// Loads the crash-capture module, registers the crash-upload observer as
// start-up does and crashes in a function whose name holds "&" and "=":
//   one     on the main thread
//   two     on two threads at the same moment
// The observer takes its host and identity from the configuration
// (QUORVALE_PRODUCT_INI) and its helper from this program's folder.
#include <pthread.h>

#include <cstdio>
#include <string>
#include <thread>

#include "base/TrevalinDll.h"
#include "online/DumpCatchUpload.h"

namespace {

struct Blast {
  volatile int* target = nullptr;
  // The crash report names this function: its "&" and "=" must reach the
  // service as they stand.
  __attribute__((noinline)) Blast& operator&=(int value) {
    *target = value;
    return *this;
  }
};

pthread_barrier_t g_together;

void CrashTogether() {
  pthread_barrier_wait(&g_together);
  Blast blast;
  blast &= 42;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string how = argc > 1 ? argv[1] : "one";
  static CBLLDumpCatchUpload upload;
  CTrevalinDll module;
  IDumpCatchMgr* manager = module.getInterface();
  if (!manager) return 3;
  IDumpCatcher* catcher = manager->GetCatcher();
  if (!catcher || !catcher->RegisterObserver(&upload)) return 4;
  if (how == "two") {
    pthread_barrier_init(&g_together, nullptr, 2);
    std::thread first(CrashTogether), second(CrashTogether);
    first.join();
    second.join();
  }
  Blast blast;
  blast &= 7;
  return 0;
}
