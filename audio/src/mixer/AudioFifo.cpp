#include "audio/AudioMixer.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

CAudioFifo::~CAudioFifo() { Release(); }

int CAudioFifo::Init(int sourceRate, int sourceChannels, int targetFormat, int targetRate,
                     int targetChannels) {
    Release();
    sourceRate_ = sourceRate;
    sourceChannels_ = sourceChannels;
    sourceFormat_ = AV_SAMPLE_FMT_S16;
    targetFormat_ = targetFormat;
    targetRate_ = targetRate;
    targetChannels_ = targetChannels;
    if (sourceRate <= 0 || sourceChannels <= 0 || targetRate <= 0 || targetChannels <= 0)
        return AVERROR(EINVAL);

    {
        std::lock_guard<std::mutex> lock(fifoMutex_);
        // Room for a quarter of a second to start with (sources hand on a
        // tenth at a time): the ring grows on demand up to its capacity, and
        // a small ring keeps touching the same pages, where a larger one
        // would fault in memory that is never needed.
        fifo_ = av_audio_fifo_alloc(static_cast<AVSampleFormat>(targetFormat), targetChannels,
                                    std::min(kFifoCapacity, std::max(targetRate / 4, 4096)));
        if (!fifo_) return AVERROR(ENOMEM);
    }
    std::lock_guard<std::mutex> lock(converterMutex_);
    AVChannelLayout in{}, out{};
    av_channel_layout_default(&in, sourceChannels);
    av_channel_layout_default(&out, targetChannels);
    int rc = swr_alloc_set_opts2(&resampler_, &out, static_cast<AVSampleFormat>(targetFormat),
                                 targetRate, &in, AV_SAMPLE_FMT_S16, sourceRate, 0, nullptr);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    if (rc >= 0) rc = swr_init(resampler_);
    if (rc < 0) {
        swr_free(&resampler_);
        return rc;
    }
    return 0;
}

int CAudioFifo::Write(const int16_t* data, int count) {
    if (data == nullptr || count <= 0) return 0;
    std::lock_guard<std::mutex> lock(converterMutex_);
    if (!resampler_) return AVERROR(EINVAL);

    const int16_t* input = data;
    const int volume = volume_.load();
    if (volume != kUnityVolume) {
        scaled_.assign(data, data + static_cast<size_t>(count) * sourceChannels_);
        ScaleVolumeS16(scaled_.data(), scaled_.size(), volume);
        input = scaled_.data();
    }

    const int room = swr_get_out_samples(resampler_, count);
    if (room < 0) return room;
    if (room > convertedCapacity_) {
        if (converted_) av_freep(&converted_[0]);
        av_freep(&converted_);
        convertedCapacity_ = 0;
        const int rc = av_samples_alloc_array_and_samples(
            &converted_, nullptr, targetChannels_, room,
            static_cast<AVSampleFormat>(targetFormat_), 0);
        if (rc < 0) return rc;
        convertedCapacity_ = room;
    }
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(input)};
    const int got = swr_convert(resampler_, converted_, convertedCapacity_, in, count);
    if (got < 0) return got;
    if (got == 0) return count;

    std::lock_guard<std::mutex> fifoLock(fifoMutex_);
    if (!fifo_) return AVERROR(EINVAL);
    // A FIFO nobody reads (a stalled partner source) keeps its newest
    // samples rather than growing without end.
    const int excess = av_audio_fifo_size(fifo_) + got - kFifoCapacity;
    if (excess > 0) {
        av_audio_fifo_drain(fifo_, std::min(excess, av_audio_fifo_size(fifo_)));
        dropped_ += excess;
    }
    const int written = av_audio_fifo_write(fifo_, reinterpret_cast<void**>(converted_), got);
    if (written < 0) return written;
    return count;
}

bool CAudioFifo::HasEnough(int n) {
    std::lock_guard<std::mutex> lock(fifoMutex_);
    return fifo_ && av_audio_fifo_size(fifo_) >= n;
}

int CAudioFifo::Size() {
    std::lock_guard<std::mutex> lock(fifoMutex_);
    return fifo_ ? av_audio_fifo_size(fifo_) : 0;
}

AVFrame* CAudioFifo::Read(int n) {
    if (n <= 0) return nullptr;
    std::lock_guard<std::mutex> lock(fifoMutex_);
    if (!fifo_ || av_audio_fifo_size(fifo_) < n) return nullptr;
    AVFrame* frame = av_frame_alloc();
    if (!frame) return nullptr;
    frame->nb_samples = n;
    frame->format = targetFormat_;
    frame->sample_rate = targetRate_;
    av_channel_layout_default(&frame->ch_layout, targetChannels_);
    if (av_frame_get_buffer(frame, 0) < 0 ||
        av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame->extended_data), n) != n) {
        av_frame_free(&frame);
        return nullptr;
    }
    return frame;
}

void CAudioFifo::SetVolume(int volume) { volume_ = volume; }

void CAudioFifo::CopyVolume(const CAudioFifo& other) { volume_ = other.volume_.load(); }

void CAudioFifo::Reset() {
    std::lock_guard<std::mutex> lock(fifoMutex_);
    if (fifo_) av_audio_fifo_reset(fifo_);
}

void CAudioFifo::Release() {
    {
        std::lock_guard<std::mutex> lock(converterMutex_);
        swr_free(&resampler_);
        if (converted_) av_freep(&converted_[0]);
        av_freep(&converted_);
        convertedCapacity_ = 0;
    }
    std::lock_guard<std::mutex> lock(fifoMutex_);
    if (fifo_) av_audio_fifo_free(fifo_);
    fifo_ = nullptr;
}
