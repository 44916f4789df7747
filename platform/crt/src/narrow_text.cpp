#include "narrow_text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

#include "crt/utf8.h"

namespace crt::detail {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;

bool DecodeGbk(std::string_view in, std::wstring& out) {
  out.clear();
  iconv_t cd = iconv_open("WCHAR_T", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::wstring buffer(in.size() + 1, L'\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = reinterpret_cast<char*>(buffer.data());
  size_t dstLeft = buffer.size() * sizeof(wchar_t);
  const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1) || srcLeft != 0) return false;
  buffer.resize(buffer.size() - dstLeft / sizeof(wchar_t));
  out = std::move(buffer);
  return true;
}

}  // namespace

std::wstring WidenNarrowArgument(std::string_view bytes) {
  std::wstring out;
  if (Utf8ToWideStrict(bytes, out)) return out;
  if (DecodeGbk(bytes, out)) return out;
  // Neither reads the whole text: keep ASCII, mark every other byte.
  out.clear();
  for (char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    out.push_back(b < 0x80 ? static_cast<wchar_t>(b) : kReplacement);
  }
  return out;
}

std::string NarrowWideArgument(std::wstring_view text) { return WideToUtf8(text); }

}  // namespace crt::detail
