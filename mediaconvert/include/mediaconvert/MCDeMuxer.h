#pragma once
// The input side of a conversion: the demuxer opens a media file and hands
// out its packets; the decoder turns one stream's packets into frames or
// subtitles.

#include <atomic>
#include <string>

#include "mediaconvert/MCConvertParam.h"

class MCDeMuxerBase {
 public:
  MCDeMuxerBase() = default;
  virtual ~MCDeMuxerBase();
  MCDeMuxerBase(const MCDeMuxerBase&) = delete;
  MCDeMuxerBase& operator=(const MCDeMuxerBase&) = delete;

  // path: UTF-8. The options dictionary is consumed (empty afterwards).
  virtual int InitDeMuxer(const char* path, AVDictionary** options);
  virtual void Abort() { aborted_.store(true); }
  virtual int GetStreamPacket(AVPacket* packet);
  virtual int GetAttachedPic(AVPacket* packet);
  virtual void DiscardStream(unsigned index);
  virtual int SeekStream(int streamIndex, int64_t timestamp);
  bool IsAborted() const { return aborted_.load(); }

  AVFormatContext* Context() const { return context_; }
  const MCErrorInfo& Error() const { return error_; }

  MCErrorInfo error_;
  int videoIndex = -1;
  int audioIndex = -1;
  int subtitleIndex = -1;

 private:
  AVFormatContext* context_ = nullptr;
  std::string path_;
  std::atomic<bool> aborted_{false};
};

class MCDeCoderBase {
 public:
  MCDeCoderBase();
  virtual ~MCDeCoderBase();
  MCDeCoderBase(const MCDeCoderBase&) = delete;
  MCDeCoderBase& operator=(const MCDeCoderBase&) = delete;

  virtual int InitDeCoder(const AVCodecParameters* params, int timeBaseNum, int timeBaseDen, AVDictionary** options);
  // Moves the packet's contents in. An empty packet marks the end of input.
  virtual int SendPacket(AVPacket* packet);
  virtual int ReceiveFrame(AVFrame* frame, AVSubtitle* subtitle);
  virtual void Flush();
  virtual void SetAbort() { abort_.exchange(true); }
  virtual void ClearAbort() { abort_.exchange(false); }

  AVCodecContext* Context() const { return context_; }
  const MCErrorInfo& Error() const { return error_; }
  MCErrorInfo error_;

 private:
  int ReceiveSubtitle(AVSubtitle* subtitle);
  int EndOfStream();

  AVCodecContext* context_ = nullptr;
  AVRational runningTimeBase_{0, 1};
  AVRational packetTimeBase_{0, 1};
  int64_t runningPts_ = 0;
  bool runningPtsSet_ = false;
  AVPacket* packet_ = nullptr;
  AVSubtitle held_{};
  bool heldSet_ = false;
  std::atomic<bool> abort_{false};
  bool endOfInput_ = false;
};

// Repairs of the durations FFmpeg reports for some raw formats.
class IFmtBugfixer {
 public:
  virtual ~IFmtBugfixer() = default;
  virtual bool Fix(AVFormatContext* context) = 0;
  virtual std::string GetFormatName() const = 0;
};

class MCaacFmtBugfixer : public IFmtBugfixer {
 public:
  bool Fix(AVFormatContext* context) override;
  std::string GetFormatName() const override { return "aac"; }
};

class MCswfFmtBugfixer : public IFmtBugfixer {
 public:
  bool Fix(AVFormatContext* context) override;
  std::string GetFormatName() const override { return "swf"; }
};

class MCFmtBugfixerRegistry {
 public:
  MCFmtBugfixerRegistry();
  // A new fixer owned by the caller, or null.
  IFmtBugfixer* Create(const std::string& formatName) const;

 private:
  std::map<std::string, IFmtBugfixer* (*)()> factories_;
};
