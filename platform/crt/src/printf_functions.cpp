// The Windows-named entry points over the one formatter. Each formats the
// whole text first, then applies its own buffer rule.
#include <algorithm>
#include <climits>
#include <string>

#include "crt/wprintf.h"

namespace {

template <class C>
bool FormatAny(std::basic_string<C>& out, const C* format, va_list args) {
  if constexpr (sizeof(C) == sizeof(wchar_t)) {
    return crt::FormatWideV(out, format, args);
  } else {
    return crt::FormatNarrowV(out, format, args);
  }
}

template <class C>
int Count(const C* format, va_list args) {
  std::basic_string<C> out;
  if (!FormatAny(out, format, args) || out.size() > static_cast<size_t>(INT_MAX)) return -1;
  return static_cast<int>(out.size());
}

template <class C>
int CopyOut(C* buffer, const std::basic_string<C>& text, size_t n) {
  std::copy_n(text.data(), n, buffer);
  buffer[n] = 0;
  return static_cast<int>(n);
}

// The secure rule: all or nothing.
template <class C>
int Bounded(C* buffer, size_t size, const C* format, va_list args) {
  if (!buffer || size == 0) return -1;
  std::basic_string<C> out;
  if (!FormatAny(out, format, args) || out.size() >= size || out.size() > static_cast<size_t>(INT_MAX)) {
    buffer[0] = 0;
    return -1;
  }
  return CopyOut(buffer, out, out.size());
}

template <class C>
int BoundedCount(C* buffer, size_t size, size_t count, const C* format, va_list args) {
  if (!buffer || size == 0) return -1;
  std::basic_string<C> out;
  if (!FormatAny(out, format, args) || out.size() > static_cast<size_t>(INT_MAX)) {
    buffer[0] = 0;
    return -1;
  }
  if (count == _TRUNCATE) {
    if (out.size() < size) return CopyOut(buffer, out, out.size());
    CopyOut(buffer, out, size - 1);
    return -1;
  }
  if (out.size() <= count) {
    if (out.size() < size) return CopyOut(buffer, out, out.size());
    buffer[0] = 0;
    return -1;
  }
  // Longer than count: cut to count when that fits the buffer.
  if (count < size) {
    CopyOut(buffer, out, count);
    return -1;
  }
  buffer[0] = 0;
  return -1;
}

}  // namespace

int _vscwprintf(const wchar_t* format, va_list args) { return Count(format, args); }
int _vsctprintf(const wchar_t* format, va_list args) { return Count(format, args); }
int _vscprintf(const char* format, va_list args) { return Count(format, args); }

#define CRT_VARIADIC(call_v, ...)      \
  va_list args;                        \
  va_start(args, format);              \
  const int n = call_v(__VA_ARGS__);   \
  va_end(args);                        \
  return n

int _scwprintf(const wchar_t* format, ...) { CRT_VARIADIC(_vscwprintf, format, args); }
int _sctprintf(const wchar_t* format, ...) { CRT_VARIADIC(_vscwprintf, format, args); }
int _scprintf(const char* format, ...) { CRT_VARIADIC(_vscprintf, format, args); }

int _vswprintf_s(wchar_t* buffer, size_t count, const wchar_t* format, va_list args) {
  return Bounded(buffer, count, format, args);
}
int vswprintf_s(wchar_t* buffer, size_t count, const wchar_t* format, va_list args) {
  return Bounded(buffer, count, format, args);
}
int _vstprintf_s(wchar_t* buffer, size_t count, const wchar_t* format, va_list args) {
  return Bounded(buffer, count, format, args);
}
int swprintf_s(wchar_t* buffer, size_t count, const wchar_t* format, ...) {
  CRT_VARIADIC(_vswprintf_s, buffer, count, format, args);
}
int _stprintf_s(wchar_t* buffer, size_t count, const wchar_t* format, ...) {
  CRT_VARIADIC(_vswprintf_s, buffer, count, format, args);
}

int _vsnwprintf(wchar_t* buffer, size_t count, const wchar_t* format, va_list args) {
  std::wstring out;
  if (!crt::FormatWideV(out, format, args)) {
    if (buffer && count > 0) buffer[0] = 0;
    return -1;
  }
  if (!buffer) return -1;
  if (out.size() < count) return CopyOut(buffer, out, out.size());
  std::copy_n(out.data(), std::min(out.size(), count), buffer);  // unterminated
  return out.size() == count && count <= static_cast<size_t>(INT_MAX) ? static_cast<int>(count) : -1;
}
int _snwprintf(wchar_t* buffer, size_t count, const wchar_t* format, ...) {
  CRT_VARIADIC(_vsnwprintf, buffer, count, format, args);
}

int _vsnwprintf_s(wchar_t* buffer, size_t size, size_t count, const wchar_t* format, va_list args) {
  return BoundedCount(buffer, size, count, format, args);
}
int vsnwprintf_s(wchar_t* buffer, size_t size, size_t count, const wchar_t* format, va_list args) {
  return BoundedCount(buffer, size, count, format, args);
}
int _snwprintf_s(wchar_t* buffer, size_t size, size_t count, const wchar_t* format, ...) {
  CRT_VARIADIC(_vsnwprintf_s, buffer, size, count, format, args);
}

int _vsnprintf_s(char* buffer, size_t size, size_t count, const char* format, va_list args) {
  return BoundedCount(buffer, size, count, format, args);
}
int vsnprintf_s(char* buffer, size_t size, size_t count, const char* format, va_list args) {
  return BoundedCount(buffer, size, count, format, args);
}
int _snprintf_s(char* buffer, size_t size, size_t count, const char* format, ...) {
  CRT_VARIADIC(_vsnprintf_s, buffer, size, count, format, args);
}
int vsprintf_s(char* buffer, size_t size, const char* format, va_list args) {
  return Bounded(buffer, size, format, args);
}
int sprintf_s(char* buffer, size_t size, const char* format, ...) {
  CRT_VARIADIC(vsprintf_s, buffer, size, format, args);
}

int wvsprintfW(wchar_t* buffer, const wchar_t* format, va_list args) {
  constexpr size_t kLimit = 1024;  // characters, terminator included
  if (!buffer) return 0;
  std::wstring out;
  if (!crt::FormatWideV(out, format, args)) {
    buffer[0] = 0;
    return 0;
  }
  return CopyOut(buffer, out, std::min(out.size(), kLimit - 1));
}
int wsprintfW(wchar_t* buffer, const wchar_t* format, ...) {
  CRT_VARIADIC(wvsprintfW, buffer, format, args);
}
