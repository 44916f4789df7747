// Both waveforms of a recording on the test servers: the system sound
// hears 440 Hz, a microphone of the test's own 660 Hz; the pictures move,
// and the system-sound slider dragged to its end silences that source in
// the file until the mute button brings it back.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>

#include "base/CodePage.h"
#include "base/Utf16.h"
#include "control/SSliderBar.h"
#include "control/STabCtrl.h"
#include "decoded_file_helper.h"
#include "logic/DataFiles.h"
#include "logic/RecordFileStore.h"
#include "pulse_tools_helper.h"
#include "app_fixture.h"

namespace {

using namespace ORIEL;

// The microphone exists before the program starts: the device list is the
// one the capture host takes when it first starts.
class Waveforms : public AppTest {
 protected:
  void SetUp() override {
    sink = std::make_unique<audio_test::ScopedModule>("module-null-sink sink_name=appmicsink");
    mic = std::make_unique<audio_test::ScopedModule>(
        "module-remap-source master=appmicsink.monitor source_name=appmic source_properties=device.description=appmic");
    AppTest::SetUp();
    const std::string folder = std::string(getenv("HOME")) + "/录音/waveforms";
    if (program.MainWindow()) Bll().GetOutput().output_dir = Utf8ToWide(folder);
  }
  void TearDown() override {
    AppTest::TearDown();
    mic.reset();
    sink.reset();
  }
  int Page() {
    auto* tab = static_cast<STabCtrl*>(Element(L"tab_devInfo"));
    return tab ? tab->GetCurSel() : -1;
  }
  int Height(const wchar_t* name) {
    const RECT rc = Element(name)->GetWindowRect();
    return rc.bottom - rc.top;
  }
  audio_test::DecodedFile OnlyFile() {
    const std::vector<std::string> files = OutputFiles(".mp3");
    EXPECT_EQ(files.size(), 1u);
    return files.empty() ? audio_test::DecodedFile{} : audio_test::DecodedFile(audio_test::DecodeFile(files.back()));
  }
  std::unique_ptr<audio_test::ScopedModule> sink, mic;
};

TEST_F(Waveforms, BothMoveAndTheSpeakerSliderSilencesItsSource) {
  ASSERT_TRUE(sink->Loaded() && mic->Loaded());
  Bll().GetOutput().output_mic_name = L"appmic";
  Bll().GetOutput().output_mic_id = L"appmic";
  Bll().GetOutput().output_device = 2;
  Main().RefreshVolumeState(Bll().GetOutput());
  audio_test::TonePlayer speakerTone("speakers", 440, 0.5);
  audio_test::TonePlayer micTone("appmicsink", 660, 0.5);
  ASSERT_TRUE(speakerTone.Started() && micTone.Started());

  EXPECT_EQ(Page(), 0);
  Click(L"btn_start");
  ASSERT_TRUE(pumpUntil([&] { return Recording(); }));
  pumpFor(1500);
  EXPECT_EQ(Height(L"wnd_speaker"), 138);
  EXPECT_EQ(Height(L"wnd_mic"), 138);
  EXPECT_EQ(Height(L"wnd_devLine"), 2);
  const auto speaker1 = ScreenArea(L"wave_speaker"), mic1 = ScreenArea(L"wave_mic");
  pumpFor(200);
  const auto speaker2 = ScreenArea(L"wave_speaker"), mic2 = ScreenArea(L"wave_mic");
  ASSERT_FALSE(speaker1.empty());
  EXPECT_NE(speaker1, speaker2) << "the system sound's waveform moves";
  EXPECT_NE(mic1, mic2) << "the microphone's waveform moves";

  // The system-sound slider dragged to its left end mutes that source.
  auto* bar = static_cast<SSliderBar*>(Element(L"bar_speak"));
  ASSERT_NE(bar, nullptr);
  const RECT rc = bar->GetWindowRect();
  POINT thumb = ScreenPoint(L"bar_speak", (rc.right - rc.left) / 2);
  Drag(thumb, {thumb.x - (rc.right - rc.left), thumb.y});
  EXPECT_EQ(bar->GetValue(), 0);
  EXPECT_EQ(Bll().GetOutput().output_speaker_volume, 0.0);
  EXPECT_TRUE(HasSkin(L"btn_speak", L"md_btn_volume_speakerMuted"));
  pumpFor(2000);
  Click(L"btn_speak");
  EXPECT_EQ(bar->GetValue(), 100) << "the mute button brings it back at 100";
  EXPECT_TRUE(HasSkin(L"btn_speak", L"md_btn_volume_speakerNormal"));
  pumpFor(1500);
  Click(L"btn_stop");
  ASSERT_TRUE(pumpUntil([&] { return !Recording(); }));
  pumpFor(500);
  EXPECT_EQ(Page(), 0);

  const audio_test::DecodedFile file = OnlyFile();
  ASSERT_TRUE(file.ok) << file.error;
  const int rate = file.rate;
  auto window = [&](double from, double to) {
    return std::vector<short>(file.mono.begin() + static_cast<long>(from * rate),
                              file.mono.begin() + static_cast<long>(to * rate));
  };
  ASSERT_GT(file.duration, 5.0);
  // Before the drag both tones, while muted only the microphone's.
  const auto before = window(0.5, 1.3), muted = window(3.0, 3.6);
  EXPECT_GT(audio_test::ToneAmplitude(before, rate, 440), 1000);
  EXPECT_GT(audio_test::ToneAmplitude(before, rate, 660), 1000);
  EXPECT_LT(audio_test::ToneAmplitude(muted, rate, 440), 300) << "the system sound is silenced";
  EXPECT_GT(audio_test::ToneAmplitude(muted, rate, 660), 1000);
}

}  // namespace
