// Formatting a wide text (Windows wide printf dialect: "%s" is a wide
// string, "%S" a narrow one, "%I64d" 64-bit) into a standard wide string.
#pragma once

#include <cstdarg>
#include <string>

// The formatted text; empty when the format is refused. Use the Try form
// where an empty result must be told apart from a failure.
std::wstring FormatWStringV(const wchar_t* format, va_list args);

// False when the format is refused (out untouched).
bool TryFormatWStringV(std::wstring& out, const wchar_t* format, va_list args);
