#include "program_arguments.h"

namespace shell {

std::vector<std::wstring> SplitWindowsCommandLine(const std::wstring& text) {
  std::vector<std::wstring> arguments;
  std::wstring current;
  bool inArgument = false;
  bool quoted = false;
  for (size_t i = 0; i < text.size();) {
    const wchar_t c = text[i];
    if (!quoted && (c == L' ' || c == L'\t')) {
      if (inArgument) arguments.push_back(current);
      current.clear();
      inArgument = false;
      ++i;
      continue;
    }
    inArgument = true;
    if (c == L'\\') {
      size_t slashes = 0;
      while (i < text.size() && text[i] == L'\\') ++slashes, ++i;
      if (i < text.size() && text[i] == L'"') {
        current.append(slashes / 2, L'\\');
        if (slashes % 2) {
          current += L'"';
          ++i;
        }
      } else {
        current.append(slashes, L'\\');
      }
      continue;
    }
    if (c == L'"') {
      if (quoted && i + 1 < text.size() && text[i + 1] == L'"') {
        current += L'"';
        i += 2;
        continue;
      }
      quoted = !quoted;
      ++i;
      continue;
    }
    current += c;
    ++i;
  }
  if (inArgument) arguments.push_back(current);
  return arguments;
}

}  // namespace shell
