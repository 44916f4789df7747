#include "base/FormatWString.h"

#include <vector>

#include "crt/wprintf.h"

bool TryFormatWStringV(std::wstring& out, const wchar_t* format, va_list args) {
  if (format == nullptr) return false;
  va_list counting;
  va_copy(counting, args);
  const int count = _vscwprintf(format, counting);
  va_end(counting);
  if (count < 0) return false;

  std::vector<wchar_t> block(static_cast<size_t>(count) + 1, L'\0');
  va_list printing;
  va_copy(printing, args);
  const int written = _vswprintf_s(block.data(), block.size(), format, printing);
  va_end(printing);
  if (written < 0) return false;
  // Up to the first terminator: a "%c" of 0 ends the text, as it would in
  // a C buffer.
  out.assign(block.data());
  return true;
}

std::wstring FormatWStringV(const wchar_t* format, va_list args) {
  std::wstring text;
  va_list copy;
  va_copy(copy, args);
  const bool ok = TryFormatWStringV(text, format, copy);
  va_end(copy);
  return ok ? text : std::wstring();
}
