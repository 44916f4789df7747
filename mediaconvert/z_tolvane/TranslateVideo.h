#pragma once
// Picture of the file-by-file transcoder: a source's decoded frames go
// through a filter graph (crop, rotation, scaling with letterbox) to the
// output encoder's size and format, and are encoded at a constant frame
// rate: missing frame times repeat the last picture, surplus frames are
// dropped. Every picture reaches the encoder through one output frame of
// the encoder's size and format: copied in when the filters already give
// that, scaled in when they do not (an input that changes its size or
// format mid-stream passes a chain built for its first pictures). The
// running frame time outlives a source, so consecutive files continue one
// timeline.

#include <cstdint>
#include <functional>

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
  // (Re)allocates the output frame: the encoder's width, height and pixel
  // format, planes aligned to 4 bytes; 0, or -1 when it cannot.
  int AllocOutputFrame();
  AVFrame* OutputFrame() const { return outputFrame_; }
  // A bicubic scaler from width x height in `format` to the encoder's size
  // and format; 0 or an error.
  int InitScaler(int width, int height, AVPixelFormat format);
  // Puts a picture into the output frame: copied when it has the encoder's
  // size and format, else scaled (the scaler follows the picture's).
  int FillOutputFrame(const AVFrame* picture);
  // Encodes `frame` (null: drain) at the next frame time and writes every
  // packet the encoder returns; the one place a picture reaches the file.
  int EncodeAndWrite(AVFrame* frame);
  // Sends one packet (null: the end of the stream) and hands each decoded
  // frame to `take`, which returns 0 or an error. Wanting more input and
  // the end of the stream are 0; a decoding failure is its error.
  int DecodePacket(AVPacket* packet, const std::function<int(AVFrame*)>& take);
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
  void FreeOutputFrame();

  FFmpegFile* output_ = nullptr;
  AVCodecContext* encoder_ = nullptr;
  AVCodecContext* decoder_ = nullptr;
  AVStream* inputStream_ = nullptr;
  AVFilterGraph* graph_ = nullptr;
  AVFilterContext* source_ = nullptr;
  AVFilterContext* sink_ = nullptr;
  AVFrame* decoded_ = nullptr;
  AVFrame* filtered_ = nullptr;
  AVFrame* outputFrame_ = nullptr;
  SwsContext* scaler_ = nullptr;
  int scalerWidth_ = 0;
  int scalerHeight_ = 0;
  AVPixelFormat scalerFormat_ = AV_PIX_FMT_NONE;
  AVPacket* packet_ = nullptr;
  int64_t nextTime_ = 0;
  int64_t frameTicks_ = 1;
};
