// Modal host dialogs on the X server: the owner is disabled while the
// dialog runs (clicks on it do nothing), Enter and Esc click the controls
// with ids 1 and 2, WM_QUIT ends the dialog with 0xCCCCCCCC and the outer
// loop too, and the owner is enabled and active on every way out.
#include <X11/keysym.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "HostTestWindow.h"
#include "dialog_player.h"
#include "OrielTestApp.h"
#include "core/SMessageLoop.h"
#include "../platform-display/display_helper.h"

namespace {

const char* kOwnerLayout =
    "<ORIEL width='400' height='300' wndType='normal'>"
    "<root colorBkgnd='#e0e0e0'><window name='target' pos='0,0,-0,-0' colorBkgnd='#e0e0e0'/></root>"
    "</ORIEL>";

// OK (id 1) at the bottom, a close box (id 2) at the top right.
const char* kDialogLayout =
    "<ORIEL width='200' height='120'>"
    "<root colorBkgnd='#ffffff'>"
    "<window name='label' pos='10,10,50,30' colorBkgnd='#c0c0c0'/>"
    "<window name='field' pos='60,10,140,40' focusable='1' colorBkgnd='#f0f0f0'/>"
    "<window id='1' name='ok' pos='60,80,140,110' colorBkgnd='#2080ff'/>"
    "<window id='2' name='close' pos='-30,0,-0,30' colorBkgnd='#ff4040'/>"
    "</root></ORIEL>";

constexpr int kOwnerX = 100, kOwnerY = 100;

class HostDialogTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    moveMouse(5, 5);
    owner_ = new TestHost;
    ASSERT_TRUE(MakeHost(*owner_, kOwnerLayout, kOwnerX, kOwnerY));
    ShowWindow(owner_->GetHwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(owner_->GetHwnd()));
    owner_->FindDescendantByName(L"target")->SubscribeEvent(EventLButtonDown::EventID, [this](EventArgs*) {
      ++ownerPresses_;
      return true;
    });
    pumpFor(100);
  }
  void TearDown() override {
    if (owner_) {
      owner_->DestroyHostWindow();
      delete owner_;
    }
    OrielAppTest::TearDown();
  }
  // Runs the dialog; `user` plays the user from another thread once the
  // dialog is on screen.
  INT_PTR RunDialog(TestDialog& dialog, const std::function<void(HWND)>& user,
                    const std::function<void(UINT)>& seen = nullptr) {
    dialog.before = [&](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (seen) seen(msg);
      if (msg == WM_INITDIALOG) {
        SXmlDoc doc;
        doc.LoadBuffer(kDialogLayout, strlen(kDialogLayout));
        dialog.LoadHostXml(XmlChild(doc, L"ORIEL"), 0, 0);
        dialog.CenterOnOwner(owner_->GetHwnd());
      }
      return std::nullopt;
    };
    return RunDialogAsUser(dialog, owner_->GetHwnd(), user);
  }
  void ExpectOwnerBack() {
    EXPECT_TRUE(IsWindowEnabled(owner_->GetHwnd()));
    EXPECT_EQ(GetActiveWindow(), owner_->GetHwnd());
  }
  TestHost* owner_ = nullptr;
  int ownerPresses_ = 0;
};

// The centre of a framework window of the dialog, on the screen.
POINT ScreenCentre(HWND hwnd, RECT rc) {
  POINT p{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
  ClientToScreen(hwnd, &p);
  return p;
}

TEST_F(HostDialogTest, EnterReturnsOneAndTheOwnerIgnoresClicksMeanwhile) {
  TestDialog dialog;
  bool ownerDisabled = false;
  const INT_PTR code = RunDialog(dialog, [&](HWND) {
    ownerDisabled = !IsWindowEnabled(owner_->GetHwnd());
    moveMouse(kOwnerX + 10, kOwnerY + 10);  // on the owner, outside the dialog
    usleep(50000);
    clickButton(1);
    usleep(200000);
    tapKey(XK_Return);
  });
  EXPECT_EQ(code, 1);
  EXPECT_TRUE(ownerDisabled);
  pumpFor(100);
  EXPECT_EQ(ownerPresses_, 0);
  ExpectOwnerBack();
  EXPECT_FALSE(IsWindow(dialog.GetHwnd()));
}

TEST_F(HostDialogTest, EscapeAndTheCloseControlReturnTwo) {
  TestDialog byKey;
  EXPECT_EQ(RunDialog(byKey, [](HWND) { tapKey(XK_Escape); }), 2);
  ExpectOwnerBack();

  TestDialog byClose;
  EXPECT_EQ(RunDialog(byClose,
                      [&](HWND hwnd) {
                        const RECT rc = byClose.FindDescendantByName(L"close")->GetWindowRect();
                        const POINT p = ScreenCentre(hwnd, rc);
                        moveMouse(p.x, p.y);
                        usleep(80000);
                        clickButton(1);
                      }),
            2);
  ExpectOwnerBack();

  TestDialog bySystemClose;
  EXPECT_EQ(RunDialog(bySystemClose, [](HWND hwnd) { PostMessageW(hwnd, WM_CLOSE, 0, 0); }), 2);
  ExpectOwnerBack();
}

// However the dialog before it ended (a click on its OK, a key, the
// system's close), the next dialog becomes the active window, holds the
// keyboard, and takes Esc and Enter itself.
TEST_F(HostDialogTest, EveryDialogTakesTheKeyboardHoweverTheOneBeforeEnded) {
  auto clickOk = [](TestDialog& d) {
    return [&d](HWND hwnd) {
      const POINT p = ScreenCentre(hwnd, d.FindDescendantByName(L"ok")->GetWindowRect());
      moveMouse(p.x, p.y);
      usleep(80000);
      clickButton(1);
    };
  };
  for (int round = 0; round < 3; ++round) {
    TestDialog first;
    ASSERT_EQ(RunDialog(first, clickOk(first)), 1) << "round " << round;
    struct Step {
      KeySym key;
      INT_PTR code;
    };
    for (const Step step : {Step{XK_Escape, 2}, Step{XK_Return, 1}}) {
      TestDialog next;
      bool activeAtKey = false;
      const INT_PTR code = RunDialog(next, [&](HWND) { tapKey(step.key); },
                                     [&](UINT msg) {
                                       if (msg != WM_KEYDOWN) return;
                                       activeAtKey = GetActiveWindow() == next.GetHwnd();
                                     });
      EXPECT_EQ(code, step.code) << "round " << round;
      EXPECT_TRUE(activeAtKey) << "round " << round;
      ExpectOwnerBack();
      // The next round starts from a dialog the mouse ended again.
      TestDialog clicked;
      ASSERT_EQ(RunDialog(clicked, clickOk(clicked)), 1) << "round " << round;
    }
  }
  EXPECT_EQ(ownerPresses_, 0);
}

TEST_F(HostDialogTest, QuitEndsTheDialogWithTheNotEndedCodeAndTheOuterLoopToo) {
  INT_PTR code = 0;
  TestDialog dialog;
  // The dialog runs inside the application's loop, as a program's would;
  // the user's message makes the dialog's thread quit.
  owner_->before = [&](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg != WM_APP) return std::nullopt;
    code = RunDialog(
        dialog, [](HWND hwnd) { PostMessageW(hwnd, WM_APP + 1, 0, 0); },
        [](UINT seen) {
          if (seen == WM_APP + 1) PostQuitMessage(7);
        });
    return 0;
  };
  PostMessageW(owner_->GetHwnd(), WM_APP, 0, 0);
  const int exitCode = app->GetMsgLoop()->Run();
  EXPECT_EQ(code, SHostDialog::kNotEnded);
  EXPECT_EQ(exitCode, 7);
  ExpectOwnerBack();
}

TEST_F(HostDialogTest, ADialogEndedWhileItInitialisesNeverShowsAndGivesTheOwnerBack) {
  TestDialog dialog;
  dialog.before = [&](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_INITDIALOG) dialog.EndDialog(9);
    return std::nullopt;
  };
  EXPECT_EQ(dialog.DoModal(owner_->GetHwnd()), 9);
  EXPECT_TRUE(IsWindowEnabled(owner_->GetHwnd()));
  EXPECT_FALSE(dialog.EndDialog(3));  // the first code wins
}

}  // namespace
