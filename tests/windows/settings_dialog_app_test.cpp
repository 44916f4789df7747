// The settings dialog opened from the running program's "btn_set": a
// stored microphone that is not there, then plugged in and made the
// default; a hot key typed into its control with real keys and grabbed
// on the X server; start at logon as a desktop entry; the floating window
// shown and hidden; a split time that cuts a recording into files; and
// every change in the INI files after the program's exit.

#include <cstdio>
#include <filesystem>

#include "base/CodePage.h"
#include "base/Utf16.h"
#include "control/SComboBox.h"
#include "logic/FileMoreSetting.h"
#include "logic/FileOutputArgument.h"
#include "pulse_tools_helper.h"
#include "windows/SDlgOptionMore.h"
#include "app_fixture.h"
#include "modal_script.h"
#include <X11/Xlib.h>

namespace {

using namespace ORIEL;

// The container's duration in seconds as ffprobe reads it.
double ProbeSeconds(const std::string& path) {
  return std::atof(RunCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 '" + path + "'").c_str());
}

// Whether another client may grab Ctrl+<key> on the root: the server
// refuses (BadAccess) while the program holds it.
int g_grabError = 0;
int CatchGrabError(Display*, XErrorEvent* e) {
  g_grabError = e->error_code;
  return 0;
}
bool GrabbedByAnother(KeySym key) {
  Display* d = userDisplay();
  const KeyCode code = XKeysymToKeycode(d, key);
  XSync(d, False);
  g_grabError = 0;
  auto previous = XSetErrorHandler(CatchGrabError);
  XGrabKey(d, code, ControlMask, DefaultRootWindow(d), False, GrabModeAsync, GrabModeAsync);
  XSync(d, False);
  const bool refused = g_grabError == BadAccess;
  if (!refused) XUngrabKey(d, code, ControlMask, DefaultRootWindow(d));
  XSync(d, False);
  XSetErrorHandler(previous);
  return refused;
}

class SettingsDialog : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    RecordInto(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  // Opens the dialog from the main window's button and runs the steps
  // while it is open; the first step finds it.
  void WithSettings(std::vector<std::function<bool()>> steps) {
    dlg = nullptr;
    steps.insert(steps.begin(), [this] {
      dlg = TopDialog<SDlgOptionMore>();
      return dlg && Shown(*dlg);
    });
    ModalScript script(std::move(steps));
    Click(L"btn_set");
    EXPECT_TRUE(script.finished()) << "stopped at step " << script.at();
    EXPECT_EQ(TopDialog<SDlgOptionMore>(), nullptr);
  }
  // A step that waits (up to `ticks` script ticks) for a condition.
  static std::function<bool()> Await(std::function<bool()> done, int ticks = 100) {
    auto left = std::make_shared<int>(ticks);
    return [done, left] { return done() || --*left <= 0; };
  }
  bool FlowViewable() {
    SHostWnd* flow = Main().GetFlowWindow();
    if (!flow || !IsWindow(flow->GetHwnd())) return false;
    XWindowAttributes a{};
    if (!XGetWindowAttributes(userDisplay(), Win32XWindowOf(flow->GetHwnd()), &a)) return false;
    return a.map_state == IsViewable;
  }
  SDlgOptionMore* dlg = nullptr;
};

TEST_F(SettingsDialog, AnAbsentMicrophoneIsSelectedOnceItIsPluggedInAndMadeTheDefault) {
  Bll().GetOutput().output_mic_name = L"qvstudio";
  Bll().GetOutput().output_mic_id = L"qvstudio";
  const std::string oldDefault = audio_test::Pactl("get-default-source");
  std::unique_ptr<audio_test::ScopedModule> plugged;
  SStringW absent, selected;
  std::vector<std::wstring> items;
  LPARAM selectedData = -3;
  auto box = [&] { return static_cast<SComboBox*>(dlg->FindDescendantByName(L"cbx_mic")); };
  WithSettings({
      [&] {
        absent = box()->GetText();
        plugged = std::make_unique<audio_test::ScopedModule>(
            "module-null-source source_name=qvstudio description=qvstudio");
        audio_test::Pactl("set-default-source qvstudio");
        return true;
      },
      Await([&] { return box()->GetText() == L"qvstudio"; }, 250),
      [&] {
        selected = box()->GetText();
        for (int i = 0; i < box()->GetCount(); ++i) items.emplace_back(box()->GetItemText(i).c_str());
        if (box()->GetCurSel() >= 0) selectedData = box()->GetItemData(box()->GetCurSel());
        ClickElement(*dlg, L"btn_close");
        return true;
      },
  });
  if (!oldDefault.empty()) audio_test::Pactl("set-default-source " + oldDefault);
  ASSERT_TRUE(plugged && plugged->Loaded());
  EXPECT_STREQ(absent.c_str(), L"不存在的设备：qvstudio");
  EXPECT_STREQ(selected.c_str(), L"qvstudio");
  EXPECT_GE(selectedData, 0) << "a device's item, not the absent entry";
  ASSERT_FALSE(items.empty());
  EXPECT_EQ(items.front(), L"系统默认");
  for (const std::wstring& item : items) EXPECT_EQ(item.find(L"不存在的设备："), std::wstring::npos) << WideToUtf8(item);
}

TEST_F(SettingsDialog, CtrlF9TypedIntoTheRecordKeyStartsRecordingAndCtrlF2NoLonger) {
  ASSERT_TRUE(GrabbedByAnother(XK_F2)) << "the default start key is the program's at start-up";
  ASSERT_FALSE(GrabbedByAnother(XK_F9));
  WithSettings({
      [&] {
        ClickElement(*dlg, L"btn_hotkey");
        // A click in the control gives it the focus, as the mouse does.
        ClickElement(*dlg, L"hk_startRecord");
        FocusForKeys(*dlg);
        return true;
      },
      [&] {
        pressKey(XK_Control_L);
        tapKey(XK_F9);
        releaseKey(XK_Control_L);
        return true;
      },
      Await([&] { return Bll().GetMoreSetting().hotkeys[kHotKeyStartEnd].vk == VK_F9; }),
      [&] {
        ClickElement(*dlg, L"btn_close");
        return true;
      },
  });
  EXPECT_EQ(Bll().GetMoreSetting().hotkeys[kHotKeyStartEnd].vk, VK_F9);
  EXPECT_EQ(Bll().GetMoreSetting().hotkeys[kHotKeyStartEnd].mod, MOD_CONTROL);
  EXPECT_TRUE(GrabbedByAnother(XK_F9)) << "the new key is grabbed on the X server";
  EXPECT_FALSE(GrabbedByAnother(XK_F2)) << "the old one is let go";
  EXPECT_TRUE(GrabbedByAnother(XK_F3)) << "the other hot keys are registered again";

  CtrlKey(XK_F2);
  pumpFor(700);
  EXPECT_FALSE(Recording()) << "Ctrl+F2 no longer starts";
  CtrlKey(XK_F9);
  ASSERT_TRUE(pumpUntil([&] { return Recording(); })) << "Ctrl+F9 starts";
  pumpFor(800);
  CtrlKey(XK_F9);
  ASSERT_TRUE(pumpUntil([&] { return !Recording(); })) << "and stops";
  ExitProgram();
  CFileMoreSetting stored;
  EXPECT_EQ(stored.hotkeys[kHotKeyStartEnd].vk, VK_F9);
  EXPECT_EQ(stored.hotkeys[kHotKeyStartEnd].mod, MOD_CONTROL);
}

TEST_F(SettingsDialog, StartAtLogonAndTheFloatingWindowActAtOnceAndExitKeepsEveryChange) {
  CFileMoreSetting& more = Bll().GetMoreSetting();
  CArgOutput& out = Bll().GetOutput();
  more.common_auto_open = 0;
  more.common_showflow_desktop = 1;
  more.common_showflow_recording = 1;
  out.output_open_split = false;
  Main().ShowFloatingWindow(true);
  ASSERT_TRUE(pumpUntil([&] { return FlowViewable(); }));
  const char* config = getenv("XDG_CONFIG_HOME");
  ASSERT_NE(config, nullptr);
  const std::string entry = std::string(config) + "/autostart/Quorvale.desktop";
  bool created = false, removed = false, hidden = false, shownAgain = false;
  int validStatus = -1;
  std::string validation;
  auto box = [&] { return static_cast<SComboBox*>(dlg->FindDescendantByName(L"cbx_mic")); };
  WithSettings({
      [&] {
        ClickElement(*dlg, L"check_autoOpen");
        return true;
      },
      [&] {
        created = std::filesystem::exists(entry);
        validation = RunCommand("desktop-file-validate '" + entry + "'", &validStatus);
        ClickElement(*dlg, L"check_autoOpen");
        return true;
      },
      [&] {
        removed = !std::filesystem::exists(entry);
        ClickElement(*dlg, L"check_showFlowDesktop");
        return true;
      },
      Await([&] { return !FlowViewable(); }),
      [&] {
        hidden = !FlowViewable();
        ClickElement(*dlg, L"check_showFlowDesktop");
        return true;
      },
      Await([&] { return FlowViewable(); }),
      [&] {
        shownAgain = FlowViewable();
        ClickElement(*dlg, L"check_showFlowRecording");
        ClickElement(*dlg, L"check_split");
        dlg->FindDescendantByName(L"edit_duration")->SetText(L"2.5");
        // The test server's microphone, chosen as the list's click does.
        for (int i = 0; i < box()->GetCount(); ++i)
          if (box()->GetItemText(i) == L"microphone") box()->SetCurSel(i);
        ClickElement(*dlg, L"btn_id3");
        for (const auto& [name, text] : std::vector<std::pair<const wchar_t*, const wchar_t*>>{
                 {L"edit_title", L"晨会"}, {L"edit_artist", L"小组"}, {L"edit_genre", L"会议"},
                 {L"edit_album", L"十二月"}, {L"edit_year", L"2026"}})
          dlg->FindDescendantByName(name)->SetText(text);
        ClickElement(*dlg, L"btn_close");
        return true;
      },
  });
  EXPECT_TRUE(created) << entry;
  EXPECT_EQ(validStatus, 0) << validation;
  EXPECT_EQ(validation, "") << "desktop-file-validate has nothing to say";
  EXPECT_TRUE(removed);
  EXPECT_TRUE(hidden) << "unchecking unmaps the floating window";
  EXPECT_TRUE(shownAgain) << "checking maps it again";
  ExitProgram();

  CFileMoreSetting more2;
  EXPECT_EQ(more2.common_auto_open, 0);
  EXPECT_EQ(more2.common_showflow_desktop, 1);
  EXPECT_EQ(more2.common_showflow_recording, 0);
  CFileOutputArgument output(true);
  EXPECT_TRUE(output.m_arg.output_open_split);
  EXPECT_EQ(output.m_arg.output_split_time, 150000);
  EXPECT_EQ(output.m_arg.output_mic_name, L"microphone");
  EXPECT_EQ(output.m_arg.output_mic_id, L"microphone");
  EXPECT_EQ(output.m_arg.output_id3_title, L"晨会");
  EXPECT_EQ(output.m_arg.output_id3_artist, L"小组");
  EXPECT_EQ(output.m_arg.output_id3_genre, L"会议");
  EXPECT_EQ(output.m_arg.output_id3_album, L"十二月");
  EXPECT_EQ(output.m_arg.output_id3_date, L"2026");
}

TEST_F(SettingsDialog, ASplitOfATenthOfAMinuteCutsThirteenSecondsIntoSixSecondFiles) {
  Bll().GetOutput().output_open_split = false;
  Bll().GetOutput().output_device = 1;  // the speakers alone
  WithSettings({
      [&] {
        ClickElement(*dlg, L"check_split");
        dlg->FindDescendantByName(L"edit_duration")->SetText(L"0.1");
        ClickElement(*dlg, L"btn_close");
        return true;
      },
  });
  ASSERT_TRUE(Bll().GetOutput().output_open_split);
  ASSERT_EQ(Bll().GetOutput().output_split_time, 6000);
  audio_test::TonePlayer tone("speakers", 440, 0.5);
  ASSERT_TRUE(tone.Started());
  Click(L"btn_start");
  ASSERT_TRUE(pumpUntil([&] { return Recording(); }));
  pumpFor(13000);
  Click(L"btn_stop");
  ASSERT_TRUE(pumpUntil([&] { return !Recording(); }));
  pumpFor(500);
  const std::vector<std::string> files = OutputFiles(".mp3");
  ASSERT_EQ(files.size(), 3u) << "6 + 6 + about 1 s";
  double total = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    const double seconds = ProbeSeconds(files[i]);
    total += seconds;
    if (i + 1 < files.size()) EXPECT_NEAR(seconds, 6.0, 0.35) << files[i];
  }
  // From the start click to the stop click, which a loaded machine delays.
  EXPECT_GT(total, 12.5);
  EXPECT_LT(total, 16.0);
}

}  // namespace
