// Work collected over a run of deliveries and done once at its end, and the
// sample buffers that captured packets reuse.
#include "audio/AudioPacket.h"
#include "audio/SampleBufferPool.h"
#include "capture-host/DeliveryBatch.h"

#include <gtest/gtest.h>

#include <thread>

using capture_host::AfterDelivery;
using capture_host::DeliveryBatch;

namespace {

void Count(void* counter) { ++*static_cast<int*>(counter); }

TEST(DeliveryBatch, CallsAskedForInABatchRunOnceAtTheEndOfTheOutermost) {
    int first = 0, second = 0;
    {
        DeliveryBatch outer;
        for (int i = 0; i < 10; ++i) AfterDelivery(Count, &first);
        {
            DeliveryBatch inner;
            AfterDelivery(Count, &first);
            AfterDelivery(Count, &second);
        }
        EXPECT_EQ(first, 0);
        EXPECT_EQ(second, 0);
    }
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
    // Outside a batch, and in a batch of another thread, a call runs at once.
    AfterDelivery(Count, &first);
    EXPECT_EQ(first, 2);
    DeliveryBatch mine;
    std::thread([&] { AfterDelivery(Count, &second); }).join();
    EXPECT_EQ(second, 2);
}

TEST(SampleBufferPool, PacketsGiveTheirBuffersBackAndSilenceComesZeroed) {
    // Drain whatever earlier packets left, so the counts below are ours.
    std::vector<std::vector<int16_t>> held;
    while (PooledSampleBuffers() > 0) held.push_back(AcquireSampleBuffer(1));
    {
        CAudioPacket loud(AcquireSampleBuffer(882), 10, 441, 2, 44100, 1);
        std::fill(loud.samples.begin(), loud.samples.end(), int16_t(7));
        const int16_t* storage = loud.samples.data();
        loud = CAudioPacket();  // the old buffer goes back to the pool
        EXPECT_EQ(PooledSampleBuffers(), 1u);
        // The same storage comes out again, zeroed for silence.
        CAudioPacket silence(441, 2, 44100, 10, 0);
        EXPECT_EQ(silence.samples.data(), storage);
        EXPECT_EQ(silence.samples.size(), 882u);
        EXPECT_TRUE(std::all_of(silence.samples.begin(), silence.samples.end(), [](int16_t s) { return s == 0; }));
        // A packet whose samples were moved on gives nothing back.
        CAudioPacket taken(std::move(silence));
        EXPECT_EQ(PooledSampleBuffers(), 0u);
    }
    EXPECT_EQ(PooledSampleBuffers(), 1u);
    // The pool keeps a bounded number; the rest are freed.
    std::vector<std::vector<int16_t>> many(200, std::vector<int16_t>(16));
    for (auto& b : many) RecycleSampleBuffer(b);
    EXPECT_LT(PooledSampleBuffers(), 200u);
    EXPECT_GT(PooledSampleBuffers(), 1u);
}

}  // namespace
