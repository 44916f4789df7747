#include "audio/AudioMixer.h"

int16_t Saturate16(int x) {
    if (x > 32767) return 32767;
    if (x < -32768) return -32768;
    return static_cast<int16_t>(x);
}

void ScaleVolumeS16(int16_t* samples, size_t count, int volume) {
    if (volume == kUnityVolume || samples == nullptr) return;
    for (size_t i = 0; i < count; ++i) samples[i] = Saturate16((volume * samples[i] + 128) >> 8);
}

int SampleFormatFromBits(int bits, bool planar) {
    switch (bits) {
        case 8: return planar ? AV_SAMPLE_FMT_U8P : AV_SAMPLE_FMT_U8;
        case 16: return planar ? AV_SAMPLE_FMT_S16P : AV_SAMPLE_FMT_S16;
        case 32: return planar ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_FLT;
        default: return -1;
    }
}
