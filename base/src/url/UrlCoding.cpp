#include "base/UrlCoding.h"

#include <sys/random.h>

#include <cstring>

#include "base/CodePage.h"
#include "base/StringHelpers.h"

namespace {

const char kHex[] = "0123456789ABCDEF";

bool IsHexDigit(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return c - 'a' + 10;
}

bool IsAsciiAlnum(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool IsUnreserved(unsigned char c) {
  return IsAsciiAlnum(c) || c == '.' || c == '_' || c == '-' || c == '*';
}

bool IsUrlPunctuation(unsigned char c) {
  return c == '/' || c == ':' || c == '?' || c == '&' || c == '=';
}

// Escapes of these decode to a character that would change the URL's
// meaning or need no escape: they stay as written.
bool KeepsItsEscape(unsigned char c) {
  return IsAsciiAlnum(c) || (c != 0 && std::strchr("!$&'()*+,-./:;=?@_", c) != nullptr);
}

bool ValidEscapeAt(const std::string& text, size_t i) {
  return text[i] == '%' && i + 2 < text.size() && IsHexDigit(text[i + 1]) &&
         IsHexDigit(text[i + 2]);
}

uint32_t SystemRandom() {
  uint32_t value = 0;
  while (getrandom(&value, sizeof value, 0) != static_cast<ssize_t>(sizeof value)) {
  }
  return value;
}

}  // namespace

std::string UrlEncode(const std::string& text, bool keepUrl) {
  std::string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == ' ') {
      out += '+';
    } else if (keepUrl && ValidEscapeAt(text, i)) {
      out.append(text, i, 3);
      i += 2;
    } else if (IsUnreserved(c) || (keepUrl && IsUrlPunctuation(c))) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::string UrlDecode(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (ValidEscapeAt(text, i)) {
      unsigned char byte = static_cast<unsigned char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      if (KeepsItsEscape(byte)) {
        out += '%';  // the two digits follow as ordinary bytes
      } else {
        out += static_cast<char>(byte);
        i += 2;
      }
    } else {
      out += c;
    }
  }
  return out;
}

std::string NormalizeUrlEncoding(const std::string& url) {
  std::string decoded = UrlDecode(url);
  if (!IsUtf8Text(decoded)) decoded = AnsiToUtf8(decoded);
  return UrlEncode(decoded, true);
}

std::string BuildQueryString(const std::map<std::string, std::string>& pairs, bool encode) {
  std::string out;
  for (const auto& [key, value] : pairs) {
    if (!out.empty()) out += '&';
    out += encode ? UrlEncode(key, false) : key;
    out += '=';
    out += encode ? UrlEncode(value, false) : value;
  }
  return out;
}

std::string BuildUrlWithQuery(const std::string& url,
                              const std::map<std::string, std::string>& pairs, bool encode) {
  return url + "?" + BuildQueryString(pairs, encode);
}

std::wstring GetRandomString(uint32_t length) {
  std::wstring out;
  out.reserve(length);
  for (uint32_t i = 0; i < length; ++i) {
    switch (SystemRandom() % 3) {
      case 0: out += static_cast<wchar_t>(L'A' + SystemRandom() % 26); break;
      case 1: out += static_cast<wchar_t>(L'a' + SystemRandom() % 26); break;
      default: out += static_cast<wchar_t>(L'0' + SystemRandom() % 10); break;
    }
  }
  return out;
}

std::string GetRandomStringA(uint32_t length) { return WStringToOemRet(GetRandomString(length)); }

uint32_t GetRandomNumber(uint32_t bound, bool /*seed*/) {
  return bound == 0 ? 0 : SystemRandom() % bound;
}
