#include "base/StringHelpers.h"

#include <atomic>
#include <cstring>

#include "base/CodePage.h"

bool IsUtf8Text(const std::string& bytes) {
  if (bytes.empty()) return false;
  int pending = 0;
  bool allAscii = true;
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80) allAscii = false;
    if (pending > 0) {
      if ((b & 0xC0) != 0x80) return false;
      --pending;
    } else if (b < 0x80) {
      continue;
    } else if (b >= 0xFC && b <= 0xFD) {
      pending = 5;
    } else if (b >= 0xF8) {
      pending = 4;
    } else if (b >= 0xF0) {
      pending = 3;
    } else if (b >= 0xE0) {
      pending = 2;
    } else if (b >= 0xC0) {
      pending = 1;
    } else {
      return false;  // a continuation byte where a lead byte belongs
    }
  }
  return pending == 0 && !allAscii;
}

std::wstring TrimChars(const std::wstring& text, const std::wstring& chars) {
  if (text.empty() || chars.empty()) return text;
  const size_t first = text.find_first_not_of(chars);
  if (first == std::wstring::npos) return std::wstring();
  const size_t last = text.find_last_not_of(chars);
  return text.substr(first, last - first + 1);
}

std::wstring TrimString(const std::wstring& text) {
  // One set for all four, so a mixed run such as "\r\n" or "\t " goes too.
  return TrimChars(text, L" \t\r\n");
}

std::string TrimStringA(const std::string& text) {
  return WStringToOemRet(TrimString(AnsiToWStringRet(text)));
}

std::string TrimCharsA(const std::string& text, const std::string& chars) {
  return WStringToOemRet(TrimChars(AnsiToWStringRet(text), AnsiToWStringRet(chars)));
}

void SplitStringEx(std::vector<std::wstring>& pieces, const std::wstring& text,
                   const std::wstring& separator, bool trimPieces) {
  auto add = [&](std::wstring piece) {
    pieces.push_back(trimPieces ? TrimString(piece) : std::move(piece));
  };
  if (text.empty()) return;
  if (separator.empty()) {
    add(text);
    return;
  }
  size_t start = 0;
  size_t match = text.find(separator, start);
  while (match != std::wstring::npos) {
    add(text.substr(start, match - start));
    start = match + separator.size();
    match = text.find(separator, start);
  }
  if (start < text.size()) add(text.substr(start));
}

std::wstring ReplaceFirst(const std::wstring& text, const std::wstring& search,
                          const std::wstring& replacement) {
  if (text.empty() || search.empty()) return text;
  const size_t match = text.find(search);
  if (match == std::wstring::npos) return text;
  std::wstring result = text;
  result.replace(match, search.size(), replacement);
  return result;
}

std::wstring& ReplaceAllScan(std::wstring& text, const std::wstring& search,
                             const std::wstring& replacement) {
  if (search.empty()) return text;
  size_t match = text.find(search, 0);
  while (match != std::wstring::npos) {
    text.replace(match, search.size(), replacement);
    match = text.find(search, match + replacement.size());
  }
  return text;
}

std::wstring& ReplaceAll(std::wstring& text, const std::wstring& search,
                         const std::wstring& replacement) {
  // Searching again from the start would find a search text that the
  // replacement itself brought in, and never end.
  return ReplaceAllScan(text, search, replacement);
}

std::wstring NextCounterText() {
  static std::atomic<unsigned long long> counter{0};
  return std::to_wstring(counter.fetch_add(1, std::memory_order_relaxed));
}

char* CharToCString(char c) {
  char* block = new char[4];
  std::memset(block, 0, 4);
  block[0] = c;
  return block;
}
