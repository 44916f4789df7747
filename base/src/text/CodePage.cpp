#include "base/CodePage.h"

#include <climits>
#include <vector>

#include "code_page_core.h"
#include "win32/windows.h"

namespace codepage {

bool NarrowToWide(unsigned int codePage, const char* source, int sourceLength, Check check,
                  std::wstring& out) {
  const int size = MultiByteToWideChar(codePage, 0, source, sourceLength, nullptr, 0);
  if (size <= 0) {
    if (check == Check::Strict) return false;
    out.clear();
    return true;
  }
  // Loose conversions keep one unit more so the result is terminated even
  // when the source length did not include the terminator.
  std::vector<wchar_t> buffer(static_cast<size_t>(size) + (check == Check::Strict ? 0 : 1), L'\0');
  const int converted = MultiByteToWideChar(codePage, 0, source, sourceLength, buffer.data(), size);
  if (check == Check::Strict && converted != size) return false;
  if (buffer.back() != L'\0') buffer.push_back(L'\0');
  out.assign(buffer.data());
  return true;
}

bool WideToNarrow(unsigned int codePage, const wchar_t* source, int sourceLength, Check check,
                  std::string& out) {
  const int size =
      WideCharToMultiByte(codePage, 0, source, sourceLength, nullptr, 0, nullptr, nullptr);
  if (size <= 0) {
    if (check == Check::Strict) return false;
    out.clear();
    return true;
  }
  std::vector<char> buffer(static_cast<size_t>(size) + (check == Check::Strict ? 0 : 1), '\0');
  const int converted = WideCharToMultiByte(codePage, 0, source, sourceLength, buffer.data(), size,
                                            nullptr, nullptr);
  if (check == Check::Strict && converted != size) return false;
  if (buffer.back() != '\0') buffer.push_back('\0');
  out.assign(buffer.data());
  return true;
}

int LengthArgument(size_t length) {
  return length > static_cast<size_t>(INT_MAX) ? -2 : static_cast<int>(length);
}

}  // namespace codepage

using codepage::Check;

namespace {

// The general set passes the whole terminated text (-1).
bool GeneralToWide(unsigned int codePage, const std::string& text, std::wstring& out) {
  std::wstring result;
  if (!codepage::NarrowToWide(codePage, text.c_str(), -1, Check::Strict, result)) return false;
  out = std::move(result);
  return true;
}

bool GeneralToNarrow(unsigned int codePage, const std::wstring& text, std::string& out) {
  std::string result;
  if (!codepage::WideToNarrow(codePage, text.c_str(), -1, Check::Strict, result)) return false;
  out = std::move(result);
  return true;
}

std::wstring LooseToWide(unsigned int codePage, const char* text, int length) {
  std::wstring out;
  if (length < -1) return out;
  codepage::NarrowToWide(codePage, text, length, Check::Loose, out);
  return out;
}

std::string LooseToNarrow(unsigned int codePage, const wchar_t* text, int length) {
  std::string out;
  if (length < -1) return out;
  codepage::WideToNarrow(codePage, text, length, Check::Loose, out);
  return out;
}

}  // namespace

bool Utf8ToWString(const std::string& utf8, std::wstring& out) {
  return GeneralToWide(CP_UTF8, utf8, out);
}
bool WStringToOem(const std::wstring& text, std::string& out) {
  return GeneralToNarrow(CP_OEMCP, text, out);
}
bool AnsiToWString(const std::string& ansi, std::wstring& out) {
  return GeneralToWide(CP_ACP, ansi, out);
}
bool WStringToUtf8(const std::wstring& text, std::string& out) {
  return GeneralToNarrow(CP_UTF8, text, out);
}

std::wstring Utf8ToWStringRet(const std::string& utf8) {
  std::wstring out;
  return Utf8ToWString(utf8, out) ? out : std::wstring();
}
std::string WStringToOemRet(const std::wstring& text) {
  std::string out;
  return WStringToOem(text, out) ? out : std::string();
}
std::wstring AnsiToWStringRet(const std::string& ansi) {
  std::wstring out;
  return AnsiToWString(ansi, out) ? out : std::wstring();
}
std::string WStringToUtf8Ret(const std::wstring& text) {
  std::string out;
  return WStringToUtf8(text, out) ? out : std::string();
}

bool TryUtf8ToOem(const std::string& utf8, std::string& out) {
  std::wstring wide;
  if (!Utf8ToWString(utf8, wide)) return false;
  return WStringToOem(wide, out);
}
std::string Utf8ToOem(const std::string& utf8) {
  std::string out;
  return TryUtf8ToOem(utf8, out) ? out : std::string();
}
bool TryAnsiToUtf8(const std::string& ansi, std::string& out) {
  std::wstring wide;
  if (!AnsiToWString(ansi, wide)) return false;
  return WStringToUtf8(wide, out);
}
std::string AnsiToUtf8(const std::string& ansi) {
  std::string out;
  return TryAnsiToUtf8(ansi, out) ? out : std::string();
}

std::wstring ExceptionTextToWString(const std::exception& error) {
  const char* what = error.what();
  return AnsiToWStringRet(what != nullptr ? std::string(what) : std::string());
}

// By-value set.
std::wstring Utf8ToWide(std::string utf8) { return LooseToWide(CP_UTF8, utf8.c_str(), -1); }
std::string WideToUtf8(std::wstring text) { return LooseToNarrow(CP_UTF8, text.c_str(), -1); }
std::string WideToOem(std::wstring text) {
  return LooseToNarrow(CP_OEMCP, text.c_str(), codepage::LengthArgument(text.size()));
}

// Media set: narrow sources are passed with their terminator, wide ones by
// their stored length.
std::wstring WStringFromUtf8(std::string utf8) {
  return LooseToWide(CP_UTF8, utf8.c_str(), codepage::LengthArgument(utf8.size() + 1));
}
std::wstring WStringFromOem(std::string oem) {
  return LooseToWide(CP_OEMCP, oem.c_str(), codepage::LengthArgument(oem.size() + 1));
}
std::string Utf8FromWString(std::wstring text) {
  return LooseToNarrow(CP_UTF8, text.c_str(), codepage::LengthArgument(text.size()));
}
std::string OemFromWString(std::wstring text) {
  return LooseToNarrow(CP_OEMCP, text.c_str(), codepage::LengthArgument(text.size()));
}
std::string Utf8FromOem(std::string oem) { return Utf8FromWString(WStringFromOem(std::move(oem))); }
std::string OemFromUtf8(std::string utf8) {
  return OemFromWString(WStringFromUtf8(std::move(utf8)));
}
