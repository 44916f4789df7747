#pragma once
// Debug output: printf-style texts (Windows wide dialect) handed to the
// debug channel, which writes them to standard error as UTF-8, or to a
// sink a test installs.

#include <functional>
#include <string>

class CDebugStr {
 public:
  CDebugStr() = default;
  virtual ~CDebugStr() = default;

  // The formatted text as one output; a format that cannot be formatted
  // gives the empty text, which is still written.
  static void trace(const wchar_t* format, ...);
  // The formatted text, then "\r\n" as a second output.
  static void traceLine(const wchar_t* format, ...);
};

namespace base {

// Receives every debug output, whole, in the order written. An empty sink
// restores standard error. Safe from any thread.
using DebugSink = std::function<void(const std::wstring& text)>;
void SetDebugSink(DebugSink sink);

// The channel itself (the stand-in for the debugger's output).
void OutputDebugText(const std::wstring& text);

}  // namespace base
