#pragma once
// Picture of the file-by-file transcoder: a source's decoded frames go
// through a filter graph (crop, rotation, scaling with letterbox) to the
// output encoder's size and format, and are encoded at a constant frame
// rate: missing frame times repeat the last picture, surplus frames are
// dropped. The running frame time outlives a source, so consecutive files
// continue one timeline.

#include <cstdint>

#include "mediaconvert/MCConvertParam.h"
#include "mediaconvert/MCFFmpeg.h"
#include "z_tolvane/FFmpegFile.h"

class TranslateVideo {
 public:
  TranslateVideo() = default;
  ~TranslateVideo();
  TranslateVideo(const TranslateVideo&) = delete;
  TranslateVideo& operator=(const TranslateVideo&) = delete;

  int InitOutput(FFmpegFile* output);
  // The graph from the source's decoder to the encoder; 0 or an error.
  int InitFilters(FFmpegFile* input, const MCConvertParam& param);
  // Decodes one packet; each frame inside [rangeStart, rangeEnd) of the
  // stream's own time (start time subtracted) is placed `offset` encoder
  // ticks after the range start. *pastEnd is set by a frame after the end.
  int DecodePacket(AVPacket* packet, int64_t rangeStart, int64_t rangeEnd, int64_t offset, bool* pastEnd);
  // Encodes the filtered frame at every frame time up to outTime.
  int FilterEncode(AVFrame* frame, int64_t outTime);
  // Drains the encoder at the end of the output.
  int FlushEncoder();

  // The next frame time and one frame's length, in the encoder's time base.
  int64_t NextTime() const { return nextTime_; }
  void SetNextTime(int64_t t) { nextTime_ = t; }
  int64_t FrameTicks() const { return frameTicks_; }
  AVRational TimeBase() const { return encoder_->time_base; }
  bool Ready() const { return encoder_ != nullptr; }

 private:
  int EncodeFrame(AVFrame* frame);

  FFmpegFile* output_ = nullptr;
  AVCodecContext* encoder_ = nullptr;
  AVCodecContext* decoder_ = nullptr;
  AVStream* inputStream_ = nullptr;
  AVFilterGraph* graph_ = nullptr;
  AVFilterContext* source_ = nullptr;
  AVFilterContext* sink_ = nullptr;
  AVFrame* decoded_ = nullptr;
  AVFrame* filtered_ = nullptr;
  AVPacket* packet_ = nullptr;
  int64_t nextTime_ = 0;
  int64_t frameTicks_ = 1;
};
