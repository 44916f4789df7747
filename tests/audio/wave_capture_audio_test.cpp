// The level picture of a real capture: a tone played into "speakers",
// recorded from its loopback twin and fed to the engine.
#include "audio/AudioRecoder.h"
#include "audio/AudioWaveRender.h"
#include "pulse_tools_helper.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

using namespace audio_test;
using namespace std::chrono_literals;

namespace {

constexpr int kWidth = 100;
constexpr int kHeight = 40;
constexpr Gdiplus::ARGB kOrange = 0xFFFF9623;

class EngineFeed : public IProcessCapture {
public:
    explicit EngineFeed(CAudioWaveRender& engine) : engine_(engine) {}
    int OnCapture(CAudioPacket& packet) override {
        engine_.PushCapture(packet);
        return 0;
    }

private:
    CAudioWaveRender& engine_;
};

Gdiplus::ARGB Pixel(Gdiplus::Bitmap& picture, int x, int y) {
    Gdiplus::Color colour;
    picture.GetPixel(x, y, &colour);
    return colour.GetValue();
}

// A half-scale column: about rows 10 to 29 filled (half the half-height on
// each side of row 20), nothing near the top or bottom.
bool HalfHeight(Gdiplus::Bitmap& p, int x) {
    for (int y = 12; y <= 27; ++y)
        if (Pixel(p, x, y) != kOrange) return false;
    for (int y : {0, 1, 2, 3, 4, 5, 6, 7, 8, 31, 32, 33, 34, 35, 36, 37, 38, 39})
        if (Pixel(p, x, y) >> 24) return false;
    return true;
}

bool Flat(Gdiplus::Bitmap& p, int x) {
    if (Pixel(p, x, 19) != kOrange) return false;
    for (int y = 0; y < kHeight; ++y)
        if (y != 19 && (Pixel(p, x, y) >> 24)) return false;
    return true;
}

// Half-height columns counted from the right edge.
int ToneRun(Gdiplus::Bitmap& p) {
    int n = 0;
    while (n < kWidth && HalfHeight(p, kWidth - 1 - n)) ++n;
    return n;
}

TEST(WaveCapture, ToneGivesHalfHeightColumnsEveryFiftyMillisecondsThenSilenceFlat) {
    CAudioWaveRender engine;
    EngineFeed feed(engine);
    CAudioRecoder rec;  // the default output's loopback twin
    rec.SetOutput(&feed, 1);
    ASSERT_EQ(rec.Start(), 0);
    engine.ResizeBitmap(kWidth, kHeight, rec.Device().GetChannels(), rec.Device().GetSampleRate() / 100);
    engine.StartThreads();

    auto tone = std::make_unique<TonePlayer>("speakers", 440, 0.5);
    ASSERT_TRUE(tone->Started());
    ASSERT_TRUE(Eventually([&] { return ToneRun(*engine.GetImage()) >= 3; }, 10s)) << "no half-height column came";
    const auto t0 = std::chrono::steady_clock::now();
    const int run0 = ToneRun(*engine.GetImage());
    std::this_thread::sleep_for(2s);
    const int run1 = ToneRun(*engine.GetImage());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    // One column per five 10 ms packets: 20 a second. A capture that
    // stalls for a moment catches up, so the average holds on a busy machine.
    const double perSecond = (run1 - run0) / seconds;
    EXPECT_GT(perSecond, 13) << run0 << " -> " << run1 << " columns in " << seconds << " s";
    EXPECT_LT(perSecond, 27) << run0 << " -> " << run1 << " columns in " << seconds << " s";

    tone.reset();
    EXPECT_TRUE(Eventually([&] {
        auto p = engine.GetImage();
        return Flat(*p, kWidth - 1) && Flat(*p, kWidth - 2) && Flat(*p, kWidth - 3);
    }, 10s)) << "silence did not flatten the newest columns";
    // The tone's columns moved left, still at their height.
    auto p = engine.GetImage();
    int tall = 0;
    for (int x = 0; x < kWidth - 3; ++x) tall += HalfHeight(*p, x);
    EXPECT_GE(tall, 30);
    engine.StopThreads();
    rec.Stop();
}

}  // namespace
