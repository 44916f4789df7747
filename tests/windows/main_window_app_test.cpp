// The program on the test servers: one centred main window with its idle
// texts, a second start that brings it back, the floating window's and the
// timer tasks' messages, and the commands that open the product's pages
// and the output folder.
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <fstream>
#include <thread>

#include "base/AppFolders.h"
#include "base/CodePage.h"
#include "base/SingleInstance.h"
#include "core/SHostWnd.h"
#include "logic/LogicMessages.h"
#include "logic/TimertaskInfo.h"
#include "controls/CDlgStack.h"
#include "online/UpdateTips.h"
#include "windows/ProductLinks.h"
#include "app_fixture.h"

extern char** environ;

namespace {

using namespace ORIEL;

TEST_F(AppTest, OneCentredMainWindowWithItsIdleTexts) {
  EXPECT_EQ(FindWindowByNames(kMainHostClass, L"Velmora电脑录音软件"), Hwnd());
  EXPECT_EQ(WindowClassW(Hwnd()), kMainHostClass);
  EXPECT_EQ(WindowTextW(Hwnd()), L"Velmora电脑录音软件");
  // The crash module took the program's crash observer, still unused.
  ASSERT_NE(program.CrashObserver(), nullptr);
  EXPECT_TRUE(program.CrashObserver()->IsArmed());

  RECT rc{}, work{};
  GetWindowRect(Hwnd(), &rc);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((rc.left + rc.right) / 2, (work.left + work.right) / 2, 2);
  EXPECT_NEAR((rc.top + rc.bottom) / 2, (work.top + work.bottom) / 2, 2);

  EXPECT_EQ(TextOf(L"txt_state"), L"开始\nCtrl+F2");
  EXPECT_EQ(TextOf(L"txt_end"), L"停止\nCtrl+F2");
  EXPECT_EQ(TextOf(L"txt_time"), L"00:00:00");
  ASSERT_NE(Element(L"btn_stop"), nullptr);
  EXPECT_TRUE(Element(L"btn_stop")->IsDisabled());
  EXPECT_FALSE(Element(L"btn_start")->IsDisabled());
  EXPECT_TRUE(HasSkin(L"btn_start", L"md_btn_recordStart"));
  EXPECT_TRUE(HasSkin(L"btn_mic", L"md_btn_volume_micNormal"));
  // The format panel shows the settings: both sources, two channels, mp3.
  EXPECT_TRUE(Element(L"rb_mix")->IsChecked());
  EXPECT_FALSE(Element(L"rb_mic")->IsChecked());
  EXPECT_FALSE(Element(L"rb_speaker")->IsChecked());
  EXPECT_TRUE(Element(L"rb_channel2")->IsChecked());
  EXPECT_EQ(Main().GetOutputPart().FormatBox()->GetItemText(Main().GetOutputPart().FormatBox()->GetCurSel()), L"mp3");
  // Only the framework's part class is still to come; every other element
  // of the view is there and of its class.
  EXPECT_TRUE(Main().MissingElements().empty());

  // The record button is the accent red left of its white centre, the
  // window around it white.
  const POINT red = ScreenPoint(L"btn_start", 8, 28);
  EXPECT_EQ(screenPixel(red.x, red.y), 0xDD2421u);
  const POINT white = ScreenPoint(L"txt_time", 2, 2);
  EXPECT_EQ(screenPixel(white.x, white.y), 0xFFFFFFu);
}

int IndexOf(SComboBox* box, const wchar_t* text) {
  for (int i = 0; i < box->GetCount(); ++i)
    if (box->GetItemText(i) == text) return i;
  return -1;
}

TEST_F(AppTest, TheFormatPanelCorrectsTheRecordAndRefillsQuietly) {
  SPartOutputArg& panel = Main().GetOutputPart();
  CArgOutput& arg = Bll().GetOutput();
  int events = 0;
  for (SComboBox* box : {panel.FormatBox(), panel.RateBox(), panel.QualityBox()})
    box->SubscribeEvent(EventCBSelChange::EventID, [&](EventArgs*) {
      ++events;
      return false;
    });

  // The user picks amr: its only rate and its fractional option stay exact.
  panel.FormatBox()->SetCurSel(IndexOf(panel.FormatBox(), L"amr"));
  EXPECT_EQ(panel.RateBox()->GetItemText(panel.RateBox()->GetCurSel()), L"8000");
  EXPECT_EQ(arg.output_samplerate, 8000);
  panel.QualityBox()->SetCurSel(IndexOf(panel.QualityBox(), L"10.20kbps"));
  EXPECT_EQ(arg.output_quality, 10.2);
  EXPECT_EQ(events, 2) << "the user's two choices, none of the refills";

  // Reloading shows the first format but leaves the record alone.
  events = 0;
  const int format = arg.output_format;
  panel.ReloadLists();
  EXPECT_EQ(panel.FormatBox()->GetCurSel(), 0);
  EXPECT_EQ(arg.output_format, format);
  EXPECT_EQ(arg.output_quality, 10.2);
  panel.SelectCurrent();
  EXPECT_EQ(panel.FormatBox()->GetItemText(panel.FormatBox()->GetCurSel()), L"amr");
  EXPECT_EQ(panel.QualityBox()->GetItemText(panel.QualityBox()->GetCurSel()), L"10.20kbps");
  EXPECT_EQ(events, 0);

  // Values outside the radios' groups leave them as they were.
  arg.output_device = 3;
  arg.output_channel = 0;
  panel.SelectCurrent();
  EXPECT_TRUE(Element(L"rb_mix")->IsChecked());
  EXPECT_TRUE(Element(L"rb_channel2")->IsChecked());

  // A format the list lacks: the first one, selected and stored.
  arg.output_format = 77;
  panel.SelectCurrent();
  EXPECT_EQ(panel.FormatBox()->GetCurSel(), 0);
  EXPECT_EQ(arg.output_format, static_cast<int>(panel.FormatBox()->GetItemData(0)));
}

TEST_F(AppTest, ASecondStartBringsTheMinimisedFirstBackAndExits) {
  ShowWindow(Hwnd(), SW_MINIMIZE);
  ASSERT_TRUE(pumpUntil([&] { return IsIconic(Hwnd()) != FALSE; }));

  const std::string program = WideToUtf8(std::wstring(GetExeDir().c_str())) + "/quorvale";
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ), 0);
  const auto started = std::chrono::steady_clock::now();
  int status = -1;
  bool exited = false;
  // Our loop keeps running: the first instance answers while the second waits.
  pumpUntil(
      [&] {
        exited = waitpid(child, &status, WNOHANG) == child;
        return exited;
      },
      20000);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (!exited) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }
  ASSERT_TRUE(exited) << "the second start did not end";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  std::cout << "[ second start ] ended after " << seconds << " s\n";
  EXPECT_TRUE(pumpUntil([&] { return !IsIconic(Hwnd()) && IsWindowVisible(Hwnd()); }))
      << "the first window is restored";
  EXPECT_EQ(FindWindowByNames(kMainHostClass, L""), Hwnd()) << "one window of the class";
}

// What the update tip's timer saw while the tip was open.
struct TipSeen {
  size_t stacked = 0;
  HWND top = nullptr;
  bool visible = false;
};
TipSeen g_tipSeen;

int g_tipTicks = 0;

void CALLBACK RecallTheTip(HWND, UINT, UINT_PTR, DWORD) {
  ORIEL::CDlgStack& stack = ORIEL::CDlgStack::Instance();
  // A tip shown beside the stack, in the plain box, fails the test instead
  // of hanging it.
  if (++g_tipTicks == 100)
    if (HWND box = FindWindowW(L"QuorvaleUpdateTip", nullptr)) PostMessageW(box, WM_CLOSE, 0, 0);
  if (stack.IsEmpty() || g_tipSeen.stacked) return;
  g_tipSeen = {stack.Count(), stack.Top(), IsWindowVisible(stack.Top()) != 0};
  stack.RecallAll();
}

TEST_F(AppTest, UpdateTipsRunAsTheProgramsTipDialogOnTheDialogStack) {
  ASSERT_TRUE(ORIEL::CDlgStack::Instance().IsEmpty());
  g_tipSeen = {};
  g_tipTicks = 0;
  UpdateTip tip;
  tip.text = L"检测到新版本，是否更新？";
  tip.okText = L"更新";
  tip.noText = L"取消";
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, &RecallTheTip);
  const int answer = ShowUpdateTip(Hwnd(), tip);
  KillTimer(nullptr, timer);
  EXPECT_EQ(g_tipSeen.stacked, 1u) << "the tip stands on the dialog stack";
  EXPECT_NE(g_tipSeen.top, nullptr);
  EXPECT_NE(g_tipSeen.top, Hwnd());
  EXPECT_TRUE(g_tipSeen.visible);
  // A recalled tip was not accepted.
  EXPECT_EQ(answer, kTipClose);
  EXPECT_TRUE(ORIEL::CDlgStack::Instance().IsEmpty());
}

TEST_F(AppTest, FloatingWindowCommandsAndTimerTaskMessages) {
  EXPECT_EQ(SendMessageW(Hwnd(), UM_FLOW_COMMAND, 7, 0), static_cast<LRESULT>(0x80004001));
  EXPECT_FALSE(Recording()) << "an unknown command does nothing";
  EXPECT_EQ(SendMessageW(Hwnd(), UM_TIMERTASK_EVENT, kTimerTaskStart, 0), 0) << "no task: nothing";
  EXPECT_FALSE(Recording());

  Bll().GetOutput().output_device = 1;
  EXPECT_EQ(SendMessageW(Hwnd(), UM_FLOW_COMMAND, 1, 0), static_cast<LRESULT>(0x80004001));
  ASSERT_TRUE(pumpUntil([&] { return Recording(); }));
  CTimertaskInfo task;
  task.date.duration = 60000;
  EXPECT_EQ(SendMessageW(Hwnd(), UM_TIMERTASK_EVENT, kTimerTaskStart, reinterpret_cast<LPARAM>(&task)), -1);
  pumpFor(300);
  EXPECT_TRUE(Recording()) << "the running recording goes on";
  EXPECT_EQ(TextOf(L"txt_state"), L"暂停\nCtrl+F3");
  EXPECT_FALSE(Element(L"btn_stop")->IsDisabled());
  EXPECT_EQ(SendMessageW(Hwnd(), UM_FLOW_COMMAND, 0, 0), static_cast<LRESULT>(0x80004001));
  EXPECT_TRUE(pumpUntil([&] { return !Recording() && Element(L"btn_stop")->IsDisabled(); }));
}

// An xdg-open of the test's own first on PATH writes what it is asked to open.
class OpenedAddresses : public AppTest {
 protected:
  void SetUp() override {
    dir = std::string(getenv("HOME")) + "/opener";
    std::filesystem::create_directories(dir);
    record = dir + "/opened.txt";
    std::ofstream script(dir + "/xdg-open");
    script << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << record << "'\n";
    script.close();
    chmod((dir + "/xdg-open").c_str(), 0755);
    oldPath = getenv("PATH");
    setenv("PATH", (dir + ":" + oldPath).c_str(), 1);
    AppTest::SetUp();
  }
  void TearDown() override {
    AppTest::TearDown();
    setenv("PATH", oldPath.c_str(), 1);
  }
  std::vector<std::string> Opened(size_t count) {
    std::vector<std::string> lines;
    pumpUntil([&] {
      lines.clear();
      std::ifstream in(record);
      for (std::string line; std::getline(in, line);) lines.push_back(line);
      return lines.size() >= count;
    });
    return lines;
  }
  std::string dir, record, oldPath;
};

TEST_F(OpenedAddresses, TutorialFeedbackAndTheOutputFolder) {
  ASSERT_NE(Main().GetCaptionHandler(), nullptr);
  // The menu's choices arrive at the main window as commands with code 0
  // and reach the caption's handler through its part. Each opening is
  // waited for: the handlers run side by side and would write in any order.
  SendMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(SPartCaption::kMenuTutorial, 0), 0);
  ASSERT_EQ(Opened(1).size(), 1u);
  SendMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(SPartCaption::kMenuFeedback, 0), 0);
  ASSERT_EQ(Opened(2).size(), 2u);
  // Another notification code is not a menu choice.
  SendMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(SPartCaption::kMenuTutorial, 1), 0);
  const std::string folder = dir + "/out/录音";
  Bll().GetOutput().output_dir = Utf8ToWide(folder);
  Click(L"btn_open");
  const std::vector<std::string> lines = Opened(3);
  pumpFor(300);
  ASSERT_EQ(Opened(3).size(), 3u) << "nothing more than the three";
  EXPECT_EQ(lines[0], WideToUtf8(DefaultTutorialUrl()));
  EXPECT_EQ(lines[1], WideToUtf8(DefaultCommunityUrl()));
  EXPECT_EQ(lines[2], folder);
  EXPECT_TRUE(std::filesystem::is_directory(folder)) << "the folder is made before it is opened";
}

}  // namespace
