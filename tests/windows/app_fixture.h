// The program started in-process as its entry point starts it, on the test
// X server and sound server: the main window is up, the loop is pumped by
// the test, and X input plays the user.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/SWnd.h"
#include "logic/BllMain.h"
#include "windows/StartUp.h"
// Last: Xlib's macros (Status, None, Bool) would rename the program's names.
#include "../platform-display/display_helper.h"
#include <X11/keysym.h>

// What a command prints (standard error too), and its exit status.
std::string RunCommand(const std::string& command, int* status = nullptr);

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  SDlgMain& Main() { return *program.MainWindow(); }
  HWND Hwnd() { return program.MainWindow()->GetHwnd(); }
  CBllMain& Bll() { return CBllMain::Instance(); }
  ORIEL::SWindow* Element(const wchar_t* name);
  std::wstring TextOf(const wchar_t* name);
  std::wstring AttrOf(const wchar_t* name, const wchar_t* attr);
  // Whether the element draws with the named skin.
  bool HasSkin(const wchar_t* name, const wchar_t* skin);
  // The element's centre (or a point `dx`, `dy` from its top-left) on the
  // screen.
  POINT ScreenPoint(const wchar_t* name, int dx = -1, int dy = -1);
  // A real click on the element, then the messages it brings.
  void Click(const wchar_t* name, int dx = -1, int dy = -1);
  // The page "tab_devInfo" shows (0 idle, 1 the waveform rows).
  int Page();
  // An element's height in pixels.
  int Height(const wchar_t* name);
  // The screen's pixels under the element, row after row (0xRRGGBB).
  std::vector<unsigned long> ScreenArea(const wchar_t* name);
  // Opens the combo box by a real click and clicks the entry `text` in its
  // drop-down list; true once the list closed on that entry.
  bool ChooseInList(const wchar_t* combo, const wchar_t* text);
  // Drags with the left button from one screen point to another.
  void Drag(POINT from, POINT to);
  // Ctrl+<key> through the X server.
  void CtrlKey(KeySym key);
  bool Recording() { return (Bll().GetRecorder().GetState() & kRecorderRecording) != 0; }
  bool Paused() { return (Bll().GetRecorder().GetState() & kRecorderPaused) != 0; }
  // Runs the loop as the program does until the window quits it; its result.
  int RunLoop() { return program.Run(); }
  // The output folder's files with this extension, newest last.
  std::vector<std::string> OutputFiles(const std::string& extension);
  // Records into a folder of its own under ~/录音.
  void RecordInto(const std::string& folder);
  // Ends the program as its close does when nothing is asked, and takes
  // it down: its files are written.
  void ExitProgram();

  CQuorvaleApp program;
  bool shutDown = false;
  // The clock the program's timer tasks run on; set before SetUp to use
  // one of the test's.
  std::shared_ptr<ITimerClock> timerClock;
};
