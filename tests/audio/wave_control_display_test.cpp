// The waveform control in a real window, monitoring the test daemon's
// devices: what a person sees of it, read back from the screen. A tone
// played into "speakers" reaches the speaker control through the sink's
// loopback twin; the microphone is a silent null source.
// The engine's headers first: Xlib's macros (Status, None) would break them.
#include "audio/CaptureDeviceMatch.h"
#include "audio/SCtrlAudio.h"
#include "audio/SwndNotifyHost.h"
#include "../oriel/OrielTestApp.h"
#include "../oriel/SwndWindowHost.h"
#include "pulse_tools_helper.h"
#include "../platform-display/display_helper.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <memory>

using namespace audio_test;

namespace {

constexpr int kX = 220, kY = 140;
constexpr int kW = 100, kH = 40;          // each control
constexpr int kMicTop = 50;               // the microphone control's top
constexpr unsigned long kBackground = 0x203040;
constexpr unsigned long kOrange = 0xFF9623, kMint = 0x22F2B4;
constexpr int kTallRow = 13;              // inside a half-scale column, outside a flat one
constexpr int kFlatRow = 19;              // the flat line of silence
// The envelope's first column is edged by the smoothing: whole lines count
// from the second.

// One screen read of a control's rectangle.
class Shot {
 public:
  Shot(int left, int top, int width, int height) : w_(width), h_(height) {
    image_ = XGetImage(userDisplay(), DefaultRootWindow(userDisplay()), kX + left, kY + top, width, height, AllPlanes,
                       ZPixmap);
  }
  ~Shot() {
    if (image_) XDestroyImage(image_);
  }
  unsigned long At(int x, int y) const { return image_ ? XGetPixel(image_, x, y) & 0xFFFFFF : 0; }
  // The rightmost column drawn tall, -1 when none.
  int TallEdge() const {
    for (int x = w_ - 1; x >= 0; --x)
      if (At(x, kTallRow) == kOrange) return x;
    return -1;
  }
  int CountAt(int y, unsigned long colour) const {
    int n = 0;
    for (int x = 0; x < w_; ++x) n += At(x, y) == colour;
    return n;
  }
  bool AllBackground() const {
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        if (At(x, y) != kBackground) return false;
    return true;
  }

 private:
  int w_, h_;
  XImage* image_ = nullptr;
};

class WaveControlDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    RegisterAudioWaveClass();
    host = new SwndWindowHost(kX, kY, 200, 100);
    host->CreateChildrenFromString(
        L"<audioWave name='wave_speaker' pos='0,0,100,40' colorBkgnd='#203040'/>"
        L"<audioWave name='wave_mic' pos='0,50,100,90' colorBkgnd='#203040'/>");
    ShowWindow(host->Hwnd(), SW_SHOWNA);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    speaker = host->FindChildByName2<SCtrlAudio>(L"wave_speaker");
    mic = host->FindChildByName2<SCtrlAudio>(L"wave_mic");
    ASSERT_NE(speaker, nullptr);
    ASSERT_NE(mic, nullptr);
    speaker->Monitor().SetName(kDeviceOutDefault);
    speaker->Monitor().SetLoopback(1);
    mic->Monitor().SetName(kDeviceInDefault);
    mic->Monitor().SetLoopback(0);
    for (int slot = 0; slot < 8; ++slot) mic->SetChannelBrush(slot, 0xFF000000);
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(2);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  static std::string Row(const Shot& s, int y) {
    std::string out;
    char buf[16];
    for (int x = 0; x < kW; ++x) {
      snprintf(buf, sizeof buf, "%06lx ", s.At(x, y));
      out += buf;
    }
    return out;
  }
  Shot SpeakerShot() { return Shot(0, 0, kW, kH); }
  Shot MicShot() { return Shot(0, kMicTop, kW, kH); }
  // Pumps until the speaker control shows a run of tall columns at its
  // right edge.
  bool ToneOnScreen() {
    return pumpUntil([&] { return SpeakerShot().At(kW - 1, kTallRow) == kOrange; }, 10000);
  }

  SwndWindowHost* host = nullptr;
  SCtrlAudio* speaker = nullptr;
  SCtrlAudio* mic = nullptr;
};

TEST_F(WaveControlDisplayTest, ANeverStartedControlShowsOnlyItsBackgroundAndCostsNothing) {
  ASSERT_TRUE(pumpUntil([&] { return SpeakerShot().AllBackground() && MicShot().AllBackground(); }));
  const int blits = host->blits;
  pumpFor(300);
  EXPECT_EQ(host->blits, blits);
  EXPECT_EQ(speaker->GetConvertCount(), 0);
  EXPECT_TRUE(speaker->IsClass(L"audioWave"));
  EXPECT_TRUE(speaker->IsClass(L"window"));
  EXPECT_EQ(speaker->GetObjectType(), 1);
}

TEST_F(WaveControlDisplayTest, ToneThenSilenceMovesTheEdgeLeftInTheBrushesColours) {
  speaker->StartMonitor();
  mic->StartMonitor();
  ASSERT_TRUE(speaker->IsMonitoring());
  EXPECT_EQ(speaker->GetState(), SCtrlAudio::kStateMonitoring);
  // The microphone is silent: a flat line in the channel colour.
  ASSERT_TRUE(pumpUntil([&] { return MicShot().CountAt(kFlatRow, kMint) >= kW - 1; }))
      << Row(MicShot(), kFlatRow);
  EXPECT_EQ(MicShot().CountAt(kTallRow, kMint), 0);

  auto tone = std::make_unique<TonePlayer>("speakers", 440, 0.5);
  ASSERT_TRUE(tone->Started());
  ASSERT_TRUE(ToneOnScreen()) << std::hex << SpeakerShot().At(kW - 1, kTallRow);
  pumpFor(600);  // a run of tall columns
  tone.reset();
  // Silence reaches the right edge; the tall run then travels left.
  ASSERT_TRUE(pumpUntil([&] {
    Shot s = SpeakerShot();
    return s.At(kW - 1, kTallRow) == kBackground && s.At(kW - 1, kFlatRow) == kOrange && s.TallEdge() >= 60 &&
           s.TallEdge() < kW - 3;
  }, 10000)) << SpeakerShot().TallEdge();
  const auto t1 = std::chrono::steady_clock::now();
  const int edge1 = SpeakerShot().TallEdge();
  pumpFor(200);
  const int edge2 = SpeakerShot().TallEdge();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t1).count();
  // One column per 50 ms: about 4 px in 200 ms. A late pump stretches the
  // interval; the bound stretches with it.
  const int moved = edge1 - edge2;
  EXPECT_GE(moved, 2) << edge1 << " -> " << edge2 << " in " << ms << " ms";
  EXPECT_LE(moved, 8 * std::max(1.0, ms / 200.0)) << edge1 << " -> " << edge2 << " in " << ms << " ms";
  // The speaker control keeps the orange of its first brush.
  EXPECT_EQ(MicShot().CountAt(kFlatRow, kOrange), 0);
  EXPECT_EQ(SpeakerShot().CountAt(kFlatRow, kMint), 0);
  EXPECT_GT(speaker->GetConvertCount(), 0);

  // The host learns of the control's notices through its window.
  EXPECT_EQ(HostWindowOf(speaker)(), host->Hwnd());
}

TEST_F(WaveControlDisplayTest, HoldFreezesThePicture) {
  speaker->StartMonitor();
  auto tone = std::make_unique<TonePlayer>("speakers", 440, 0.5);
  ASSERT_TRUE(tone->Started());
  ASSERT_TRUE(ToneOnScreen());
  speaker->SetHold(true);
  EXPECT_TRUE(speaker->IsHeld());
  pumpFor(300);  // what was queued before the hold is drawn
  tone.reset();
  const int edge = SpeakerShot().TallEdge();
  const int blits = host->blits;
  pumpFor(700);  // silence would have moved it 14 px
  EXPECT_EQ(SpeakerShot().TallEdge(), edge);
  // Ticks that find the picture unchanged repaint nothing.
  EXPECT_LE(host->blits - blits, 2);
  EXPECT_EQ(SpeakerShot().At(kW - 1, kTallRow), kOrange);
  speaker->SetHold(false);
  EXPECT_TRUE(pumpUntil([&] { return SpeakerShot().At(kW - 1, kTallRow) == kBackground; }, 10000));
}

TEST_F(WaveControlDisplayTest, AResizeRebuildsAMonitoringControlOnly) {
  speaker->StartMonitor();
  ASSERT_TRUE(pumpUntil([&] { return SpeakerShot().CountAt(kFlatRow, kOrange) >= kW - 1; }));
  const RECT wider{0, 0, 160, 40};
  speaker->Move(&wider);
  ASSERT_TRUE(pumpUntil([&] { return Shot(0, 0, 160, kH).CountAt(kFlatRow, kOrange) >= 159; }))
      << Shot(0, 0, 160, kH).CountAt(kFlatRow, kOrange);
  auto picture = speaker->Wave().GetImage();
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->GetWidth(), 160u);

  // An idle control keeps its old picture, which no longer fits: only the
  // background shows.
  mic->StartMonitor();
  ASSERT_TRUE(pumpUntil([&] { return MicShot().CountAt(kFlatRow, kMint) >= kW - 1; }));
  mic->StopMonitor();
  const RECT micWider{0, 50, 130, 90};
  mic->Move(&micWider);
  host->Invalidate();
  EXPECT_TRUE(pumpUntil([&] { return Shot(0, kMicTop, 130, kH).AllBackground(); }));
}

TEST_F(WaveControlDisplayTest, StoppedControlsKeepTheirPictureWithoutRepaintsAndRestartFlat) {
  speaker->StartMonitor();
  auto tone = std::make_unique<TonePlayer>("speakers", 440, 0.5);
  ASSERT_TRUE(tone->Started());
  ASSERT_TRUE(ToneOnScreen());
  speaker->StopMonitor();
  tone.reset();
  EXPECT_EQ(speaker->GetState(), 0);
  pumpFor(100);  // ticks already queued may still land
  const int blits = host->blits;
  pumpFor(500);  // the repaint timer is gone: nothing repaints
  EXPECT_LE(host->blits, blits + 1);
  // Any later repaint shows the last picture.
  const int quiet = host->blits;
  host->Invalidate();
  ASSERT_TRUE(pumpUntil([&] { return host->blits > quiet; }));
  EXPECT_EQ(SpeakerShot().At(kW - 1, kTallRow), kOrange);

  // Started again on the (silent) microphone: flat from the first picture.
  speaker->Monitor().SetName(kDeviceInDefault);
  speaker->Monitor().SetLoopback(0);
  speaker->StartMonitor();
  auto first = speaker->Wave().GetImage();
  ASSERT_TRUE(first);
  Gdiplus::Color c;
  first->GetPixel(kW - 1, kTallRow, &c);
  EXPECT_EQ(c.GetA(), 0) << "the first picture is not flat";
  ASSERT_TRUE(pumpUntil([&] {
    Shot s = SpeakerShot();
    return s.TallEdge() == -1 && s.CountAt(kFlatRow, kOrange) >= kW - 1;
  }));
  // Nothing of the earlier device comes after it either.
  for (int i = 0; i < 10; ++i) {
    pumpFor(50);
    ASSERT_EQ(SpeakerShot().CountAt(kTallRow, kOrange), 0) << i;
  }
}

TEST_F(WaveControlDisplayTest, TheNoticeHostIsGoneWithTheWindow) {
  auto resolve = HostWindowOf(mic);
  EXPECT_EQ(resolve(), host->Hwnd());
  host->DeleteChild(mic);
  mic = nullptr;
  EXPECT_EQ(resolve(), nullptr);
  EXPECT_EQ(HostWindowOf(nullptr)(), nullptr);
}

}  // namespace
