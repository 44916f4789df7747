#include "mediaconvert/MCConvertParam.h"

#include <algorithm>

void MCErrorInfo::SetError(int errorCode, const char* functionName) {
  char text[65] = {0};
  av_strerror(errorCode, text, 64);
  code = errorCode;
  message = text;
  function = functionName ? functionName : "";
}

void MCConvertParam::Assign(const MCConvertParam& o) {
  if (this == &o) return;
  format = o.format;
  hwEncode = o.hwEncode;
  keepVideo = o.keepVideo;
  keepAudio = o.keepAudio;
  keepSubtitle = o.keepSubtitle;
  copyWhenSame = o.copyWhenSame;
  videoBitRate = o.videoBitRate;
  videoQuality = o.videoQuality;
  width = o.width;
  height = o.height;
  legacyKeepAspect = o.legacyKeepAspect;
  overlayPath = o.overlayPath;
  flacLevel = o.flacLevel;
  vorbisQuality = o.vorbisQuality;
  audioBitRate = o.audioBitRate;
  sampleRate = o.sampleRate;
  channels = o.channels;
  legacyWatermark = o.legacyWatermark;
  legacyWatermarkPath = o.legacyWatermarkPath;
  videoBitRateFactor = o.videoBitRateFactor;
  frameRateFactor = o.frameRateFactor;
  ranges = o.ranges;
  legacyRanges = o.legacyRanges;
  tags.Assign(o.tags);
  legacyContext = o.legacyContext;
  secondInputPath = o.secondInputPath;
  stream = o.stream;
  progressInterval = o.progressInterval;
  title = o.title;
  stopOnCopyError = o.stopOnCopyError;
  fixTimestamps = o.fixTimestamps;
  std::copy(std::begin(o.codecIds), std::end(o.codecIds), std::begin(codecIds));
  videoOptions = o.videoOptions;
  audioOptions = o.audioOptions;
}
