// The three settings files: defaults for missing or damaged files, the
// UTF-16LE bytes of each save with its keys in their fixed order, and
// round trips of every field.
#include <gtest/gtest.h>

#include <cstdio>

#include "base/PathHelpers.h"
#include "data_files.h"
#include "logic/DataFiles.h"
#include "logic/FileMoreSetting.h"
#include "logic/FileOtptionTimertask.h"
#include "logic/FileOutputArgument.h"

namespace {

std::wstring OutputSection(const CArgOutput& a, const std::wstring& quality = L"320.000000") {
  return L"[OUTPUT]\r\n"
         L"output_device=" + std::to_wstring(a.output_device) + L"\r\n"
         L"output_format=" + std::to_wstring(a.output_format) + L"\r\n"
         L"output_speaker_name=__device_out_default\r\n"
         L"output_speaker_id=\r\n"
         L"output_speaker_volume=1.000000\r\n"
         L"output_mic_name=__device_in_default\r\n"
         L"output_mic_id=\r\n"
         L"output_mic_volume=1.000000\r\n"
         L"output_dir=" + a.output_dir + L"\r\n"
         L"output_open_split=0\r\n"
         L"output_split_time=60000\r\n"
         L"output_samplerate=44100\r\n"
         L"output_channel=2\r\n"
         L"output_quality=" + quality + L"\r\n"
         L"output_id3_title=\r\n"
         L"output_id3_artist=\r\n"
         L"output_id3_date=\r\n"
         L"output_id3_album=\r\n"
         L"output_id3_genre=\r\n";
}

class SettingsFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureDataFolder());
    for (const std::wstring& p : {GetOutputIniPath(), GetMoreIniPath(), GetTimerIniPath()})
      std::remove(WStringToUtf8Ret(p).c_str());
  }
};

TEST_F(SettingsFilesTest, MissingOutputFileGivesDefaultsAndAFullSaveInKeyOrder) {
  CArgOutput defaults;
  {
    CFileOutputArgument file(true);
    EXPECT_EQ(ReadFileBytes(GetOutputIniPath()), std::string("\xFF\xFE", 2));  // created empty
    const CArgOutput& a = file.m_arg;
    EXPECT_EQ(a.output_device, 2);
    EXPECT_EQ(a.output_format, 0);
    EXPECT_EQ(a.output_dir, defaults.output_dir);
    EXPECT_NE(a.output_dir.find(L"Velmora电脑录音软件"), std::wstring::npos);
    EXPECT_EQ(a.output_samplerate, 44100);
    EXPECT_DOUBLE_EQ(a.output_quality, 320.0);
  }
  EXPECT_EQ(ReadUtf16File(GetOutputIniPath()), OutputSection(defaults));
}

TEST_F(SettingsFilesTest, StoredValuesReadBackAndSaveAsTheFormatWants) {
  WriteUtf16File(GetOutputIniPath(),
                 L"[OUTPUT]\r\noutput_format=3\r\noutput_open_split=5\r\noutput_quality=128.3\r\noutput_dir=\r\n"
                 L"output_id3_title=标题 one\r\n");
  CArgOutput defaults;
  {
    CFileOutputArgument file(true);
    EXPECT_EQ(file.m_arg.output_format, 3);
    EXPECT_TRUE(file.m_arg.output_open_split);
    EXPECT_EQ(file.m_arg.output_quality, static_cast<double>(128.3f));
    EXPECT_EQ(file.m_arg.output_dir, defaults.output_dir);  // empty keeps the default
    EXPECT_EQ(file.m_arg.output_id3_title, L"标题 one");
  }
  std::wstring text = ReadUtf16File(GetOutputIniPath());
  // Keys already in the file are updated where they stand; the rest follow.
  std::wstring head = L"[OUTPUT]\r\noutput_format=3\r\noutput_open_split=1\r\noutput_quality=128.300003\r\n"
                      L"output_dir=" + defaults.output_dir + L"\r\noutput_id3_title=标题 one\r\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  EXPECT_NE(text.find(L"\r\noutput_device=2\r\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"\r\noutput_id3_genre=\r\n"), std::wstring::npos);

  WriteUtf16File(GetOutputIniPath(), L"[OUTPUT]\r\noutput_open_split=-1\r\n");
  CFileOutputArgument again(true);
  EXPECT_FALSE(again.m_arg.output_open_split);
}

TEST_F(SettingsFilesTest, EveryOutputFieldSurvivesASaveAndALoad) {
  {
    CFileOutputArgument file(true);
    CArgOutput& a = file.m_arg;
    a.output_device = 1;
    a.output_format = 9;
    a.output_speaker_name = L"扬声器 (loopback)";
    a.output_speaker_id = L"alsa_output.pci.analog-stereo";
    a.output_speaker_volume = 0.5;
    a.output_mic_name = L"Mic=1";
    a.output_mic_id = L"alsa_input";
    a.output_mic_volume = 0.25;
    a.output_dir = L"/home/u/录音";
    a.output_open_split = true;
    a.output_split_time = 120000;
    a.output_samplerate = 48000;
    a.output_channel = 1;
    a.output_quality = 0.6;
    a.output_id3_title = L"t";
    a.output_id3_artist = L"a";
    a.output_id3_date = L"2026";
    a.output_id3_album = L"al";
    a.output_id3_genre = L"g";
    a.output_file = L"/not/stored.mp3";
  }
  CFileOutputArgument file(true);
  const CArgOutput& a = file.m_arg;
  EXPECT_EQ(a.output_device, 1);
  EXPECT_EQ(a.output_format, 9);
  EXPECT_EQ(a.output_speaker_name, L"扬声器 (loopback)");
  EXPECT_EQ(a.output_speaker_id, L"alsa_output.pci.analog-stereo");
  EXPECT_DOUBLE_EQ(a.output_speaker_volume, 0.5);
  EXPECT_EQ(a.output_mic_name, L"Mic=1");
  EXPECT_EQ(a.output_mic_id, L"alsa_input");
  EXPECT_DOUBLE_EQ(a.output_mic_volume, 0.25);
  EXPECT_EQ(a.output_dir, L"/home/u/录音");
  EXPECT_TRUE(a.output_open_split);
  EXPECT_EQ(a.output_split_time, 120000);
  EXPECT_EQ(a.output_samplerate, 48000);
  EXPECT_EQ(a.output_channel, 1);
  EXPECT_EQ(a.output_quality, static_cast<double>(0.6f));
  EXPECT_EQ(a.output_id3_title, L"t");
  EXPECT_EQ(a.output_id3_artist, L"a");
  EXPECT_EQ(a.output_id3_date, L"2026");
  EXPECT_EQ(a.output_id3_album, L"al");
  EXPECT_EQ(a.output_id3_genre, L"g");
  EXPECT_EQ(a.output_file, L"");
}

TEST_F(SettingsFilesTest, DamagedOutputFileReadsAsDefaultsAndIsSetAsideOnSave) {
  WriteFileBytes(GetOutputIniPath(), "output_format=3\n\xC3\x28 not utf-16");
  {
    CFileOutputArgument file(true);
    EXPECT_EQ(file.m_arg.output_format, 0);
    file.m_arg.output_format = 2;
  }
  EXPECT_EQ(ReadFileBytes(GetOutputIniPath() + L".damaged"), "output_format=3\n\xC3\x28 not utf-16");
  CFileOutputArgument file(true);
  EXPECT_EQ(file.m_arg.output_format, 2);
}

TEST_F(SettingsFilesTest, MoreSettingsDefaultsReadsAndBytes) {
  {
    CFileMoreSetting more;
    EXPECT_EQ(more.common_showflow_desktop, 1);
    EXPECT_EQ(more.common_showflow_recording, 1);
    EXPECT_EQ(more.common_show_closetip, 1);
    EXPECT_EQ(more.common_close_hide, 0);
    EXPECT_EQ(more.common_auto_open, 0);
    ASSERT_EQ(more.hotkeys.size(), 4u);
    for (int id = 0; id < 4; ++id) {
      EXPECT_EQ(more.hotkeys[id].id, id);
      EXPECT_EQ(more.hotkeys[id].vk, 0x70 + id);
      EXPECT_EQ(more.hotkeys[id].mod, 2);
    }
  }
  EXPECT_EQ(ReadUtf16File(GetMoreIniPath()),
            L"[Common]\r\ncommon_showflow_desktop=1\r\ncommon_showflow_recording=1\r\ncommon_show_closetip=1\r\n"
            L"common_close_hide=0\r\ncommon_auto_open=0\r\n"
            L"[HotKey]\r\nhotkey_openmain_key=112\r\nhotkey_openmain_mod=2\r\nhotkey_startend_key=113\r\n"
            L"hotkey_startend_mod=2\r\nhotkey_paused_key=114\r\nhotkey_paused_mod=2\r\nhotkey_showflow_key=115\r\n"
            L"hotkey_showflow_mod=2\r\n");

  WriteUtf16File(GetMoreIniPath(), L"[Common]\r\ncommon_close_hide=2\r\ncommon_showflow_desktop=0\r\n"
                                   L"[HotKey]\r\nhotkey_paused_key=65\r\nhotkey_paused_mod=6\r\n"
                                   L"hotkey_openmain_key=65601\r\n");
  {
    CFileMoreSetting more;
    EXPECT_EQ(more.common_close_hide, 1);
    EXPECT_EQ(more.common_showflow_desktop, 0);
    EXPECT_EQ(more.hotkeys[2].vk, 65);
    EXPECT_EQ(more.hotkeys[2].mod, 6);
    EXPECT_EQ(more.hotkeys[0].vk, 65);  // 65601 keeps its low 16 bits
  }
  std::wstring text = ReadUtf16File(GetMoreIniPath());
  EXPECT_NE(text.find(L"common_close_hide=1\r\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"hotkey_openmain_key=65\r\n"), std::wstring::npos);
}

TEST_F(SettingsFilesTest, TimerDefaultsKeepTheirOwnFileApartFromTheLiveOne) {
  {
    CFileOutputArgument live(true);
    CFileOtptionTimertask timer;
    EXPECT_EQ(timer.option_everyday, 0);
    EXPECT_EQ(timer.m_arg.output_format, 0);
    timer.option_everyday = 1;
    timer.m_arg.output_format = 3;
    live.m_arg.output_format = 1;
  }
  CArgOutput expected;
  expected.output_format = 3;
  EXPECT_EQ(ReadUtf16File(GetTimerIniPath()), L"[OPTION]\r\noption_everyday=1\r\n" + OutputSection(expected));
  CFileOtptionTimertask timer;
  CFileOutputArgument live(true);
  EXPECT_EQ(timer.option_everyday, 1);
  EXPECT_EQ(timer.m_arg.output_format, 3);
  EXPECT_EQ(live.m_arg.output_format, 1);
}

TEST_F(SettingsFilesTest, AnUnboundRecordWritesNothing) {
  CFileOutputArgument file(false);
  EXPECT_FALSE(file.Write());
  EXPECT_TRUE(file.Read());
  EXPECT_FALSE(FileExists(GetOutputIniPath()));
}

}  // namespace
