#pragma once
// One media file opened with FFmpeg: its audio, video and subtitle streams,
// their decoders on request, and the probe result built from it.

#include <string>

#include "mediaconvert/MCConvertParam.h"
#include "mediaconvert/MCFFmpeg.h"
#include "mediaconvert/MCPendingOutput.h"
#include "z_tolvane/MCMedia.h"

class FFmpegFile {
 public:
  FFmpegFile() = default;
  ~FFmpegFile();
  FFmpegFile(const FFmpegFile&) = delete;
  FFmpegFile& operator=(const FFmpegFile&) = delete;

  // A new probe result owned by the caller, or null when the file cannot
  // be opened (path: UTF-8).
  MCMedia* Open(const char* path, bool openAudio, bool openVideo);
  // Why the last Open failed (a negative FFmpeg code), 0 after a success.
  int OpenError() const { return openError_; }
  int OpenInput(const char* path, bool openAudio, bool openVideo);
  MCMedia* BuildMedia() const;

  AVStream* GetSubtitleStream() const { return StreamAt(subtitleIndex_); }
  AVStream* GetVideoStream() const { return StreamAt(videoIndex_); }
  AVStream* GetAudioStream() const { return StreamAt(audioIndex_); }
  bool HasSubtitleStream() const { return GetSubtitleStream() != nullptr; }
  bool ReadPacket(AVPacket* packet);
  bool WritePacket(AVPacket* packet);
  bool WriteHeader();
  bool WriteTrailer();
  // An output opened as pending: Commit moves it onto its path (false
  // when that fails), Abandon closes and removes it; one neither committed
  // nor abandoned is removed with the object.
  bool CommitOutput();
  void AbandonOutput();
  // Packets written to the output so far, over all its streams.
  int64_t PacketsWritten() const;
  bool FlushVideoDecoder();
  void CloseInput();
  std::string GetRotateTag() const;
  void CheckDisplayRotation() const;

  // Output side: a context named after the path (UTF-8) with an encoded
  // stream for each of the input's decoded ones, and the file opened;
  // with `pending`, under a temporary name until CommitOutput.
  bool OpenOutputFile(const char* path, FFmpegFile* input, MCConvertParam& param, bool pending = false);
  int CreateOutput(const char* path, FFmpegFile* input, MCConvertParam& param);
  // 0 on success; 1 when the input decodes no video; 0 without a stream
  // when there is no encoder or input stream; else an error.
  int AddVideoStream(FFmpegFile* input, MCConvertParam& param, const AVCodec* encoder);
  int AddAudioStream(FFmpegFile* input, MCConvertParam& param);
  int AddSubtitleStream(FFmpegFile* input, MCConvertParam& param);
  static int FitAudioEncoder(const AVCodec* encoder, AVCodecContext* ctx, const AVFormatContext* out);
  static void FitVideoBitRate(AVCodecContext* ctx, const MCConvertParam& param);
  bool WriteOutputTags(FFmpegFile* input, MCConvertParam param);

  AVFormatContext* FormatContext() const { return format_; }
  AVCodecContext* AudioContext() const { return audioCtx_; }
  AVCodecContext* VideoContext() const { return videoCtx_; }
  AVCodecContext* SubtitleContext() const { return subtitleCtx_; }

 private:
  AVStream* StreamAt(int index) const;
  void FreeDecoders();

  std::wstring path_;
  MCPendingOutput outputFile_;
  AVFormatContext* format_ = nullptr;
  AVCodecContext* audioCtx_ = nullptr;
  AVCodecContext* videoCtx_ = nullptr;
  AVCodecContext* subtitleCtx_ = nullptr;
  int subtitleIndex_ = -1;
  int videoIndex_ = -1;
  int audioIndex_ = -1;
  int openError_ = 0;
  int64_t nextVideoTime_ = 0;
  int64_t audioEndTime_ = 0;
  int64_t subtitleEndTime_ = 0;
};
