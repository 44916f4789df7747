// The level picture of made packets, read back pixel by pixel from a
// 100x40 picture: one column per batch of five packets, newest at the right.
#include "audio/AudioWaveRender.h"
#include "audio/LevelRing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kWidth = 100;
constexpr int kHeight = 40;
constexpr int kFrames = 480;  // 10 ms at 48 kHz
constexpr Gdiplus::ARGB kOrange = 0xFFFF9623;
constexpr Gdiplus::ARGB kGreen = 0xFF22F2B4;

// A square wave between `high` and `low` on channel 0; the other channels
// carry `others` (constant).
CAudioPacket Square(int channels, int high, int low, int others = 0) {
    std::vector<int16_t> samples(static_cast<size_t>(kFrames) * channels, static_cast<int16_t>(others));
    for (int f = 0; f < kFrames; ++f) samples[static_cast<size_t>(f) * channels] = static_cast<int16_t>(f % 2 ? low : high);
    return CAudioPacket(std::move(samples), 10, kFrames, channels, 48000, 1);
}
CAudioPacket Full(int channels = 2) { return Square(channels, 32767, -32768); }
CAudioPacket Half(int channels = 2) { return Square(channels, 16384, -16384); }
CAudioPacket Silent(int channels = 2) { return Square(channels, 0, 0); }

void Push(CAudioWaveRender& engine, const CAudioPacket& packet, int times) {
    for (int i = 0; i < times; ++i) engine.PushCapture(packet);
}

Gdiplus::ARGB Pixel(Gdiplus::Bitmap& picture, int x, int y) {
    Gdiplus::Color colour;
    picture.GetPixel(x, y, &colour);
    return colour.GetValue();
}

// Rows first..last (inclusive) of column x all `colour`.
bool Filled(Gdiplus::Bitmap& picture, int x, int first, int last, Gdiplus::ARGB colour = kOrange) {
    for (int y = first; y <= last; ++y)
        if (Pixel(picture, x, y) != colour) return false;
    return true;
}
bool Empty(Gdiplus::Bitmap& picture, int x, int first, int last) {
    for (int y = first; y <= last; ++y)
        if (Pixel(picture, x, y) >> 24 != 0) return false;
    return true;
}
bool Tall(Gdiplus::Bitmap& picture, int x, Gdiplus::ARGB colour = kOrange) {
    return Filled(picture, x, 0, kHeight - 1, colour);
}
// Silence: a one-pixel line just above the middle (row 20), nothing else.
bool Flat(Gdiplus::Bitmap& picture, int x) {
    return Filled(picture, x, 19, 19) && Empty(picture, x, 0, 18) && Empty(picture, x, 20, kHeight - 1);
}

std::string Describe(Gdiplus::Bitmap& picture, int firstColumn) {
    std::string out;
    for (int x = firstColumn; x < kWidth; ++x) {
        out += "column " + std::to_string(x) + ":";
        for (int y = 0; y < kHeight; ++y) {
            const Gdiplus::ARGB p = Pixel(picture, x, y);
            out += p == kOrange ? '#' : p == kGreen ? 'g' : (p >> 24) ? '+' : '.';
        }
        out += "\n";
    }
    return out;
}

struct PictureCase {
    const char* name;
    std::function<void(CAudioWaveRender&)> feed;  // runs while the threads are stopped
    std::function<bool(Gdiplus::Bitmap&)> shows;
};

// Everything is pushed while stopped, so a case sees its packets in order.
// Column i's levels sit at x = i: pixel column i is fully covered only when
// the next column has the same height (or i is the newest), so a tall
// column between flat ones shows as slopes, and these cases check tall
// pixel columns inside runs of loud ones.
const PictureCase kCases[] = {
    {"full scale fills the newest column top to bottom beside older lines",
     [](CAudioWaveRender& e) { Push(e, Full(), 6); },
     [](Gdiplus::Bitmap& p) { return Tall(p, 99) && Flat(p, 97) && Flat(p, 50) && Flat(p, 1); }},
    {"silence after a loud batch is a line above the middle, the lower edge on it",
     [](CAudioWaveRender& e) { Push(e, Full(), 10); Push(e, Silent(), 6); },
     [](Gdiplus::Bitmap& p) { return Tall(p, 97) && Flat(p, 99); }},
    {"half scale reaches half the half-height",
     [](CAudioWaveRender& e) { Push(e, Half(), 6); },
     [](Gdiplus::Bitmap& p) {
         return Filled(p, 99, 11, 28) && Empty(p, 99, 0, 8) && Empty(p, 99, 31, kHeight - 1) && Flat(p, 97);
     }},
    {"two to one channel keeps the newest columns, channel 0 of each",
     [](CAudioWaveRender& e) { Push(e, Square(2, 32767, -32768, 0), 15); Push(e, Silent(1), 6); },
     [](Gdiplus::Bitmap& p) {
         return Flat(p, 94) && Tall(p, 96) && Tall(p, 97) && Flat(p, 99);
     }},
    {"the channel that is not drawn does not show",
     [](CAudioWaveRender& e) { Push(e, Full(), 5); Push(e, Square(2, 0, 0, 32767), 6); },
     [](Gdiplus::Bitmap& p) { return (Pixel(p, 98, 1) >> 24) != 0 && Flat(p, 99); }},
    {"150 packets while stopped leave the newest 50: nine columns",
     [](CAudioWaveRender& e) { Push(e, Half(), 100); Push(e, Full(), 50); },
     [](Gdiplus::Bitmap& p) {
         for (int x = 91; x < kWidth; ++x)
             if (!Tall(p, x)) return false;
         return Flat(p, 89);
     }},
    {"channel brush 0 turns the fill green",
     [](CAudioWaveRender& e) { e.SetChannelBrush(0); Push(e, Full(), 6); },
     [](Gdiplus::Bitmap& p) { return Tall(p, 99, kGreen) && Filled(p, 50, 19, 19, kGreen); }},
    {"channel brush 3 changes nothing drawn",
     [](CAudioWaveRender& e) { e.SetChannelBrush(3); Push(e, Full(), 6); },
     [](Gdiplus::Bitmap& p) { return Tall(p, 99) && Flat(p, 50); }},
};

class WavePicture : public ::testing::TestWithParam<PictureCase> {};

TEST_P(WavePicture, Shows) {
    const PictureCase& c = GetParam();
    CAudioWaveRender engine;
    engine.ResizeBitmap(kWidth, kHeight, 2, kFrames);
    c.feed(engine);
    engine.StartThreads();
    // The threads publish within milliseconds; a loaded machine gets seconds.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::shared_ptr<Gdiplus::Bitmap> picture;
    bool shown = false;
    while (!shown && std::chrono::steady_clock::now() < limit) {
        picture = engine.GetImage();
        ASSERT_TRUE(picture);
        shown = c.shows(*picture);
        if (!shown) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    engine.StopThreads();
    // '#' orange, 'g' green, '+' another colour, '.' transparent.
    EXPECT_TRUE(shown) << c.name << "\n" << Describe(*picture, 85);
}

INSTANTIATE_TEST_SUITE_P(Cases, WavePicture, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PictureCase>& info) {
                             return "case" + std::to_string(info.index);
                         });

TEST(WaveEngine, NewPictureIsTheBackgroundWithASilentLineAndSurvivesStop) {
    CAudioWaveRender engine;
    EXPECT_FALSE(engine.GetImage());
    engine.SetBackground(0xFF000000);
    engine.ResizeBitmap(kWidth, kHeight, 2, kFrames);
    auto picture = engine.GetImage();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->GetWidth(), static_cast<UINT>(kWidth));
    EXPECT_EQ(picture->GetHeight(), static_cast<UINT>(kHeight));
    EXPECT_EQ(Pixel(*picture, 10, 19), kOrange);
    EXPECT_EQ(Pixel(*picture, 10, 5), 0xFF000000u);
    engine.StartThreads();
    engine.StopThreads();
    EXPECT_EQ(engine.GetImage(), picture) << "stopping replaced the picture";
}

TEST(WaveEngine, ClearLevelsFlattensTheHistory) {
    CAudioWaveRender engine;
    engine.ResizeBitmap(kWidth, kHeight, 2, kFrames);
    Push(engine, Full(), 6);
    engine.StartThreads();
    ASSERT_TRUE([&] {
        for (int i = 0; i < 1000; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10)))
            if (Tall(*engine.GetImage(), 99)) return true;
        return false;
    }());
    engine.StopThreads();
    engine.ClearLevels();
    engine.ResizeBitmap(kWidth, kHeight, 2, kFrames);  // redraws and publishes
    EXPECT_TRUE(Flat(*engine.GetImage(), 99));
}

TEST(WaveEngine, ResizeWhileRunningWaitsForTheRedrawInsteadOfPullingTheBitmap) {
    CAudioWaveRender engine;
    engine.ResizeBitmap(kWidth, kHeight, 2, kFrames);
    engine.StartThreads();
    std::atomic<bool> stop{false};
    std::thread feeder([&] {
        while (!stop.load()) engine.PushCapture(Full());
    });
    for (int i = 0; i < 200; ++i) engine.ResizeBitmap(kWidth - i % 7, kHeight + i % 5, 2, kFrames);
    stop = true;
    feeder.join();
    engine.StopThreads();
    auto picture = engine.GetImage();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->GetWidth(), static_cast<UINT>(kWidth - 199 % 7));
}

TEST(LevelRing, WritesWrapAndLinearizeOldestFirst) {
    CLevelRing ring;
    ring.Reset(3);
    std::vector<LevelEntry> in;
    for (int i = 1; i <= 5; ++i) in.push_back({-i, i});
    ring.Write(in.data(), 2);
    ring.Write(in.data() + 2, 3);  // 1..5 into 3: 3, 4, 5 remain
    auto out = ring.Linearize();
    EXPECT_EQ(out[0].max, 3);
    EXPECT_EQ(out[1].max, 4);
    EXPECT_EQ(out[2].max, 5);
    ring.Resize(2);
    out = ring.Linearize();
    EXPECT_EQ(out[0].max, 4);
    EXPECT_EQ(out[1].max, 5);
    ring.Resize(4);
    out = ring.Linearize();
    EXPECT_EQ(out[0].max, 0);
    EXPECT_EQ(out[1].max, 0);
    EXPECT_EQ(out[2].min, -4);
    EXPECT_EQ(out[3].min, -5);
    ring.Reset(0);
    ring.Write(in.data(), 5);  // nothing to write into
    EXPECT_FALSE(ring.Linearize());
}

TEST(WaveEngine, ReductionKeepsEachChannelsExtremes) {
    std::deque<std::unique_ptr<CAudioPacket>> batch;
    batch.push_back(std::make_unique<CAudioPacket>(std::vector<int16_t>{5, -7, -3, 9}, 0, 2, 2, 48000, 1));
    batch.push_back(std::make_unique<CAudioPacket>(std::vector<int16_t>{-20, 1, 2}, 0, 3, 1, 48000, 1));
    auto levels = CAudioWaveRender::ReduceBatch(batch);
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[0].min, -20);
    EXPECT_EQ(levels[0].max, 5);
    EXPECT_EQ(levels[1].min, -7);
    EXPECT_EQ(levels[1].max, 9);
}

}  // namespace
