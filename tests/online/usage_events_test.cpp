// Usage-event records: the exact text the usage service reads, what each
// builder puts in it, and nothing built while reporting is off.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <stdlib.h>

#include <filesystem>

#include "core/SAccelerator.h"
#include "logic/FileMoreSetting.h"
#include "online/UsageEvents.h"

namespace {

struct RecordingSink : IUsageEventSink {
  bool enabled = true;
  std::vector<std::pair<std::wstring, std::wstring>> sent;
  bool IsEnabled() override { return enabled; }
  void Send(const wchar_t* eventId, const wchar_t* json) override { sent.emplace_back(eventId, json); }
};

class UsageEventsTest : public ::testing::Test {
 protected:
  void SetUp() override { SetUsageEventSink(&sink); }
  void TearDown() override { SetUsageEventSink(nullptr); }
  // The one record sent, as the service receives it.
  std::wstring Only() {
    EXPECT_EQ(sink.sent.size(), 1u);
    if (sink.sent.empty()) return L"";
    EXPECT_EQ(sink.sent[0].first, L"1");
    return sink.sent[0].second;
  }
  RecordingSink sink;
};

CArgOutput BothSourcesMp3() {
  CArgOutput output;
  output.output_device = 2;
  output.output_format = 0;
  output.output_samplerate = 44100;
  output.output_channel = 2;
  output.output_quality = 320;
  return output;
}

TEST_F(UsageEventsTest, StopRecordEventIsByteForByteWhatTheServiceReads) {
  ReportStopRecordEvent(BothSourcesMp3(), 0);
  EXPECT_EQ(Only(),
            L"{\"button\":\"<\\u505c\\u6b62>\\u6309\\u94ae\",\"ext_data\":{\"output_channel\":\"2\","
            L"\"output_device\":\"\\u7cfb\\u7edf\\u58f0\\u97f3\\u548c\\u9ea6\\u514b\\u98ce\\u8bbe\\u5907\","
            L"\"output_format\":\"MP3\",\"output_quality\":\"320.000000\",\"output_result\":\"\\u6210\\u529f\","
            L"\"output_samplerate\":\"44100\"},\"type\":\"click\",\"window\":\"\"}");
}

TEST_F(UsageEventsTest, StopRecordEventDetails) {
  struct Case {
    int device, format, result;
    const wchar_t* deviceText;
    const wchar_t* formatText;
    const wchar_t* resultText;
  } cases[] = {
      {2, 0, -1, L"\\u7cfb\\u7edf\\u58f0\\u97f3\\u548c\\u9ea6\\u514b\\u98ce\\u8bbe\\u5907", L"MP3",
       L"\\u6210\\u529f"},                                                       // -1 counts as success
      {0, 1, 5, L"\\u9ea6\\u514b\\u98ce\\u8bbe\\u5907", L"WAV", L"\\u5931\\u8d25"},  // 失败
      {1, 3, 0, L"\\u7cfb\\u7edf\\u58f0\\u97f3\\u8bbe\\u5907", L"FLAC", L"\\u6210\\u529f"},
      {7, 99, 0, L"", L"", L"\\u6210\\u529f"},  // unknown source kind and format: empty texts
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    sink.sent.clear();
    CArgOutput output = BothSourcesMp3();
    output.output_device = c.device;
    output.output_format = c.format;
    ReportStopRecordEvent(output, c.result);
    const std::wstring json = Only();
    EXPECT_NE(json.find(std::wstring(L"\"output_device\":\"") + c.deviceText + L"\""), std::wstring::npos) << json;
    EXPECT_NE(json.find(std::wstring(L"\"output_format\":\"") + c.formatText + L"\""), std::wstring::npos) << json;
    EXPECT_NE(json.find(std::wstring(L"\"output_result\":\"") + c.resultText + L"\""), std::wstring::npos) << json;
  }
}

TEST_F(UsageEventsTest, SettingsEventNamesHotKeysAndNestsDetailsInKeyOrder) {
  char folder[] = "/tmp/quorvale-usage-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  setenv("XDG_DATA_HOME", folder, 1);  // the more-settings file lives in the data folder
  {
    CFileMoreSetting more;
    more.common_showflow_desktop = 1;
    more.common_showflow_recording = 0;
    more.common_auto_open = 1;
    more.hotkeys.erase(kHotKeyShowFlow);  // missing: no key, no modifiers
    more.hotkeys[kHotKeyPaused] = CHotKeyItem{kHotKeyPaused, 0x74, 2 | 4};
    CArgOutput output = BothSourcesMp3();
    output.output_mic_name = L"麦克风 (USB)";
    output.output_open_split = true;
    output.output_id3_genre = L"Pop";
    output.output_id3_title = L"t";
    ReportMoreOptionEvent(more, output);
    const std::wstring json = Only();
    const std::wstring open = std::wstring(ORIEL::CAccelerator(static_cast<DWORD>(more.hotkeys[kHotKeyOpenMain].mod) << 16 |
                                                               more.hotkeys[kHotKeyOpenMain].vk)
                                               .FormatHotkey()
                                               .c_str());
    EXPECT_EQ(json,
              L"{\"button\":\"<\\u5173\\u95ed>\\u6309\\u94ae\",\"ext_data\":{\"setting_auto_open\":\"1\","
              L"\"setting_flow_desktop\":\"1\",\"setting_hotkey\":{\"hotkey_open_main\":\"" + open +
              L"\",\"hotkey_pause_continue\":\"Ctrl+Shift+F5\",\"hotkey_show_flow\":\"\\u65e0\","
              L"\"hotkey_start_stop\":\"Ctrl+F2\"},\"setting_id3\":{\"id3_album\":\"\",\"id3_artist\":\"\","
              L"\"id3_date\":\"\",\"id3_style\":\"Pop\",\"id3_title\":\"t\"},"
              L"\"setting_microphone\":\"\\u9ea6\\u514b\\u98ce (USB)\",\"setting_recording_desktop\":\"0\","
              L"\"setting_split\":\"1\"},\"type\":\"click\",\"window\":\"MoreOptionWindow\"}");
    EXPECT_EQ(open, L"Ctrl+F1");
  }
  unsetenv("XDG_DATA_HOME");
  std::filesystem::remove_all(folder);
}

TEST_F(UsageEventsTest, TaskWindowAndRenameEvents) {
  ReportTaskWindowEvent(true, false);
  EXPECT_EQ(Only(),
            L"{\"button\":\"<\\u521b\\u5efa\\u4efb\\u52a1>\\u6309\\u626d\",\"ext_data\":{\"operate_rename\":\"0\","
            L"\"operate_timer_task\":\"1\"},\"type\":\"click\",\"window\":\"TimerTaskWindow\"}");
  sink.sent.clear();
  ReportTaskWindowEvent(false, true);
  EXPECT_EQ(Only(),
            L"{\"button\":\"<\\u91cd\\u547d\\u540d>icon\",\"ext_data\":{\"operate_rename\":\"1\"},"
            L"\"type\":\"click\",\"window\":\"RenameFileWindow\"}");
}

TEST_F(UsageEventsTest, NothingIsSentWhileReportingIsOffOrNoSinkIsInstalled) {
  sink.enabled = false;
  ReportStopRecordEvent(BothSourcesMp3(), 0);
  ReportTaskWindowEvent(true, false);
  EXPECT_TRUE(sink.sent.empty());
  SetUsageEventSink(nullptr);
  ReportStopRecordEvent(BothSourcesMp3(), 0);  // must not crash
  EXPECT_TRUE(sink.sent.empty());
}

TEST_F(UsageEventsTest, RecordTextEscapesAndEmptyDetails) {
  CCodeData empty;
  EXPECT_EQ(empty.ToString(), "{\"ext_data\":{}}");

  CCodeData record;
  record.SetWindow(L"a\"b\\c\td\x01");
  record.SetButton(L"\U0001F600é");  // above U+FFFF: a surrogate pair
  CjJsonCpp nested;
  nested.SetString(L"z", L"1");
  nested.SetString(L"a", L"2");
  record.SetExtObject(L"k", nested);
  EXPECT_EQ(record.ToString(),
            "{\"button\":\"\\ud83d\\ude00\\u00e9\",\"ext_data\":{\"k\":{\"a\":\"2\",\"z\":\"1\"}},"
            "\"window\":\"a\\\"b\\\\c\\td\\u0001\"}");
}

TEST_F(UsageEventsTest, ForwardedLogRecords) {
  ForwardLogRecord(L"{\"log_type\":\"7\",\"log_content\":{\"window\":\"\",\"x\":\"录\"}}", true);
  ForwardLogRecord(L"{\"log_type\":\"8\",\"log_content\":{\"x\":\"1\"}}", false);
  ForwardLogRecord(L"{\"log_type\":\"9\",\"log_content\":{\"window\":\"Other\"}}", true);
  ForwardLogRecord(L"{not json", true);
  ASSERT_EQ(sink.sent.size(), 3u);
  EXPECT_EQ(sink.sent[0].first, L"7");
  EXPECT_EQ(sink.sent[0].second, L"{\"window\":\"MainWnd\",\"x\":\"\\u5f55\"}");
  EXPECT_EQ(sink.sent[1].second, L"{\"x\":\"1\"}");
  EXPECT_EQ(sink.sent[2].second, L"{\"window\":\"Other\"}");
}

}  // namespace
