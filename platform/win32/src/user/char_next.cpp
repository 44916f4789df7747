// CharNextW: characters are code points here, except where text carries
// UTF-16 units one per wchar_t, in which case a surrogate pair is one step.
#include "win32/user32.h"

LPWSTR CharNextW(LPCWSTR current) {
  if (!current) return nullptr;
  if (*current == 0) return const_cast<LPWSTR>(current);
  const wchar_t c = current[0];
  if (c >= 0xD800 && c <= 0xDBFF && current[1] >= 0xDC00 && current[1] <= 0xDFFF) return const_cast<LPWSTR>(current + 2);
  return const_cast<LPWSTR>(current + 1);
}
