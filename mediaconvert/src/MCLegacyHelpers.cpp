#include "mediaconvert/MCLegacyHelpers.h"

#include <cstdint>

#include "mediaconvert/MCFFmpeg.h"

std::string MCErrorText(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return text;
}

bool MCFitSize(int boxWidth, int boxHeight, int* width, int* height) {
  if (width == nullptr || height == nullptr || boxWidth <= 0 || boxHeight <= 0 || *width <= 0 || *height <= 0) {
    return false;
  }
  const int64_t w = *width;
  const int64_t h = *height;
  int64_t fitW = boxWidth;
  int64_t fitH = boxHeight;
  // Whichever side of the box binds first decides the scale.
  if (boxHeight * w / h < boxWidth) fitW = boxHeight * w / h;
  else fitH = boxWidth * h / w;
  *width = static_cast<int>(fitW & ~int64_t{1});
  *height = static_cast<int>(fitH & ~int64_t{1});
  return true;
}
