#pragma once
// The audio leg of a conversion: decoded frames through a filter graph
// (format, rate and layout of the encoder; volume, tempo, a background
// sound mixed in over a time range), cut into frames of the encoder's size.

#include "mediaconvert/MCConvertParam.h"

class IAudioFilterInit {
 public:
  virtual ~IAudioFilterInit() = default;
  virtual int BuildFilterGraph(AVFilterGraph** graph, AVFilterContext** source, AVFilterContext** sink) = 0;
};

class MCIAudioConvert {
 public:
  virtual ~MCIAudioConvert() = default;
  virtual int Init(AVCodecContext* decoder, AVCodecContext* encoder, int64_t startPts) = 0;
  virtual int SendFrameConvert(AVFrame* frame) = 0;
  virtual int GetFrameConvert(AVFrame* frame) = 0;
  MCErrorInfo error_;
};

// The graph of one converter with its optional background input.
class MCAudioFilterGraph {
 public:
  explicit MCAudioFilterGraph(IAudioFilterInit* init) : init_(init) {}
  ~MCAudioFilterGraph();
  MCAudioFilterGraph(const MCAudioFilterGraph&) = delete;
  MCAudioFilterGraph& operator=(const MCAudioFilterGraph&) = delete;

  int Build();
  // Appends a filter after the chain's last one.
  int AddFilter(const char* filter, const char* name, const char* args);
  int AddBackground(const char* path, double volume, int64_t startOffsetUs, int mainRate);
  int Finish();
  int EndInput();
  int AddFrame(AVFrame* frame);
  AVFilterContext* Sink() const { return sink_; }

 private:
  int ReadBackgroundFrame(AVFrame* frame, int mainRate);
  int PushBackgroundUntil(int64_t mainSamples, const AVFrame* mainFrame);

  IAudioFilterInit* init_;
  AVFilterContext* source_ = nullptr;
  AVFilterContext* sink_ = nullptr;
  AVFilterGraph* graph_ = nullptr;
  AVFilterContext* last_ = nullptr;
  AVFilterContext* backgroundSource_ = nullptr;
  AVRational mainTimeBase_{0, 1};
  int64_t backgroundPts_ = AV_NOPTS_VALUE;
  AVRational backgroundTimeBase_{0, 1};
  AVFormatContext* backgroundInput_ = nullptr;
  int backgroundStream_ = -1;
  AVCodecContext* backgroundDecoder_ = nullptr;
  AVPacket* heldPacket_ = nullptr;
  double backgroundVolume_ = 1.0;
  bool seeked_ = false;
  int64_t backgroundStartUs_ = 0;
  int64_t backgroundSamples_ = 0;
  int64_t mainSamples_ = 0;
};

class MCAudioConvertBase : public MCIAudioConvert, public IAudioFilterInit {
 public:
  explicit MCAudioConvertBase(const MCStreamSetup& setup) : setup_(setup) {}
  ~MCAudioConvertBase() override;

  int Init(AVCodecContext* decoder, AVCodecContext* encoder, int64_t startPts) override;
  int SendFrameConvert(AVFrame* frame) override;
  int GetFrameConvert(AVFrame* frame) override;
  int BuildFilterGraph(AVFilterGraph** graph, AVFilterContext** source, AVFilterContext** sink) override;
  int ConfigureFilter(MCStreamSetup setup);
  // End of input: the last, shorter frame may follow.
  void SignalEnd();
  // Where the next input sample is expected, in microseconds on the input's
  // time line.
  int64_t NextInputTime() const;

 private:
  // Longest silence put in for one jump of the input's timestamps, and the
  // size of the pieces it is handed on in.
  static constexpr int kMaxGapSeconds = 10;
  static constexpr int kGapPieceSamples = 8192;

  int Push(AVFrame* frame);
  int FillGap(const AVFrame* like, int64_t samples);

  MCStreamSetup setup_;
  AVRational inTimeBase_{0, 1};
  AVChannelLayout inLayout_{};
  int inFormat_ = -1;
  int inRate_ = 0;
  AVChannelLayout outLayout_{};
  int outFormat_ = -1;
  int outRate_ = 0;
  int frameSize_ = 2048;
  int64_t outSamples_ = 0;
  int64_t nextInPts_ = 0;
  MCAudioFilterGraph* graph_ = nullptr;
  int64_t rangeStart_ = 0;
  int64_t rangeEnd_ = 0;
  AVAudioFifo* fifo_ = nullptr;
  bool inRange_ = false;
};
