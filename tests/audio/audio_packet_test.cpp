// The packet record: block durations and silent blocks.
#include "audio/AudioPacket.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(AudioPacket, BlockDurationIsTruncatedWholeMilliseconds) {
    struct Case { int frames, rate, ms; } cases[] = {
        {480, 48000, 10}, {441, 44100, 10}, {320, 32000, 10}, {160, 16000, 10},
        {80, 8000, 10},   {220, 22050, 9},  {110, 11025, 9},  {441, 0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(PacketMilliseconds(c.frames, c.rate), c.ms) << c.frames << "@" << c.rate;
}

TEST(AudioPacket, SilentBlockHoldsFramesTimesChannelsZeros) {
    CAudioPacket p(441, 2, 44100, 10, 1);
    EXPECT_EQ(p.samples.size(), 882u);
    EXPECT_TRUE(std::all_of(p.samples.begin(), p.samples.end(), [](int16_t s) { return s == 0; }));
    EXPECT_EQ(p.frames, 441);
    EXPECT_EQ(p.channels, 2);
    EXPECT_EQ(p.rate, 44100);
    EXPECT_EQ(p.ms, 10);
    EXPECT_EQ(p.tag, 1);
}

TEST(AudioPacket, PartsAreMovedIn) {
    std::vector<int16_t> samples{1, -2, 3, -4};
    const int16_t* data = samples.data();
    CAudioPacket p(std::move(samples), 9, 2, 2, 22050, 0);
    EXPECT_EQ(p.samples.data(), data) << "the samples were copied, not moved";
    CAudioPacket moved(std::move(p));
    EXPECT_EQ(moved.samples, (std::vector<int16_t>{1, -2, 3, -4}));
    EXPECT_EQ(moved.ms, 9);
}

}  // namespace
