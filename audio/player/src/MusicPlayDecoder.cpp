// The player's decoder: FFmpeg reads the file's first audio stream and
// converts it to interleaved 16-bit samples of the file's own layout and
// rate, into the FIFO the output stream drains.
#include "audio/MusicPlay.h"

#include "AudioLog.h"
#include "base/CodePageFramework.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
}

#include <chrono>
#include <vector>

namespace {

constexpr int kConvertBuffers = 8;
constexpr int kConvertBufferBytes = 0x100000;

std::string FfmpegText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

}  // namespace

bool MusicPlay::OpenDecoder(const SStringW& path) {
    ReleaseDecoder();
    if (path.GetLength() == 0) {
        AudioLog("player: no file given");
        return false;
    }
    const SStringA utf8 = WideCStringToUtf8(path);
    int error = avformat_open_input(&m_container, utf8.c_str(), nullptr, nullptr);
    if (error < 0) {
        AudioLog("player: cannot open %s: %s", utf8.c_str(), FfmpegText(error).c_str());
        m_container = nullptr;
        return false;
    }
    error = avformat_find_stream_info(m_container, nullptr);
    if (error < 0) {
        AudioLog("player: cannot read the streams of %s: %s", utf8.c_str(), FfmpegText(error).c_str());
        ReleaseDecoder();
        return false;
    }
    m_streamIndex = -1;
    for (unsigned i = 0; i < m_container->nb_streams; ++i) {
        if (m_container->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            m_streamIndex = static_cast<int>(i);
            break;
        }
    }
    if (m_streamIndex < 0) {
        AudioLog("player: %s holds no audio", utf8.c_str());
        ReleaseDecoder();
        return false;
    }
    const AVCodecParameters* params = m_container->streams[m_streamIndex]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(params->codec_id);
    m_decoder = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!m_decoder) {
        AudioLog("player: no decoder for the audio of %s", utf8.c_str());
        ReleaseDecoder();
        return false;
    }
    error = avcodec_parameters_to_context(m_decoder, params);
    if (error >= 0) error = avcodec_open2(m_decoder, codec, nullptr);
    if (error < 0) {
        AudioLog("player: the decoder for %s did not open: %s", utf8.c_str(), FfmpegText(error).c_str());
        ReleaseDecoder();
        return false;
    }
    const int channels = m_decoder->ch_layout.nb_channels;
    if (channels < 1 || m_decoder->sample_rate < 1) {
        AudioLog("player: %s gives %d channels at %d Hz", utf8.c_str(), channels, m_decoder->sample_rate);
        ReleaseDecoder();
        return false;
    }
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, channels);
    error = swr_alloc_set_opts2(&m_converter, &layout, AV_SAMPLE_FMT_S16, m_decoder->sample_rate, &layout,
                                m_decoder->sample_fmt, m_decoder->sample_rate, 0, nullptr);
    if (error >= 0) error = swr_init(m_converter);
    av_channel_layout_uninit(&layout);
    if (error < 0) {
        AudioLog("player: no converter to 16-bit samples for %s: %s", utf8.c_str(), FfmpegText(error).c_str());
        ReleaseDecoder();
        return false;
    }
    m_shared->channels = channels;
    m_shared->rate = m_decoder->sample_rate;
    return true;
}

// The resampler's standard matrix (a centre at -3 dB into both sides, and
// so on) from the file's layout to the default layout of `channels`.
bool MusicPlay::DownMixTo(int channels) {
    if (!m_decoder) return false;
    AVChannelLayout in{};
    if (m_decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&in, m_decoder->ch_layout.nb_channels);
    else
        av_channel_layout_copy(&in, &m_decoder->ch_layout);
    AVChannelLayout out{};
    av_channel_layout_default(&out, channels);
    SwrContext* mixer = nullptr;
    int error = swr_alloc_set_opts2(&mixer, &out, AV_SAMPLE_FMT_S16, m_decoder->sample_rate, &in,
                                    m_decoder->sample_fmt, m_decoder->sample_rate, 0, nullptr);
    if (error >= 0) error = swr_init(mixer);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    if (error < 0) {
        AudioLog("player: no down-mix to %d channels: %s", channels, FfmpegText(error).c_str());
        swr_free(&mixer);
        return false;
    }
    swr_free(&m_converter);
    m_converter = mixer;
    m_shared->channels = channels;
    return true;
}

void MusicPlay::ReleaseDecoder() {
    if (m_decoder) avcodec_free_context(&m_decoder);
    if (m_container) avformat_close_input(&m_container);
    if (m_converter) swr_free(&m_converter);
    m_decoder = nullptr;
    m_container = nullptr;
    m_converter = nullptr;
    m_streamIndex = -1;
}

void MusicPlay::DecodeLoop() {
    if (!m_container) return;
    SharedState& shared = *m_shared;
    int expected = 1;
    if (!shared.state.compare_exchange_strong(expected, 0)) {
        // Stopped before the thread began.
        shared.state.store(3);
        ReleaseDecoder();
        return;
    }
    std::vector<std::vector<uint8_t>> buffers(kConvertBuffers, std::vector<uint8_t>(kConvertBufferBytes));
    const int capacity = kConvertBufferBytes / (2 * shared.channels);  // samples per channel
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();

    // Converts `in` (null to flush the converter) and queues the result,
    // waiting while the FIFO is full; false once a stop was asked.
    auto queue = [&](const AVFrame* in) {
        uint8_t* out[1] = {buffers[0].data()};
        const int count = in ? std::min(in->nb_samples, capacity) : capacity;
        const int converted = swr_convert(m_converter, out, count, in ? const_cast<const uint8_t**>(in->extended_data) : nullptr,
                                          in ? in->nb_samples : 0);
        if (converted < 0) {
            AudioLog("player: conversion failed: %s", FfmpegText(converted).c_str());
            return true;
        }
        for (;;) {
            if (shared.state.load() == 2) return false;
            EnterCriticalSection(&shared.lock);
            const bool room = av_audio_fifo_space(shared.fifo) >= converted;
            if (room) {
                void* planes[1] = {out[0]};
                av_audio_fifo_write(shared.fifo, planes, converted);
            }
            LeaveCriticalSection(&shared.lock);
            if (room) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    };
    // Takes every frame the decoder has ready.
    auto drain = [&]() {
        while (avcodec_receive_frame(m_decoder, frame) >= 0) {
            const bool going = queue(frame);
            av_frame_unref(frame);
            if (!going) return false;
        }
        return true;
    };

    bool going = true;
    while (going && shared.state.load() != 2) {
        if (av_read_frame(m_container, packet) < 0) {
            // The decoder and the converter still hold the file's last samples.
            avcodec_send_packet(m_decoder, nullptr);
            going = drain() && queue(nullptr);
            break;
        }
        if (packet->stream_index == m_streamIndex) {
            int error = avcodec_send_packet(m_decoder, packet);
            if (error < 0 && error != AVERROR(EAGAIN))
                AudioLog("player: a damaged packet was skipped: %s", FfmpegText(error).c_str());
            going = drain();
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    shared.state.store(3);
    ReleaseDecoder();
}
