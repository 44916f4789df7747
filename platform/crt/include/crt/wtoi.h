// The Windows runtime's text-to-number helpers. They read in the C locale
// (a '.' decimal point whatever the process locale is), skip leading white
// space, stop at the first character that is not part of the number and
// give 0 when there is no number (or the text is null). Out-of-range values
// are clamped: _wtoi and _wtol to the 32-bit range (long is 32 bits on
// Windows), _wtoi64 to the 64-bit range.
#pragma once

int _wtoi(const wchar_t* text);
long _wtol(const wchar_t* text);
long long _wtoi64(const wchar_t* text);
double _wtof(const wchar_t* text);
