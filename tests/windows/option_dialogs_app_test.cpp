// The close prompt, the settings dialog and the timer-task dialog opened
// from their layouts over the controller, each run modally while a script
// of steps acts on it through the framework's own input: the close prompt's
// answers, the settings stored at once (split minutes, microphone list,
// check boxes, start at logon, the floating window), and the timer-task
// dialog's opening, refusals with their exact lines, adding and removing.
#include "../platform-display/display_helper.h"
#include "program_app.h"
#include "modal_script.h"

#include <filesystem>
#include <atomic>
#include <functional>
#include <thread>

#include "../logic/data_files.h"
#include "../logic/fake_timer_clock.h"
#include "../logic/test_main_window.h"
#include "base/CodePage.h"
#include "control/SComboBox.h"
#include "control/SHotKeyCtrl.h"
#include "controls/SMCListViewEx.h"
#include "logic/BllMain.h"
#include "logic/DataFiles.h"
#include "windows/CAdpaterTimerList.h"
#include "windows/SDlgOptionMore.h"
#include "windows/SDlgOptionTimerTask.h"
#include "windows/SDlgTipClose.h"
#include "windows/TaskTip.h"
#include "screen_golden.h"
#include <X11/keysym.h>

using namespace ORIEL;

namespace {

class OptionDialogs : public ProgramAppTest {
 protected:
  void SetUp() override {
    ProgramAppTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(EnsureDataFolder());
    RemoveDataFile(GetTimerXmlPath());
    controller_ = &CBllMain::Instance(clock_);
    main_ = std::make_unique<TestMainWindow>(controller_);
    controller_->SetMainWindow(main_.get());
    controller_->AttachAdapters(nullptr, &adapter_);
    adapter_.SetManager(&controller_->GetTimerManager());
    previousShower_ = SetTaskTipShower([this](HWND, const std::vector<SStringW>& lines) {
      std::vector<std::wstring> copy;
      for (const SStringW& l : lines) copy.emplace_back(l.c_str());
      tips_.push_back(copy);
    });
  }
  void TearDown() override {
    SetTaskTipShower(previousShower_);
    if (controller_) {
      controller_->AttachAdapters(nullptr, nullptr);
      controller_->SetMainWindow(nullptr);
      CBllMain::DeleteInstance();
    }
    main_.reset();
    ProgramAppTest::TearDown();
  }
  // The controller's clock when a test gives one before SetUp.
  std::shared_ptr<ITimerClock> clock_;
  CBllMain* controller_ = nullptr;
  std::unique_ptr<TestMainWindow> main_;
  CAdpaterTimerList adapter_;
  TaskTipShower previousShower_;
  std::vector<std::vector<std::wstring>> tips_;
};

struct CloseCase {
  bool exitPreset;
  std::vector<const wchar_t*> clicks;  // elements clicked in turn
  bool altF4;
  INT_PTR result;
  bool exitChosen;
  bool remember;
};

TEST_F(OptionDialogs, ClosePromptAnswers) {
  const CloseCase cases[] = {
      {false, {L"btn_ok"}, false, 1, false, false},
      {true, {L"btn_ok"}, false, 1, true, false},
      {false, {L"custom_folder", L"chk_auto", L"btn_ok"}, false, 1, true, true},
      {true, {L"original_folder", L"chk_auto", L"chk_auto", L"btn_ok"}, false, 1, false, false},
      {false, {L"btn_close"}, false, 8, false, false},
      {true, {}, true, 2, true, false},
  };
  for (const CloseCase& c : cases) {
    SDlgTipClose dlg;
    dlg.exitChosen = c.exitPreset;
    bool minimiseChecked = false, exitChecked = false;
    std::vector<std::function<bool()>> steps{[&] {
      if (!Shown(dlg)) return false;
      minimiseChecked = dlg.FindDescendantByName(L"original_folder")->IsChecked();
      exitChecked = dlg.FindDescendantByName(L"custom_folder")->IsChecked();
      return true;
    }};
    for (const wchar_t* name : c.clicks) steps.push_back([&dlg, name] {
      ClickElement(dlg, name);
      return true;
    });
    if (c.altF4) steps.push_back([&] {
      PostMessageW(dlg.GetHwnd(), WM_CLOSE, 0, 0);
      return true;
    });
    ModalScript script(steps);
    EXPECT_EQ(dlg.DoModal(nullptr), c.result);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(minimiseChecked, !c.exitPreset);
    EXPECT_EQ(exitChecked, c.exitPreset);
    EXPECT_EQ(dlg.exitChosen, c.exitChosen);
    EXPECT_EQ(dlg.remember, c.remember);
  }
}

TEST_F(OptionDialogs, SettingsApplyAtOnceAndCloseWithEightOrTwo) {
  CArgOutput& out = controller_->GetOutput();
  CFileMoreSetting& more = controller_->GetMoreSetting();
  out.output_split_time = 300000;
  out.output_mic_name = L"Studio Mic";
  out.output_mic_id = L"studio.absent";
  more.common_auto_open = 0;
  more.common_showflow_desktop = 0;
  SDlgOptionMore dlg;
  SStringW splitShown, micShown, afterNegative;
  int autostartFile = -1, autostartGone = -1;
  const std::string autostart =
      std::string(getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "") + "/autostart/Quorvale.desktop";
  ModalScript script({
      [&] {
        if (!Shown(dlg)) return false;
        splitShown = TextOf(dlg, L"edit_duration");
        micShown = TextOf(dlg, L"cbx_mic");
        return true;
      },
      [&] {
        dlg.FindDescendantByName(L"edit_duration")->SetText(L"5.5");
        return true;
      },
      [&] {
        EXPECT_EQ(out.output_split_time, 330000);
        dlg.FindDescendantByName(L"edit_duration")->SetText(L"0.1");
        EXPECT_EQ(out.output_split_time, 6000);
        dlg.FindDescendantByName(L"edit_duration")->SetText(L"-1");
        afterNegative = TextOf(dlg, L"edit_duration");
        EXPECT_EQ(out.output_split_time, 6000);
        dlg.FindDescendantByName(L"edit_duration")->SetText(L"abc");
        EXPECT_EQ(out.output_split_time, 6000);
        dlg.FindDescendantByName(L"edit_duration")->SetText(L"99999");
        EXPECT_EQ(out.output_split_time, 2147460000);
        dlg.FindDescendantByName(L"edit_title")->SetText(L"晨会");
        return true;
      },
      [&] {
        ClickElement(dlg, L"check_showFlowDesktop");
        ClickElement(dlg, L"check_autoOpen");
        return true;
      },
      [&] {
        autostartFile = std::filesystem::exists(autostart) ? 1 : 0;
        ClickElement(dlg, L"check_autoOpen");
        return true;
      },
      [&] {
        autostartGone = std::filesystem::exists(autostart) ? 0 : 1;
        ClickElement(dlg, L"btn_hotkey");
        // A new key for starting a recording: stored, and every hot key
        // registered again through the main window.
        auto* key = static_cast<SHotKeyCtrl*>(dlg.FindDescendantByName(L"hk_startRecord"));
        key->SetHotKey(VK_F9, MOD_CONTROL);
        EventSetHotKey set(key);
        set.vKey = VK_F9;
        set.wModifiers = MOD_CONTROL;
        key->RaiseEvent(&set);
        return true;
      },
      [&] {
        ClickElement(dlg, L"btn_close");
        return true;
      },
  });
  EXPECT_EQ(dlg.DoModal(nullptr), 8);
  EXPECT_TRUE(script.finished());
  EXPECT_STREQ(splitShown.c_str(), L"5.00");
  EXPECT_STREQ(micShown.c_str(), L"不存在的设备：Studio Mic");
  EXPECT_STREQ(afterNegative.c_str(), L"0.0");
  EXPECT_EQ(out.output_id3_title, L"晨会");
  EXPECT_EQ(more.common_showflow_desktop, 1);
  EXPECT_TRUE(main_->flow.visible);
  EXPECT_EQ(autostartFile, 1) << autostart;
  EXPECT_EQ(autostartGone, 1);
  EXPECT_EQ(more.common_auto_open, 0);
  EXPECT_EQ(more.hotkeys[1].vk, VK_F9);
  EXPECT_EQ(more.hotkeys[1].mod, MOD_CONTROL);
  ASSERT_GE(main_->hotKeyCalls.size(), 2u);
  EXPECT_FALSE(main_->hotKeyCalls[main_->hotKeyCalls.size() - 2].first);
  EXPECT_TRUE(main_->hotKeyCalls.back().first);

  // Alt+F4 ends it with 2; the changes stay.
  SDlgOptionMore again;
  ModalScript close({[&] {
    if (!Shown(again)) return false;
    PostMessageW(again.GetHwnd(), WM_CLOSE, 0, 0);
    return true;
  }});
  EXPECT_EQ(again.DoModal(nullptr), 2);
  EXPECT_EQ(out.output_split_time, 2147460000);
}

TEST_F(OptionDialogs, TimerTasksOpenRefuseAddAndRemove) {
  controller_->GetTimerOption().option_everyday = 0;
  SDlgOptionTimerTask dlg(controller_->GetOutput());
  SYSTEMTIME before = controller_->GetClock().LocalNow();
  SYSTEMTIME shownStart{};
  SStringW shownName, shownDuration;
  auto setStart = [&](SYSTEMTIME t) {
    static_cast<SDateTimePicker*>(dlg.FindDescendantByName(L"dtp_start"))->SetTime(t);
  };
  auto setDuration = [&](const wchar_t* h, const wchar_t* m, const wchar_t* s) {
    // Seconds first: no field passes through a zero duration on the way.
    dlg.FindDescendantByName(L"edit_duration_second")->SetText(s);
    dlg.FindDescendantByName(L"edit_duration_minute")->SetText(m);
    dlg.FindDescendantByName(L"edit_duration_hour")->SetText(h);
  };
  SYSTEMTIME tomorrow = TimerTimeOfUnits(TimerUnits(before) + kTimerDayUnits);
  auto at = [&](WORD h, WORD m, WORD s) {
    SYSTEMTIME t = tomorrow;
    t.wHour = h;
    t.wMinute = m;
    t.wSecond = s;
    t.wMilliseconds = 0;
    return t;
  };
  ModalScript script({
      [&] {
        if (!Shown(dlg)) return false;
        shownStart = static_cast<SDateTimePicker*>(dlg.FindDescendantByName(L"dtp_start"))->GetTime();
        shownName = TextOf(dlg, L"edit_name");
        shownDuration = TextOf(dlg, L"edit_duration_hour") + L":" + TextOf(dlg, L"edit_duration_minute") + L":" +
                        TextOf(dlg, L"edit_duration_second");
        return true;
      },
      [&] {
        dlg.FindDescendantByName(L"edit_name")->SetText(L"");
        ClickElement(dlg, L"btn_ok");
        dlg.FindDescendantByName(L"edit_name")->SetText(L"早间");
        setStart(TimerTimeOfUnits(TimerUnits(controller_->GetClock().LocalNow()) - 60 * 1000 * kTimerMsUnits));
        ClickElement(dlg, L"btn_ok");
        setStart(at(23, 30, 0));
        setDuration(L"00", L"30", L"00");
        ClickElement(dlg, L"btn_ok");
        // 00:29:59 fits the day.
        setDuration(L"00", L"29", L"59");
        EXPECT_TRUE(dlg.AddTask());
        // The same name at a free time; the same start; touching its end.
        EXPECT_STRNE(TextOf(dlg, L"edit_name").c_str(), L"早间");
        dlg.FindDescendantByName(L"edit_name")->SetText(L"早间");
        setStart(at(10, 0, 0));
        setDuration(L"00", L"10", L"00");
        ClickElement(dlg, L"btn_ok");
        dlg.FindDescendantByName(L"edit_name")->SetText(L"午间");
        setStart(at(23, 30, 0));
        ClickElement(dlg, L"btn_ok");
        setStart(at(23, 20, 0));
        ClickElement(dlg, L"btn_ok");
        // A second's gap is no conflict.
        setStart(at(23, 19, 59));
        setDuration(L"00", L"10", L"00");
        EXPECT_TRUE(dlg.AddTask());
        // The field check and the spin.
        setDuration(L"25", L"10", L"00");
        EXPECT_STREQ(TextOf(dlg, L"edit_duration_hour").c_str(), L"01");
        setDuration(L"00", L"00", L"01");
        ClickElement(dlg, L"btn_duration_down");
        EXPECT_STREQ(TextOf(dlg, L"edit_duration_second").c_str(), L"01");
        return true;
      },
      [&] {
        // Window close is ignored; "取消" ends it.
        SendMessageW(dlg.GetHwnd(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(Shown(dlg));
        ClickElement(dlg, L"btn_no");
        return true;
      },
  });
  EXPECT_EQ(dlg.DoModal(nullptr), 8);
  EXPECT_TRUE(script.finished());
  const int64_t ahead = static_cast<int64_t>(TimerUnits(shownStart) - TimerUnits(before)) / 10000000;
  EXPECT_GE(ahead, 3599);
  EXPECT_LE(ahead, 3660);
  EXPECT_EQ(std::wstring(shownName.c_str()).rfind(L"Task-", 0), 0u);
  EXPECT_EQ(shownName.GetLength(), 20);
  EXPECT_STREQ(shownDuration.c_str(), L"00:10:00");
  const std::vector<std::vector<std::wstring>> expected = {
      {L"任务名字不能为空。"},
      {L"添加任务失败！", L"定时任务的开始时间必须大于当前系统时间。"},
      {L"添加任务失败！", L"定时任务的任务时长不得超过当天日期。"},
      {L"任务名称与【早间】冲突。"},
      {L"开始时间与【早间】冲突。"},
      {L"录制时间与【早间】冲突。"},
  };
  EXPECT_EQ(tips_, expected);
  CTimertaskManager& manager = controller_->GetTimerManager();
  ASSERT_EQ(manager.GetCount(), 2u);
  EXPECT_EQ(std::wstring(manager.GetTaskAt(0).name.c_str()), L"午间");
  // Removing an idle row takes it out at once; a row past the end does nothing.
  EXPECT_FALSE(adapter_.RemoveTaskAt(5, nullptr));
  EXPECT_TRUE(adapter_.RemoveTaskAt(0, nullptr));
  ASSERT_EQ(manager.GetCount(), 1u);
  EXPECT_EQ(std::wstring(manager.GetTaskAt(0).name.c_str()), L"早间");
}

// A machine so slow that time moves on between the dialog's checks and
// the manager's: every read of the clock on the armed thread passes two
// seconds. The scheduler's reads on its own thread do not move it.
class SlowReadClock : public FakeTimerClock {
 public:
  using FakeTimerClock::FakeTimerClock;
  SYSTEMTIME LocalNow() override {
    const SYSTEMTIME now = FakeTimerClock::LocalNow();
    if (armed_ && std::this_thread::get_id() == thread_) JumpWall(2000);
    return now;
  }
  void Arm() {
    thread_ = std::this_thread::get_id();
    armed_ = true;
  }

 private:
  std::atomic<bool> armed_{false};
  std::thread::id thread_;
};

class OptionDialogsOnTestClock : public OptionDialogs {
 protected:
  void SetUp() override {
    clock = std::make_shared<SlowReadClock>(MakeTime(2026, 12, 10, 10, 0, 0));
    clock->SetFrozen(true);
    clock_ = clock;
    OptionDialogs::SetUp();
  }
  std::shared_ptr<SlowReadClock> clock;
};

// The manager refuses a task whose start passed after the dialog checked
// it: the user is told, and neither the list nor the fields change.
TEST_F(OptionDialogsOnTestClock, ATaskTheManagerRefusesIsReportedAndNothingChanges) {
  controller_->GetTimerOption().option_everyday = 0;
  SDlgOptionTimerTask dlg(controller_->GetOutput());
  bool added = true;
  SStringW nameAfter;
  ModalScript script({
      [&] { return Shown(dlg); },
      [&] {
        dlg.FindDescendantByName(L"edit_name")->SetText(L"迟到");
        static_cast<SDateTimePicker*>(dlg.FindDescendantByName(L"dtp_start"))
            ->SetTime(MakeTime(2026, 12, 10, 10, 0, 1));
        dlg.FindDescendantByName(L"edit_duration_second")->SetText(L"05");
        dlg.FindDescendantByName(L"edit_duration_minute")->SetText(L"00");
        clock->Arm();
        added = dlg.AddTask();
        nameAfter = TextOf(dlg, L"edit_name");
        ClickElement(dlg, L"btn_no");
        return true;
      },
  });
  EXPECT_EQ(dlg.DoModal(nullptr), 8);
  EXPECT_TRUE(script.finished());
  EXPECT_FALSE(added);
  EXPECT_EQ(tips_, (std::vector<std::vector<std::wstring>>{
                       {L"添加任务失败！", L"定时任务的开始时间必须大于当前系统时间。"}}));
  EXPECT_EQ(controller_->GetTimerManager().GetCount(), 0u);
  EXPECT_STREQ(nameAfter.c_str(), L"迟到") << "the fields stay for another try";
}

// Real keys on the timer-task dialog: Enter adds, Alt+F4 does nothing,
// Esc ends it with 8; on the settings dialog Esc ends it with 8 too.
TEST_F(OptionDialogs, EnterAddsAltF4IsIgnoredAndEscEndsWithEight) {
  controller_->GetTimerOption().option_everyday = 1;
  SDlgOptionTimerTask dlg(controller_->GetOutput());
  bool shownAfterAltF4 = false;
  int wait = 0;
  ModalScript script({
      [&] { return Shown(dlg); },
      [&] {
        dlg.FindDescendantByName(L"edit_name")->SetText(L"回车");
        FocusForKeys(dlg);
        tapKey(XK_Return);
        return true;
      },
      [&] { return controller_->GetTimerManager().GetCount() == 1 || ++wait > 80; },
      [&] {
        FocusForKeys(dlg);
        pressKey(XK_Alt_L);
        tapKey(XK_F4);
        releaseKey(XK_Alt_L);
        wait = 0;
        return true;
      },
      [&] { return ++wait > 8; },
      [&] {
        shownAfterAltF4 = Shown(dlg);
        FocusForKeys(dlg);
        tapKey(XK_Escape);
        return true;
      },
  });
  EXPECT_EQ(dlg.DoModal(nullptr), 8);
  EXPECT_TRUE(script.finished());
  EXPECT_TRUE(tips_.empty());
  ASSERT_EQ(controller_->GetTimerManager().GetCount(), 1u);
  EXPECT_EQ(std::wstring(controller_->GetTimerManager().GetTaskAt(0).name.c_str()), L"回车");
  EXPECT_TRUE(shownAfterAltF4);

  SDlgOptionMore settings;
  ModalScript esc({
      [&] { return Shown(settings); },
      [&] {
        FocusForKeys(settings);
        tapKey(XK_Escape);
        return true;
      },
  });
  EXPECT_EQ(settings.DoModal(nullptr), 8);
  EXPECT_TRUE(esc.finished());
}

// An element's rectangle on the screen.
RECT OnScreen(SHostWnd& host, const wchar_t* name) {
  SWindow* w = host.FindDescendantByName(name);
  RECT rc = w ? w->GetWindowRect() : RECT{};
  POINT tl{rc.left, rc.top}, br{rc.right, rc.bottom};
  ClientToScreen(host.GetHwnd(), &tl);
  ClientToScreen(host.GetHwnd(), &br);
  return RECT{tl.x, tl.y, br.x, br.y};
}

RECT WindowOnScreen(SHostWnd& host) {
  RECT rc{};
  GetWindowRect(host.GetHwnd(), &rc);
  return rc;
}

// What a look at one dialog found.
struct Look {
  SIZE size{};
  int ink = 0;                        // ink width of the sample element
  std::vector<unsigned long> pixels;  // at the sample points, scaled
  bool golden = false;
};

// The settings and the timer-task dialog as their layouts draw them, on
// the fixed test clock (so the default name and start are always the
// same) and with the pointer away from them.
class OptionDialogsLook : public OptionDialogsOnTestClock {
 protected:
  void SetUp() override {
    OptionDialogsOnTestClock::SetUp();
    if (HasFatalFailure()) return;
    CArgOutput& out = controller_->GetOutput();
    out.output_mic_name = L"__device_in_default";
    out.output_mic_id.clear();
    out.output_split_time = 300000;
    out.output_open_split = false;
    CFileMoreSetting& more = controller_->GetMoreSetting();
    more.common_showflow_desktop = 1;
    more.common_showflow_recording = 0;
    more.common_auto_open = 0;
    controller_->GetTimerOption().option_everyday = 0;
    moveMouse(0, 0);
  }

 public:
  // Opens `dlg`, looks at it once drawn at `scale`, and closes it with
  // `closer`.
  Look LookAt(SDlgBase& dlg, int scale, const wchar_t* sample, const std::vector<POINT>& points,
              const wchar_t* closer, const std::string& golden) {
    Look look;
    ModalScript script({
        [&] { return Shown(dlg) && waitViewable(dlg.GetHwnd()); },
        [&] {
          pumpFor(300);
          const RECT rc = WindowOnScreen(dlg);
          look.size = {rc.right - rc.left, rc.bottom - rc.top};
          look.ink = InkWidth(OnScreen(dlg, sample));
          for (const POINT& p : points)
            look.pixels.push_back(screenPixel(rc.left + p.x * scale / 100, rc.top + p.y * scale / 100));
          // Runs draw the same pixels; a check box's tick alone is 37 of them.
          look.golden = golden.empty() || ScreenMatchesGolden(rc, golden, 8);
          ClickElement(dlg, closer);
          return true;
        },
    });
    dlg.DoModal(nullptr);
    EXPECT_TRUE(script.finished());
    return look;
  }
};

// A dialog of `width` x `height` at 100 % against its golden image, then
// at 150 and 200 %: its size scaled, the same colours at the scaled
// points, and the sample element's text as much wider.
struct ScaleCase {
  std::function<std::unique_ptr<SDlgBase>()> make;
  int width, height;
  const wchar_t* sample;  // an element whose ink is text
  const wchar_t* closer;
  std::vector<POINT> points;
  std::string golden;
};

void CheckLookAndScales(OptionDialogsLook& test, const ScaleCase& c) {
  std::unique_ptr<SDlgBase> at100 = c.make();
  const Look base = test.LookAt(*at100, 100, c.sample, c.points, c.closer, c.golden);
  EXPECT_EQ(base.size.cx, c.width);
  EXPECT_EQ(base.size.cy, c.height);
  EXPECT_TRUE(base.golden);
  EXPECT_GT(base.ink, 20) << "the sample's text is drawn";
  RootResources resources;
  RecordingClass probeClass(L"DpiProbe");
  HWND probe = CreateWindowExW(0, probeClass.name(), L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  for (const auto& [dpi, scale] : {std::pair{144, 150}, std::pair{192, 200}}) {
    RootResources::write(resources.withDpi(dpi));
    ASSERT_TRUE(pumpUntil([&] { return GetDpiForWindow(probe) == static_cast<UINT>(dpi); }));
    std::unique_ptr<SDlgBase> dlg = c.make();
    const Look look = test.LookAt(*dlg, scale, c.sample, c.points, c.closer, "");
    EXPECT_EQ(look.size.cx, c.width * scale / 100) << dpi;
    EXPECT_EQ(look.size.cy, c.height * scale / 100) << dpi;
    EXPECT_EQ(look.pixels, base.pixels) << dpi;
    EXPECT_NEAR(look.ink, base.ink * scale / 100, base.ink * scale / 1000) << dpi;
  }
  RootResources::write(resources.withDpi(0));
  EXPECT_TRUE(pumpUntil([&] { return GetDpiForWindow(probe) == 96u; }));
  DestroyWindow(probe);
}

TEST_F(OptionDialogsLook, SettingsAt100PercentMatchItsGoldenAndScaleTo150And200) {
  // The left pane, the checked page button, the caption.
  CheckLookAndScales(*this, {[] { return std::make_unique<SDlgOptionMore>(); }, 510, 350, L"btn_hotkey",
                             L"btn_close", {{20, 300}, {20, 70}, {200, 25}}, "settings_dialog_100"});
}

TEST_F(OptionDialogsLook, TimerTasksAt100PercentMatchItsGoldenAndScaleTo150And200) {
  // The window's body, the strong "确定" button, the list's header; inside
  // the screen at 200 % too, where the dialog is larger than the screen.
  CheckLookAndScales(*this, {[this] { return std::make_unique<SDlgOptionTimerTask>(controller_->GetOutput()); },
                             730, 650, L"btn_no", L"btn_no", {{60, 200}, {640, 300}, {100, 330}},
                             "timer_task_dialog_100"});
}

// A selected task row keeps the list's light look and its dark text: the
// row tinted a shade deeper than a hovered one, the cells readable.
TEST_F(OptionDialogsLook, ASelectedTaskRowIsLightWithItsTextDark) {
  SDlgOptionTimerTask dlg(controller_->GetOutput());
  SMCListViewEx* list = nullptr;
  RECT row{};
  bool matched = false;
  unsigned long rowBack = 0;
  ModalScript script({
      [&] { return Shown(dlg) && waitViewable(dlg.GetHwnd()); },
      [&] {
        EXPECT_TRUE(dlg.AddTask());
        list = static_cast<SMCListViewEx*>(dlg.FindDescendantByName(L"lv_task"));
        return true;
      },
      [&] {
        // A click in the name cell, away from the row's remove button.
        const RECT rc = list->RowRect(0);
        POINT pt{rc.left + 40, (rc.top + rc.bottom) / 2};
        ClientToScreen(dlg.GetHwnd(), &pt);
        moveMouse(pt.x, pt.y);
        clickButton(1);
        return true;
      },
      [&] {
        moveMouse(0, 0);  // no row hovered
        pumpFor(300);
        const RECT rc = list->RowRect(0);
        POINT tl{rc.left, rc.top}, br{rc.right, rc.bottom};
        ClientToScreen(dlg.GetHwnd(), &tl);
        ClientToScreen(dlg.GetHwnd(), &br);
        row = RECT{tl.x, tl.y, br.x, br.y};
        rowBack = screenPixel(row.left + 3, row.bottom - 3);
        matched = ScreenMatchesGolden(row, "timer_task_row_selected_100", 8);
        ClickElement(dlg, L"btn_no");
        return true;
      },
  });
  dlg.DoModal(nullptr);
  ASSERT_TRUE(script.finished());
  ASSERT_NE(list, nullptr);
  const unsigned long selected = 0xE3ECFB;
  for (int shift : {16, 8, 0})
    EXPECT_NEAR(static_cast<int>((rowBack >> shift) & 0xFF), static_cast<int>((selected >> shift) & 0xFF), 8)
        << std::hex << rowBack;
  EXPECT_TRUE(matched);
}

}  // namespace
