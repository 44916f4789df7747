#include "decoded_file_helper.h"

#include <cctype>
#include <cstdio>
#include <algorithm>
#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace audio_test {

DecodedFile DecodeFile(const std::string& path) {
    DecodedFile out;
    AVFormatContext* input = nullptr;
    if (avformat_open_input(&input, path.c_str(), nullptr, nullptr) < 0) {
        out.error = "cannot open " + path;
        return out;
    }
    AVCodecContext* decoder = nullptr;
    SwrContext* swr = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    int index = -1;
    long long frames = 0;
    auto take = [&](AVFrame* f) {
        std::vector<short> buffer(static_cast<size_t>(f->nb_samples) * 2 + 64);
        uint8_t* dst[1] = {reinterpret_cast<uint8_t*>(buffer.data())};
        const int got = swr_convert(swr, dst, f->nb_samples + 32,
                                    const_cast<const uint8_t**>(f->extended_data), f->nb_samples);
        for (int i = 0; i < got; ++i) {
            out.mono.push_back(buffer[2 * i]);
            if (out.channels > 1) out.second.push_back(buffer[2 * i + 1]);
        }
        frames += f->nb_samples;
    };
    do {
        if (avformat_find_stream_info(input, nullptr) < 0) {
            out.error = "no stream info";
            break;
        }
        for (const AVDictionaryEntry* e = nullptr;
             (e = av_dict_get(input->metadata, "", e, AV_DICT_IGNORE_SUFFIX));) {
            std::string key = e->key;
            for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            out.tags[key] = e->value;
        }
        out.container = input->iformat->name;
        const AVCodec* codec = nullptr;
        index = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (index < 0 || !codec) {
            out.error = "no audio stream";
            break;
        }
        decoder = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(decoder, input->streams[index]->codecpar);
        if (avcodec_open2(decoder, codec, nullptr) < 0) {
            out.error = "decoder does not open";
            break;
        }
        out.codec = avcodec_get_name(decoder->codec_id);
        out.rate = decoder->sample_rate;
        out.channels = decoder->ch_layout.nb_channels;
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        AVChannelLayout inLayout{};
        av_channel_layout_copy(&inLayout, &decoder->ch_layout);
        // Mono goes to both channels.
        if (out.channels > 1) {
            av_channel_layout_uninit(&inLayout);
            av_channel_layout_default(&inLayout, out.channels);
        }
        swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_S16, out.rate, &inLayout,
                            decoder->sample_fmt, out.rate, 0, nullptr);
        av_channel_layout_uninit(&inLayout);
        if (swr_init(swr) < 0) {
            out.error = "resampler";
            break;
        }
        while (av_read_frame(input, packet) >= 0) {
            if (packet->stream_index == index && avcodec_send_packet(decoder, packet) >= 0)
                while (avcodec_receive_frame(decoder, frame) >= 0) take(frame);
            av_packet_unref(packet);
        }
        avcodec_send_packet(decoder, nullptr);
        while (avcodec_receive_frame(decoder, frame) >= 0) take(frame);
        out.duration = out.rate ? double(frames) / out.rate : 0;
        out.ok = true;
    } while (false);
    av_frame_free(&frame);
    av_packet_free(&packet);
    swr_free(&swr);
    avcodec_free_context(&decoder);
    avformat_close_input(&input);
    return out;
}

double ToneAmplitude(const std::vector<short>& samples, double rate, double frequency) {
    if (samples.empty()) return 0;
    const double w = 2 * M_PI * frequency / rate;
    const double coeff = 2 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (short x : samples) {
        const double s0 = x + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    return 2 * std::sqrt(std::max(power, 0.0)) / samples.size();
}

double DominantFrequency(const std::vector<short>& samples, double rate, double low, double high,
                         double step) {
    double best = 0, bestAmplitude = -1;
    for (double f = low; f <= high; f += step) {
        const double a = ToneAmplitude(samples, rate, f);
        if (a > bestAmplitude) {
            bestAmplitude = a;
            best = f;
        }
    }
    return best;
}

namespace {

std::vector<double> BlockRms(const std::vector<short>& samples, int rate) {
    std::vector<double> out;
    const size_t per = rate > 100 ? rate / 100 : 1;
    for (size_t at = 0; at + per <= samples.size(); at += per) {
        double sum = 0;
        for (size_t i = at; i < at + per; ++i) sum += double(samples[i]) * samples[i];
        out.push_back(std::sqrt(sum / per));
    }
    return out;
}

}  // namespace

std::vector<short> LoudPart(const std::vector<short>& samples, int rate, double threshold) {
    const std::vector<double> rms = BlockRms(samples, rate);
    const size_t per = rate > 100 ? rate / 100 : 1;
    size_t first = rms.size(), last = 0;
    for (size_t i = 0; i < rms.size(); ++i) {
        if (rms[i] < threshold) continue;
        first = std::min(first, i);
        last = i;
    }
    if (first >= rms.size()) return {};
    return std::vector<short>(samples.begin() + first * per, samples.begin() + (last + 1) * per);
}

int QuietBlocksInside(const std::vector<short>& samples, int rate, double threshold) {
    int quiet = 0;
    for (double r : BlockRms(LoudPart(samples, rate, threshold), rate))
        if (r < threshold) ++quiet;
    return quiet;
}

std::string ProbeEntry(const std::string& path, const std::string& entry) {
    std::string out;
    const std::string cmd = "ffprobe -v error -show_entries " + entry + " -of default=nw=1:nk=1 '" + path + "'";
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[512];
        while (fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

}  // namespace audio_test
