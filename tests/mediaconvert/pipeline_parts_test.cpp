// The conversion pipeline's parts on their own: parameter block, encoder
// option policy, muxer corrections and bit rates, audio and video
// converters, the state machine's loop and the demuxer.
#include <gtest/gtest.h>

#include <strings.h>

#include <climits>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "media_files_helper.h"
#include "mediaconvert/MCHooks.h"
#include "mediaconvert/MCMediaConvert.h"
#include "z_tolvane/FFmpegFile.h"

namespace {

TEST(ConvertParam, DefaultsAndDeepCopy) {
  MCConvertParam p;
  EXPECT_TRUE(p.keepVideo && p.keepAudio && p.keepSubtitle && p.copyWhenSame);
  EXPECT_TRUE(p.format.empty());
  EXPECT_EQ(p.stream.cropX, -1);
  EXPECT_EQ(p.stream.rotation, 0);
  EXPECT_EQ(p.stream.speed, 1.0);
  EXPECT_EQ(p.stream.volume, 1.0);
  p.tags.SetTitle(L"A");
  p.ranges.push_back({1, 2});
  p.audioOptions["x"] = "1";
  MCConvertParam copy(p);
  copy.tags.SetTitle(L"B");
  copy.ranges[0].start = 5;
  copy.audioOptions["x"] = "2";
  EXPECT_EQ(p.tags.GetTitle(L""), L"A");
  EXPECT_EQ(p.ranges[0].start, 1);
  EXPECT_EQ(p.audioOptions["x"], "1");
  MCErrorInfo none;
  EXPECT_FALSE(none.IsSet());
  none.SetError(AVERROR(ENOENT), "X::Y");
  EXPECT_TRUE(none.IsSet());
  EXPECT_EQ(none.function, "X::Y");
}

AVCodecContext* VideoContext(AVCodecID id, int w, int h, AVRational tb) {
  AVCodecContext* ctx = avcodec_alloc_context3(avcodec_find_encoder(id));
  ctx->codec_type = AVMEDIA_TYPE_VIDEO;
  ctx->codec_id = id;
  ctx->width = w;
  ctx->height = h;
  ctx->pix_fmt = AV_PIX_FMT_YUV420P;
  ctx->time_base = tb;
  return ctx;
}

TEST(EncoderOptions, GopTimeBaseAndQuality) {
  const struct {
    int w, h, gop;
  } gops[] = {{1920, 1080, 250}, {7680, 4320, 21}};
  for (const auto& g : gops) {
    AVCodecContext* ctx = VideoContext(AV_CODEC_ID_MPEG4, g.w, g.h, {1, 25});
    AVDictionary* opts = nullptr;
    av_dict_set(&opts, "crf", "23", 0);
    MCSetupEncoderOptions(ctx, &opts);
    EXPECT_EQ(ctx->gop_size, g.gop) << g.w;
    EXPECT_EQ(ctx->qmin, 11);
    EXPECT_EQ(ctx->qmax, 21);
    EXPECT_EQ(av_dict_get(opts, "crf", nullptr, 0), nullptr);  // consumed
    av_dict_free(&opts);
    avcodec_free_context(&ctx);
  }
  AVCodecContext* mpeg2 = VideoContext(AV_CODEC_ID_MPEG2VIDEO, 320, 240, {1, 15});
  AVDictionary* opts = nullptr;
  MCSetupEncoderOptions(mpeg2, &opts);
  EXPECT_EQ(av_cmp_q(mpeg2->time_base, AVRational{1, 24}), 0);
  EXPECT_EQ(mpeg2->max_b_frames, 0);
  av_dict_free(&opts);
  avcodec_free_context(&mpeg2);
}

TEST(EncoderOptions, AudioSnappingAndFrameOrder) {
  AVCodecParameters* par = avcodec_parameters_alloc();
  par->codec_type = AVMEDIA_TYPE_AUDIO;
  par->codec_id = AV_CODEC_ID_MP3;
  par->sample_rate = 50000;
  par->format = AV_SAMPLE_FMT_S16;
  par->bit_rate = 128000;
  av_channel_layout_default(&par->ch_layout, 2);
  MCEnCoderBase encoder;
  ASSERT_EQ(encoder.InitEnCoder(par, 1, 50000, nullptr, nullptr), 0) << encoder.Error().message;
  EXPECT_EQ(encoder.Context()->sample_rate, 48000);
  EXPECT_EQ(av_cmp_q(encoder.Context()->time_base, AVRational{1, 48000}), 0);

  AVFrame* frame = av_frame_alloc();
  auto makeFrame = [&](int64_t pts) {
    frame->nb_samples = encoder.Context()->frame_size;
    frame->format = encoder.Context()->sample_fmt;
    frame->sample_rate = 48000;
    av_channel_layout_copy(&frame->ch_layout, &encoder.Context()->ch_layout);
    av_frame_get_buffer(frame, 0);
    av_samples_set_silence(frame->extended_data, 0, frame->nb_samples, 2, static_cast<AVSampleFormat>(frame->format));
    frame->pts = pts;
  };
  makeFrame(0);
  EXPECT_EQ(encoder.SendFrame(frame, nullptr), 0);
  EXPECT_EQ(frame->buf[0], nullptr);  // always released
  makeFrame(0);
  EXPECT_EQ(encoder.SendFrame(frame, nullptr), AVERROR(EAGAIN));  // repeated time stamp
  makeFrame(AV_NOPTS_VALUE);
  EXPECT_EQ(encoder.SendFrame(frame, nullptr), AVERROR(EAGAIN));
  av_frame_free(&frame);
  avcodec_parameters_free(&par);

  // The hardware-first encoder falls back to the software one here.
  AVCodecParameters* video = avcodec_parameters_alloc();
  video->codec_type = AVMEDIA_TYPE_VIDEO;
  video->codec_id = AV_CODEC_ID_H264;
  video->width = 64;
  video->height = 48;
  video->format = AV_PIX_FMT_YUV420P;
  MCEnCoderHw hw;
  AVDictionary* opts = nullptr;
  av_dict_set(&opts, "preset", "ultrafast", 0);
  ASSERT_EQ(hw.InitEnCoder(video, 1, 25, &opts, nullptr), 0) << hw.Error().message;
  EXPECT_STREQ(hw.Context()->codec->name, "libx264");
  av_dict_free(&opts);
  avcodec_parameters_free(&video);
}

TEST(Muxer, DefaultBitRatesCodecsAndCorrections) {
  const struct {
    AVCodecID id;
    int rate;
    int64_t bitRate;
    int rateAfter;
  } rates[] = {{AV_CODEC_ID_MP3, 44100, 320000, 44100}, {AV_CODEC_ID_MP3, 22050, 160000, 22050},
               {AV_CODEC_ID_MP2, 48000, 384000, 48000}, {AV_CODEC_ID_AAC, 44100, 352000, 44100},
               {AV_CODEC_ID_VORBIS, 48000, 192000, 48000}, {AV_CODEC_ID_MP3, 11025, 80000, 44100}};
  for (const auto& r : rates) {
    int rate = r.rate;
    EXPECT_EQ(MCDefaultAudioBitRate(r.id, &rate), r.bitRate) << avcodec_get_name(r.id) << " " << r.rate;
    EXPECT_EQ(rate, r.rateAfter);
  }

  MCMuxerBase mkv;
  ASSERT_EQ(mkv.InitOutputFmt("/tmp/x.mkv", nullptr), 0);
  const MCDefaultCodecs d = mkv.GetDefaultCodecs();
  EXPECT_EQ(d.audio, AV_CODEC_ID_AAC);
  EXPECT_EQ(d.textSubtitle, AV_CODEC_ID_ASS);
  EXPECT_EQ(d.bitmapSubtitle, AV_CODEC_ID_DVD_SUBTITLE);

  MCMuxerBase flv;
  ASSERT_EQ(flv.InitOutputFmt("/tmp/x.flv", nullptr), 0);
  AVCodecParameters* par = avcodec_parameters_alloc();
  par->codec_type = AVMEDIA_TYPE_AUDIO;
  par->codec_id = AV_CODEC_ID_AAC;
  par->sample_rate = 48000;
  av_channel_layout_default(&par->ch_layout, 6);
  AVRational tb{1, 48000};
  EXPECT_EQ(flv.AddStream(par, &tb), 0);
  EXPECT_EQ(par->sample_rate, 44100);
  EXPECT_EQ(par->ch_layout.nb_channels, 2);
  avcodec_parameters_free(&par);

  MCMuxerBase none;
  EXPECT_EQ(none.InitOutputFmt(nullptr, nullptr), AVERROR(EINVAL));
  EXPECT_EQ(none.Error().function, "MCMuxerBase::InitOutputFmt");
  EXPECT_EQ(none.WriteTrailer(), AVERROR(EINVAL));
}

TEST(Muxer, OutputSizeEvenAndCodecOfTheRightType) {
  const std::string dir = mctest::MakeTempDir("muxer");
  const std::string video = dir + "/v.mp4";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i testsrc=d=1:s=160x120:r=25 -c:v libx264 -preset ultrafast '" + video + "'"));
  MCDeMuxerBase demuxer;
  ASSERT_EQ(demuxer.InitDeMuxer(video.c_str(), nullptr), 0);
  MCConvertParam p;
  p.width = 1279;
  p.height = 719;
  AVCodecParameters* out = nullptr;
  AVDictionary* opts = nullptr;
  AVRational tb{0, 1};
  AVStream* in = demuxer.Context()->streams[demuxer.videoIndex];
  ASSERT_EQ(MCGetOutputStreamParams(p, AV_CODEC_ID_H264, in, demuxer.Context(), &out, &opts, &tb), 0);
  EXPECT_EQ(out->width, 1278);
  EXPECT_EQ(out->height, 718);
  EXPECT_EQ(av_cmp_q(tb, AVRational{1, 25}), 0);
  EXPECT_STREQ(av_dict_get(opts, "crf", nullptr, 0)->value, "23");
  avcodec_parameters_free(&out);
  av_dict_free(&opts);
  // A codec of another media type cannot serve the stream.
  p.codecIds[AVMEDIA_TYPE_VIDEO] = AV_CODEC_ID_MP3;
  EXPECT_EQ(MCGetOutputStreamParams(p, AV_CODEC_ID_H264, in, demuxer.Context(), &out, &opts, &tb), AVERROR(EINVAL));
}

// Tags written by a conversion, as other programs read them (ffprobe) and
// as this library reads them back.
TEST(Muxer, TagsRoundTripAsUtf8InEveryContainer) {
  const std::string dir = mctest::MakeTempDir("tags");
  const std::string mp3 = dir + "/a.mp3";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=1 -c:a libmp3lame '" + mp3 + "'"));
  const std::wstring artist = L"\u6b4c\u624b \u00dcn\u00efc\u00f6d\u00e9";  // 歌手 Ünïcödé
  for (const char* ext : {"wav", "flac", "ogg"}) {
    const std::string out = dir + "/tagged." + ext;
    MCConvertParam p;
    p.tags.SetArtist(artist);
    p.tags.SetTitle(L"\u4e2d\u6587");
    MCMediaConvert job;
    ASSERT_EQ(job.Convert(mp3.c_str(), out.c_str(), p, nullptr), 0) << ext;
    auto facts = mctest::Probe(out);
    std::string seen;
    for (const auto& [key, value] : facts) {
      if (key.size() > 7 && strcasecmp(key.c_str() + key.size() - 7, ".artist") == 0) seen = value;
    }
    EXPECT_EQ(seen, "\xE6\xAD\x8C\xE6\x89\x8B \xC3\x9C" "n\xC3\xAF" "c\xC3\xB6" "d\xC3\xA9") << ext;
    std::unique_ptr<MCMedia> media(FFmpegFile().Open(out.c_str(), true, false));
    ASSERT_NE(media, nullptr) << ext;
    EXPECT_EQ(media->tags.GetArtist(L""), artist) << ext;
    EXPECT_EQ(media->tags.GetTitle(L""), L"\u4e2d\u6587") << ext;
  }
}

// Tag values of the first stream by upper-case key, as ffprobe reads them.
std::map<std::string, std::string> FirstStreamTags(const std::string& path) {
  std::map<std::string, std::string> tags;
  const std::string prefix = "streams.stream.0.tags.";
  for (const auto& [key, value] : mctest::Probe(path)) {
    if (key.compare(0, prefix.size(), prefix) != 0) continue;
    std::string name = key.substr(prefix.size());
    for (char& c : name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    tags[name] = value;
  }
  return tags;
}

TEST(Muxer, RotateTagLeavesTheOutputsSoundStream) {
  const std::string dir = mctest::MakeTempDir("rotate");
  // ffmpeg will not write a "rotate" tag itself: write another name of the
  // same length and put the name in afterwards.
  const std::string made = dir + "/made.mkv";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=1 -c:a flac -metadata:s:a:0 rotatx=90 -metadata:s:a:0 language=eng '" +
                             made + "'"));
  std::string bytes = mctest::ReadFile(made);
  const size_t at = bytes.find("ROTATX");
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, 6, "ROTATE");
  const std::string in = dir + "/turned.mkv";
  mctest::WriteFile(in, bytes);
  ASSERT_EQ(FirstStreamTags(in)["ROTATE"], "90");

  const std::string out = dir + "/out.mkv";
  MCMediaConvert job;
  ASSERT_EQ(job.Convert(in.c_str(), out.c_str(), MCConvertParam(), nullptr), 0) << job.GetErrorInfo().message;
  auto tags = FirstStreamTags(out);
  EXPECT_EQ(tags.count("ROTATE"), 0u);
  // The stream's other tags are still carried over.
  EXPECT_EQ(tags["LANGUAGE"], "eng");
}

AVCodecContext* AudioContext(int rate, AVSampleFormat format, int frameSize) {
  AVCodecContext* ctx = avcodec_alloc_context3(nullptr);
  ctx->codec_type = AVMEDIA_TYPE_AUDIO;
  ctx->sample_rate = rate;
  ctx->sample_fmt = format;
  ctx->frame_size = frameSize;
  av_channel_layout_default(&ctx->ch_layout, 2);
  return ctx;
}

AVFrame* Silence(int rate, int samples, int64_t pts) {
  AVFrame* f = av_frame_alloc();
  f->nb_samples = samples;
  f->format = AV_SAMPLE_FMT_S16;
  f->sample_rate = rate;
  av_channel_layout_default(&f->ch_layout, 2);
  av_frame_get_buffer(f, 0);
  av_samples_set_silence(f->extended_data, 0, samples, 2, AV_SAMPLE_FMT_S16);
  f->pts = pts;
  return f;
}

TEST(AudioConvert, FixedFramesResampledAndGapsFilled) {
  AVCodecContext* dec = AudioContext(22050, AV_SAMPLE_FMT_S16, 0);
  AVCodecContext* enc = AudioContext(44100, AV_SAMPLE_FMT_FLTP, 1152);
  MCAudioConvertBase conv{MCStreamSetup()};
  ASSERT_EQ(conv.Init(dec, enc, -1), 0);
  // 0.5 s of input with a 0.25 s hole in the middle.
  for (const auto& [pts, n] : std::vector<std::pair<int64_t, int>>{{0, 2756}, {8269, 2756}}) {
    AVFrame* f = Silence(22050, n, pts);
    ASSERT_EQ(conv.SendFrameConvert(f), 0);
    av_frame_free(&f);
  }
  conv.SignalEnd();
  AVFrame* out = av_frame_alloc();
  int64_t expected = 0, total = 0;
  int frames = 0, shortFrames = 0;
  while (conv.GetFrameConvert(out) == 0) {
    EXPECT_EQ(out->pts, expected);
    EXPECT_EQ(out->sample_rate, 44100);
    EXPECT_EQ(out->format, AV_SAMPLE_FMT_FLTP);
    if (out->nb_samples != 1152) ++shortFrames;
    expected += out->nb_samples;
    total += out->nb_samples;
    ++frames;
  }
  EXPECT_LE(shortFrames, 1);  // only the very last
  EXPECT_NEAR(total, (8269 + 2756) * 2, 64);  // the hole became silence
  av_frame_free(&out);
  avcodec_free_context(&dec);
  avcodec_free_context(&enc);
}

TEST(AudioConvert, TimestampJumpsFillAtMostTenSecondsOfSilence) {
  // A 60 s jump, and one whose length in samples does not fit an int.
  for (const int64_t jump : {int64_t{60} * 22050, int64_t{INT_MAX} + 4096}) {
    AVCodecContext* dec = AudioContext(22050, AV_SAMPLE_FMT_S16, 0);
    AVCodecContext* enc = AudioContext(44100, AV_SAMPLE_FMT_FLTP, 1152);
    MCAudioConvertBase conv{MCStreamSetup()};
    ASSERT_EQ(conv.Init(dec, enc, -1), 0);
    int64_t total = 0;
    auto drain = [&] {
      AVFrame* out = av_frame_alloc();
      while (conv.GetFrameConvert(out) == 0) total += out->nb_samples;
      av_frame_free(&out);
    };
    for (const int64_t pts : {int64_t{0}, 2756 + jump}) {
      AVFrame* f = Silence(22050, 2756, pts);
      EXPECT_EQ(conv.SendFrameConvert(f), 0) << jump;
      av_frame_free(&f);
      drain();
    }
    conv.SignalEnd();
    drain();
    // Both frames plus ten seconds of silence, at twice the rate.
    EXPECT_NEAR(total, (2 * 2756 + 10 * 22050) * 2, 64) << jump;
    avcodec_free_context(&dec);
    avcodec_free_context(&enc);
  }
}

TEST(VideoConvert, GraphFollowsTheStreamSettings) {
  AVCodecContext* dec = avcodec_alloc_context3(nullptr);
  dec->width = 160;
  dec->height = 120;
  dec->pix_fmt = AV_PIX_FMT_YUV420P;
  dec->pkt_timebase = {1, 25};
  AVCodecContext* enc = avcodec_alloc_context3(nullptr);
  enc->width = 96;
  enc->height = 96;
  enc->pix_fmt = AV_PIX_FMT_YUV420P;
  enc->framerate = {25, 1};
  MCStreamSetup setup;
  setup.rotation = 90;
  setup.speed = 2.0;
  MCImageConvertBase conv(setup);
  ASSERT_EQ(conv.Init(dec, enc, -1), 0) << conv.error_.message;
  const std::string graph = conv.Graph()->Describe();
  EXPECT_NE(graph.find("transpose=transpose"), std::string::npos) << graph;
  EXPECT_NE(graph.find("setpts=setpts"), std::string::npos) << graph;
  // Letterbox: 120x160 turned picture fitted into 96x96, then padded.
  EXPECT_NE(graph.find("=scale;"), std::string::npos) << graph;
  EXPECT_NE(graph.find("=pad;"), std::string::npos) << graph;
  EXPECT_EQ(MCEscapeFilterArg("C:\\subs\\a.srt"), "C\\:\\\\subs\\\\a.srt");
  EXPECT_EQ(MCEscapeFilterArg("it's"), "it\\'s");
  avcodec_free_context(&dec);
  avcodec_free_context(&enc);
}

// Users name files "Rock'n'roll.srt" or "a: b.png": the filters that open
// a file must find it whatever its name holds.
TEST(VideoConvert, FilterFilesOpenWhateverTheirNames) {
  const std::string dir = mctest::MakeTempDir("names");
  const std::string picture = dir + "/it's a: mark\\1.png";
  const std::string subtitles = dir + "/Rock'n'roll: live.srt";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=c=red:s=32x32 -frames:v 1 \"" + picture + "\""));
  mctest::WriteFile(subtitles, "1\n00:00:00,000 --> 00:00:01,000\nhello\n\n");
  AVCodecContext* dec = avcodec_alloc_context3(nullptr);
  dec->width = 160;
  dec->height = 120;
  dec->pix_fmt = AV_PIX_FMT_YUV420P;
  dec->pkt_timebase = {1, 25};
  AVCodecContext* enc = avcodec_alloc_context3(nullptr);
  enc->width = 160;
  enc->height = 120;
  enc->pix_fmt = AV_PIX_FMT_YUV420P;
  enc->framerate = {25, 1};
  MCStreamSetup setup;
  setup.watermark = true;
  setup.watermarkPath = picture;
  setup.subtitlePath = subtitles;
  MCImageConvertBase conv(setup);
  EXPECT_EQ(conv.Init(dec, enc, -1), 0) << conv.error_.message;
  const std::string graph = conv.Graph() ? conv.Graph()->Describe() : std::string();
  EXPECT_NE(graph.find("overlay"), std::string::npos) << graph;
  EXPECT_NE(graph.find("subtitles"), std::string::npos) << graph;
  avcodec_free_context(&dec);
  avcodec_free_context(&enc);
}

// Reversing a frame turns its samples around while every sample keeps its
// channel, packed or planar, whatever the sample width.
TEST(ReversePlayback, FrameSamplesReversedPerChannel) {
  for (AVSampleFormat format : {AV_SAMPLE_FMT_S16, AV_SAMPLE_FMT_FLT, AV_SAMPLE_FMT_S64, AV_SAMPLE_FMT_S16P,
                                AV_SAMPLE_FMT_FLTP, AV_SAMPLE_FMT_S64P}) {
    SCOPED_TRACE(av_get_sample_fmt_name(format));
    AVFrame* frame = av_frame_alloc();
    frame->format = format;
    frame->nb_samples = 5;
    av_channel_layout_default(&frame->ch_layout, 2);
    ASSERT_EQ(av_frame_get_buffer(frame, 0), 0);
    const int width = av_get_bytes_per_sample(format);
    const bool planar = av_sample_fmt_is_planar(format);
    // Sample i of channel c gets the byte pattern 16 * c + i in every byte.
    auto at = [&](int c, int i) {
      return planar ? frame->data[c] + static_cast<size_t>(i) * width
                    : frame->data[0] + (static_cast<size_t>(i) * 2 + c) * width;
    };
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < 5; ++i) std::memset(at(c, i), 16 * c + i, width);
    MCReverseAudioFrame(frame);
    for (int c = 0; c < 2; ++c) {
      for (int i = 0; i < 5; ++i) {
        const uint8_t* sample = at(c, i);
        for (int b = 0; b < width; ++b) EXPECT_EQ(sample[b], 16 * c + (4 - i)) << "channel " << c << " sample " << i;
      }
    }
    av_frame_free(&frame);
  }
}

struct RecordingHook : IStateMachineHook {
  std::vector<std::pair<int, int>> seen;
  bool stopAtOnce = false;
  int StatePrepare(MCStateMachine* m) override {
    seen.emplace_back(m->previous, m->current);
    if (stopAtOnce) m->current = kStateDone;
    return 0;
  }
};

TEST(StateMachine, HookSeesEveryStepAndCanEndTheRun) {
  const std::string dir = mctest::MakeTempDir("machine");
  const std::string in = dir + "/in.wav";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=0.2 '" + in + "'"));
  MCConvertParam p;
  {
    MCStateMachine m(&p, in, dir + "/out.wav");
    RecordingHook hook;
    hook.stopAtOnce = true;
    m.SetHook(&hook);
    EXPECT_EQ(m.Run(), 0);
    ASSERT_EQ(hook.seen.size(), 1u);
    EXPECT_EQ(hook.seen[0], std::make_pair(int(kStateError), int(kStateInit)));
    EXPECT_FALSE(mctest::FileExists(dir + "/out.wav"));
  }
  {
    MCStateMachine m(&p, in, dir + "/out2.wav");
    RecordingHook hook;
    m.SetHook(&hook);
    EXPECT_EQ(m.Run(), 0);
    EXPECT_EQ(hook.seen.back().second, kStateDone);
    EXPECT_EQ(hook.seen[1], std::make_pair(int(kStateInit), int(kStateDeMux)));
    const size_t steps = hook.seen.size();
    EXPECT_EQ(m.Run(), 0);  // a finished machine only answers again
    EXPECT_EQ(hook.seen.size(), steps + 1);
    m.current = 42;
    EXPECT_THROW(m.Run(), std::out_of_range);
  }
  {
    // Init fails: Error, then done, with the component's record.
    MCStateMachine m(&p, dir + "/missing.wav", dir + "/out3.wav");
    EXPECT_LT(m.Run(), 0);
    EXPECT_EQ(m.error.function, "MCDeMuxerBase::InitDeMuxer");
    EXPECT_EQ(m.current, kStateDone);
  }
}

TEST(DeMuxer, OptionsConsumedAndCoverFromAnyStream) {
  const std::string dir = mctest::MakeTempDir("demux");
  const std::string cover = dir + "/c.png";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i testsrc=s=32x32 -frames:v 1 '" + cover + "'"));
  const std::string mp3 = dir + "/c.mp3";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=0.5 -i '" + cover +
                             "' -map 0 -map 1 -c:a libmp3lame -c:v png -disposition:v attached_pic '" + mp3 + "'"));
  MCDeMuxerBase demuxer;
  AVDictionary* opts = nullptr;
  av_dict_set(&opts, "scan_all_pmts", "0", 0);
  ASSERT_EQ(demuxer.InitDeMuxer(mp3.c_str(), &opts), 0);
  EXPECT_EQ(opts, nullptr);
  AVPacket* pkt = av_packet_alloc();
  ASSERT_EQ(demuxer.GetAttachedPic(pkt), 0);
  EXPECT_GT(pkt->size, 0);
  int packets = 0;
  while (demuxer.GetStreamPacket(pkt) == 0) ++packets;
  EXPECT_GT(packets, 10);
  EXPECT_EQ(demuxer.Error().code, AVERROR_EOF);
  EXPECT_TRUE(demuxer.Error().message.empty());  // end of file is no error
  av_packet_free(&pkt);

  MCDeMuxerBase nothing;
  EXPECT_EQ(nothing.InitDeMuxer(nullptr, nullptr), AVERROR(EINVAL));
  AVPacket* empty = av_packet_alloc();
  EXPECT_EQ(nothing.GetStreamPacket(empty), 0);
  EXPECT_EQ(empty->size, 0);
  av_packet_free(&empty);
}

TEST(BackgroundSound, ShortBackgroundLoopsUnderTheMainSound) {
  const std::string dir = mctest::MakeTempDir("music");
  const std::string main = dir + "/main.wav";
  const std::string music = dir + "/music.wav";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=frequency=300:d=2 -ac 2 '" + main + "'"));
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=frequency=900:d=0.3 -ac 2 '" + music + "'"));
  MCConvertParam p;
  p.stream.musicPath = music;
  p.stream.musicVolume = 0.5;
  const std::string out = dir + "/mixed.flac";
  MCMediaConvert job;
  ASSERT_EQ(job.Convert(main.c_str(), out.c_str(), p, nullptr), 0) << job.GetErrorInfo().message;
  auto facts = mctest::Probe(out);
  EXPECT_NEAR(std::atof(facts["format.duration"].c_str()), 2.0, 0.1);
  EXPECT_TRUE(mctest::DecodesCleanly(out));

  // A background file without sound fails the conversion.
  const std::string picture = dir + "/p.png";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i testsrc=s=16x16 -frames:v 1 '" + picture + "'"));
  p.stream.musicPath = picture;
  MCMediaConvert failing;
  EXPECT_LT(failing.Convert(main.c_str(), (dir + "/bad.flac").c_str(), p, nullptr), 0);
  EXPECT_EQ(failing.GetErrorInfo().function, "MCAudioConvertBase::ConfigureFilter");
}

}  // namespace
