// The level picture engine under ThreadSanitizer: a capture thread pushing,
// the engine's two threads reducing and redrawing, and the user-interface
// side resizing, changing brushes, reading the picture and restarting.
#include "audio/AudioWaveRender.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(WaveEngineThreads, PushRedrawResizeAndRestartRunTogether) {
    CAudioWaveRender engine;
    engine.ResizeBitmap(120, 40, 2, 480);
    engine.StartThreads();
    std::atomic<bool> stop{false};
    std::atomic<long> pushed{0};
    std::thread capture([&] {
        std::vector<int16_t> samples(960);
        for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i % 2 ? -20000 : 20000);
        const CAudioPacket packet(std::move(samples), 10, 480, 2, 48000, 1);
        while (!stop.load()) {
            engine.PushCapture(packet);
            ++pushed;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    for (int round = 0; round < 60; ++round) {
        auto picture = engine.GetImage();
        ASSERT_TRUE(picture);
        Gdiplus::Color colour;
        picture->GetPixel(static_cast<int>(picture->GetWidth()) - 1, 19, &colour);
        if (round % 10 == 3) engine.SetChannelBrush(round % 12);
        if (round % 10 == 6) {
            engine.StopThreads();
            engine.ResizeBitmap(100 + round, 30 + round % 20, 1 + round % 2, 480);
            engine.ClearLevels();
            engine.StartThreads();
        }
        if (round % 10 == 8) engine.ResizeBitmap(90 + round, 40, 2, 480);  // while running
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    stop = true;
    capture.join();
    engine.StopThreads();
    EXPECT_GT(pushed.load(), 50);
    auto picture = engine.GetImage();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->GetWidth(), 90u + 58u);
}
