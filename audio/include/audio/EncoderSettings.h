// How the output settings become encoder settings: bit rate from the
// quality in kbit/s, ogg's quality level and flac's compression level, and
// the rate and channel count snapped to what the encoder takes.
#pragma once

#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/dict.h>
}

struct EncoderRequest {
    AVCodecID codecId = AV_CODEC_ID_NONE;
    int sampleRate = 44100;
    int channels = 2;
    double quality = 320;  // kbit/s, or the ogg/flac level
};

struct EncoderSetup {
    int sampleRate = 0;
    int channels = 0;
    int64_t bitRate = 0;
    bool qscale = false;
    int globalQuality = 0;
    int compressionLevel = -1;  // -1: the encoder's default
};

EncoderSetup MakeEncoderSetup(const EncoderRequest& request);

// Snaps rate and channels to the encoder's lists, then applies the codec's
// own limits. MPEG-1 Layer II keeps a 32000/44100/48000 Hz rate for the bit
// rates that layer allows at such rates (128 kbit/s at 44100 Hz stays).
void FitToEncoder(const AVCodec* encoder, AVCodecID muxerCodec, int64_t* bitRate, int* rate,
                  int* channels);

// What a recording of a format really gets for the asked quality (kbit/s
// for the bit-rate formats) and sample rate: the writer's own fitting to
// its encoder. Other formats' quality comes back as asked.
struct RecordChoice {
    int sampleRate = 0;
    double quality = 0;
};
RecordChoice FitRecordChoice(int formatId, double quality, int sampleRate, int channels);

// The mp3 muxer writes a real ID3 year frame only for the generic "date"
// key; "TYER" would end up in a user-defined text frame.
void RenameYearForMuxer(AVDictionary** dict, const char* muxerName);
