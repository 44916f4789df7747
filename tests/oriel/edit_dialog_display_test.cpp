// Edit fields in a modal dialog on the X server: Return typed into a
// single-line field clicks the dialog's default button (id 1) with the
// typed text in place, while a multi-line field that wants Return keeps it
// as a line break and the dialog goes on.
#include <X11/keysym.h>
#include <unistd.h>

#include <string>

#include "OrielTestApp.h"
#include "control/SEdit.h"
#include "dialog_player.h"

namespace {

const char* kDialogLayout =
    "<ORIEL width='240' height='160'>"
    "<root colorBkgnd='#ffffff'>"
    "<edit name='field' pos='10,10,230,42' font='size:16'/>"
    "<edit name='notes' pos='10,50,230,100' multiLines='1' wantReturn='1' font='size:16'/>"
    "<window id='1' name='ok' pos='20,120,100,150' colorBkgnd='#2080ff'/>"
    "<window id='2' name='cancel' pos='140,120,220,150' colorBkgnd='#ff4040'/>"
    "</root></ORIEL>";

// Points inside the layout's field, notes and cancel box.
constexpr POINT kField{20, 26}, kNotes{20, 66}, kCancel{180, 135};

class EditDialogTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    moveMouse(5, 5);
  }
  // Runs the dialog; `user` types into it from another thread once it has
  // the server's focus. The texts of both fields are taken when a button
  // is clicked (by key or mouse).
  INT_PTR Run(const std::function<void(HWND)>& user) {
    TestDialog dialog;
    dialog.before = [&](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (msg != WM_INITDIALOG) return std::nullopt;
      SXmlDoc doc;
      doc.LoadBuffer(kDialogLayout, strlen(kDialogLayout));
      dialog.LoadHostXml(XmlChild(doc, L"ORIEL"), 0, 0);
      SetWindowPos(dialog.GetHwnd(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      for (const wchar_t* name : {L"ok", L"cancel"}) {
        dialog.FindDescendantByName(name)->SubscribeEvent(EventCmd::EventID, [&, name](EventArgs*) {
          clicked = name;
          field = dialog.FindDescendantByName(L"field")->GetText().c_str();
          notes = dialog.FindDescendantByName(L"notes")->GetText().c_str();
          return false;
        });
      }
      return std::nullopt;
    };
    return RunDialogAsUser(dialog, nullptr, user);
  }
  // Clicks the dialog at a point of its layout.
  static void ClickAt(HWND hwnd, POINT p) {
    ClientToScreen(hwnd, &p);
    moveMouse(p.x, p.y);
    usleep(50000);
    clickButton(1);
    usleep(100000);
  }
  std::wstring clicked, field, notes;
};

TEST_F(EditDialogTest, ReturnInASingleLineFieldClicksTheDefaultButton) {
  const INT_PTR code = Run([](HWND hwnd) {
    ClickAt(hwnd, kField);
    tapKey(XK_o);
    tapKey(XK_k);
    usleep(100000);
    tapKey(XK_Return);
  });
  EXPECT_EQ(code, 1);
  EXPECT_EQ(clicked, L"ok");
  EXPECT_EQ(field, L"ok") << "the typed text is in place when the button acts";
}

TEST_F(EditDialogTest, AFieldThatWantsReturnKeepsItAndTheDialogGoesOn) {
  const INT_PTR code = Run([](HWND hwnd) {
    ClickAt(hwnd, kNotes);
    tapKey(XK_a);
    tapKey(XK_Return);
    tapKey(XK_b);
    usleep(300000);
    ClickAt(hwnd, kCancel);  // still open: the cancel box ends it
  });
  EXPECT_EQ(code, 2);
  EXPECT_EQ(clicked, L"cancel");
  EXPECT_EQ(notes, L"a\r\nb");
}

}  // namespace
