// The process's handle table, and the waiter lists that let a signal wake
// only the threads waiting on its object.
#include "kernel_object.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace win32::detail {
namespace {

struct HandleTable {
  std::mutex mutex;
  std::unordered_map<uintptr_t, std::shared_ptr<Win32HandleObject>> objects;
  uintptr_t next = 0x1000;
};

// Never destroyed: handles may be closed from static destructors and
// thread-exit hooks that run after ordinary statics are gone.
HandleTable& table() {
  static HandleTable* t = new HandleTable();
  return *t;
}

}  // namespace

std::mutex& kernelMutex() {
  // Never destroyed, like the table.
  static std::mutex* m = new std::mutex();
  return *m;
}

void KernelObject::addWaiter(Waiter* waiter) { waiters_.push_back(waiter); }

void KernelObject::removeWaiter(Waiter* waiter) {
  auto it = std::find(waiters_.begin(), waiters_.end(), waiter);
  if (it != waiters_.end()) waiters_.erase(it);
}

void KernelObject::wakeWaiters() {
  const uint64_t one = 1;
  for (Waiter* waiter : waiters_) {
    if (waiter->wakeFd >= 0) {
      ssize_t written = ::write(waiter->wakeFd, &one, sizeof one);
      (void)written;  // a full counter already means "wake up"
    } else {
      waiter->condition.notify_one();
    }
  }
}

HANDLE insertHandle(std::shared_ptr<Win32HandleObject> object) {
  HandleTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  // Multiples of 4 as on Windows; values are not reused while they are open.
  uintptr_t value;
  do {
    value = t.next;
    t.next += 4;
    if (t.next >= 0x7FFFFFF0) t.next = 0x1000;
  } while (t.objects.count(value) != 0);
  t.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<Win32HandleObject> lookupAnyHandle(HANDLE handle) {
  if (handle == GetCurrentThread()) return currentThreadObject();
  HandleTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == t.objects.end() ? nullptr : it->second;
}

bool closeHandle(HANDLE handle) {
  // Declared before the lock so the object dies after the table is unlocked.
  std::shared_ptr<Win32HandleObject> released;
  HandleTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  if (it == t.objects.end()) return false;
  released = std::move(it->second);
  t.objects.erase(it);
  return true;
}

}  // namespace win32::detail

HANDLE Win32InsertHandle(std::shared_ptr<Win32HandleObject> object) {
  return win32::detail::insertHandle(std::move(object));
}

std::shared_ptr<Win32HandleObject> Win32LookupHandle(HANDLE handle) {
  return win32::detail::lookupAnyHandle(handle);
}
