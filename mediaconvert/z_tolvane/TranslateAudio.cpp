#include "z_tolvane/TranslateAudio.h"

#include "mediaconvert/MCLegacyHelpers.h"
#include "mediaconvert/MCLog.h"

TranslateAudio::~TranslateAudio() {
  swr_free(&resampler_);
  if (fifo_ != nullptr) av_audio_fifo_free(fifo_);
  av_frame_free(&decoded_);
  av_packet_free(&packet_);
}

int TranslateAudio::InitOutput(FFmpegFile* output) {
  output_ = output;
  encoder_ = output ? output->AudioContext() : nullptr;
  if (encoder_ == nullptr) return AVERROR(EINVAL);
  // Encoders that take any frame length say 0; they get 1024 a frame.
  frameSize_ = encoder_->frame_size > 0 ? encoder_->frame_size : 1024;
  decoded_ = av_frame_alloc();
  packet_ = av_packet_alloc();
  if (decoded_ == nullptr || packet_ == nullptr) {
    MCLogPrintf("Could not allocate input frame\n");
    return AVERROR(ENOMEM);
  }
  return InitFifo();
}

int TranslateAudio::InitResampler(FFmpegFile* source) {
  swr_free(&resampler_);
  decoder_ = source ? source->AudioContext() : nullptr;
  if (decoder_ == nullptr || encoder_ == nullptr) return AVERROR(EINVAL);
  int rc = swr_alloc_set_opts2(&resampler_, &encoder_->ch_layout, encoder_->sample_fmt, encoder_->sample_rate,
                               &decoder_->ch_layout, decoder_->sample_fmt, decoder_->sample_rate, 0, nullptr);
  if (rc < 0 || resampler_ == nullptr) {
    MCLogPrintf("Could not allocate resample context\n");
    return AVERROR(ENOMEM);
  }
  if ((rc = swr_init(resampler_)) < 0) {
    MCLogPrintf("Could not open resample context\n");
    swr_free(&resampler_);
  }
  return rc;
}

int TranslateAudio::InitFifo() {
  if (fifo_ != nullptr) return 0;
  fifo_ = av_audio_fifo_alloc(encoder_->sample_fmt, encoder_->ch_layout.nb_channels, 1);
  if (fifo_ == nullptr) {
    MCLogPrintf("Could not allocate FIFO\n");
    return AVERROR(ENOMEM);
  }
  return 0;
}

int TranslateAudio::InitConvertedSamples(uint8_t*** samples, int count) {
  const int channels = encoder_->ch_layout.nb_channels;
  *samples = static_cast<uint8_t**>(av_calloc(channels, sizeof(**samples)));
  if (*samples == nullptr) {
    MCLogPrintf("Could not allocate converted input sample pointers\n");
    return AVERROR(ENOMEM);
  }
  const int rc = av_samples_alloc(*samples, nullptr, channels, count, encoder_->sample_fmt, 0);
  if (rc < 0) {
    MCLogPrintf("Could not allocate converted input samples (error '%s')\n", MCErrorText(rc).c_str());
    av_freep(samples);
  }
  return rc;
}

int TranslateAudio::AddSamplesToFifo(uint8_t** samples, int count) {
  int rc = av_audio_fifo_realloc(fifo_, av_audio_fifo_size(fifo_) + count);
  if (rc < 0) {
    MCLogPrintf("Could not reallocate FIFO\n");
    return rc;
  }
  if (av_audio_fifo_write(fifo_, reinterpret_cast<void**>(samples), count) < count) {
    MCLogPrintf("Could not write data to FIFO\n");
    return AVERROR_EXIT;
  }
  return 0;
}

int TranslateAudio::ConvertAndEncode(const AVFrame* frame) {
  if (resampler_ == nullptr) return AVERROR(EINVAL);
  const int count = swr_get_out_samples(resampler_, frame->nb_samples);
  if (count > kMaxConvertedSamples) {
    MCLogPrintf("frame_size overload that member\n%s %d\n", __FILE__, __LINE__);
    return -2;
  }
  uint8_t** converted = nullptr;
  int rc = InitConvertedSamples(&converted, count > 0 ? count : 1);
  if (rc < 0) return rc;
  rc = swr_convert(resampler_, converted, count, const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
  if (rc < 0) MCLogPrintf("Could not convert input samples (error '%s')\n", MCErrorText(rc).c_str());
  else rc = AddSamplesToFifo(converted, rc);
  av_freep(&converted[0]);
  av_freep(&converted);
  return rc < 0 ? rc : EncodeFullFrames();
}

int TranslateAudio::EncodeFullFrames() {
  while (av_audio_fifo_size(fifo_) >= frameSize_) {
    const int rc = EncodeFrame(frameSize_);
    if (rc < 0) return rc;
  }
  return 0;
}

int TranslateAudio::DecodePacket(AVPacket* packet) {
  int rc = avcodec_send_packet(decoder_, packet);
  if (rc < 0 && rc != AVERROR_EOF) {
    MCLogPrintf("error send audio packet\n%s %d\n", __FILE__, __LINE__);
    return rc;
  }
  while ((rc = avcodec_receive_frame(decoder_, decoded_)) >= 0) {
    rc = ConvertAndEncode(decoded_);
    av_frame_unref(decoded_);
    if (rc < 0) return rc;
  }
  if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return 0;
  MCLogPrintf("decode audio error\n%s %d\n", __FILE__, __LINE__);
  return rc;
}

int TranslateAudio::WritePackets() {
  int rc;
  while ((rc = avcodec_receive_packet(encoder_, packet_)) >= 0) {
    AVStream* stream = output_->GetAudioStream();
    av_packet_rescale_ts(packet_, encoder_->time_base, stream->time_base);
    packet_->stream_index = stream->index;
    rc = av_interleaved_write_frame(output_->FormatContext(), packet_);
    av_packet_unref(packet_);
    if (rc < 0) return rc;
  }
  if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return 0;
  MCLogPrintf("Could not encode frame (error '%s')\n", MCErrorText(rc).c_str());
  return rc;
}

int TranslateAudio::EncodeFrame(int samples) {
  const int count = FFMIN(samples, av_audio_fifo_size(fifo_));
  if (count <= 0) return 0;
  AVFrame* frame = av_frame_alloc();
  if (frame == nullptr) {
    MCLogPrintf("Could not allocate output frame\n");
    return AVERROR_EXIT;
  }
  frame->nb_samples = count;
  av_channel_layout_copy(&frame->ch_layout, &encoder_->ch_layout);
  frame->format = encoder_->sample_fmt;
  frame->sample_rate = encoder_->sample_rate;
  int rc = av_frame_get_buffer(frame, 0);
  if (rc < 0) {
    MCLogPrintf("Could not allocate output frame samples (error '%s')\n", MCErrorText(rc).c_str());
  } else if (av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame->data), count) < count) {
    MCLogPrintf("Could not read data from FIFO\n");
    rc = AVERROR_EXIT;
  } else {
    frame->pts = av_rescale_q(encodedPosition_, AVRational{1, encoder_->sample_rate}, encoder_->time_base);
    encodedPosition_ += count;
    rc = avcodec_send_frame(encoder_, frame);
    if (rc < 0) MCLogPrintf("Could not send packet for encoding (error '%s')\n", MCErrorText(rc).c_str());
    else rc = WritePackets();
  }
  av_frame_free(&frame);
  return rc;
}

int TranslateAudio::EncodeSilence(int64_t target) {
  const int64_t missing = target - EndPosition();
  if (missing <= 0) return 0;
  const int channels = encoder_->ch_layout.nb_channels;
  uint8_t** silence = nullptr;
  int rc = InitConvertedSamples(&silence, frameSize_);
  if (rc < 0) return rc;
  av_samples_set_silence(silence, 0, frameSize_, channels, encoder_->sample_fmt);
  for (int64_t left = missing; left > 0 && rc >= 0;) {
    const int n = static_cast<int>(FFMIN(left, static_cast<int64_t>(frameSize_)));
    rc = AddSamplesToFifo(silence, n);
    left -= n;
    if (rc >= 0) rc = EncodeFullFrames();
  }
  av_freep(&silence[0]);
  av_freep(&silence);
  return rc;
}

int TranslateAudio::FlushEncoder() {
  int rc = EncodeFullFrames();
  if (rc >= 0) rc = EncodeFrame(frameSize_);
  if (rc < 0) return rc;
  rc = avcodec_send_frame(encoder_, nullptr);
  if (rc < 0 && rc != AVERROR_EOF) return rc;
  return WritePackets();
}

int64_t TranslateAudio::EndPosition() const {
  return encodedPosition_ + (fifo_ != nullptr ? av_audio_fifo_size(fifo_) : 0);
}
