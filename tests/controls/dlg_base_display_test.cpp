// Modal dialogs on the stack, on the X server: a registered main window is
// disabled while any dialog runs and real clicks on it go nowhere; a dialog
// ending under another recalls the upper one first (100) and the main
// window is enabled before the lower dialog's DoModal returns. The window
// manager's close, Esc and Enter end with 2, 2, 1.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "HostTestWindow.h"
#include "OrielTestApp.h"
#include "controls/SDlgBase.h"
#include "../platform-display/display_helper.h"
// After gtest: Xlib's macros would clash with its names.
#include <X11/keysym.h>

namespace {

using Dialog = TestHostT<SDlgBase>;

const char* kMainLayout =
    "<ORIEL width='400' height='300'><root colorBkgnd='#e0e0e0'/></ORIEL>";
const char* kDialogLayout =
    "<ORIEL width='200' height='120'><root colorBkgnd='#ffffff'>"
    "<window id='1' name='ok' pos='60,80,140,110' colorBkgnd='#2080ff'/>"
    "<window id='2' name='close' pos='-30,0,-0,30' colorBkgnd='#ff4040'/>"
    "</root></ORIEL>";

constexpr UINT kOpenInner = WM_APP + 1;
constexpr UINT_PTR kEndTimer = 77;

class DlgBaseDisplay : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    main_ = std::make_unique<TestHost>();
    ASSERT_TRUE(MakeHost(*main_, kMainLayout, 100, 100));
    ShowWindow(main_->GetHwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(main_->GetHwnd()));
    CDlgStack::Instance().RegisterWindow(main_->GetHwnd());
  }
  void TearDown() override {
    CDlgStack::Instance().UnregisterWindow(main_->GetHwnd());
    EXPECT_TRUE(CDlgStack::Instance().IsEmpty());
    if (main_) main_->DestroyHostWindow();
    main_.reset();
    OrielAppTest::TearDown();
  }
  // Loads the dialog's layout when it initialises, then lets `also` look.
  void Prepare(Dialog& d, std::function<std::optional<LRESULT>(UINT, WPARAM, LPARAM)> also) {
    d.before = [&d, also](UINT msg, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
      if (msg == WM_INITDIALOG) {
        d.Load(kDialogLayout);
        d.CenterOnOwner(CDlgStack::Instance().Top());
      }
      return also ? also(msg, w, l) : std::nullopt;
    };
  }
  std::unique_ptr<TestHost> main_;
};

TEST_F(DlgBaseDisplay, EndingTheLowerDialogRecallsTheUpperOneFirst) {
  Dialog d1(nullptr), d2(nullptr);
  std::vector<std::string> order;
  bool mainDisabledUnderD2 = false, mainEnabledAfterEnd = false;
  size_t mainPresses = 0;
  HWND d2Owner = nullptr, d1Hwnd = nullptr;
  INT_PTR d2Code = 0;
  Prepare(d2, [&](UINT msg, WPARAM shown, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_SHOWWINDOW && shown) PostMessageW(d2.GetHwnd(), kOpenInner, 0, 0);
    if (msg == kOpenInner) {
      mainDisabledUnderD2 = !IsWindowEnabled(main_->GetHwnd());
      // A real click on the main window, away from both dialogs.
      EXPECT_TRUE(waitViewable(d2.GetHwnd()));
      RECT rc{};
      GetWindowRect(main_->GetHwnd(), &rc);
      main_->seen.clear();
      moveMouse(rc.left + 10, rc.top + 10);
      pumpFor(50);
      clickButton(1);
      pumpFor(200);
      for (UINT m : main_->seen) mainPresses += m == WM_LBUTTONDOWN || m == WM_LBUTTONUP || m == WM_MOUSEACTIVATE;
      // D1 ends while D2 runs on top of it.
      SetTimer(d1.GetHwnd(), kEndTimer, 150, nullptr);
      return 0;
    }
    return std::nullopt;
  });
  Prepare(d1, [&](UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_SHOWWINDOW && wParam) PostMessageW(d1.GetHwnd(), kOpenInner, 0, 0);
    if (msg == kOpenInner) {
      d1Hwnd = d1.GetHwnd();
      d2Owner = CDlgStack::Instance().Top();
      d2Code = d2.DoModal(d2Owner);
      order.push_back("d2 returned");
      return 0;
    }
    if (msg == WM_TIMER && wParam == kEndTimer) {
      KillTimer(d1.GetHwnd(), kEndTimer);
      d1.EndDialog(5);
      // Still inside D1's loop: the stack has enabled the main window.
      mainEnabledAfterEnd = IsWindowEnabled(main_->GetHwnd()) != FALSE;
      order.push_back("d1 ended");
      return 0;
    }
    return std::nullopt;
  });
  const INT_PTR d1Code = d1.DoModal(CDlgStack::Instance().Top());
  const bool mainEnabledAtReturn = IsWindowEnabled(main_->GetHwnd());
  order.push_back("d1 returned");
  EXPECT_EQ(d1Code, 5);
  EXPECT_EQ(d2Code, 100);
  ASSERT_NE(d1Hwnd, nullptr);
  EXPECT_EQ(d2Owner, d1Hwnd) << "D2 is owned by the dialog on top";
  EXPECT_TRUE(mainDisabledUnderD2);
  EXPECT_EQ(mainPresses, 0u) << "the disabled main window took the click";
  EXPECT_TRUE(mainEnabledAfterEnd);
  EXPECT_TRUE(mainEnabledAtReturn);
  EXPECT_EQ(order, (std::vector<std::string>{"d1 ended", "d2 returned", "d1 returned"}));
}

TEST_F(DlgBaseDisplay, CloseEscAndEnterEndWithTheirCodes) {
  // Keys reach the dialog as a window manager would give it the focus; the
  // close is the window manager's WM_DELETE_WINDOW.
  auto key = [](HWND hwnd, KeySym sym) {
    XSetInputFocus(userDisplay(), Win32XWindowOf(hwnd), RevertToParent, CurrentTime);
    XSync(userDisplay(), False);
    pumpFor(100);
    tapKey(sym);
  };
  auto managerClose = [](HWND hwnd) {
    Display* d = userDisplay();
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = Win32XWindowOf(hwnd);
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    XSendEvent(d, e.xclient.window, False, NoEventMask, &e);
    XSync(d, False);
  };
  const struct {
    const char* what;
    std::function<void(HWND)> act;
    INT_PTR code;
  } rows[] = {{"Esc", [&](HWND h) { key(h, XK_Escape); }, 2},
              {"Enter", [&](HWND h) { key(h, XK_Return); }, 1},
              {"close", managerClose, 2}};
  for (const auto& r : rows) {
    Dialog d(nullptr);
    bool disabled = false;
    Prepare(d, [&](UINT msg, WPARAM shown, LPARAM) -> std::optional<LRESULT> {
      if (msg == WM_SHOWWINDOW && shown) PostMessageW(d.GetHwnd(), kOpenInner, 0, 0);
      if (msg == kOpenInner) {
        disabled = !IsWindowEnabled(main_->GetHwnd());
        EXPECT_TRUE(waitViewable(d.GetHwnd()));
        r.act(d.GetHwnd());
        return 0;
      }
      return std::nullopt;
    });
    EXPECT_EQ(d.DoModal(CDlgStack::Instance().Top()), r.code) << r.what;
    EXPECT_TRUE(disabled);
    EXPECT_TRUE(IsWindowEnabled(main_->GetHwnd()));
    EXPECT_TRUE(CDlgStack::Instance().IsEmpty());
  }
}

// WM_DPICHANGED on a modeless base: the scale steps, the size follows the
// ratio to the current scale, the window goes to the suggested top-left.
// With the unit px nothing reacts.
class ScaledWindow : public TestHostT<SDlgBaseWnd> {
 public:
  ScaledWindow() : TestHostT<SDlgBaseWnd>(nullptr) {}
};

RECT ScreenRect(HWND hwnd) {
  RECT rc{};
  GetWindowRect(hwnd, &rc);
  return rc;
}

TEST_F(DlgBaseDisplay, DpiChangeRescalesAroundTheSuggestedPoint) {
  struct UnitGuard {
    ~UnitGuard() { SLayoutSize::SetDefaultUnit(L"px"); }
  } guard;
  const struct {
    const wchar_t* unit;
    int dpi;
    POINT at;
    int cx, cy;  // expected size from 340x164 at 100 %
    POINT pos;
  } rows[] = {
      {L"px", 144, {30, 40}, 340, 164, {200, 150}},
      {L"dp", 96, {30, 40}, 340, 164, {200, 150}},  // same scale: nothing
      {L"dp", 120, {30, 40}, 425, 205, {30, 40}},
  };
  for (const auto& r : rows) {
    SLayoutSize::SetDefaultUnit(r.unit);
    ScaledWindow w;
    ASSERT_TRUE(w.Create(nullptr, WS_POPUP, 0, 200, 150, 1, 1));
    ASSERT_TRUE(w.Load("<ORIEL width='340' height='164'><root colorBkgnd='#ffffff'/></ORIEL>"));
    SetWindowPos(w.GetHwnd(), nullptr, 200, 150, 340, 164, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT suggested{r.at.x, r.at.y, r.at.x + 999, r.at.y + 999};
    w.HandleWindowMessage(w.GetHwnd(), WM_DPICHANGED, MAKEWPARAM(r.dpi, r.dpi),
                          reinterpret_cast<LPARAM>(&suggested), *std::make_unique<LRESULT>(), 0);
    RECT rc = ScreenRect(w.GetHwnd());
    EXPECT_EQ(rc.right - rc.left, r.cx) << r.dpi;
    EXPECT_EQ(rc.bottom - rc.top, r.cy) << r.dpi;
    EXPECT_EQ(rc.left, r.pos.x) << r.dpi;
    EXPECT_EQ(rc.top, r.pos.y) << r.dpi;
    if (r.dpi == 120 && std::wstring(r.unit) == L"dp") {
      EXPECT_EQ(w.GetScale(), 125);
      // Back to 96: x 0.8 at the new suggested point.
      RECT back{70, 80, 71, 81};
      LRESULT result = 1;
      w.HandleWindowMessage(w.GetHwnd(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&back),
                            result, 0);
      EXPECT_EQ(result, 0);
      rc = ScreenRect(w.GetHwnd());
      EXPECT_EQ(rc.right - rc.left, 340);
      EXPECT_EQ(rc.bottom - rc.top, 164);
      EXPECT_EQ(rc.left, 70);
      EXPECT_EQ(rc.top, 80);
    }
    w.DestroyHostWindow();
  }
}

}  // namespace
