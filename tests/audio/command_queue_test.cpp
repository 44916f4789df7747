#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "audio/CmdQueue.h"
#include "base/DebugStr.h"

namespace {

std::shared_ptr<ICmd> Volume(int n) { return std::make_shared<CCmdProcessSetVolume>(1, n); }

int VolumeOf(const std::shared_ptr<ICmd>& c) {
    return static_cast<CCmdProcessSetVolume&>(*c).volume;
}

TEST(CommandQueue, TakeAllReturnsPushOrderAndEmpties) {
    CCmdQueue q;
    q.SetCapacity(1000);
    for (int i = 0; i < 999; ++i) q.Push(Volume(i));
    CCmdQueue::Commands all = q.TakeAll();
    ASSERT_EQ(all.size(), 999u);
    for (int i = 0; i < 999; ++i) EXPECT_EQ(VolumeOf(all[i]), i);
    EXPECT_TRUE(q.TakeAll().empty());
    EXPECT_EQ(q.DroppedCount(), 0);
}

TEST(CommandQueue, OverflowDropsOnlyTheOldestAndLogsIt) {
    std::wstring log;
    base::SetDebugSink([&log](const std::wstring& text) { log += text; });
    CCmdQueue q;
    q.SetCapacity(1000);
    for (int i = 0; i < 1003; ++i) q.Push(Volume(i));
    base::SetDebugSink(nullptr);
    CCmdQueue::Commands all = q.TakeAll();
    ASSERT_EQ(all.size(), 1000u);
    EXPECT_EQ(VolumeOf(all.front()), 3);
    EXPECT_EQ(VolumeOf(all.back()), 1002);
    EXPECT_EQ(q.DroppedCount(), 3);
    EXPECT_NE(log.find(L"dropped"), std::wstring::npos);
}

TEST(CommandQueue, DroppedAndClearedCommandsFreeTheirPackets) {
    auto packet = std::make_unique<CAudioPacket>(441, 2, 44100, 10, 1);
    std::weak_ptr<ICmd> watch;
    CCmdQueue q;
    q.SetCapacity(1);
    {
        auto cmd = std::make_shared<CCmdProcessCapture>(1, std::move(packet));
        watch = cmd;
        q.Push(cmd);
    }
    EXPECT_FALSE(watch.expired());
    q.Push(Volume(1));  // pushes the capture out
    EXPECT_TRUE(watch.expired());

    auto cmd = std::make_shared<CCmdProcessCapture>(0, std::make_unique<CAudioPacket>());
    watch = cmd;
    q.SetCapacity(10);
    q.Push(std::move(cmd));
    q.Clear();
    EXPECT_TRUE(watch.expired());
    EXPECT_TRUE(q.TakeAll().empty());
}

TEST(CommandQueue, CommandTypesAndDefaults) {
    CCmdProcessCapture capture;
    CCmdProcessSetVolume volume;
    EXPECT_EQ(capture.type(), 1);
    EXPECT_EQ(capture.key, 1);
    EXPECT_EQ(capture.packet, nullptr);
    EXPECT_EQ(volume.type(), 2);
    EXPECT_EQ(volume.volume, 1000);
    EXPECT_EQ(CCmdFlushImg().type(), 3);
}

}  // namespace
