#include "base/CritSection.h"

namespace {

bool OwnedByCallingThread(const CRITICAL_SECTION* section) {
  // The owner field is written by whichever thread holds the section.
  const HANDLE owner = __atomic_load_n(&section->OwningThread, __ATOMIC_ACQUIRE);
  return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(owner)) == GetCurrentThreadId();
}

}  // namespace

CCritSection::CCritSection() { Init(); }

CCritSection::~CCritSection() { Delete(); }

void CCritSection::Init() {
  if (initialised_) return;
  InitializeCriticalSection(&section_);
  initialised_ = true;
}

void CCritSection::Delete() {
  // The HTTP layer deletes its section itself before the destructor runs;
  // deleting twice would free the platform lock twice.
  if (!initialised_) return;
  DeleteCriticalSection(&section_);
  initialised_ = false;
}

void CCritSection::Enter() { EnterCriticalSection(&section_); }

void CCritSection::Leave() {
  if (OwnedByCallingThread(&section_)) LeaveCriticalSection(&section_);
}

BOOL CCritSection::TryEnter() { return TryEnterCriticalSection(&section_); }

CCritSectionGuard::CCritSectionGuard(CCritSection& section) : CCritSectionGuard(section.Get()) {}

CCritSectionGuard::CCritSectionGuard(CRITICAL_SECTION* section) : section_(section), locked_(true) {
  EnterCriticalSection(section_);
}

CCritSectionGuard::~CCritSectionGuard() {
  if (locked_ && OwnedByCallingThread(section_)) LeaveCriticalSection(section_);
}
