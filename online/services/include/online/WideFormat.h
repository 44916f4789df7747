// printf-style wide formatting in the Windows dialect ("%s" a wide string):
// the result, or an empty text when the format is refused.
#pragma once

#include <string>

std::wstring FormatWString(const wchar_t* format, ...);
