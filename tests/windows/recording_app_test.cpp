// Recording through the program's window on the test servers: a 440 Hz
// tone played into the speakers is recorded from the buttons and the hot
// keys, paused and resumed, and the program's exit keeps the choices and
// the last file; closing with "hide" keeps it running in the background.
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
// Last among the program's: it brings Xlib's macros.
#include "../platform-display/tray_manager.h"

namespace {

using namespace ORIEL;

// The program's file names: the local time when the file was opened.
const std::regex kTimeName(R"(\d{4}-\d{2}-\d{2}__\d{2}-\d{2}-\d{2}-\d{4}\.mp3)");

class RecordingApp : public AppTest {
 protected:
  // Each test records into a folder of its own.
  void SetUp() override {
    AppTest::SetUp();
    RecordInto(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  // Pumps for `ms` while recording.
  void Keep(int ms) { pumpFor(ms); }
  audio_test::DecodedFile OnlyFile(std::string* path = nullptr) {
    const std::vector<std::string> files = OutputFiles(".mp3");
    EXPECT_EQ(files.size(), 1u);
    if (files.empty()) return {};
    if (path) *path = files.back();
    EXPECT_TRUE(std::regex_match(std::filesystem::path(files.back()).filename().string(), kTimeName))
        << files.back();
    return audio_test::DecodeFile(files.back());
  }
};

TEST_F(RecordingApp, SystemSoundToMp3FromTheButtons) {
  Bll().GetOutput().output_format = 1;  // wav, so that choosing mp3 changes it
  Main().RefreshVolumeState(Bll().GetOutput());
  ASSERT_TRUE(ChooseInList(L"type_cb", L"mp3"));
  EXPECT_EQ(Bll().GetOutput().output_format, 0);
  // wav's quality is no option of mp3: the panel took mp3's first one.
  EXPECT_EQ(Main().GetOutputPart().QualityBox()->GetCurSel(), 0);
  ASSERT_TRUE(ChooseInList(L"quality_cb", L"320kbps"));
  EXPECT_EQ(Bll().GetOutput().output_quality, 320.0);
  Click(L"rb_speaker", 8);
  EXPECT_EQ(Bll().GetOutput().output_device, 1);
  EXPECT_EQ(Page(), 0);

  audio_test::TonePlayer tone("speakers", 440, 0.5);
  ASSERT_TRUE(tone.Started());
  const auto started = std::chrono::steady_clock::now();
  Click(L"btn_start");
  ASSERT_TRUE(pumpUntil([&] { return Recording(); }));
  Keep(2500);
  EXPECT_EQ(Page(), 1);
  EXPECT_EQ(Height(L"wnd_speaker"), 138);
  EXPECT_EQ(Height(L"wnd_mic"), 0);
  EXPECT_EQ(Height(L"wnd_devLine"), 0);
  EXPECT_EQ(TextOf(L"wnd_devDescribe"),
            L"录制声道：双声道     输出格式：MP3      采样率：44100Hz     比特率：320.00kbps");
  EXPECT_EQ(TextOf(L"txt_state"), L"暂停\nCtrl+F3");
  EXPECT_TRUE(HasSkin(L"btn_start", L"md_btn_recordPause"));
  Click(L"btn_stop");
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  ASSERT_TRUE(pumpUntil([&] { return !Recording(); }));
  pumpFor(500);
  EXPECT_EQ(Page(), 0);

  std::string path;
  const audio_test::DecodedFile file = OnlyFile(&path);
  ASSERT_TRUE(file.ok) << file.error;
  EXPECT_EQ(file.codec, "mp3");
  EXPECT_NEAR(audio_test::DominantFrequency(audio_test::LoudPart(file.mono, file.rate), file.rate, 300, 600), 440, 6);
  // The recording lasts from the start click to the stop click.
  EXPECT_GT(file.duration, 2.0);
  EXPECT_LT(file.duration, seconds + 0.5);
  ASSERT_FALSE(Bll().GetStore().m_records.empty());
  EXPECT_EQ(WideToUtf8(Bll().GetStore().m_records.front().FilePath.c_str()), path) << "the new file tops the list";
}

TEST_F(RecordingApp, PauseAndResumeFromTheButtonAndTheHotKeys) {
  Click(L"rb_speaker", 8);
  audio_test::TonePlayer tone("speakers", 440, 0.5);
  ASSERT_TRUE(tone.Started());
  CtrlKey(XK_F2);
  ASSERT_TRUE(pumpUntil([&] { return Recording(); })) << "Ctrl+F2 starts";
  Keep(1500);
  Click(L"btn_start");
  ASSERT_TRUE(Paused());
  EXPECT_EQ(TextOf(L"txt_state"), L"继续\nCtrl+F3");
  EXPECT_TRUE(HasSkin(L"btn_start", L"md_btn_recordStart"));
  pumpFor(1200);  // the time text catches up with the pause
  const std::wstring atPause = TextOf(L"txt_time");
  pumpFor(3000);
  EXPECT_EQ(TextOf(L"txt_time"), atPause) << "the time stands still while paused";
  CtrlKey(XK_F3);
  ASSERT_FALSE(Paused()) << "Ctrl+F3 resumes";
  EXPECT_EQ(TextOf(L"txt_state"), L"暂停\nCtrl+F3");
  EXPECT_TRUE(HasSkin(L"btn_start", L"md_btn_recordPause"));
  pumpFor(2200);
  EXPECT_NE(TextOf(L"txt_time"), atPause) << "and runs again";
  CtrlKey(XK_F3);
  ASSERT_TRUE(Paused());
  CtrlKey(XK_F2);
  ASSERT_TRUE(pumpUntil([&] { return !Recording(); })) << "Ctrl+F2 while paused stops";
  pumpFor(500);

  const audio_test::DecodedFile file = OnlyFile();
  ASSERT_TRUE(file.ok) << file.error;
  // About 1.5 + 2.2 s of sound: the pauses are not in the file.
  EXPECT_GT(file.duration, 2.5);
  EXPECT_LT(file.duration, 5.5);
  EXPECT_NEAR(audio_test::DominantFrequency(audio_test::LoudPart(file.mono, file.rate), file.rate, 300, 600), 440, 6);
}

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(WideToUtf8(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::wstring FromUtf16Le(const std::string& bytes) {
  std::wstring out;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2)
    out += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
  return out;
}

TEST_F(RecordingApp, ClosingWhileRecordingExitsAndKeepsTheChoicesAndTheFile) {
  Bll().GetMoreSetting().common_show_closetip = 0;
  Bll().GetMoreSetting().common_close_hide = 0;
  Click(L"rb_speaker", 8);
  Click(L"rb_channel1", 8);
  audio_test::TonePlayer tone("speakers", 440, 0.5);
  Click(L"btn_start");
  ASSERT_TRUE(pumpUntil([&] { return Recording(); }));
  Keep(1500);
  PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(RunLoop(), 0);
  const std::vector<std::string> files = OutputFiles(".mp3");
  program.ShutDown(0);
  shutDown = true;

  ASSERT_EQ(files.size(), 1u);
  for (const std::wstring& ini : {GetOutputIniPath(), GetMoreIniPath()}) {
    const std::string bytes = ReadAll(ini);
    ASSERT_GE(bytes.size(), 2u) << WideToUtf8(ini);
    EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE")) << "UTF-16LE: " << WideToUtf8(ini);
  }
  const std::wstring output = FromUtf16Le(ReadAll(GetOutputIniPath()));
  EXPECT_NE(output.find(L"output_device=1"), std::wstring::npos);
  EXPECT_NE(output.find(L"output_channel=1"), std::wstring::npos);
  CRecordFileStore store;
  ASSERT_FALSE(store.m_records.empty()) << "the last file reached data-file-list.db";
  EXPECT_EQ(WideToUtf8(store.m_records.front().FilePath.c_str()), files.back());
}

TEST_F(RecordingApp, ClosingToHideKeepsItRunningAndCtrlF1BringsItBack) {
  // Hidden only with a tray to bring it back from (without one it goes to
  // the taskbar): the icon docks once the tray announces itself.
  TrayManager tray;
  ASSERT_TRUE(pumpUntil([&] { return tray.docked() > 0; })) << "the tray icon docks";
  Bll().GetMoreSetting().common_show_closetip = 0;
  Bll().GetMoreSetting().common_close_hide = 1;
  PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(pumpUntil([&] { return !IsWindowVisible(Hwnd()); }));
  EXPECT_TRUE(IsWindow(Hwnd()));
  CtrlKey(XK_F1);
  EXPECT_TRUE(pumpUntil([&] { return IsWindowVisible(Hwnd()) != FALSE; })) << "Ctrl+F1 shows the window again";
}

}  // namespace
