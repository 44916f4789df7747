// OutputDebugStringA/W: the debugger's output is standard error, in UTF-8.
#include <cstdio>
#include <string>

#include "crt/utf8.h"
#include "win32/codepage.h"
#include "win32/modules.h"

namespace {

void writeUtf8(const std::string& text) {
  fwrite(text.data(), 1, text.size(), stderr);
  fflush(stderr);
}

}  // namespace

void OutputDebugStringA(LPCSTR lpOutputString) {
  if (!lpOutputString || !*lpOutputString) return;
  const int n = MultiByteToWideChar(CP_ACP, 0, lpOutputString, -1, nullptr, 0);
  if (n <= 0) {
    writeUtf8(lpOutputString);  // not GBK: pass the bytes on rather than lose them
    return;
  }
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, lpOutputString, -1, wide.data(), n);
  wide.resize(static_cast<size_t>(n - 1));
  writeUtf8(crt::WideToUtf8(wide));
}

void OutputDebugStringW(LPCWSTR lpOutputString) {
  if (!lpOutputString || !*lpOutputString) return;
  writeUtf8(crt::WideToUtf8(std::wstring(lpOutputString)));
}
