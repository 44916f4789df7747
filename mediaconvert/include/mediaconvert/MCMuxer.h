#pragma once
// The output side of a conversion: the container, its streams with their
// per-container corrections, header, packets and trailer; and the free
// functions that turn the job's wishes and the input's facts into output
// stream parameters and tags.

#include <string>

#include "mediaconvert/MCConvertParam.h"
#include "mediaconvert/MCPendingOutput.h"

class MCDeMuxerBase;

struct MCDefaultCodecs {
  AVCodecID video = AV_CODEC_ID_NONE;
  AVCodecID audio = AV_CODEC_ID_NONE;
  AVCodecID textSubtitle = AV_CODEC_ID_NONE;
  AVCodecID bitmapSubtitle = AV_CODEC_ID_NONE;
};

class MCMuxerBase {
 public:
  MCMuxerBase() = default;
  virtual ~MCMuxerBase();
  MCMuxerBase(const MCMuxerBase&) = delete;
  MCMuxerBase& operator=(const MCMuxerBase&) = delete;

  // format: a muxer's short name, or null to choose by the path.
  virtual int InitOutputFmt(const char* path, const char* format);
  // Both in-out: the corrected values come back. The stream index or a
  // negative code.
  virtual int AddStream(AVCodecParameters* params, AVRational* timeBase);
  virtual int WritePacket(AVPacket* packet);
  // The file is written under a temporary name; a successful trailer
  // moves it onto the path, and a muxer destroyed or abandoned before that
  // removes it.
  virtual int WriteHead(AVDictionary** options);
  virtual int WriteTrailer();
  // Closes and removes an output that will not be finished.
  void Abandon();
  MCDefaultCodecs GetDefaultCodecs() const;

  AVFormatContext* Context() const { return context_; }
  const char* FormatName() const;
  const MCErrorInfo& Error() const { return error_; }
  MCErrorInfo error_;

 private:
  int CloseFile();

  AVFormatContext* context_ = nullptr;
  std::string path_;
  MCPendingOutput file_;
};

// Output codec parameters (new, owned by the caller), encoder options
// (owned by the caller) and time base for one input stream.
int MCGetOutputStreamParams(const MCConvertParam& param, AVCodecID defaultCodec, const AVStream* input,
                            AVFormatContext* inputContext, AVCodecParameters** outParams, AVDictionary** outOptions,
                            AVRational* outTimeBase);
// Bit rate for codec at sampleRate when none is asked for; the rate may be
// raised or replaced (written back).
int64_t MCDefaultAudioBitRate(AVCodecID codec, int* sampleRate);
void MCCopyEncoderToStream(AVStream* stream, const AVCodecContext* encoder);
// The job's tags merged with the input's into the output; returns the last
// dictionary copy's result.
int MCCopyMetadata(MCMediaTags& tags, const MCDeMuxerBase* demuxer, MCMuxerBase* muxer);
