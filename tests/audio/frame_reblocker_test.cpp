// Re-blocking whatever the server hands over into fixed blocks.
#include "capture-host/FrameReblocker.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

using capture_host::FrameReblocker;

namespace {

// Feeds a running count 0, 1, 2, ... in chunks of the given byte sizes and
// checks that the blocks carry the same sequence, cut at block boundaries.
// With `feed`, through Feed (blocks read where they lie) instead of Append
// and Drain; `skew` offsets the source by a byte, so that no chunk is
// aligned for reading in place.
void CheckChunks(int channels, size_t frames, const std::vector<size_t>& chunkBytes, bool feed = false,
                 size_t skew = 0) {
    FrameReblocker r(channels, frames);
    std::vector<short> counting(10000);
    std::iota(counting.begin(), counting.end(), 0);
    std::vector<uint8_t> storage(counting.size() * sizeof(short) + 1);
    std::memcpy(storage.data() + skew, counting.data(), counting.size() * sizeof(short));
    const uint8_t* bytes = storage.data() + skew;
    size_t offset = 0;
    std::vector<short> out;
    for (size_t n : chunkBytes) {
        auto deliver = [&](const short* block) {
            out.insert(out.end(), block, block + frames * channels);
            return true;
        };
        if (feed) {
            r.Feed(bytes + offset, n, deliver);
        } else {
            r.Append(bytes + offset, n);
            r.Drain(deliver);
        }
        offset += n;
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
        CheckChunks(c.channels, c.frames, c.chunks, true);
        CheckChunks(c.channels, c.frames, c.chunks, true, 1);
    }
}

TEST(FrameReblocker, FeedReadsWholeBlocksInPlaceAndStopsWhereTold) {
    FrameReblocker r(1, 4);
    short chunk[14];
    std::iota(chunk, chunk + 14, 1);
    std::vector<const short*> where;
    r.Feed(chunk, 2 * sizeof(short), [&](const short* b) { where.push_back(b); return true; });
    EXPECT_TRUE(where.empty());
    // Two samples complete the first block (through the buffer); the next
    // two blocks are read where they lie; the third is refused: the rest of
    // the chunk waits, as a stopped Drain leaves it.
    r.Feed(chunk + 2, 12 * sizeof(short), [&](const short* b) {
        where.push_back(b);
        return where.size() < 3;
    });
    ASSERT_EQ(where.size(), 3u);
    EXPECT_EQ(where[1], chunk + 4);
    EXPECT_EQ(where[2], chunk + 8);
    EXPECT_EQ(r.BufferedBytes(), 2 * sizeof(short));
    std::vector<short> next;
    r.Feed(chunk, 2 * sizeof(short), [&](const short* b) { next.assign(b, b + 4); return true; });
    EXPECT_EQ(next, (std::vector<short>{13, 14, 1, 2}));
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
