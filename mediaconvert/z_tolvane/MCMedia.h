#pragma once
// A media file's probe result: container names, duration, size, the chosen
// audio and video streams' facts and the file's tags.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "mediaconvert/MCMediaTags.h"

struct MCMediaAudioInfo {
  double duration = 0.0;
  int32_t sampleRate = 0;
  int32_t channels = 0;
  double bitRate = 0.0;  // kbit/s
  int32_t codecId = 0;
  std::map<std::string, std::string> metadata;
  int32_t timeBaseNum = 0;
  int32_t timeBaseDen = 0;
};

struct MCMediaVideoInfo {
  std::wstring codecName;
  std::wstring sizeText;
  uint64_t frameCount = 0;
  int32_t frameRateNum = 0;
  int32_t frameRateDen = 0;
  int32_t width = 0;
  int32_t height = 0;
  double duration = 0.0;
  int64_t bitRate = 0;  // kbit/s
  std::map<std::string, std::string> metadata;
  int32_t timeBaseNum = 0;
  int32_t timeBaseDen = 0;
  int32_t codecId = 0;
};

class MCMedia {
 public:
  MCMediaTags tags;
  std::wstring path;
  std::wstring formatName;
  std::vector<std::wstring> formatNames;
  double duration = -1.0;
  uint64_t size = 0;
  uint8_t hasVideo = 0;
  uint8_t hasAudio = 0;
  uint8_t hasSubtitle = 0;
  MCMediaAudioInfo audio;
  MCMediaVideoInfo video;

  bool ExtensionMatchesFormat() const;
  // selector < 0: the audio time base, otherwise the video one.
  int64_t MsToStreamTime(int64_t ms, int selector) const;
};
