#include "core/SLog.h"

#include <cstdio>
#include <cwchar>
#include <memory>

#include "core/SApplication.h"
#include "crt/wprintf.h"
#include "win32/codepage.h"
#include "win32/modules.h"

namespace ORIEL {

int SLog_FormatW(wchar_t* buffer, size_t size, const wchar_t* format, ...) {
  if (!buffer || size == 0) return -1;
  va_list args;
  va_start(args, format);
  const int n = _vsnwprintf_s(buffer, size, _TRUNCATE, format, args);
  va_end(args);
  return n < 0 ? -1 : n;
}

int SLog_FormatA(char* buffer, size_t size, const char* format, ...) {
  if (!buffer || size == 0) return -1;
  va_list args;
  va_start(args, format);
  const int n = vsnprintf(buffer, size, format, args);
  va_end(args);
  if (n < 0 || static_cast<size_t>(n) >= size) {
    // Cut inside a multi-byte character: end the text before its lead byte.
    size_t end = size - 1;
    buffer[end] = 0;
    size_t i = 0;
    while (i < end) {
      const unsigned char c = static_cast<unsigned char>(buffer[i]);
      const size_t len = c < 0x80 ? 1 : 2;  // GBK characters are one or two bytes
      if (i + len > end) break;
      i += len;
    }
    buffer[i] = 0;
    return -1;
  }
  return n;
}

void SLog_ToAnsi(const wchar_t* text, char* out, size_t size) {
  if (!out || size == 0) return;
  out[0] = 0;
  size_t used = 0;
  char one[8];
  for (const wchar_t* p = text; p && *p; ++p) {
    const int n = WideCharToMultiByte(CP_ACP, 0, p, 1, one, sizeof one, nullptr, nullptr);
    if (n <= 0) continue;
    if (used + static_cast<size_t>(n) >= size) break;  // keep whole characters and the terminator
    memcpy(out + used, one, static_cast<size_t>(n));
    used += static_cast<size_t>(n);
  }
  out[used] = 0;
}

void SLog_Write(int level, const char* file, int line, const char* function, const void* retAddr,
                const wchar_t* format, ...) {
  auto wide = std::make_unique<wchar_t[]>(kLogBufferSize);
  va_list args;
  va_start(args, format);
  _vsnwprintf_s(wide.get(), kLogBufferSize, _TRUNCATE, format, args);  // a cut text stays terminated
  va_end(args);
  auto ansi = std::make_unique<char[]>(kLogBufferSize);
  SLog_ToAnsi(wide.get(), ansi.get(), kLogBufferSize);
  SApplication* app = SApplication::getSingletonPtr();
  ILog* log = app ? app->GetLogger() : nullptr;
  if (log && log->PrintLog(0, level)) {
    log->WriteLog(0, level, "oriel", ansi.get(), file, line, function, retAddr);
    return;
  }
  auto out = std::make_unique<char[]>(kLogBufferSize);
  SLog_FormatA(out.get(), kLogBufferSize, "%s %s %s:%d\n", ansi.get(), function, file, line);
  OutputDebugStringA(out.get());
}

}  // namespace ORIEL
