// Conversions between wide text and the narrow code pages.
//
// Wide strings hold one code point per wchar_t. Narrow text is UTF-8 where a
// name says so; otherwise narrow input is read as ANSI and narrow output is
// written in the OEM page (both are code page 936, GBK). Everything goes
// through the platform's MultiByteToWideChar / WideCharToMultiByte, so a
// character the target page cannot hold becomes '?' and the call succeeds;
// UTF-8 input that is not well formed is decoded with U+FFFD in place of
// the bad bytes.
//
// Every conversion stops at the first NUL of its input: text after an
// embedded terminator is dropped.
//
// The framework-string set (SStringW / SStringA) is in CodePageFramework.h.
#pragma once

#include <exception>
#include <string>

// General set: failure is reported (false, output untouched; or empty).
bool Utf8ToWString(const std::string& utf8, std::wstring& out);
bool WStringToOem(const std::wstring& text, std::string& out);
bool AnsiToWString(const std::string& ansi, std::wstring& out);
bool WStringToUtf8(const std::wstring& text, std::string& out);

std::wstring Utf8ToWStringRet(const std::string& utf8);
std::string WStringToOemRet(const std::wstring& text);
std::wstring AnsiToWStringRet(const std::string& ansi);
std::string WStringToUtf8Ret(const std::wstring& text);

// Two steps through a wide string; the second runs only when the first
// succeeded.
std::string Utf8ToOem(const std::string& utf8);
bool TryUtf8ToOem(const std::string& utf8, std::string& out);
std::string AnsiToUtf8(const std::string& ansi);
bool TryAnsiToUtf8(const std::string& ansi, std::string& out);

// The exception's what() text, read as ANSI.
std::wstring ExceptionTextToWString(const std::exception& error);

// By-value set: results are not checked; a refused conversion gives empty.
std::wstring Utf8ToWide(std::string utf8);
std::string WideToUtf8(std::wstring text);
std::string WideToOem(std::wstring text);

// Media set: same contract as the by-value set.
std::wstring WStringFromUtf8(std::string utf8);
std::wstring WStringFromOem(std::string oem);
std::string Utf8FromWString(std::wstring text);
std::string OemFromWString(std::wstring text);
std::string Utf8FromOem(std::string oem);
std::string OemFromUtf8(std::string utf8);
