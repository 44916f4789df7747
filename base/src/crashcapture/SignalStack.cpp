#include "SignalStack.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace crashcapture {
namespace {

// Room for the signal frame, the unwinder and a little more; a crash
// handler that needs more moves to a larger stack of its own. Untouched
// pages cost no memory.
constexpr size_t kStackBytes = 64 * 1024;

size_t PageBytes() {
  long page = sysconf(_SC_PAGESIZE);
  return page > 0 ? static_cast<size_t>(page) : 4096;
}

size_t StackBytes() {
  size_t bytes = kStackBytes;
  long wanted = sysconf(_SC_SIGSTKSZ);  // larger with wide vector registers
  if (wanted > 0 && static_cast<size_t>(wanted) > bytes) bytes = static_cast<size_t>(wanted);
  size_t page = PageBytes();
  return (bytes + page - 1) / page * page;
}

void Complain(const char* what) {
  fprintf(stderr, "signal stack: %s: %s\n", what, strerror(errno));
}

// The stack this thread was given here, with a guard page below it so that
// a handler running out of it faults instead of writing past it.
class OwnedSignalStack {
 public:
  ~OwnedSignalStack() { Release(); }

  bool Install() {
    if (!mapping_ && !Map()) return false;
    stack_t stack {};
    stack.ss_sp = Usable();
    stack.ss_size = length_ - PageBytes();
    stack.ss_flags = 0;
    if (sigaltstack(&stack, nullptr) != 0) {
      Complain("the stack could not be set");
      return false;
    }
    return true;
  }

 private:
  bool Map() {
    size_t page = PageBytes();
    size_t length = StackBytes() + page;
    void* mapping = mmap(nullptr, length, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
    if (mapping == MAP_FAILED) {
      Complain("no memory for the stack");
      return false;
    }
    // Without the guard the stack still works; an overflowing handler
    // would only go unnoticed.
    if (mprotect(mapping, page, PROT_NONE) != 0) Complain("the guard page could not be set");
    mapping_ = static_cast<char*>(mapping);
    length_ = length;
    return true;
  }

  char* Usable() const { return mapping_ + PageBytes(); }

  // Runs at the thread's end. The stack is taken out of use before it is
  // unmapped; one that the thread replaced with its own is no longer in
  // use, and one still running a handler is left mapped.
  void Release() {
    if (!mapping_) return;
    stack_t current {};
    if (sigaltstack(nullptr, &current) != 0) return;
    if (current.ss_sp == Usable() && !(current.ss_flags & SS_DISABLE)) {
      if (current.ss_flags & SS_ONSTACK) return;
      stack_t off {};
      off.ss_flags = SS_DISABLE;
      if (sigaltstack(&off, nullptr) != 0) return;
    }
    munmap(mapping_, length_);
    mapping_ = nullptr;
  }

  char* mapping_ = nullptr;
  size_t length_ = 0;
};

thread_local OwnedSignalStack t_signalStack;

}  // namespace

bool EnsureThreadSignalStack() {
  stack_t current {};
  if (sigaltstack(nullptr, &current) != 0) {
    Complain("the thread's stack could not be read");
    return false;
  }
  if (!(current.ss_flags & SS_DISABLE)) return true;
  return t_signalStack.Install();
}

}  // namespace crashcapture
