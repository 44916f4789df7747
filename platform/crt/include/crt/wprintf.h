// The Windows C runtime's printf dialect, formatted by one function.
//
// Every wide text the system formats goes through crt::FormatWideV. glibc's
// wide printf reads the same formats differently ("%s" narrow, no "%I64d",
// -1 on a short buffer), so formats are never handed to it whole: each
// conversion is parsed here and its one argument read with the right type.
//
// Wide formats (wchar_t):
//   %s %ls %ws     wide string (wchar_t*)      %S %hs   narrow string (char*)
//   %c %lc %wc     wide character (wint_t)     %C %hc   narrow character
//   A narrow string is taken as UTF-8; bytes that are not UTF-8 are read as
//   GBK (code page 936, the "ANSI" page), and a byte neither can read is
//   shown as U+FFFD. A lone narrow character is ASCII or U+FFFD. A null
//   string prints "(null)".
// Narrow formats (char): the C meaning ("%s" and "%c" narrow, "%ls"/"%lc"
//   wide), and, as on Windows, "%S"/"%C" wide; wide arguments are written
//   as UTF-8.
// Both:
//   integers d i u o x X with the length prefixes
//     hh h          char / short
//     l             long, which is 32 bits on Windows: "%ld" reads an int32
//     ll I64        64-bit          I32   32-bit
//     I  z  t  j    pointer-sized / size_t / ptrdiff_t / intmax_t
//   flags - + space # 0, width and precision (either may be '*'),
//   floating point f F e E g G a A (with "L": long double), always in the
//   C locale (a '.' point); "%a" shows all 13 hex digits as Windows does,
//   %p (16 upper-case hex digits, as Windows prints a 64-bit pointer), %%.
// Width and the '0' flag pad strings and characters too, as on Windows.
// Refused: "%n", an unknown conversion, a format ending inside a conversion,
//   a length prefix that does not fit the conversion ("%I64s", "%hf",
//   "%wd"), a width (or a number's precision) above 16777216 characters.
//   The whole call then fails (negative result); nothing is read past the
//   bad conversion. Running out of memory fails the same way.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#ifndef _TRUNCATE
#define _TRUNCATE (static_cast<size_t>(-1))
#endif

namespace crt {

// Formats a wide format into out (replacing its contents). False when the
// format is malformed; out then holds what was formatted before the fault.
bool FormatWideV(std::wstring& out, const wchar_t* format, va_list args);
bool FormatNarrowV(std::string& out, const char* format, va_list args);

// The formatted text, or nothing when the format is refused.
std::optional<std::wstring> FormatV(const wchar_t* format, va_list args);
std::optional<std::wstring> Format(const wchar_t* format, ...);
std::optional<std::string> FormatNarrowV(const char* format, va_list args);
std::optional<std::string> FormatNarrow(const char* format, ...);

}  // namespace crt

// Counting: the number of characters the format produces, or -1.
int _vscwprintf(const wchar_t* format, va_list args);
int _scwprintf(const wchar_t* format, ...);
int _vsctprintf(const wchar_t* format, va_list args);
int _sctprintf(const wchar_t* format, ...);
int _vscprintf(const char* format, va_list args);
int _scprintf(const char* format, ...);

// Bounded ("secure") forms: count is the buffer size in characters, room
// for the terminator included. When the text does not fit, or the format is
// refused, the buffer is left holding an empty string and -1 is returned
// (the secure runtime would also call its invalid-parameter handler, which
// by default ends the process; here the caller sees the failure instead).
// Otherwise the number of characters written, without the terminator.
int _vswprintf_s(wchar_t* buffer, size_t count, const wchar_t* format, va_list args);
int vswprintf_s(wchar_t* buffer, size_t count, const wchar_t* format, va_list args);
int swprintf_s(wchar_t* buffer, size_t count, const wchar_t* format, ...);
int _stprintf_s(wchar_t* buffer, size_t count, const wchar_t* format, ...);
int _vstprintf_s(wchar_t* buffer, size_t count, const wchar_t* format, va_list args);

template <size_t N>
int swprintf_s(wchar_t (&buffer)[N], const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = _vswprintf_s(buffer, N, format, args);
  va_end(args);
  return n;
}
template <size_t N>
int _stprintf_s(wchar_t (&buffer)[N], const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = _vswprintf_s(buffer, N, format, args);
  va_end(args);
  return n;
}

// Truncating: writes at most count characters. Returns the length when the
// text and its terminator fit; the length without a terminator when the text
// fills the buffer exactly; -1 when the text was cut (the buffer then holds
// the first count characters, unterminated) or the format is refused.
int _vsnwprintf(wchar_t* buffer, size_t count, const wchar_t* format, va_list args);
int _snwprintf(wchar_t* buffer, size_t count, const wchar_t* format, ...);

// size is the buffer size and count the most characters to write, or
// _TRUNCATE to write what fits. Always terminated. With _TRUNCATE a cut text
// returns -1 and keeps what fits; with a count, more than count characters
// are cut to count (returning -1), and a text that does not fit the buffer
// leaves an empty string and returns -1. A refused format: empty, -1.
int _vsnwprintf_s(wchar_t* buffer, size_t size, size_t count, const wchar_t* format,
                  va_list args);
int vsnwprintf_s(wchar_t* buffer, size_t size, size_t count, const wchar_t* format,
                 va_list args);
int _snwprintf_s(wchar_t* buffer, size_t size, size_t count, const wchar_t* format, ...);

// Narrow counterparts, same rules.
int _vsnprintf_s(char* buffer, size_t size, size_t count, const char* format, va_list args);
int vsnprintf_s(char* buffer, size_t size, size_t count, const char* format, va_list args);
int _snprintf_s(char* buffer, size_t size, size_t count, const char* format, ...);
int vsprintf_s(char* buffer, size_t size, const char* format, va_list args);
int sprintf_s(char* buffer, size_t size, const char* format, ...);

template <size_t N>
int sprintf_s(char (&buffer)[N], const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = vsprintf_s(buffer, N, format, args);
  va_end(args);
  return n;
}

// user32: the output stops at 1024 characters (1023 and the terminator);
// the buffer must hold 1024. Returns the characters written, or 0 when the
// format is refused (the buffer is then empty).
int wvsprintfW(wchar_t* buffer, const wchar_t* format, va_list args);
int wsprintfW(wchar_t* buffer, const wchar_t* format, ...);
