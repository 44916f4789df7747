// Code-page conversions over the framework's strings (see CodePage.h for
// the rules). Results are not checked; a refused conversion gives empty.
#pragma once

#include <string>

#include "core/SString.h"

SStringW Utf8ToWideCString(const std::string& utf8);
SStringA WideCStringToUtf8(const SStringW& text);
SStringA WideCStringToOem(const SStringW& text);
