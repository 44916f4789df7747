#include "base/Formatting.h"
#include "win32/windows.h"

void ShowLocalTimeError(unsigned int code) {
  MessageBoxW(nullptr, FormatErrorCode(code).c_str(), L"GetLocalTimeValue", MB_OK);
}
