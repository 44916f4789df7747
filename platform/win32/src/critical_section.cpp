// Recursive critical section with a readable owner and depth. The owner id
// is stored atomically because other threads read it to ask "do I own it?".
#include <mutex>
#include <new>

#include "win32/kernel32.h"

namespace {

std::mutex* lockOf(LPCRITICAL_SECTION cs) { return static_cast<std::mutex*>(cs->LockSemaphore); }

DWORD ownerOf(LPCRITICAL_SECTION cs) {
  return static_cast<DWORD>(
      reinterpret_cast<ULONG_PTR>(__atomic_load_n(&cs->OwningThread, __ATOMIC_ACQUIRE)));
}

void setOwner(LPCRITICAL_SECTION cs, DWORD tid) {
  __atomic_store_n(&cs->OwningThread, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(tid)),
                   __ATOMIC_RELEASE);
}

void takeOwnership(LPCRITICAL_SECTION cs, DWORD tid) {
  setOwner(cs, tid);
  cs->RecursionCount = 1;
  __atomic_add_fetch(&cs->LockCount, 1, __ATOMIC_RELAXED);
}

}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION cs) {
  cs->DebugInfo = nullptr;
  cs->LockCount = 0;
  cs->RecursionCount = 0;
  cs->OwningThread = nullptr;
  cs->SpinCount = 0;
  cs->LockSemaphore = new std::mutex();
}

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION cs, DWORD spinCount) {
  InitializeCriticalSection(cs);
  cs->SpinCount = spinCount;
  return TRUE;
}

void DeleteCriticalSection(LPCRITICAL_SECTION cs) {
  delete lockOf(cs);
  cs->LockSemaphore = nullptr;
  cs->OwningThread = nullptr;
  cs->RecursionCount = 0;
}

void EnterCriticalSection(LPCRITICAL_SECTION cs) {
  const DWORD me = GetCurrentThreadId();
  if (ownerOf(cs) == me) {
    ++cs->RecursionCount;
    return;
  }
  lockOf(cs)->lock();
  takeOwnership(cs, me);
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION cs) {
  const DWORD me = GetCurrentThreadId();
  if (ownerOf(cs) == me) {
    ++cs->RecursionCount;
    return TRUE;
  }
  if (!lockOf(cs)->try_lock()) return FALSE;
  takeOwnership(cs, me);
  return TRUE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION cs) {
  // Only the owner may leave; a stray Leave from another thread must not
  // unlock a section some other thread is inside.
  if (ownerOf(cs) != GetCurrentThreadId() || cs->RecursionCount <= 0) return;
  if (--cs->RecursionCount > 0) return;
  setOwner(cs, 0);
  __atomic_sub_fetch(&cs->LockCount, 1, __ATOMIC_RELAXED);
  lockOf(cs)->unlock();
}
