#include "audio/EncoderSettings.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "mediaconvert/MCCodecCaps.h"
#include "../SaturatingCast.h"

EncoderSetup MakeEncoderSetup(const EncoderRequest& request) {
    EncoderSetup setup;
    setup.sampleRate = request.sampleRate;
    setup.channels = request.channels > 0 ? request.channels : 2;
    setup.bitRate = SaturatingCast<int64_t>(request.quality * 1000.0, 0);
    if (request.codecId == AV_CODEC_ID_VORBIS) {
        setup.qscale = true;
        setup.globalQuality = SaturatingCast<int>(request.quality * 118.0, 0);
        setup.bitRate = 0;
    } else if (request.codecId == AV_CODEC_ID_FLAC) {
        setup.compressionLevel = SaturatingCast<int>(request.quality, 0);
        setup.bitRate = 0;
    }
    return setup;
}

namespace {

bool IsMpeg1LayerTwo(int64_t bitRate, int rate) {
    static const int kMpeg1Rates[] = {32000, 44100, 48000};
    static const int kMpeg1Kbps[] = {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
    if (bitRate % 1000 != 0) return false;
    const int64_t kbps = bitRate / 1000;
    return std::find(std::begin(kMpeg1Rates), std::end(kMpeg1Rates), rate) != std::end(kMpeg1Rates) &&
           std::find(std::begin(kMpeg1Kbps), std::end(kMpeg1Kbps), kbps) != std::end(kMpeg1Kbps);
}

}  // namespace

void FitToEncoder(const AVCodec* encoder, AVCodecID muxerCodec, int64_t* bitRate, int* rate,
                  int* channels) {
    *rate = MCSnapToList(MCGetEncoderSampleRates(encoder), *rate);
    *channels = MCSnapToList(MCGetEncoderChannels(encoder), *channels);
    // The shared fix-up sends every bit rate that MPEG-2's low rates also
    // allow (128 kbit/s among them) down to 24000 Hz, halving the band of a
    // perfectly valid MPEG-1 stream.
    if (muxerCodec == AV_CODEC_ID_MP2 && IsMpeg1LayerTwo(*bitRate, *rate)) return;
    MCFixAudioParams(muxerCodec, bitRate, rate, channels);
}

void RenameYearForMuxer(AVDictionary** dict, const char* muxerName) {
    if (!dict || !*dict || !muxerName || std::strcmp(muxerName, "mp3") != 0) return;
    const AVDictionaryEntry* year = av_dict_get(*dict, "TYER", nullptr, AV_DICT_MATCH_CASE);
    if (!year) return;
    const std::string value = year->value;
    av_dict_set(dict, "TYER", nullptr, AV_DICT_MATCH_CASE);
    av_dict_set(dict, "date", value.c_str(), 0);
}
