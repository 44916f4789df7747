// The controller without sound: the start-at-logon value and its desktop
// entry, the sibling editor, the recorder's events on their way to the
// main window, the more-settings applied, and the store across runs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "base/AppFolders.h"
#include "base/FolderOps.h"
#include "data_files.h"
#include "fake_timer_clock.h"
#include "logic/BllMain.h"
#include "logic/DataFiles.h"
#include "registry/registry.h"
#include "test_main_window.h"

namespace {

std::wstring RunValue(LONG* result) {
  HKEY key = nullptr;
  *result = RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_READ, &key);
  if (*result != ERROR_SUCCESS) return L"";
  DWORD type = 0, size = 0;
  *result = RegQueryValueExW(key, L"Quorvale", nullptr, &type, nullptr, &size);
  std::wstring text;
  if (*result == ERROR_SUCCESS) {
    std::vector<wchar_t> buffer(size / 2 + 1, L'#');
    *result = RegQueryValueExW(key, L"Quorvale", nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    // The stored data ends with its zero: size counts it.
    text.assign(buffer.data(), size / 2);
  }
  RegCloseKey(key);
  return text;
}

class ControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Each test starts from no list of recordings and no tasks.
    ASSERT_TRUE(EnsureDataFolder());
    for (const std::wstring& p : {GetFileListDbPath(), GetTimerXmlPath()}) RemoveDataFile(p);
    m_controller = new CBllMain();
  }
  void TearDown() override { delete m_controller; }
  CBllMain* m_controller = nullptr;
};

TEST_F(ControllerTest, AutoStartWritesAQuotedTerminatedValueAndAValidDesktopEntry) {
  std::wstring exe;
  ASSERT_TRUE(GetModuleFilePath(exe));
  std::wstring entry = registry::AutostartEntryPath(L"Quorvale");
  EXPECT_EQ(SetAutoStart(false), 0);  // nothing there: nothing changes
  ASSERT_EQ(SetAutoStart(true), 0);
  LONG result = 0;
  EXPECT_EQ(RunValue(&result), L"\"" + exe + L"\"" + std::wstring(1, L'\0'));
  EXPECT_EQ(result, ERROR_SUCCESS);
  std::string text = ReadFileBytes(entry);
  // The program alone on the Exec line, quoted only where its path needs it
  // (the quoting itself is the registry layer's to test).
  const std::string path = WStringToUtf8Ret(exe);
  const bool plain = text.find("\nExec=" + path + "\n") != std::string::npos;
  const bool quoted = text.find("\nExec=\"" + path + "\"\n") != std::string::npos;
  EXPECT_TRUE(plain || quoted) << text;
  EXPECT_EQ(std::system(("desktop-file-validate '" + WStringToUtf8Ret(entry) + "'").c_str()), 0) << text;

  ASSERT_EQ(SetAutoStart(false), 0);
  RunValue(&result);
  EXPECT_EQ(result, ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(FileExists(entry));
}

TEST_F(ControllerTest, ApplyingMoreSettingsFollowsTheFlags) {
  TestMainWindow main(m_controller);
  m_controller->SetMainWindow(&main);
  m_controller->GetMoreSetting().common_auto_open = 1;
  m_controller->GetMoreSetting().common_showflow_desktop = 0;
  m_controller->ApplyMoreSettings();
  EXPECT_TRUE(FileExists(registry::AutostartEntryPath(L"Quorvale")));
  ASSERT_EQ(main.hotKeyCalls.size(), 1u);
  EXPECT_EQ(main.hotKeyCalls[0], std::make_pair(true, size_t{4}));
  EXPECT_EQ(main.flow.calls, 1);
  EXPECT_FALSE(main.flow.visible);
  m_controller->ReRegisterHotKeys();
  ASSERT_EQ(main.hotKeyCalls.size(), 3u);
  EXPECT_FALSE(main.hotKeyCalls[1].first);
  EXPECT_TRUE(main.hotKeyCalls[2].first);
  m_controller->GetMoreSetting().common_auto_open = 0;
  m_controller->ApplyMoreSettings();
  EXPECT_FALSE(FileExists(registry::AutostartEntryPath(L"Quorvale")));
  EXPECT_EQ(m_controller->ShowFloatingWindow(true), 0);
  EXPECT_TRUE(m_controller->IsFloatingWindowVisible());
  EXPECT_EQ(m_controller->ShowFloatingWindow(false), 0);
  EXPECT_FALSE(m_controller->IsFloatingWindowVisible());
  m_controller->ShowFloatingWindow(true);
  main.withFlow = false;
  EXPECT_EQ(m_controller->ShowFloatingWindow(true), 0);
  EXPECT_FALSE(m_controller->IsFloatingWindowVisible()) << "no floating window counts as hidden";
  m_controller->SetMainWindow(nullptr);
  EXPECT_FALSE(m_controller->IsFloatingWindowVisible()) << "no main window counts as hidden";
}

TEST_F(ControllerTest, RecorderEventsArePostedAsCopiesAndEndingsReleaseTheirTask) {
  TestMainWindow main(m_controller);
  m_controller->SetMainWindow(&main);
  HANDLE done = CreateSemaphoreW(nullptr, 0, 1, nullptr);
  std::thread worker([&] {
    COutputCallInfo opened;
    opened.type = COutputCallInfo::kFileOpened;
    opened.path = L"/music/a.mp3";
    opened.semaphore = done;
    m_controller->OnOutput(&opened);
    EXPECT_EQ(WaitForSingleObject(done, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    COutputCallInfo ended;
    ended.type = COutputCallInfo::kRecordingEnded;
    ended.code = 2;
    ended.text = L"磁盘空间不足";
    ended.semaphore = done;
    m_controller->OnOutput(&ended);
    EXPECT_EQ(WaitForSingleObject(done, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    COutputCallInfo bare;
    bare.type = COutputCallInfo::kRecordingEnded;
    m_controller->OnOutput(&bare);
  });
  worker.join();
  ASSERT_TRUE(TestWindow::PumpUntil([&] { return main.events.size() == 3; }, 10));
  EXPECT_EQ(main.events[0].type, 16);
  EXPECT_EQ(main.events[0].path, L"/music/a.mp3");
  EXPECT_EQ(main.events[0].value, 1);
  EXPECT_EQ(main.events[1].type, 2);
  EXPECT_EQ(main.events[1].code, 2);
  EXPECT_EQ(main.events[1].text, L"磁盘空间不足");
  EXPECT_EQ(main.events[1].semaphore, done);
  EXPECT_EQ(main.events[2].semaphore, nullptr);
  m_controller->SetMainWindow(nullptr);
  CloseHandle(done);
}

TEST_F(ControllerTest, ATasksEndStopsOnlyTheRecordingThatTaskStarted) {
  TestMainWindow main(m_controller);
  TestTimerList list;
  m_controller->SetMainWindow(&main);
  m_controller->AttachAdapters(nullptr, &list);
  EXPECT_EQ(list.manager, &m_controller->GetTimerManager());
  CTimertaskInfo other;
  other.name = L"other";
  other.semaphore = CreateSemaphoreW(nullptr, 0, 1, nullptr);
  other.date.start.wYear = 2026;
  other.date.start.wMonth = 12;
  other.date.start.wDay = 31;
  other.date.duration = 1000;
  EXPECT_EQ(m_controller->StartTimerTask(false, other), 0);
  // A stop asked of the recorder would have set its stop bit.
  EXPECT_EQ(m_controller->GetRecorder().state.load() & kRecorderStopRequested, 0u);
  EXPECT_EQ(list.notices, 1);
  m_controller->AttachAdapters(nullptr, nullptr);
  m_controller->SetMainWindow(nullptr);
  CloseHandle(other.semaphore);
}

TEST_F(ControllerTest, PauseBitAndTaskBookkeeping) {
  TestMainWindow main(m_controller);
  TestTimerList list;
  m_controller->SetMainWindow(&main);
  m_controller->AttachAdapters(nullptr, &list);
  EXPECT_EQ(m_controller->SetRecordFlag(true), 0);
  EXPECT_EQ(m_controller->GetRecorder().state.load() & kRecorderPaused, static_cast<uint32_t>(kRecorderPaused));
  EXPECT_EQ(m_controller->SetRecordFlag(false), 0);
  EXPECT_EQ(m_controller->GetRecorder().state.load() & kRecorderPaused, 0u);
  EXPECT_EQ(main.refreshes, 2);

  CTimertaskManager& timers = m_controller->GetTimerManager();
  CTimertaskInfo task;
  task.name = L"bookkept";
  task.date.start = {2099, 1, 0, 2, 8, 0, 0, 0};
  task.date.duration = 60000;
  CTimerDate date = task.date;
  ASSERT_TRUE(timers.AddTask(date, task));
  m_controller->OnTimerTaskStatus(0, 0, task);
  EXPECT_EQ(std::wstring(timers.GetTask(date).status.c_str()), L"执行中...");
  m_controller->OnTimerTaskStatus(0, kTaskBusy, task);
  EXPECT_EQ(timers.GetCount(), 0u);
  EXPECT_NE(ReadUtf16File(GetTimerLogPath()).find(L"任务名称：“bookkept”\r\n开始时间：“2099-01-02 08：00：00”\r\n"
                                                  L"失败原因：“当前有任务正在执行，导致该任务启动失败。”"),
            std::wstring::npos);
  task.date.start.wDay = 3;  // the engine still holds the first, never started
  date = task.date;
  ASSERT_TRUE(timers.AddTask(date, task));
  m_controller->OnTimerTaskStatus(1, 0, task);
  EXPECT_EQ(timers.GetCount(), 0u);
  EXPECT_EQ(list.notices, 3);
  m_controller->AttachAdapters(nullptr, nullptr);
  m_controller->SetMainWindow(nullptr);
}

// The editor is looked for beside the program, so the test runs from a copy
// of itself in a folder of its own (with a home of its own): no other run
// of the test program shares the editor's place.
constexpr char kPrivateCopyVariable[] = "QUORVALE_TEST_PRIVATE_COPY";

TEST_F(ControllerTest, TheSiblingEditorStartsWithTheRecordingOrIsReportedMissing) {
  if (!std::getenv(kPrivateCopyVariable)) {
    std::wstring exe;
    ASSERT_TRUE(GetModuleFilePath(exe));
    std::string own = WStringToUtf8Ret(std::wstring(GetDataDir().c_str())) + "own-folder-XXXXXX";
    ASSERT_NE(mkdtemp(own.data()), nullptr) << own;
    const std::string copy = own + "/controller_test", home = own + "/home", output = own + "/output.txt";
    std::error_code error;
    std::filesystem::copy_file(WStringToUtf8Ret(exe), copy, error);
    ASSERT_FALSE(error) << error.message();
    std::filesystem::permissions(copy, std::filesystem::perms::owner_all, error);
    const std::string command =
        "env " + std::string(kPrivateCopyVariable) + "=1 HOME='" + home + "' XDG_DATA_HOME='" + home +
        "/.local/share' XDG_CONFIG_HOME='" + home + "/.config' '" + copy +
        "' --gtest_filter=ControllerTest.TheSiblingEditorStartsWithTheRecordingOrIsReportedMissing > '" +
        output + "' 2>&1";
    int status = std::system(command.c_str());
    EXPECT_EQ(status, 0) << ReadFileBytes(Utf8ToWStringRet(output));
    EXPECT_NE(ReadFileBytes(Utf8ToWStringRet(output)).find("[  PASSED  ] 1 test"), std::string::npos);
    std::filesystem::remove_all(own, error);
    return;
  }
  std::wstring dir;
  ASSERT_TRUE(GetModuleDir(dir));
  std::wstring editor = dir + L"Tarnwell/Tarnwell";
  EXPECT_EQ(m_controller->RunAudioMontage(L"/music/a b.mp3"), 2);
  EXPECT_NE(m_controller->GetLastErrorText().find(L"Tarnwell/Tarnwell"), std::wstring::npos);

  std::wstring out = std::wstring(GetDataDir().c_str()) + L"editor-args.txt";
  CreateFolderChain(dir + L"Tarnwell");
  WriteFileBytes(editor, "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + WStringToUtf8Ret(out) + "'\n");
  chmod(WStringToUtf8Ret(editor).c_str(), 0755);
  EXPECT_EQ(m_controller->RunAudioMontage(L"/music/a b.mp3"), 0);
  for (int i = 0; i < 500 && ReadFileBytes(out).empty(); ++i) Sleep(10);
  EXPECT_EQ(ReadFileBytes(out), "1|/music/a b.mp3");
}

TEST_F(ControllerTest, TheStoreAndSettingsOutliveTheController) {
  std::wstring rec = std::wstring(GetDataDir().c_str()) + L"kept.wav";
  WriteFileBytes(rec, "RIFF");
  CRecordFileInfo info;
  info.FilePath = rec.c_str();
  info.FileName = L"kept.wav";
  m_controller->GetStore().m_records.push_back(info);
  m_controller->GetOutput().output_format = 3;
  m_controller->GetTimerOption().option_everyday = 1;
  m_controller->GetMoreSetting().common_close_hide = 1;
  delete m_controller;
  m_controller = new CBllMain();
  ASSERT_EQ(m_controller->GetStore().m_records.size(), 1u);
  EXPECT_EQ(std::wstring(m_controller->GetStore().m_records[0].FilePath.c_str()), rec);
  EXPECT_EQ(m_controller->GetOutput().output_format, 3);
  EXPECT_EQ(m_controller->GetTimerOption().option_everyday, 1);
  EXPECT_EQ(m_controller->GetMoreSetting().common_close_hide, 1);
}

TEST(ControllerClock, TheWindowsReadNowFromTheClockTheTasksRunOn) {
  ASSERT_TRUE(EnsureDataFolder());
  RemoveDataFile(GetTimerXmlPath());
  auto fake = std::make_shared<FakeTimerClock>(SYSTEMTIME{2031, 3, 0, 14, 9, 26, 53, 0});
  fake->SetFrozen(true);
  {
    CBllMain controller(fake);
    const SYSTEMTIME now = controller.GetClock().LocalNow();
    EXPECT_EQ(now.wYear, 2031);
    EXPECT_EQ(now.wHour, 9);
    EXPECT_EQ(now.wSecond, 53);
  }
  // Without a clock of its own the controller reads the system's.
  CBllMain controller;
  SYSTEMTIME local{};
  GetLocalTime(&local);
  const SYSTEMTIME now = controller.GetClock().LocalNow();
  EXPECT_LE(TimerUnits(now) - TimerUnits(local), 60 * 1000 * kTimerMsUnits);
}

}  // namespace
