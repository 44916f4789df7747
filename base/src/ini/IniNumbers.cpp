#include "ini/IniNumbers.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace base::ini {
namespace {

// Numbers are ASCII; a value with any other character is not one.
std::optional<std::string> Narrow(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    if (c <= 0 || c >= 0x80) return std::nullopt;
    out.push_back(static_cast<char>(c));
  }
  // from_chars takes no '+'.
  if (!out.empty() && out[0] == '+' && (out.size() < 2 || out[1] != '-')) out.erase(0, 1);
  return out;
}

template <typename T>
std::optional<T> ParseWhole(const std::wstring& text) {
  std::optional<std::string> s = Narrow(text);
  if (!s || s->empty()) return std::nullopt;
  T value{};
  auto [end, ec] = std::from_chars(s->data(), s->data() + s->size(), value);
  if (ec != std::errc() || end != s->data() + s->size()) return std::nullopt;
  return value;
}

std::wstring Widen(const char* begin, const char* end) { return std::wstring(begin, end); }

}  // namespace

std::optional<int32_t> ParseInt32(const std::wstring& text) { return ParseWhole<int32_t>(text); }

std::optional<int64_t> ParseInt64(const std::wstring& text) { return ParseWhole<int64_t>(text); }

std::optional<double> ParseReal(const std::wstring& text) {
  std::optional<double> value = ParseWhole<double>(text);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return value;
}

std::wstring FormatInt(int64_t value) {
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return Widen(buf, end);
}

std::wstring FormatFixed6(double value) {
  char buf[400];  // the largest double has 309 digits before the point
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
  if (ec != std::errc()) return L"0.000000";
  return Widen(buf, end);
}

}  // namespace base::ini
