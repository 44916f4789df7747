// Re-blocking whatever the server hands over into fixed blocks.
#include "capture-host/FrameReblocker.h"

#include <gtest/gtest.h>

#include <numeric>

using capture_host::FrameReblocker;

namespace {

// Feeds a running count 0, 1, 2, ... in chunks of the given byte sizes and
// checks that the blocks carry the same sequence, cut at block boundaries.
void CheckChunks(int channels, size_t frames, const std::vector<size_t>& chunkBytes) {
    FrameReblocker r(channels, frames);
    std::vector<short> source(10000);
    std::iota(source.begin(), source.end(), 0);
    const auto* bytes = reinterpret_cast<const uint8_t*>(source.data());
    size_t offset = 0;
    std::vector<short> out;
    for (size_t n : chunkBytes) {
        r.Append(bytes + offset, n);
        offset += n;
        r.Drain([&](const short* block) {
            out.insert(out.end(), block, block + frames * channels);
            return true;
        });
    }
    size_t blockSamples = frames * channels;
    size_t fed = offset / sizeof(short);
    ASSERT_EQ(out.size(), fed / blockSamples * blockSamples);
    for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], short(i));
    EXPECT_EQ(r.BufferedBytes(), offset - out.size() * sizeof(short));
}

TEST(FrameReblocker, CutsAnyChunkSizesIntoWholeBlocksInOrder) {
    struct Case { int channels; size_t frames; std::vector<size_t> chunks; } cases[] = {
        {2, 441, {1764, 1764, 1764}},              // exactly one block each
        {2, 441, {100, 3000, 2, 6000, 38}},       // odd sizes, even a split sample
        {1, 480, {4000, 4000, 4000}},             // several blocks in one chunk
        {6, 480, {5760 * 2 + 12}},                // two blocks and a frame left over
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << " channels, " << c.frames << " frames");
        CheckChunks(c.channels, c.frames, c.chunks);
    }
}

TEST(FrameReblocker, HolesBecomeSilenceAndAStoppedDrainKeepsTheRest) {
    FrameReblocker r(1, 4);
    short ones[6] = {1, 1, 1, 1, 1, 1};
    r.Append(ones, sizeof ones);
    r.AppendSilence(10 * sizeof(short));
    std::vector<std::vector<short>> blocks;
    r.Drain([&](const short* b) {
        blocks.emplace_back(b, b + 4);
        return blocks.size() < 2;  // take two, leave the rest
    });
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0], (std::vector<short>{1, 1, 1, 1}));
    EXPECT_EQ(blocks[1], (std::vector<short>{1, 1, 0, 0}));
    EXPECT_EQ(r.BufferedBytes(), 8 * sizeof(short));
    r.Clear();
    EXPECT_EQ(r.BufferedBytes(), 0u);
}

}  // namespace
