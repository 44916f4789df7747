#include "audio/AudioMixer.h"

#include <algorithm>
#include <cstddef>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/samplefmt.h>
}

CAudioMixer::~CAudioMixer() { Release(); }

CAudioFifo* CAudioMixer::GetInput(int key) {
    auto it = inputs_.find(key);
    return it == inputs_.end() ? nullptr : it->second.get();
}

void CAudioMixer::AddInput(int key, CAudioFifo* fifo) { inputs_[key].reset(fifo); }

void CAudioMixer::SetVolume(int key, int volume) {
    if (CAudioFifo* fifo = GetInput(key)) fifo->SetVolume(volume);
}

bool CAudioMixer::HasEnoughAll(int n) {
    for (auto& [key, fifo] : inputs_)
        if (!fifo->HasEnough(n)) return false;
    return true;
}

int CAudioMixer::ReadySamples() {
    const int mode = mode_.load();
    if (mode == kMicrophone || mode == kSystemSound) {
        CAudioFifo* fifo = GetInput(mode == kMicrophone ? 0 : 1);
        return fifo ? fifo->Size() : 0;
    }
    CAudioFifo* mic = GetInput(0);
    CAudioFifo* system = GetInput(1);
    if (mode != kBoth || !mic || !system) return 0;
    return std::min(mic->Size(), system->Size());
}

int CAudioMixer::Fail(int code, const char* operation) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(code, text, sizeof text);
    lastError_ = std::string("CAudioMixer::") + operation + ": " + text;
    return code;
}

namespace {

// Half the sum, rounded to the nearest and halves to even: what the sum of
// both halves gives in floating point, converted back to integers.
template <typename T, typename Wide>
void MixIntegers(T* into, const T* from, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const Wide sum = static_cast<Wide>(into[i]) + from[i];
        Wide half = sum >> 1;  // rounded down
        if ((sum & 1) && (half & 1)) ++half;
        into[i] = static_cast<T>(half);
    }
}

template <typename T>
void MixReals(T* into, const T* from, size_t count) {
    for (size_t i = 0; i < count; ++i) into[i] = into[i] * T(0.5) + from[i] * T(0.5);
}

void MixUnsigned8(uint8_t* into, const uint8_t* from, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        int8_t a = static_cast<int8_t>(into[i] - 128), b = static_cast<int8_t>(from[i] - 128);
        MixIntegers<int8_t, int>(&a, &b, 1);
        into[i] = static_cast<uint8_t>(a + 128);
    }
}

}  // namespace

int CAudioMixer::MixInto(AVFrame* into, const AVFrame* from) {
    if (into->nb_samples != from->nb_samples || into->format != from->format ||
        into->ch_layout.nb_channels != from->ch_layout.nb_channels)
        return Fail(AVERROR(EINVAL), "MixInto");
    const auto format = static_cast<AVSampleFormat>(into->format);
    const bool planar = av_sample_fmt_is_planar(format);
    const int planes = planar ? into->ch_layout.nb_channels : 1;
    const size_t count = static_cast<size_t>(into->nb_samples) * (planar ? 1 : into->ch_layout.nb_channels);
    if (av_frame_make_writable(into) < 0) return Fail(AVERROR(ENOMEM), "MixInto");
    for (int p = 0; p < planes; ++p) {
        uint8_t* a = into->extended_data[p];
        const uint8_t* b = from->extended_data[p];
        switch (av_get_packed_sample_fmt(format)) {
        case AV_SAMPLE_FMT_U8: MixUnsigned8(a, b, count); break;
        case AV_SAMPLE_FMT_S16:
            MixIntegers<int16_t, int32_t>(reinterpret_cast<int16_t*>(a), reinterpret_cast<const int16_t*>(b), count);
            break;
        case AV_SAMPLE_FMT_S32:
            MixIntegers<int32_t, int64_t>(reinterpret_cast<int32_t*>(a), reinterpret_cast<const int32_t*>(b), count);
            break;
        case AV_SAMPLE_FMT_FLT:
            MixReals(reinterpret_cast<float*>(a), reinterpret_cast<const float*>(b), count);
            break;
        case AV_SAMPLE_FMT_DBL:
            MixReals(reinterpret_cast<double*>(a), reinterpret_cast<const double*>(b), count);
            break;
        default: return Fail(AVERROR(ENOSYS), "MixInto");
        }
    }
    return 0;
}

AVFrame* CAudioMixer::ReadMixedFrame(int n, int64_t pts, int* error) {
    if (error) *error = 0;
    const int mode = mode_.load();
    if (mode == kMicrophone || mode == kSystemSound) {
        CAudioFifo* fifo = GetInput(mode == kMicrophone ? 0 : 1);
        AVFrame* frame = fifo ? fifo->Read(n) : nullptr;
        if (frame) frame->pts = pts;
        return frame;
    }
    if (mode != kBoth) return nullptr;

    CAudioFifo* mic = GetInput(0);
    CAudioFifo* system = GetInput(1);
    if (!mic || !system || !system->HasEnough(n) || !mic->HasEnough(n)) return nullptr;
    AVFrame* fromMic = mic->Read(n);
    AVFrame* fromSystem = system->Read(n);
    AVFrame* out = nullptr;
    if (fromMic && fromSystem) {
        const int rc = MixInto(fromMic, fromSystem);
        if (rc < 0) {
            if (error) *error = rc;
        } else {
            out = fromMic;
            fromMic = nullptr;
            out->pts = pts;
        }
    }
    av_frame_free(&fromSystem);
    av_frame_free(&fromMic);
    return out;
}

void CAudioMixer::Release() {
    inputs_.clear();
}
