// Text files in the ANSI code page, read the way the runtime's text-mode
// streams read them.
#include <cstring>
#include <fstream>
#include <iterator>

#include "base/CodePage.h"
#include "base/PathHelpers.h"
#include "files/NativePath.h"

namespace {

bool ReadBytes(const std::wstring& path, std::string& bytes) {
  if (path.empty()) return false;
  std::ifstream in(SystemPathOf(path), std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), {});
  return !in.bad();
}

std::wstring TextModeText(const std::string& bytes) {
  std::wstring text = AnsiToWStringRet(bytes);
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
    out += text[i];
  }
  return out;
}

}  // namespace

bool ReadTextFile(std::wstring& out, const std::wstring& path) {
  std::string bytes;
  if (!ReadBytes(path, bytes)) return false;
  out = TextModeText(bytes);
  return true;
}

bool ReadTextFileToBuffer(wchar_t* buffer, const std::wstring& path, size_t bufferBytes) {
  std::string bytes;
  if (buffer == nullptr || !ReadBytes(path, bytes) || bytes.size() >= bufferBytes) return false;
  const std::wstring text = TextModeText(bytes);
  const size_t needed = (text.size() + 1) * sizeof(wchar_t);
  if (needed > bufferBytes) {
    std::memset(buffer, 0, bufferBytes);
    return false;
  }
  std::memcpy(buffer, text.c_str(), needed);
  return true;
}
