#include "audio/EncoderSettings.h"

#include <cstring>
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

void FitToEncoder(const AVCodec* encoder, AVCodecID muxerCodec, int64_t* bitRate, int* rate,
                  int* channels) {
    *rate = MCSnapToList(MCGetEncoderSampleRates(encoder), *rate);
    *channels = MCSnapToList(MCGetEncoderChannels(encoder), *channels);
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
