// The capture queue under a worker that falls behind.
#include "audio/PacketQueue.h"

#include <gtest/gtest.h>

namespace {

CAudioPacket Numbered(int n) { return CAudioPacket(std::vector<int16_t>{int16_t(n)}, 10, 1, 1, 100, 0); }

TEST(PacketQueue, OverflowDropsOnlyTheOldestAndCountsThem) {
    CPacketQueue q;
    q.SetCapacity(100);
    for (int i = 1; i <= 150; ++i) q.Push(Numbered(i));
    long dropped = -1;
    auto packets = q.TakeAll(&dropped);
    ASSERT_EQ(packets.size(), 100u);
    EXPECT_EQ(packets.front().samples[0], 51);
    EXPECT_EQ(packets.back().samples[0], 150);
    for (size_t i = 1; i < packets.size(); ++i) EXPECT_EQ(packets[i].samples[0], packets[i - 1].samples[0] + 1);
    EXPECT_EQ(dropped, 50);

    q.Push(Numbered(151));
    packets = q.TakeAll(&dropped);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(dropped, 0) << "the loss is reported once";
}

TEST(PacketQueue, ClearEmptiesAndForgetsTheLoss) {
    CPacketQueue q;
    q.SetCapacity(2);
    for (int i = 0; i < 5; ++i) q.Push(Numbered(i));
    q.Clear();
    long dropped = -1;
    EXPECT_TRUE(q.TakeAll(&dropped).empty());
    EXPECT_EQ(dropped, 0);
}

}  // namespace
