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

void CDebugStr::trace(const wchar_t* format, ...) {
  CBufferDynamic buffer;
  va_list args;
  va_start(args, format);
  if (format) buffer.formatV(format, args);
  va_end(args);
  base::OutputDebugText(buffer.getBuffer());
}

void CDebugStr::traceLine(const wchar_t* format, ...) {
  CBufferDynamic buffer;
  va_list args;
  va_start(args, format);
  if (format) buffer.formatV(format, args);
  va_end(args);
  base::OutputDebugText(buffer.getBuffer());
  base::OutputDebugText(L"\r\n");
}
