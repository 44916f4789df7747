// Atoms for class names and RegisterWindowMessageW.
#include "atoms.h"

#include <cwctype>
#include <map>
#include <mutex>
#include <string>

#include "win32/errors.h"
#include "win32/messaging.h"

namespace win32::detail {
namespace {

std::wstring folded(LPCWSTR name) {
  std::wstring out(name);
  for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return out;
}

struct AtomTable {
  std::mutex mutex;
  std::map<std::wstring, ATOM> atoms;
  unsigned next = 0xC000;
};

AtomTable& atomTable() {
  static AtomTable* t = new AtomTable();
  return *t;
}

}  // namespace

ATOM addAtom(LPCWSTR name) {
  AtomTable& t = atomTable();
  std::lock_guard<std::mutex> lock(t.mutex);
  const std::wstring key = folded(name);
  auto it = t.atoms.find(key);
  if (it != t.atoms.end()) return it->second;
  if (t.next > 0xFFFF) return 0;
  const ATOM atom = static_cast<ATOM>(t.next++);
  t.atoms.emplace(key, atom);
  return atom;
}

bool sameNameIgnoringCase(LPCWSTR a, LPCWSTR b) {
  for (; *a && *b; ++a, ++b) {
    if (std::towlower(static_cast<wint_t>(*a)) != std::towlower(static_cast<wint_t>(*b)))
      return false;
  }
  return *a == *b;
}

}  // namespace win32::detail

UINT RegisterWindowMessageW(LPCWSTR lpString) {
  if (!lpString || !*lpString) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const ATOM atom = win32::detail::addAtom(lpString);
  if (!atom) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return atom;
}
