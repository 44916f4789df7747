#pragma once
// Sound of the file-by-file transcoder: decoded frames of one source are
// resampled into a sample FIFO that feeds the output's encoder one encoder
// frame at a time. The FIFO and the encoder's running sample position
// outlive a source, so the sound of consecutive files continues without a
// gap and no partial encoder frame is lost between them.

#include <cstdint>

#include "mediaconvert/MCFFmpeg.h"
#include "z_tolvane/FFmpegFile.h"

class TranslateAudio {
 public:
  // The most samples one frame may convert to.
  static constexpr int kMaxConvertedSamples = 1048576;

  TranslateAudio() = default;
  ~TranslateAudio();
  TranslateAudio(const TranslateAudio&) = delete;
  TranslateAudio& operator=(const TranslateAudio&) = delete;

  // The output (kept) and the encoder's frame size; 0 or an error.
  int InitOutput(FFmpegFile* output);
  // A new source to read sound from; its resampler replaces the last one.
  int InitResampler(FFmpegFile* source);
  int InitFifo();
  int InitConvertedSamples(uint8_t*** samples, int count);
  // Resamples a decoded frame into the FIFO and encodes every full frame.
  // -2 when the frame would convert to more than kMaxConvertedSamples.
  int ConvertAndEncode(const AVFrame* frame);
  // Decodes one packet of the source, handing each frame to ConvertAndEncode.
  // 0 when the decoder wants more input.
  int DecodePacket(AVPacket* packet);
  // Encodes up to `samples` of FIFO content (fewer when it holds fewer) at
  // the running position and writes the packets.
  int EncodeFrame(int samples);
  // Silence from the current end up to `target` samples, in whole encoder
  // frames through the FIFO.
  int EncodeSilence(int64_t target);
  // Empties the FIFO (a last short frame included) and drains the encoder.
  int FlushEncoder();

  // Samples written to the encoder plus those waiting in the FIFO, in the
  // encoder's sample rate.
  int64_t EndPosition() const;
  int SampleRate() const { return encoder_ ? encoder_->sample_rate : 0; }
  bool Ready() const { return encoder_ != nullptr; }

 private:
  int AddSamplesToFifo(uint8_t** samples, int count);
  int EncodeFullFrames();
  int WritePackets();

  FFmpegFile* output_ = nullptr;
  AVCodecContext* encoder_ = nullptr;
  AVCodecContext* decoder_ = nullptr;
  SwrContext* resampler_ = nullptr;
  AVAudioFifo* fifo_ = nullptr;
  AVFrame* decoded_ = nullptr;
  AVPacket* packet_ = nullptr;
  int frameSize_ = 1024;
  int64_t encodedPosition_ = 0;
};
