#pragma once
// The records every part of a conversion shares: what the output is to be
// (MCConvertParam with its stream treatment), the per-run settings handed
// to the frame converters, and the error record of each component.

#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "mediaconvert/MCMediaTags.h"

struct MCErrorInfo {
  int code = 0;
  std::string function;
  std::string message;

  // code, av_strerror's text for it (at most 63 characters) and the name of
  // the failing operation.
  void SetError(int code, const char* functionName);
  bool IsSet() const { return !message.empty(); }
};

struct MCTimeRange {
  int64_t start = 0;
  int64_t end = std::numeric_limits<int64_t>::max();
};

struct MCTitlePageParam {
  int64_t titleTime = 0;
  int64_t titleLength = 0;
  bool keepAspect = false;
  double rotation = 0.0;
  std::string sourcePath;
};

struct MCStreamParam {
  double speed = 1.0;
  double contrast = 1.0;
  double brightness = 0.0;
  double saturation = 1.0;
  double redBalance = 0.0;
  double greenBalance = 0.0;
  double blueBalance = 0.0;
  std::string musicPath;
  std::string subtitlePath;
  int64_t musicStart = 0;
  int64_t musicEnd = std::numeric_limits<int64_t>::max();
  double volume = 1.0;
  double musicVolume = 1.0;
  int32_t rotation = 0;
  bool noVideoCopy = false;
  bool watermark = false;
  std::string watermarkPath;
  int32_t cropWidth = -1;
  int32_t cropHeight = -1;
  int32_t cropX = -1;
  int32_t cropY = -1;
  bool keepAspect = true;
  bool reverse = false;
  bool gifPalette = true;
  std::string gifPalettePath;
};

struct MCStreamSetup : MCStreamParam {
  MCStreamSetup() = default;
  explicit MCStreamSetup(const MCStreamParam& p) : MCStreamParam(p) {}
  int32_t tagRotation = 0;
  bool paletteMode = false;
  std::string subtitleSource;
  int32_t TotalRotation() const { return tagRotation + rotation; }
};

class MCConvertParam {
 public:
  MCConvertParam() = default;
  MCConvertParam(const MCConvertParam& other) { Assign(other); }
  MCConvertParam& operator=(const MCConvertParam& other) {
    Assign(other);
    return *this;
  }
  void Assign(const MCConvertParam& other);

  std::string format;
  bool hwEncode = true;
  bool keepVideo = true;
  bool keepAudio = true;
  bool keepSubtitle = true;
  bool copyWhenSame = true;
  int64_t videoBitRate = 0;
  int32_t videoQuality = 2;
  int32_t width = -1;
  int32_t height = -1;
  bool legacyKeepAspect = true;
  std::string overlayPath;
  int32_t flacLevel = -1;
  int32_t vorbisQuality = 0;
  double audioBitRate = -1.0;
  int32_t sampleRate = -1;
  int32_t channels = -1;
  bool legacyWatermark = false;
  std::string legacyWatermarkPath;
  float videoBitRateFactor = 1.0f;
  double frameRateFactor = 1.0;
  std::vector<MCTimeRange> ranges;
  std::vector<MCTimeRange> legacyRanges;
  MCMediaTags tags;
  int32_t* legacyContext = nullptr;
  std::string secondInputPath;
  MCStreamParam stream;
  int32_t progressInterval = 1;
  MCTitlePageParam title;
  bool stopOnCopyError = true;
  bool fixTimestamps = true;
  int32_t codecIds[5] = {0, 0, 0, 0, 0};
  std::map<std::string, std::string> videoOptions;
  std::map<std::string, std::string> audioOptions;
};
