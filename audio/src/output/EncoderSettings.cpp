#include "audio/EncoderSettings.h"

#include <cstring>
#include <string>

#include "audio/AudioFormatTable.h"
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

// MPEG-1 Layer II's encoder writes silence at 8 kbit/s, and at 16000 Hz
// below 40 kbit/s a signal a tenth of its level: the nearest combinations
// that carry the sound instead. The bit rate is raised before the rate is
// fitted to it, so that the rate is the one 16 kbit/s takes best.
void RaiseMp2BitRate(int64_t* bitRate) {
    if (*bitRate < 16000) *bitRate = 16000;
}

void KeepMp2RateAudible(int64_t bitRate, int* rate) {
    if (*rate == 16000 && bitRate < 40000) *rate = 22050;
}

}  // namespace

void FitToEncoder(const AVCodec* encoder, AVCodecID muxerCodec, int64_t* bitRate, int* rate,
                  int* channels) {
    *rate = MCSnapToList(MCGetEncoderSampleRates(encoder), *rate);
    *channels = MCSnapToList(MCGetEncoderChannels(encoder), *channels);
    if (muxerCodec == AV_CODEC_ID_MP2) RaiseMp2BitRate(bitRate);
    MCFixAudioParams(muxerCodec, bitRate, rate, channels);
    if (muxerCodec == AV_CODEC_ID_MP2) KeepMp2RateAudible(*bitRate, rate);
}

RecordChoice FitRecordChoice(int formatId, double quality, int sampleRate, int channels) {
    RecordChoice choice{sampleRate, quality};
    const char* name = GetEncoderName(formatId);
    const AVCodec* encoder = name ? avcodec_find_encoder_by_name(name) : nullptr;
    if (!encoder) return choice;
    EncoderRequest request;
    request.codecId = encoder->id;
    request.sampleRate = sampleRate;
    request.channels = channels;
    request.quality = quality;
    const EncoderSetup setup = MakeEncoderSetup(request);
    int64_t bitRate = setup.bitRate;
    int ch = setup.channels;
    FitToEncoder(encoder, encoder->id, &bitRate, &choice.sampleRate, &ch);
    if (setup.bitRate > 0 && bitRate != setup.bitRate) choice.quality = static_cast<double>(bitRate) / 1000.0;
    return choice;
}

void RenameYearForMuxer(AVDictionary** dict, const char* muxerName) {
    if (!dict || !*dict || !muxerName || std::strcmp(muxerName, "mp3") != 0) return;
    const AVDictionaryEntry* year = av_dict_get(*dict, "TYER", nullptr, AV_DICT_MATCH_CASE);
    if (!year) return;
    const std::string value = year->value;
    av_dict_set(dict, "TYER", nullptr, AV_DICT_MATCH_CASE);
    av_dict_set(dict, "date", value.c_str(), 0);
}
