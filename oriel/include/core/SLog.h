// Framework log lines. A line goes to the application's log object when one
// is installed and takes it, otherwise to the debugger output as
// "<text> <function> <file>:<line>\n" in the ANSI code page.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "render/IObjRef.h"
#include "win32/types.h"

namespace ORIEL {

// Buffers of framework log texts, in characters (wide) or bytes (ANSI).
constexpr int kLogBufferSize = 10240;

// The application's log object: whether a logger takes a level, and the
// write of one entry.
struct ILog : IObjRef {
  virtual BOOL PrintLog(int logger, int level) = 0;
  virtual void WriteLog(int logger, int level, const char* tag, const char* text, const char* file, int line,
                        const char* function, const void* retAddr) = 0;
};

// vsnwprintf/vsnprintf into `buffer` of `size` characters; the text is cut
// to fit and always terminated; -1 when it was cut or could not be formatted.
int SLog_FormatW(wchar_t* buffer, size_t size, const wchar_t* format, ...);
int SLog_FormatA(char* buffer, size_t size, const char* format, ...);

// Converts a wide text to the ANSI code page into `out` (`size` bytes),
// stopping before a character that would not fit whole; always terminated.
void SLog_ToAnsi(const wchar_t* text, char* out, size_t size);

// One framework log line at `level` (the format is the Windows wide dialect).
void SLog_Write(int level, const char* file, int line, const char* function, const void* retAddr,
                const wchar_t* format, ...);

#define SLOG_LEVEL_WARN 3
#define SLOG_LEVEL_ERROR 4
#define SLOGW(level, function, ...) \
  ::ORIEL::SLog_Write(level, __FILE__, __LINE__, function, __builtin_return_address(0), __VA_ARGS__)

}  // namespace ORIEL
