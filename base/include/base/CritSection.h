// A recursive critical section and a guard that holds it for a scope.
//
// Leaving is ignored on a thread that does not own the section, so a guard
// destroyed on another thread leaves the section entered.
#pragma once

#include "win32/windows.h"

class CCritSection {
 public:
  CCritSection();
  ~CCritSection();
  CCritSection(const CCritSection&) = delete;
  CCritSection& operator=(const CCritSection&) = delete;

  void Init();
  // Deletes the section; a second call (or the destructor after an explicit
  // call) does nothing.
  void Delete();
  void Enter();
  void Leave();
  BOOL TryEnter();

  CRITICAL_SECTION* Get() { return &section_; }

 private:
  CRITICAL_SECTION section_;
  bool initialised_ = false;
};

class CCritSectionGuard {
 public:
  explicit CCritSectionGuard(CCritSection& section);
  explicit CCritSectionGuard(CRITICAL_SECTION* section);
  ~CCritSectionGuard();
  CCritSectionGuard(const CCritSectionGuard&) = delete;
  CCritSectionGuard& operator=(const CCritSectionGuard&) = delete;

 private:
  CRITICAL_SECTION* section_;
  bool locked_;
};
