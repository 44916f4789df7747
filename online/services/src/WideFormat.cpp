#include "online/WideFormat.h"

#include <cstdarg>

#include "base/FormatWString.h"

std::wstring FormatWString(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring out;
  if (!format || !TryFormatWStringV(out, format, args)) out.clear();
  va_end(args);
  return out;
}
