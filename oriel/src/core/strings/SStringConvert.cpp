#include "core/SStringConvert.h"

#include <memory>

#include "win32/codepage.h"

namespace ORIEL {

SStringW ConvertA2W(const SStringA& text, unsigned codePage) {
  if (text.IsEmpty()) return SStringW();
  wchar_t stackBuffer[1024];
  int n = MultiByteToWideChar(codePage, 0, text.c_str(), text.GetLength(), stackBuffer, 1024);
  if (n > 0) return SStringW(stackBuffer, n);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return SStringW();
  n = MultiByteToWideChar(codePage, 0, text.c_str(), text.GetLength(), nullptr, 0);
  if (n <= 0) return SStringW();
  std::unique_ptr<wchar_t[]> heapBuffer(new (std::nothrow) wchar_t[static_cast<size_t>(n)]);
  if (!heapBuffer) return SStringW();
  n = MultiByteToWideChar(codePage, 0, text.c_str(), text.GetLength(), heapBuffer.get(), n);
  return n > 0 ? SStringW(heapBuffer.get(), n) : SStringW();
}

SStringA ConvertW2A(const SStringW& text, unsigned codePage) {
  if (text.IsEmpty()) return SStringA();
  char stackBuffer[1024];
  int n = WideCharToMultiByte(codePage, 0, text.c_str(), text.GetLength(), stackBuffer, 1024, nullptr, nullptr);
  if (n > 0) return SStringA(stackBuffer, n);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return SStringA();
  n = WideCharToMultiByte(codePage, 0, text.c_str(), text.GetLength(), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return SStringA();
  std::unique_ptr<char[]> heapBuffer(new (std::nothrow) char[static_cast<size_t>(n)]);
  if (!heapBuffer) return SStringA();
  n = WideCharToMultiByte(codePage, 0, text.c_str(), text.GetLength(), heapBuffer.get(), n, nullptr, nullptr);
  return n > 0 ? SStringA(heapBuffer.get(), n) : SStringA();
}

SStringW ConvertW2W(const SStringW& text, unsigned /*codePage*/) { return text; }

}  // namespace ORIEL
