#pragma once
// Duration and bit rates through the MediaInfo library, loaded at run time.
// Used where FFmpeg's figures are missing or implausible; every query gives
// 0 when the library or the field is missing.

#include <cstdint>
#include <string>

double MCMediaInfoDuration(const std::wstring& path);
double MCMediaInfoDurationUtf8(const std::string& path);
// kbit/s of the first audio stream.
double MCMediaInfoAudioBitRate(const std::wstring& path);
// kbit/s of the first video stream, in whole kbit/s.
int32_t MCMediaInfoVideoBitRate(const std::wstring& path);
// Seconds of "hours:minutes:seconds.fraction".
double MCParseDurationText(const std::wstring& text);

// Whether the library could be loaded. Loading happens once; a test may
// name another library (a missing one makes every query answer 0).
bool MCMediaInfoAvailable();
void MCMediaInfoUseLibrary(const char* soname);
