#include <cstdio>

#include "base/CodePage.h"
#include "base/Formatting.h"

// The message box of the display layer is not there yet; with no display
// a message box is written to standard error and answered with its only
// button, which is what this does.
void ShowLocalTimeError(unsigned int code) {
  const std::string text = WStringToUtf8Ret(FormatErrorCode(code));
  std::fprintf(stderr, "GetLocalTimeValue: %s\n", text.c_str());
}
