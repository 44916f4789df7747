#pragma once
// Subtitles of the file-by-file transcoder: each packet of the source's
// subtitle stream inside the range is decoded, moved onto the output's
// timeline and encoded again for the output's subtitle stream.

#include <cstdint>

#include "mediaconvert/MCFFmpeg.h"
#include "z_tolvane/FFmpegFile.h"

class TranslateSubtitle {
 public:
  // Encoded subtitles larger than this are refused.
  static constexpr int kMaxEncodedBytes = 1048576;

  bool Ready() const { return output_ != nullptr; }
  void InitOutput(FFmpegFile* output) { output_ = output->SubtitleContext() ? output : nullptr; }
  // One packet of input's subtitle stream. Times in microseconds: the
  // range of the source's own time, and where the range starts on the
  // output. *pastEnd is set by a packet after the range.
  int TranscodePacket(FFmpegFile* input, const AVPacket* packet, int64_t rangeStartUs, int64_t rangeEndUs,
                      int64_t offsetUs, bool* pastEnd);
  // The end of the last written subtitle on the output, in microseconds.
  int64_t EndTime() const { return endTime_; }

 private:
  FFmpegFile* output_ = nullptr;
  int64_t endTime_ = 0;
};
