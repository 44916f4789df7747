// The floating window of the running program, driven with X input: its
// buttons start, pause, resume and stop the main window's recording of a
// tone in the speakers (the file read back with ffprobe), its time follows
// the main window's, a double click hides and shows the main window, and
// Alt+F4 only hides it.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "base/CodePage.h"
#include "decoded_file_helper.h"
#include "pulse_tools_helper.h"
#include "res.mgr/SSkinPool.h"
#include "app_fixture.h"

namespace {

using namespace ORIEL;

using audio_test::ProbeEntry;

class FlowProgram : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    if (HasFatalFailure()) return;
    flow_ = dynamic_cast<SDlgFlow*>(Main().GetFlowWindow());
    ASSERT_NE(flow_, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return IsWindowVisible(flow_->GetHwnd()) != FALSE; }))
        << "start-up shows the floating window";
    screen_ = GetSystemMetrics(SM_CXSCREEN);
  }
  RECT FlowRect() {
    RECT rc{};
    GetWindowRect(flow_->GetHwnd(), &rc);
    return rc;
  }
  // The pointer on the docked window's sliver brings it out, flush with
  // the screen's right edge.
  void BringOut() {
    moveMouse(screen_ - 4, FlowRect().top + 30);
    ASSERT_TRUE(pumpUntil([&] { return FlowRect().left == screen_ - 240; })) << FlowRect().left;
    pumpFor(200);
  }
  // A click at a point of the window's 240 x 92 layout.
  void ClickFlow(int x, int y) {
    const RECT rc = FlowRect();
    moveMouse(rc.left + x, rc.top + y);
    pumpFor(80);
    clickButton(1);
    pumpFor(250);
  }
  std::wstring FlowText(const wchar_t* name) {
    SWindow* w = flow_->FindDescendantByName(name);
    return w ? std::wstring(w->GetText().c_str()) : L"<missing>";
  }
  bool FlowSkin(const wchar_t* name, const wchar_t* skin) {
    SWindow* w = flow_->FindDescendantByName(name);
    return w && w->GetBkgndSkin() == SSkinPoolMgr::getSingleton().GetSkin(skin, w->GetScale());
  }
  bool StopEnabled() {
    SWindow* w = flow_->FindDescendantByName(L"flow_stop");
    return w && !w->IsDisabled();
  }

  SDlgFlow* flow_ = nullptr;
  int screen_ = 0;
};

constexpr int kStartX = 55, kStopX = 132, kButtonY = 46;

TEST_F(FlowProgram, ItsButtonsRecordPauseAndStopTheMainWindowsRecording) {
  const std::string folder = std::string(getenv("HOME")) + "/录音/flow";
  Bll().GetOutput().output_dir = Utf8ToWide(folder);
  Bll().GetOutput().output_device = 1;  // the system sound
  audio_test::TonePlayer tone("speakers", 440, 0.5);
  ASSERT_TRUE(tone.Started());
  BringOut();
  EXPECT_FALSE(StopEnabled());

  const auto started = std::chrono::steady_clock::now();
  ClickFlow(kStartX, kButtonY);
  ASSERT_TRUE(pumpUntil([&] { return Recording(); })) << "flow_start starts the main window's recording";
  EXPECT_FALSE(Paused());
  EXPECT_TRUE(pumpUntil([&] { return FlowSkin(L"flow_start", L"fd_btn_pause") && StopEnabled(); }));
  EXPECT_TRUE(HasSkin(L"btn_start", L"md_btn_recordPause")) << "the main window shows the same state";

  // The time follows the main window's, second by second.
  ASSERT_TRUE(pumpUntil([&] { return TextOf(L"txt_time") >= L"00:00:02"; }, 8000)) << TextOf(L"txt_time");
  EXPECT_EQ(FlowText(L"flow_time"), TextOf(L"txt_time"));

  // Again: paused, and the time stands still in both windows.
  ClickFlow(kStartX, kButtonY);
  ASSERT_TRUE(Paused()) << "flow_start again pauses";
  EXPECT_TRUE(Recording());
  EXPECT_TRUE(FlowSkin(L"flow_start", L"fd_btn_start"));
  EXPECT_TRUE(StopEnabled());
  pumpFor(1200);
  const std::wstring atPause = FlowText(L"flow_time");
  pumpFor(2200);
  EXPECT_EQ(FlowText(L"flow_time"), atPause);
  EXPECT_EQ(TextOf(L"txt_time"), atPause);

  // Once more: recording goes on; then stop ends it.
  ClickFlow(kStartX, kButtonY);
  EXPECT_FALSE(Paused());
  EXPECT_TRUE(Recording());
  pumpFor(1000);
  ClickFlow(kStopX, kButtonY);
  ASSERT_TRUE(pumpUntil([&] { return !Recording(); })) << "flow_stop ends the recording";
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  EXPECT_TRUE(pumpUntil([&] { return !StopEnabled() && FlowSkin(L"flow_start", L"fd_btn_start"); }));
  pumpFor(500);

  const std::vector<std::string> files = OutputFiles(".mp3");
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(ProbeEntry(files[0], "stream=codec_name"), "mp3");
  const double probed = std::atof(ProbeEntry(files[0], "format=duration").c_str());
  // About 2 s before the pause and 1 s after it; not the pause itself.
  EXPECT_GT(probed, 2.5);
  EXPECT_LT(probed, seconds - 2.0);
  const audio_test::DecodedFile file = audio_test::DecodeFile(files[0]);
  ASSERT_TRUE(file.ok) << file.error;
  EXPECT_NEAR(audio_test::DominantFrequency(audio_test::LoudPart(file.mono, file.rate), file.rate, 300, 600), 440, 6);
}

TEST_F(FlowProgram, DoubleClickTogglesTheMainWindowAndAltF4OnlyHidesIt) {
  BringOut();
  ASSERT_TRUE(IsWindowVisible(Hwnd()));
  // On the white body, away from the buttons.
  const RECT rc = FlowRect();
  moveMouse(rc.left + 100, rc.top + 10);
  pumpFor(80);
  clickButton(1);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return !IsWindowVisible(Hwnd()); })) << "a double click hides the main window";
  EXPECT_TRUE(IsWindow(Hwnd()));
  pumpFor(600);  // not a double click with the next press
  clickButton(1);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return IsWindowVisible(Hwnd()) != FALSE; })) << "and shows it again";

  // The window manager's states on the program's own floating window.
  const std::vector<std::string> states = netWmStates(flow_->GetHwnd());
  for (const char* state : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_STATE_ABOVE"})
    EXPECT_NE(std::find(states.begin(), states.end(), state), states.end()) << state;

  // Alt+F4 typed into it hides it; the window and the program live on.
  pumpFor(600);
  clickButton(1);
  pumpFor(200);
  pressKey(XK_Alt_L);
  tapKey(XK_F4);
  releaseKey(XK_Alt_L);
  ASSERT_TRUE(pumpUntil([&] { return !IsWindowVisible(flow_->GetHwnd()); })) << "Alt+F4 hides it";
  EXPECT_TRUE(IsWindow(flow_->GetHwnd()));
  EXPECT_TRUE(IsWindowVisible(Hwnd()));
  pumpFor(300);
  EXPECT_TRUE(IsWindow(Hwnd()));
}

}  // namespace
