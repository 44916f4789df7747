// A microphone unplugged while recording: its row shows its error mask,
// the time and the system sound go on to the end of the file.
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

class Unplug : public AppTest {
 protected:
  void SetUp() override {
    plugged = std::make_unique<audio_test::ScopedModule>(
        "module-null-source source_name=appplug description=appplug");
    oldDefault = audio_test::Pactl("get-default-source");
    audio_test::Pactl("set-default-source appplug");
    AppTest::SetUp();
    const std::string folder = std::string(getenv("HOME")) + "/录音/unplug";
    if (program.MainWindow()) Bll().GetOutput().output_dir = Utf8ToWide(folder);
  }
  void TearDown() override {
    AppTest::TearDown();
    plugged.reset();
    if (!oldDefault.empty()) audio_test::Pactl("set-default-source " + oldDefault);
  }
  std::unique_ptr<audio_test::ScopedModule> plugged;
  std::string oldDefault;
};

TEST_F(Unplug, TheMicrophonesMaskShowsAndTheRecordingGoesOn) {
  ASSERT_TRUE(plugged->Loaded());
  Bll().GetOutput().output_mic_name = L"appplug";
  Bll().GetOutput().output_mic_id = L"appplug";
  Bll().GetOutput().output_device = 2;
  audio_test::TonePlayer tone("speakers", 440, 0.5);
  Click(L"btn_start");
  ASSERT_TRUE(pumpUntil([&] { return Recording(); }));
  pumpFor(1500);
  ORIEL::SWindow* mask = Element(L"wnd_error_mic");
  ASSERT_NE(mask, nullptr);
  EXPECT_FALSE(mask->IsVisible());
  const std::wstring timeBefore = TextOf(L"txt_time");
  plugged->Unload();
  const auto unplugged = std::chrono::steady_clock::now();
  EXPECT_TRUE(pumpUntil([&] { return mask->IsVisible() != FALSE; }, 8000)) << "the mask appears";
  std::cout << "[ mask ] after "
            << std::chrono::duration<double>(std::chrono::steady_clock::now() - unplugged).count() << " s\n";
  bool maskText = false;
  for (ORIEL::SWindow* c = mask->GetRelative(ORIEL::GSW_FIRSTCHILD); c; c = c->GetRelative(ORIEL::GSW_NEXTSIBLING))
    maskText = maskText || c->GetText() == L"当前使用的麦克风设备存在异常，请检查设备！";
  EXPECT_TRUE(maskText);
  // The recorder stands in for the lost device within its wait; the time
  // moves on after that.
  EXPECT_TRUE(pumpUntil([&] { return TextOf(L"txt_time") != timeBefore; }, 6000)) << "the time goes on";
  EXPECT_TRUE(Recording());
  Click(L"btn_stop");
  ASSERT_TRUE(pumpUntil([&] { return !Recording(); }));
  pumpFor(500);
  const std::vector<std::string> files = OutputFiles(".mp3");
  ASSERT_EQ(files.size(), 1u);
  const audio_test::DecodedFile file = audio_test::DecodeFile(files.back());
  ASSERT_TRUE(file.ok) << file.error;
  const auto tail = std::vector<short>(file.mono.end() - file.rate / 2, file.mono.end() - file.rate / 10);
  EXPECT_GT(audio_test::ToneAmplitude(tail, file.rate, 440), 1000) << "the speaker tone runs to the end";
}

}  // namespace
