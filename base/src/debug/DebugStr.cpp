#include "base/DebugStr.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "base/BufferDynamic.h"
#include "base/CodePage.h"

namespace base {
namespace {

std::mutex g_sinkLock;
DebugSink g_sink;

}  // namespace

void SetDebugSink(DebugSink sink) {
  std::lock_guard<std::mutex> lock(g_sinkLock);
  g_sink = std::move(sink);
}

void OutputDebugText(const std::wstring& text) {
  std::lock_guard<std::mutex> lock(g_sinkLock);
  if (g_sink) {
    g_sink(text);
    return;
  }
  std::string utf8 = WStringToUtf8Ret(text);
  fwrite(utf8.data(), 1, utf8.size(), stderr);
  fflush(stderr);
}

}  // namespace base

namespace {

// An unformattable text comes out empty rather than as its raw format.
std::wstring TraceText(const wchar_t* format, va_list args) {
  CBufferDynamic buffer;
  if (format) buffer.formatV(format, args);
  return buffer.getBuffer();
}

}  // namespace

void CDebugStr::trace(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const std::wstring text = TraceText(format, args);
  va_end(args);
  base::OutputDebugText(text);
}

void CDebugStr::traceLine(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const std::wstring text = TraceText(format, args);
  va_end(args);
  base::OutputDebugText(text);
  base::OutputDebugText(L"\r\n");
}
