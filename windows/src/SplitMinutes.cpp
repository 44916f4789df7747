#include "windows/SplitMinutes.h"

#include "crt/wprintf.h"
#include "crt/wtoi.h"

SplitMinutesInput ParseSplitMinutes(const std::wstring& text) {
  SplitMinutesInput input;
  const float minutes = static_cast<float>(_wtof(text.c_str()));
  if (minutes < 0.0f) {
    input.replacement = L"0.0";
    return input;
  }
  if (!(minutes >= kSplitMinutesLeast)) return input;
  if (minutes >= kSplitMinutesMost) {
    input.milliseconds = static_cast<int32_t>(kSplitMinutesMost) * 60000;
    return input;
  }
  input.milliseconds = static_cast<int32_t>(minutes * 60.0f * 1000.0f);
  return input;
}

std::wstring FormatSplitMinutes(int64_t milliseconds) {
  wchar_t text[64];
  swprintf_s(text, 64, L"%.2f", static_cast<double>(milliseconds) / 60000.0);
  return text;
}
