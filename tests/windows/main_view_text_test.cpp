// What the main window shows, from numbers: times, the format description,
// the rows per source mode, volumes and mute skins, the hot-key hints, the
// output folder of a chosen folder and what a close request does.
#include <gtest/gtest.h>

#include "windows/MainViewText.h"

namespace {

std::wstring W(const SStringW& s) { return s.c_str(); }

TEST(ElapsedTime, WholeSecondsAsHoursMinutesSeconds) {
  const struct {
    int64_t ms;
    const wchar_t* text;
  } rows[] = {
      {0, L"00:00:00"},           {999, L"00:00:00"},          {1000, L"00:00:01"},
      {59'999, L"00:00:59"},      {60'000, L"00:01:00"},       {3'599'999, L"00:59:59"},
      {3'600'000, L"01:00:00"},   {359'999'999, L"99:59:59"},  {360'000'000, L"100:00:00"},
  };
  for (const auto& r : rows) {
    SStringW out = L"unchanged";
    ASSERT_TRUE(FormatElapsedTime(r.ms, out)) << r.ms;
    EXPECT_EQ(W(out), r.text) << r.ms;
  }
  SStringW kept = L"00:00:07";
  EXPECT_FALSE(FormatElapsedTime(-1, kept));
  EXPECT_EQ(W(kept), L"00:00:07") << "a negative time leaves the text as it was";
}

TEST(Description, ChannelsFormatRateAndQualityByFormat) {
  const struct {
    int channels, format;
    const wchar_t* label;
    int rate;
    double quality;
    const wchar_t* text;
  } rows[] = {
      {2, 0, L"MP3", 44100, 320, L"录制声道：双声道     输出格式：MP3      采样率：44100Hz     比特率：320.00kbps"},
      {1, 1, L"WAV", 48000, 320, L"录制声道：单声道     输出格式：WAV      采样率：48000Hz "},
      {2, 2, L"OGG", 44100, 0.5, L"录制声道：双声道     输出格式：OGG      采样率：44100Hz     质量参数：0.50"},
      {2, 3, L"FLAC", 96000, 5, L"录制声道：双声道     输出格式：FLAC      采样率：96000Hz     质量参数：5.00"},
      {1, 8, L"AMR", 8000, 10.2, L"录制声道：单声道     输出格式：AMR      采样率：8000Hz     比特率：10.20kbps"},
      // Any count but one is shown as two channels.
      {6, 0, L"MP3", 44100, 128, L"录制声道：双声道     输出格式：MP3      采样率：44100Hz     比特率：128.00kbps"},
  };
  for (const auto& r : rows)
    EXPECT_EQ(W(FormatDescription(r.channels, r.format, r.label, r.rate, r.quality)), r.text) << r.format;
}

TEST(WaveRows, SizesAndWeightsPerSourceMode) {
  const struct {
    int mode;
    bool known;
    std::wstring speaker, speakerWeight, mic, micWeight, line;
  } rows[] = {
      {0, true, L"0,0", L"0", L"-2,138", L"1", L"0,0"},
      {1, true, L"-2,138", L"1", L"0,0", L"0", L"0,0"},
      {2, true, L"-2,138", L"1", L"-2,138", L"1", L"-2,2"},
      {3, false, L"", L"", L"", L"", L""},
      {-1, false, L"", L"", L"", L"", L""},
  };
  for (const auto& r : rows) {
    WaveRowLayout out{};
    ASSERT_EQ(WaveRowsForMode(r.mode, out), r.known) << r.mode;
    if (!r.known) continue;
    EXPECT_EQ(out.speakerSize, r.speaker) << r.mode;
    EXPECT_EQ(out.speakerWeight, r.speakerWeight) << r.mode;
    EXPECT_EQ(out.micSize, r.mic) << r.mode;
    EXPECT_EQ(out.micWeight, r.micWeight) << r.mode;
    EXPECT_EQ(out.lineSize, r.line) << r.mode;
  }
}

TEST(Volumes, SliderValuesAndMuteSkins) {
  const struct {
    double volume;
    int slider;
    const wchar_t* micSkin;
    const wchar_t* speakerSkin;
  } rows[] = {
      {0.004, 0, L"md_btn_volume_micMuted", L"md_btn_volume_speakerMuted"},
      {0.0, 0, L"md_btn_volume_micMuted", L"md_btn_volume_speakerMuted"},
      {0.01, 1, L"md_btn_volume_micNormal", L"md_btn_volume_speakerNormal"},
      {1.0, 100, L"md_btn_volume_micNormal", L"md_btn_volume_speakerNormal"},
      {2.0, 200, L"md_btn_volume_micNormal", L"md_btn_volume_speakerNormal"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(VolumeToSlider(r.volume), r.slider) << r.volume;
    EXPECT_STREQ(MicSkinFor(VolumeToSlider(r.volume)), r.micSkin) << r.volume;
    EXPECT_STREQ(SpeakerSkinFor(VolumeToSlider(r.volume)), r.speakerSkin) << r.volume;
  }
  EXPECT_FLOAT_EQ(SliderToVolume(150), 1.5f);
  EXPECT_FLOAT_EQ(SliderToVolume(0), 0.0f);
}

TEST(Volumes, MutingThenUnmutingComesBackAtOne) {
  double v = 1.5;
  v = ToggleMute(v);
  EXPECT_EQ(v, 0.0);
  EXPECT_EQ(VolumeToSlider(v), 0);
  v = ToggleMute(v);
  EXPECT_EQ(v, 1.0) << "not the 1.5 it had before";
  EXPECT_EQ(VolumeToSlider(v), 100);
}

TEST(HotKeyHints, RecordAndStopTextsWithTheirKeys) {
  std::map<int32_t, CHotKeyItem> keys;
  keys[1] = {1, 0x71, 2};  // Ctrl+F2
  keys[2] = {2, 0x72, 2};  // Ctrl+F3
  const SStringW start = HotKeyHint(keys, 1), pause = HotKeyHint(keys, 2);
  EXPECT_EQ(W(start), L"Ctrl+F2");
  EXPECT_EQ(W(RecordText(false, false, start, pause)), L"开始\nCtrl+F2");
  EXPECT_EQ(W(RecordText(true, false, start, pause)), L"暂停\nCtrl+F3");
  EXPECT_EQ(W(RecordText(true, true, start, pause)), L"继续\nCtrl+F3");
  EXPECT_EQ(W(StopText(start)), L"停止\nCtrl+F2");
  // No stored key, or one without key and modifiers: "无".
  keys[2] = {2, 0, 0};
  EXPECT_EQ(W(StopText(HotKeyHint({}, 1))), L"停止\n无");
  EXPECT_EQ(W(RecordText(true, true, start, HotKeyHint(keys, 2))), L"继续\n无");
}

TEST(OutputFolder, TheProgramsFolderInTheChosenOne) {
  const struct {
    const wchar_t* chosen;
    const wchar_t* folder;
  } rows[] = {
      {L"/home/u/Music", L"/home/u/Music/Velmora电脑录音软件"},
      {L"/", L"/Velmora电脑录音软件"},
      {L"/home/u/Music/", L"/home/u/Music/Velmora电脑录音软件"},
      {L"//srv//share", L"/srv/share/Velmora电脑录音软件"},
  };
  for (const auto& r : rows) EXPECT_EQ(W(OutputFolderForChoice(r.chosen)), r.folder) << r.chosen;
}

TEST(CloseRequest, ThePromptsAnswerDecides) {
  const struct {
    int result;
    bool exit, remember;
    CloseAction action;
    int32_t tip, hide;  // the flags afterwards (starting 1 and 0)
  } rows[] = {
      {1, true, false, CloseAction::kExit, 1, 0},
      {1, false, false, CloseAction::kHide, 1, 1},
      {1, true, true, CloseAction::kExit, 0, 0},
      {1, false, true, CloseAction::kHide, 0, 1},
      // Its close button changes nothing; Alt+F4 and a recall take the
      // choice as it stands.
      {8, true, true, CloseAction::kCancel, 1, 0},
      {8, false, false, CloseAction::kCancel, 1, 0},
      {2, true, true, CloseAction::kExit, 0, 0},
      {2, false, false, CloseAction::kHide, 1, 1},
      {100, false, true, CloseAction::kHide, 0, 1},
  };
  for (const auto& r : rows) {
    int32_t tip = 1, hide = 0;
    EXPECT_EQ(DecideClose(r.result, r.exit, r.remember, tip, hide), r.action) << r.result;
    EXPECT_EQ(tip, r.tip) << r.result;
    EXPECT_EQ(hide, r.hide) << r.result;
  }
  EXPECT_EQ(CloseBySetting(1), CloseAction::kHide);
  EXPECT_EQ(CloseBySetting(0), CloseAction::kExit);
}

}  // namespace

TEST(RecordingErrorTip, ConfirmAndCancelWithTheRecordersTextAsItStands) {
  // A percent sign in the recorder's text must come out as written.
  const RecordingErrorTip tip = MakeRecordingErrorTip(L"设备 %s 已断开 100%");
  EXPECT_STREQ(tip.title.c_str(), L"提示");
  ASSERT_EQ(tip.lines.size(), 2u);
  EXPECT_STREQ(tip.lines[0].c_str(), L"录制过程出现异常！");
  EXPECT_STREQ(tip.lines[1].c_str(), L"错误详情：设备 %s 已断开 100%");
  EXPECT_STREQ(tip.okText.c_str(), L"确认");
  EXPECT_STREQ(tip.noText.c_str(), L"取消");
}
