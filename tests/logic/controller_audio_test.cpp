// The controller with the real recorder on PulseAudio: a manual recording
// from start to store, a schedule of three days on the test clock with the
// tasks' own formats, and a task refused while the user records.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <set>

#include "base/AppFolders.h"
#include "base/FolderOps.h"
#include "data_files.h"
#include "fake_timer_clock.h"
#include "logic/BllMain.h"
#include "logic/DataFiles.h"
#include "test_main_window.h"

namespace {

constexpr int64_t kMinute = 60000;

// codec_name, sample_rate and channels of the first audio stream.
std::string Probe(const std::wstring& path) {
  std::string cmd = "ffprobe -v error -select_streams a:0 -show_entries stream=codec_name,sample_rate,channels "
                    "-of csv=p=0 '" + WStringToUtf8Ret(path) + "' 2>&1";
  std::string out;
  if (FILE* pipe = popen(cmd.c_str(), "r")) {
    std::array<char, 256> buffer;
    while (fgets(buffer.data(), buffer.size(), pipe)) out += buffer.data();
    pclose(pipe);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

std::wstring Extension(const std::wstring& path) { return path.substr(path.rfind(L'.') + 1); }

class ControllerAudioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureDataFolder());
    // Every test starts from no lists and no log.
    for (const std::wstring& p : {GetFileListDbPath(), GetTimerXmlPath(), GetTimerLogPath()})
      std::remove(WStringToUtf8Ret(p).c_str());
    m_dir = std::wstring(GetDataDir().c_str()) + L"recordings";
    CreateFolderChain(m_dir);
  }
  void TearDown() override {
    if (m_clock) m_clock->SetRealtimeWhile(nullptr);
    if (m_main && m_controller) m_controller->SetMainWindow(nullptr);
    delete m_controller;
    m_controller = nullptr;
  }
  void Make(std::shared_ptr<ITimerClock> clock = nullptr) {
    m_controller = new CBllMain(std::move(clock));
    m_main = std::make_unique<TestMainWindow>(m_controller);
    m_controller->SetMainWindow(m_main.get());
    m_controller->GetOutput().output_dir = m_dir;
  }
  bool Recording() { return (m_controller->GetRecorder().state.load() & kRecorderRecording) != 0; }
  static void PumpFor(int ms) {
    DWORD end = GetTickCount() + ms;
    TestWindow::PumpUntil([&] { return static_cast<int>(GetTickCount() - end) >= 0; });
  }

  std::wstring m_dir;
  std::shared_ptr<FakeTimerClock> m_clock;
  CBllMain* m_controller = nullptr;
  std::unique_ptr<TestMainWindow> m_main;
};

TEST_F(ControllerAudioTest, AManualRecordingIsPostedWrittenAndStillListedNextRun) {
  Make();
  m_controller->GetOutput().output_format = 1;  // wav
  ASSERT_EQ(m_controller->StartRecord(true), 0);
  EXPECT_TRUE(Recording());
  EXPECT_TRUE(m_main->flow.visible);
  PumpFor(1500);
  ASSERT_EQ(m_controller->StartRecord(false), 0);
  ASSERT_TRUE(TestWindow::PumpUntil([&] { return m_main->Count(COutputCallInfo::kRecordingEnded) == 1; }, 30));
  PumpFor(200);
  EXPECT_EQ(m_main->Count(COutputCallInfo::kFileOpened), 1u);
  EXPECT_EQ(m_main->Count(COutputCallInfo::kFileClosed), 1u);
  EXPECT_EQ(m_main->Count(COutputCallInfo::kRecordingEnded), 1u);
  EXPECT_EQ(m_main->events.size(), 3u);
  EXPECT_GT(m_main->refreshes, 0);
  std::wstring path;
  for (const auto& e : m_main->events)
    if (e.type == COutputCallInfo::kFileClosed) path = e.path;
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.rfind(m_dir, 0), 0u);
  EXPECT_EQ(Extension(path), L"wav");
  EXPECT_GT(GetFileSizeOfPath(path.c_str()), 44);
  EXPECT_EQ(Probe(path).substr(0, 10), "pcm_s16le,");

  m_controller->SetMainWindow(nullptr);
  delete m_controller;
  m_controller = new CBllMain();
  ASSERT_EQ(m_controller->GetStore().m_records.size(), 1u);
  EXPECT_EQ(std::wstring(m_controller->GetStore().m_records[0].FilePath.c_str()), path);
  m_controller->SetMainWindow(m_main.get());
}

TEST_F(ControllerAudioTest, ThreeDaysOfScheduleRecordWithEachTasksOwnSettings) {
  auto clock = m_clock = std::make_shared<FakeTimerClock>(MakeTime(2026, 12, 10, 7, 55));
  clock->SetStep(kMinute);
  clock->SetFrozen(true);  // until the tasks are filed
  Make(clock);
  // Real pace while a task runs. The engine itself is asked: it answers
  // until its scheduler has stopped, even while the controller goes.
  CTimerTaskMgr* engine = &m_controller->GetTimerManager().Engine();
  clock->SetRealtimeWhile([engine] { return engine->GetRunningDate().IsSet(); });
  m_controller->GetOutput().output_format = 0;  // mp3 live

  CTimertaskInfo daily;
  daily.name = L"每天";
  daily.date = MakeDate(MakeTime(2026, 12, 10, 8, 0), 2500, true);
  daily.output.output_format = 2;  // ogg
  daily.output.output_quality = 3;
  daily.output.output_device = 1;
  CTimerDate dailyDate = daily.date;
  ASSERT_TRUE(m_controller->GetTimerManager().AddTask(dailyDate, daily));
  CTimertaskInfo once;
  once.name = L"once";
  once.date = MakeDate(MakeTime(2026, 12, 11, 12, 0), 2500);
  once.output.output_format = 3;  // flac
  once.output.output_samplerate = 48000;
  once.output.output_channel = 1;
  once.output.output_device = 0;
  once.output.output_quality = 5;  // the flac level
  CTimerDate onceDate = once.date;
  ASSERT_TRUE(m_controller->GetTimerManager().AddTask(onceDate, once));

  clock->SetFrozen(false);
  uint64_t end = TimerUnits(MakeTime(2026, 12, 13, 7, 0));
  ASSERT_TRUE(TestWindow::PumpUntil([&] { return clock->WallUnits() >= end; }, 240));
  clock->SetFrozen(true);
  PumpFor(300);

  std::vector<std::wstring> closed;
  for (const auto& e : m_main->events)
    if (e.type == COutputCallInfo::kFileClosed && e.code == 0) closed.push_back(e.path);
  ASSERT_EQ(closed.size(), 4u);
  std::multiset<std::wstring> extensions;
  for (const std::wstring& path : closed) {
    extensions.insert(Extension(path));
    EXPECT_GT(GetFileSizeOfPath(path.c_str()), 0);
    if (Extension(path) == L"flac") {
      EXPECT_EQ(Probe(path), "flac,48000,1");
    } else {
      EXPECT_EQ(Probe(path).substr(0, 7), "vorbis,");
    }
  }
  EXPECT_EQ(extensions, (std::multiset<std::wstring>{L"ogg", L"ogg", L"ogg", L"flac"}));
  EXPECT_EQ(m_main->Count(COutputCallInfo::kRecordingEnded), 4u);

  // Each start was answered, each run announced its end.
  size_t starts = 0, finishes = 0;
  for (const auto& [w, name] : m_main->taskMessages) {
    starts += w == kTimerTaskStart;
    finishes += w == kTimerTaskFinished;
  }
  EXPECT_EQ(starts, 4u);
  EXPECT_EQ(finishes, 4u);
  EXPECT_EQ(m_main->statusAfterStart, std::vector<std::wstring>(4, L"执行中..."));
  // The daily task waits for the 13th; the once task is gone.
  CTimertaskManager& timers = m_controller->GetTimerManager();
  ASSERT_EQ(timers.GetCount(), 1u);
  CTimertaskInfo next = timers.GetTaskAt(0);
  EXPECT_EQ(next.date.start.wDay, 13);
  EXPECT_EQ(std::wstring(next.status.c_str()), L"等待");
  EXPECT_FALSE(FileExists(GetTimerLogPath()) && ReadUtf16File(GetTimerLogPath()).find(L"任务名称") != std::wstring::npos);

  EXPECT_EQ(m_controller->GetOutput().output_format, 0);
  clock->SetRealtimeWhile(nullptr);
  m_controller->SetMainWindow(nullptr);
  delete m_controller;
  m_controller = nullptr;
  m_main.reset();
  EXPECT_NE(ReadUtf16File(GetOutputIniPath()).find(L"\r\noutput_format=0\r\n"), std::wstring::npos);
  m_controller = new CBllMain();
  EXPECT_EQ(m_controller->GetStore().m_records.size(), 4u);
}

TEST_F(ControllerAudioTest, ATaskDueDuringAManualRecordingIsRefusedAndTheRecordingGoesOn) {
  auto clock = std::make_shared<FakeTimerClock>(MakeTime(2026, 12, 10, 7, 58));
  clock->SetStep(kMinute);
  clock->SetFrozen(true);
  Make(clock);
  m_controller->GetOutput().output_format = 1;
  CTimertaskInfo task;
  task.name = L"busy";
  task.date = MakeDate(MakeTime(2026, 12, 10, 8, 0), 30 * kMinute);
  CTimerDate date = task.date;
  ASSERT_TRUE(m_controller->GetTimerManager().AddTask(date, task));

  ASSERT_EQ(m_controller->StartRecord(true), 0);
  PumpFor(300);
  clock->SetFrozen(false);
  uint64_t after = TimerUnits(MakeTime(2026, 12, 10, 9, 0));
  ASSERT_TRUE(TestWindow::PumpUntil([&] { return clock->WallUnits() >= after; }, 60));
  PumpFor(300);
  EXPECT_TRUE(Recording());
  EXPECT_EQ(m_main->Count(COutputCallInfo::kRecordingEnded), 0u);
  EXPECT_EQ(m_controller->GetTimerManager().GetCount(), 0u);
  std::wstring log = ReadUtf16File(GetTimerLogPath());
  EXPECT_NE(log.find(L"任务名称：“busy”\r\n开始时间：“2026-12-10 08：00：00”\r\n"
                     L"失败原因：“当前有任务正在执行，导致该任务启动失败。”"),
            std::wstring::npos)
      << WStringToUtf8Ret(log);

  ASSERT_EQ(m_controller->StartRecord(false), 0);
  ASSERT_TRUE(TestWindow::PumpUntil([&] { return m_main->Count(COutputCallInfo::kRecordingEnded) == 1; }, 30));
  EXPECT_EQ(m_main->Count(COutputCallInfo::kFileClosed), 1u);
}

// The start-up code deletes the controller while the main window still
// exists; a task whose recording runs then must not reach the window with
// a controller that is half gone.
TEST_F(ControllerAudioTest, ARunningTaskTellsTheWindowNothingWhileTheControllerGoes) {
  auto clock = std::make_shared<FakeTimerClock>(MakeTime(2026, 12, 10, 7, 59));
  clock->SetStep(kMinute);
  clock->SetFrozen(true);  // until the task is filed
  CBllMain* controller = new CBllMain(clock);
  CTimerTaskMgr* engine = &controller->GetTimerManager().Engine();
  // Real pace once the task runs, so its ten hours do not pass meanwhile.
  clock->SetRealtimeWhile([engine] { return engine->GetRunningDate().IsSet(); });
  TestMainWindow main(controller);
  controller->SetMainWindow(&main);
  controller->GetOutput().output_dir = m_dir;
  CTimertaskInfo task;
  task.name = L"running at exit";
  task.date = MakeDate(MakeTime(2026, 12, 10, 8, 0), 600 * kMinute);
  CTimerDate date = task.date;
  ASSERT_TRUE(controller->GetTimerManager().AddTask(date, task));
  clock->SetFrozen(false);
  ASSERT_TRUE(TestWindow::PumpUntil([&] { return !main.taskMessages.empty(); }, 60));
  ASSERT_EQ(main.taskMessages[0].first, static_cast<WPARAM>(kTimerTaskStart));
  EXPECT_NE(controller->GetRecorder().state.load() & kRecorderRecording, 0u);
  size_t heard = main.taskMessages.size();
  delete controller;
  controller = nullptr;
  clock->SetRealtimeWhile(nullptr);
  EXPECT_EQ(main.taskMessages.size(), heard);
  // The task is still listed for the next run to judge.
  EXPECT_NE(ReadFileBytes(GetTimerXmlPath()).find("running at exit"), std::string::npos);
}

}  // namespace
