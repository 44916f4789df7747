// A re-entrant lock over a Windows critical section.
#pragma once

#include "win32/kernel32.h"

namespace ORIEL {

class SCriticalSection {
 public:
  SCriticalSection() { InitializeCriticalSection(&cs_); }
  virtual ~SCriticalSection() { DeleteCriticalSection(&cs_); }
  SCriticalSection(const SCriticalSection&) = delete;
  SCriticalSection& operator=(const SCriticalSection&) = delete;
  void Enter() { EnterCriticalSection(&cs_); }
  void Leave() { LeaveCriticalSection(&cs_); }

 private:
  CRITICAL_SECTION cs_;
};

class SAutoLock {
 public:
  explicit SAutoLock(SCriticalSection& cs) : cs_(cs) { cs_.Enter(); }
  ~SAutoLock() { cs_.Leave(); }
  SAutoLock(const SAutoLock&) = delete;
  SAutoLock& operator=(const SAutoLock&) = delete;

 private:
  SCriticalSection& cs_;
};

}  // namespace ORIEL
