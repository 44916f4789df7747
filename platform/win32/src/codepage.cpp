// kernel32's code-page conversions over iconv (GBK) and a strict UTF-8
// codec of our own.
#include "win32/codepage.h"

#include "crt/utf8.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

enum class Page { Utf8, Gbk, Unsupported };

Page PageOf(UINT codePage) {
  switch (codePage) {
    case CP_ACP:
    case CP_OEMCP:
    case 936:
      return Page::Gbk;
    case CP_UTF8:
      return Page::Utf8;
    default:
      return Page::Unsupported;
  }
}

// glibc's CP936 has the euro sign at 0x80 as Windows does; plain GBK lacks it.
iconv_t OpenGbk(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd != reinterpret_cast<iconv_t>(-1)) return cd;
  return iconv_open(std::strcmp(to, "CP936") == 0 ? "GBK" : to, std::strcmp(from, "CP936") == 0 ? "GBK" : from);
}

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(OpenGbk(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

void DecodeUtf8(const unsigned char* in, size_t n, std::wstring& out) {
  out += crt::Utf8ToWide({reinterpret_cast<const char*>(in), n});
}

void EncodeUtf8(const wchar_t* in, size_t n, std::string& out) { out += crt::WideToUtf8({in, n}); }

bool DecodeGbk(const char* in, size_t n, std::wstring& out) {
  Iconv cd("WCHAR_T", "CP936");
  if (!cd.ok()) return false;
  char* src = const_cast<char*>(in);
  size_t left = n;
  wchar_t chunk[256];
  while (left > 0) {
    char* dst = reinterpret_cast<char*>(chunk);
    size_t room = sizeof chunk;
    const size_t rc = iconv(cd.get(), &src, &left, &dst, &room);
    out.append(chunk, (sizeof chunk - room) / sizeof(wchar_t));
    if (rc != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    if (errno == EILSEQ || errno == EINVAL) {  // a byte that starts no character, or a cut pair
      out.push_back(kReplacement);
      ++src;
      --left;
      iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
      continue;
    }
    return false;
  }
  return true;
}

bool EncodeGbk(const wchar_t* in, size_t n, const std::string& fallback, std::string& out, bool& usedDefault) {
  Iconv cd("CP936", "WCHAR_T");
  if (!cd.ok()) return false;
  char* src = reinterpret_cast<char*>(const_cast<wchar_t*>(in));
  size_t left = n * sizeof(wchar_t);
  char chunk[512];
  while (left > 0) {
    char* dst = chunk;
    size_t room = sizeof chunk;
    const size_t rc = iconv(cd.get(), &src, &left, &dst, &room);
    out.append(chunk, sizeof chunk - room);
    if (rc != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    if (errno == EILSEQ || errno == EINVAL) {  // the page has no such character
      out += fallback;
      usedDefault = true;
      src += sizeof(wchar_t);
      left -= std::min(left, sizeof(wchar_t));
      iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
      continue;
    }
    return false;
  }
  return true;
}

// The input length as a count; -1 takes the terminator in too.
template <class C>
bool InputLength(const C* text, int count, size_t& n) {
  if (!text || count == 0 || count < -1) return false;
  if (count == -1) {
    n = 0;
    while (text[n]) ++n;
    ++n;
  } else {
    n = static_cast<size_t>(count);
  }
  return true;
}

template <class C>
int Deliver(const std::basic_string<C>& result, C* out, int outCount) {
  if (result.size() > static_cast<size_t>(INT_MAX)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (outCount == 0) return static_cast<int>(result.size());
  if (result.size() > static_cast<size_t>(outCount)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(result.begin(), result.end(), out);
  return static_cast<int>(result.size());
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount, LPWSTR wide,
                        int wideCount) {
  size_t n = 0;
  const Page page = PageOf(codePage);
  if (page == Page::Unsupported || !InputLength(multiByte, multiByteCount, n) || wideCount < 0 ||
      (wideCount > 0 && !wide) || (wide && static_cast<const void*>(wide) == static_cast<const void*>(multiByte))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (flags != 0) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  std::wstring result;
  if (page == Page::Utf8) {
    DecodeUtf8(reinterpret_cast<const unsigned char*>(multiByte), n, result);
  } else if (!DecodeGbk(multiByte, n, result)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Deliver(result, wide, wideCount);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideCount, LPSTR multiByte,
                        int multiByteCount, LPCSTR defaultChar, LPBOOL usedDefaultChar) {
  size_t n = 0;
  const Page page = PageOf(codePage);
  if (page == Page::Unsupported || !InputLength(wide, wideCount, n) || multiByteCount < 0 ||
      (multiByteCount > 0 && !multiByte) ||
      (page == Page::Utf8 && (defaultChar || usedDefaultChar))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (flags != 0) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  std::string result;
  bool usedDefault = false;
  if (page == Page::Utf8) {
    EncodeUtf8(wide, n, result);
  } else {
    const std::string fallback = defaultChar && *defaultChar ? std::string(defaultChar, 1) : std::string("?");
    if (!EncodeGbk(wide, n, fallback, result, usedDefault)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
  }
  const int written = Deliver(result, multiByte, multiByteCount);
  if (written > 0 && usedDefaultChar) *usedDefaultChar = usedDefault ? TRUE : FALSE;
  return written;
}
