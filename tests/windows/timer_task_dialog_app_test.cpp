// The timer-task dialog opened from the running program's "btn_renwu", the
// program's timer tasks on a test clock that stands still until the test
// lets it run and keeps real pace while a task records: the opening
// state, a task a minute ahead added with Enter that waits, runs and
// leaves its file in its own format, rows removed with their buttons (an
// idle one at once, the running one refused with a tip), Alt+F4 ignored,
// the error log opened with xdg-open, Esc closing, and the task file
// after the program's exit.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../logic/fake_timer_clock.h"
#include "base/CodePage.h"
#include "base/Utf16.h"
#include "control/SComboBox.h"
#include "control/SDateTimePicker.h"
#include "controls/SDlgTip.h"
#include "control/SItemPanel.h"
#include "controls/SMCListViewEx.h"
#include "logic/DataFiles.h"
#include "windows/SDlgOptionTimerTask.h"
#include "windows/TimerTaskInput.h"
#include "app_fixture.h"
#include "modal_script.h"

namespace {

using namespace ORIEL;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

SYSTEMTIME LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  now.wMilliseconds = 0;
  return now;
}

SYSTEMTIME Plus(const SYSTEMTIME& t, int64_t seconds) {
  return TimerTimeOfUnits(TimerUnits(t) + static_cast<uint64_t>(seconds) * 1000 * kTimerMsUnits);
}

class TimerTaskDialog : public AppTest {
 protected:
  void SetUp() override {
    // The clock stands still at the real time until the tasks are filed.
    clock = std::make_shared<FakeTimerClock>(LocalNow());
    clock->SetStep(1000);
    clock->SetFrozen(true);
    timerClock = clock;
    std::filesystem::remove(WideToUtf8(GetTimerXmlPath()));
    AppTest::SetUp();
    if (!program.MainWindow()) return;
    // Real pace while a task runs, so its recording lasts its duration.
    CTimerTaskMgr* engine = &Bll().GetTimerManager().Engine();
    clock->SetRealtimeWhile([engine] { return engine->GetRunningDate().IsSet(); });
    RecordInto("timer");
    Bll().GetOutput().output_format = 0;  // mp3 live; the tasks ask for wav
    Bll().GetTimerOption().option_everyday = 0;
  }
  void TearDown() override {
    if (clock) clock->SetRealtimeWhile(nullptr);
    AppTest::TearDown();
  }
  static std::function<bool()> Await(std::function<bool()> done, int ticks = 100) {
    auto left = std::make_shared<int>(ticks);
    return [done, left] { return done() || --*left <= 0; };
  }
  SMCListViewEx* List() { return static_cast<SMCListViewEx*>(dlg->FindDescendantByName(L"lv_task")); }
  // The text of a cell of a shown row.
  std::wstring Cell(int row, const wchar_t* name) {
    SItemPanel* panel = List()->GetItemPanel(row);
    SWindow* w = panel ? panel->FindDescendantByName(name) : nullptr;
    return w ? std::wstring(w->GetText().c_str()) : L"<none>";
  }
  // A real click on a row's remove button.
  void ClickRemove(int row) {
    SItemPanel* panel = List()->GetItemPanel(row);
    ASSERT_NE(panel, nullptr) << row;
    SWindow* button = panel->FindDescendantByName(L"btn_remove");
    ASSERT_NE(button, nullptr);
    const RECT inRow = button->GetWindowRect();
    const RECT rowRect = List()->RowRect(row);
    POINT pt{rowRect.left + (inRow.left + inRow.right) / 2, rowRect.top + (inRow.top + inRow.bottom) / 2};
    ClientToScreen(dlg->GetHwnd(), &pt);
    moveMouse(pt.x, pt.y);
    clickButton(1);
  }
  void SetDuration(const wchar_t* h, const wchar_t* m, const wchar_t* s) {
    // Seconds first: no field passes through a zero duration on the way.
    dlg->FindDescendantByName(L"edit_duration_second")->SetText(s);
    dlg->FindDescendantByName(L"edit_duration_minute")->SetText(m);
    dlg->FindDescendantByName(L"edit_duration_hour")->SetText(h);
  }
  // Fills the fields and presses Enter on the dialog.
  void EnterTask(const wchar_t* name, const SYSTEMTIME& start, const wchar_t* h, const wchar_t* m,
                 const wchar_t* s) {
    dlg->FindDescendantByName(L"edit_name")->SetText(name);
    static_cast<SDateTimePicker*>(dlg->FindDescendantByName(L"dtp_start"))->SetTime(start);
    SetDuration(h, m, s);
    FocusForKeys(*dlg);
    tapKey(XK_Return);
  }
  size_t Tasks() { return Bll().GetTimerManager().GetCount(); }

  std::shared_ptr<FakeTimerClock> clock;
  SDlgOptionTimerTask* dlg = nullptr;
};

TEST_F(TimerTaskDialog, ATaskAMinuteAheadWaitsRunsAndLeavesItsFile) {
  const SYSTEMTIME now = clock->LocalNow();
  // A stand-in xdg-open on PATH that writes down what it was given.
  const std::string bin = std::string(getenv("HOME")) + "/bin";
  const std::string opened = bin + "/opened.txt";
  std::filesystem::create_directories(bin);
  {
    std::ofstream script(bin + "/xdg-open");
    script << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << opened << ".tmp'\nmv '" << opened << ".tmp' '" << opened
           << "'\n";
  }
  chmod((bin + "/xdg-open").c_str(), 0755);
  const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", (bin + ":" + oldPath).c_str(), 1);

  SYSTEMTIME shownStart{};
  std::wstring shownName, shownDuration, shownMode;
  std::vector<std::wstring> waitingRow, runningState, tipLines;
  bool tipAfterIdleRemove = true, shownAfterAltF4 = false, leftTheList = false;
  size_t afterIdleRemove = 99;
  std::vector<std::function<bool()>> steps{
      [&] {
        dlg = TopDialog<SDlgOptionTimerTask>();
        return dlg && Shown(*dlg);
      },
      [&] {
        shownStart = static_cast<SDateTimePicker*>(dlg->FindDescendantByName(L"dtp_start"))->GetTime();
        shownName = ::TextOf(*dlg, L"edit_name").c_str();
        shownDuration = std::wstring(::TextOf(*dlg, L"edit_duration_hour").c_str()) + L":" +
                        ::TextOf(*dlg, L"edit_duration_minute").c_str() + L":" +
                        ::TextOf(*dlg, L"edit_duration_second").c_str();
        shownMode = ::TextOf(*dlg, L"cbb_mode").c_str();
        // The system sound into wav: the task's own format.
        ClickElement(*dlg, L"rb_speaker");
        SComboBox* format = dlg->GetOutputPart().FormatBox();
        for (int i = 0; i < format->GetCount(); ++i)
          if (format->GetItemText(i) == L"wav") format->SetCurSel(i);
        EnterTask(L"一分钟后", Plus(now, 60), L"00", L"00", L"05");
        return true;
      },
      Await([&] { return Tasks() == 1; }),
      [&] {
        waitingRow = {Cell(0, L"txt_name"), Cell(0, L"txt_state"), Cell(0, L"txt_starttime"),
                      Cell(0, L"txt_duration"), Cell(0, L"txt_dev")};
        EnterTask(L"待删", Plus(now, 7200), L"00", L"10", L"00");
        return true;
      },
      Await([&] { return Tasks() == 2; }),
      [&] {
        EnterTask(L"保留", Plus(now, 3 * 3600), L"00", L"10", L"00");
        return true;
      },
      Await([&] { return Tasks() == 3; }),
      [&] {
        ClickRemove(1);
        return true;
      },
      Await([&] { return Tasks() == 2; }),
      [&] {
        afterIdleRemove = Tasks();
        tipAfterIdleRemove = TopDialog<SDlgTip>() != nullptr;
        clock->SetFrozen(false);
        return true;
      },
      Await([&] { return Cell(0, L"txt_state") == L"执行中..."; }, 400),
      [&] {
        runningState = {Cell(0, L"txt_name"), Cell(0, L"txt_state")};
        ClickRemove(0);
        return true;
      },
      Await([&] { return TopDialog<SDlgTip>() != nullptr && Shown(*TopDialog<SDlgTip>()); }),
      [&] {
        SDlgTip* tip = TopDialog<SDlgTip>();
        if (tip) {
          SWindow* lines = tip->FindDescendantByName(L"wnd_tip");
          for (SWindow* c = lines ? lines->GetRelative(GSW_FIRSTCHILD) : nullptr; c; c = c->GetRelative(GSW_NEXTSIBLING))
            tipLines.emplace_back(c->GetText().c_str());
          ClickElement(*tip, L"btn_ok");
        }
        return true;
      },
      Await([&] { return Tasks() == 1 && List()->GetVisibleCount() == 1; }, 400),
      [&] {
        leftTheList = Tasks() == 1 && Cell(0, L"txt_name") == L"保留";
        FocusForKeys(*dlg);
        pressKey(XK_Alt_L);
        tapKey(XK_F4);
        releaseKey(XK_Alt_L);
        return true;
      },
      Await([] { return false; }, 8),
      [&] {
        shownAfterAltF4 = TopDialog<SDlgOptionTimerTask>() == dlg && Shown(*dlg);
        ClickElement(*dlg, L"link_log");
        return true;
      },
      Await([&] { return access(opened.c_str(), F_OK) == 0; }),
      [&] {
        FocusForKeys(*dlg);
        tapKey(XK_Escape);
        return true;
      },
  };
  ModalScript script(steps);
  Click(L"btn_renwu");
  setenv("PATH", oldPath.c_str(), 1);
  EXPECT_TRUE(script.finished()) << "stopped at step " << script.at();
  EXPECT_EQ(TopDialog<SDlgOptionTimerTask>(), nullptr) << "Esc closed it";

  EXPECT_EQ(TimerUnits(shownStart), TimerUnits(Plus(now, 3600))) << "an hour ahead of the program's clock";
  EXPECT_EQ(shownName, DefaultTaskName(now));
  EXPECT_EQ(shownDuration, L"00:10:00");
  EXPECT_EQ(shownMode, L"定时");
  CTimerDate first;
  first.start = Plus(now, 60);
  first.duration = 5000;
  EXPECT_EQ(waitingRow, (std::vector<std::wstring>{L"一分钟后", L"等待", FormatTaskStartTime(first), L"00:00:05",
                                                   L"系统声音"}));
  EXPECT_EQ(afterIdleRemove, 2u) << "the idle row went at once";
  EXPECT_FALSE(tipAfterIdleRemove);
  EXPECT_EQ(runningState, (std::vector<std::wstring>{L"一分钟后", L"执行中..."}));
  EXPECT_EQ(tipLines, std::vector<std::wstring>{L"当前任务正在执行中，移除任务失败！"});
  EXPECT_TRUE(leftTheList) << "the finished task left the list";
  EXPECT_TRUE(shownAfterAltF4) << "Alt+F4 does not close it";
  EXPECT_EQ(ReadAll(opened), WideToUtf8(GetTimerLogPath()) + "\n");
  EXPECT_NE(GetTimerLogPath().find(L"logger-timer-exception.log"), std::wstring::npos);

  ASSERT_TRUE(pumpUntil([&] { return !Recording(); }));
  pumpFor(300);
  const std::vector<std::string> files = OutputFiles(".wav");
  ASSERT_EQ(files.size(), 1u) << "one file, in the task's format";
  EXPECT_TRUE(OutputFiles(".mp3").empty());
  const std::string probe =
      RunCommand("ffprobe -v error -select_streams a:0 -show_entries stream=codec_name:format=duration -of csv=p=0 '" +
          files[0] + "'");
  EXPECT_EQ(probe.substr(0, 9), "pcm_s16le") << probe;
  const double seconds = std::atof(probe.substr(probe.find('\n') + 1).c_str());
  // Five seconds of the task, less the recorder's start on a loaded machine.
  EXPECT_GT(seconds, 3.8) << probe;
  EXPECT_LT(seconds, 6.2) << probe;

  ExitProgram();
  const std::string saved = ReadAll(WideToUtf8(GetTimerXmlPath()));
  EXPECT_NE(saved.find("保留"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("待删"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("一分钟后"), std::string::npos) << saved;
}

}  // namespace
