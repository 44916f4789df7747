#pragma once
// The encoding step: one encoder per output stream, with the library's
// option policy (GOP, default bit rates, quality numbers, format fall-backs),
// a stream-copy variant and a hardware-first variant.

#include "mediaconvert/MCConvertParam.h"

class MCEnCoderBase {
 public:
  MCEnCoderBase() = default;
  virtual ~MCEnCoderBase();
  MCEnCoderBase(const MCEnCoderBase&) = delete;
  MCEnCoderBase& operator=(const MCEnCoderBase&) = delete;

  virtual int InitEnCoder(const AVCodecParameters* params, int timeBaseNum, int timeBaseDen, AVDictionary** options,
                          const AVCodecContext* source);
  // Either may be null; both null drains. The frame is always released.
  virtual int SendFrame(AVFrame* frame, AVSubtitle* subtitle);
  virtual int EnCodeFrame(AVPacket* packet);
  virtual int Reopen();

  AVCodecContext* Context() const { return context_; }
  const MCErrorInfo& Error() const { return error_; }
  MCErrorInfo error_;

 protected:
  // Allocates and fills a context for codec from the parameters.
  AVCodecContext* MakeContext(const AVCodec* codec, const AVCodecParameters* params, AVRational timeBase,
                              const AVCodecContext* source);
  void SaveOptions(AVDictionary* options);
  void SetupOptions(AVCodecContext* ctx, AVDictionary** options);

  AVCodecContext* context_ = nullptr;
  AVDictionary* savedOptions_ = nullptr;

 private:
  int64_t lastPts_ = AV_NOPTS_VALUE;
  int subtitlePacketsDone_ = 0;
  int packetsPerSubtitle_ = 1;
  AVSubtitle pending_{};
  bool pendingSet_ = false;
  int subtitleBufferSize_ = 0;
  uint8_t* subtitleBuffer_ = nullptr;
};

class MCEnCoderStreamCopy : public MCEnCoderBase {
 public:
  int InitEnCoder(const AVCodecParameters* params, int timeBaseNum, int timeBaseDen, AVDictionary** options,
                  const AVCodecContext* source) override;
};

class MCEnCoderHw : public MCEnCoderBase {
 public:
  int InitEnCoder(const AVCodecParameters* params, int timeBaseNum, int timeBaseDen, AVDictionary** options,
                  const AVCodecContext* source) override;
};

// The library's option policy, run on a context before it is opened.
void MCSetupEncoderOptions(AVCodecContext* ctx, AVDictionary** options);
void MCSetupHwEncoderOptions(AVCodecContext* ctx, AVDictionary** options);
