// Inputs that keep failing and subtitles that arrive without end times.
#include <gtest/gtest.h>

#include "media_files_helper.h"
#include "mediaconvert/MCMediaConvert.h"

namespace {

// A demuxer whose every read fails, as a damaged disk or network file would.
class FailingDeMuxer : public MCDeMuxerBase {
 public:
  int GetStreamPacket(AVPacket* packet) override {
    av_packet_unref(packet);
    ++reads;
    return AVERROR(EIO);
  }
  int reads = 0;
};

struct StepLimit : IStateMachineHook {
  int steps = 0;
  int StatePrepare(MCStateMachine* m) override {
    if (++steps > 100000) m->Abort();  // a guard for the test only
    return 0;
  }
};

TEST(InputFailures, ReadErrorsEndTheRunInsteadOfSpinning) {
  MCConvertParam p;
  MCStateMachine m(&p, "unused", "/tmp/unused.wav");
  auto* demuxer = new FailingDeMuxer();
  m.demuxer = demuxer;
  m.muxer = new MCMuxerBase();
  ASSERT_EQ(m.muxer->InitOutputFmt("/tmp/unused.wav", nullptr), 0);
  m.previous = kStateInit;
  m.current = kStateDeMux;
  StepLimit limit;
  m.SetHook(&limit);
  EXPECT_EQ(m.Run(), AVERROR(EIO));
  EXPECT_LT(limit.steps, 1000);
  EXPECT_GT(demuxer->reads, 1);  // retried a while first
  EXPECT_EQ(m.error.function, "MCDeMuxerBase::GetStreamPacket");
}

TEST(Subtitles, EachHandedOutWhenTheNextArrives) {
  const std::string dir = mctest::MakeTempDir("subs");
  const std::string srt = dir + "/a.srt";
  mctest::WriteFile(srt,
                    "1\n00:00:01,000 --> 00:00:02,000\none\n\n"
                    "2\n00:00:03,000 --> 00:00:04,000\ntwo\n\n"
                    "3\n00:00:05,000 --> 00:00:06,000\nthree\n\n");
  MCDeMuxerBase demuxer;
  ASSERT_EQ(demuxer.InitDeMuxer(srt.c_str(), nullptr), 0);
  ASSERT_GE(demuxer.subtitleIndex, 0);
  const AVStream* st = demuxer.Context()->streams[demuxer.subtitleIndex];
  MCDeCoderBase decoder;
  ASSERT_EQ(decoder.InitDeCoder(st->codecpar, st->time_base.num, st->time_base.den, nullptr), 0);
  AVPacket* pkt = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  std::vector<int> results;
  std::vector<int64_t> shown;
  auto receive = [&] {
    AVSubtitle sub{};
    const int rc = decoder.ReceiveFrame(frame, &sub);
    results.push_back(rc);
    if (rc == 0) {
      shown.push_back(sub.pts);
      avsubtitle_free(&sub);
    }
  };
  while (demuxer.GetStreamPacket(pkt) == 0) {
    decoder.SendPacket(pkt);
    receive();
  }
  decoder.SendPacket(pkt);  // empty: end of input
  receive();
  receive();
  EXPECT_EQ(results, (std::vector<int>{AVERROR(EAGAIN), 0, 0, 0, AVERROR_EOF}));
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_LT(shown[0], shown[1]);
  EXPECT_LT(shown[1], shown[2]);
  av_packet_free(&pkt);
  av_frame_free(&frame);
}

}  // namespace
