// Code-page conversions over the framework's strings (see CodePage.h for
// the rules). Results are not checked; a refused conversion gives empty.
#pragma once

#include <string>

#include "core/SString.h"

ORIEL::SStringW Utf8ToWideCString(const std::string& utf8);
ORIEL::SStringA WideCStringToUtf8(const ORIEL::SStringW& text);
ORIEL::SStringA WideCStringToOem(const ORIEL::SStringW& text);
