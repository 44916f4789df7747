// Conversions between the framework's narrow and wide strings in a code
// page (CP_ACP and CP_OEMCP are GBK, CP_UTF8 is UTF-8). Texts of up to 1024
// characters convert on the stack; a conversion that fails gives the empty
// string.
#pragma once

#include "core/SString.h"

namespace ORIEL {

SStringW ConvertA2W(const SStringA& text, unsigned codePage);
SStringA ConvertW2A(const SStringW& text, unsigned codePage);
// A shared copy; the code page plays no part.
SStringW ConvertW2W(const SStringW& text, unsigned codePage);

}  // namespace ORIEL

using ORIEL::ConvertA2W;
using ORIEL::ConvertW2A;
using ORIEL::ConvertW2W;
