// The window wrapper: binding by window property, the nested current
// message, the last-message rules, subclassing, reflection and centring.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "OrielTestApp.h"
#include "core/CSimpleWnd.h"

namespace {

// A wrapper whose message map is a function; it records every unbinding.
class ScriptedWnd : public CSimpleWnd {
 public:
  std::function<BOOL(HWND, UINT, WPARAM, LPARAM, LRESULT&)> on;
  std::vector<HWND> released;
  LONG_PTR procAtRelease = 0;
  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result, DWORD) override {
    return on ? on(hwnd, msg, wParam, lParam, result) : FALSE;
  }

 protected:
  void ReleaseThunk(HWND old) override {
    procAtRelease = GetWindowLongPtrW(old, GWLP_WNDPROC);
    released.push_back(old);
    CSimpleWnd::ReleaseThunk(old);
  }
};

class SimpleWndTest : public OrielAppTest {};

TEST(WindowProps, NamesAndAtomsAreKeptPerWindowAndDieWithIt) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"PropsTest";
  RegisterClassExW(&wc);
  HWND a = CreateWindowExW(0, L"PropsTest", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(a, nullptr);
  HANDLE one = reinterpret_cast<HANDLE>(1), two = reinterpret_cast<HANDLE>(2);
  EXPECT_TRUE(SetPropW(a, L"Owner", one));
  EXPECT_TRUE(SetPropW(a, MAKEINTATOM(7), two));
  EXPECT_EQ(GetPropW(a, L"OWNER"), one);  // names are case-insensitive
  EXPECT_EQ(GetPropW(a, MAKEINTATOM(7)), two);
  EXPECT_EQ(GetPropW(a, L"other"), nullptr);
  EXPECT_TRUE(SetPropW(a, L"owner", two));
  EXPECT_EQ(GetPropW(a, L"Owner"), two);
  EXPECT_EQ(RemovePropW(a, L"Owner"), two);
  EXPECT_EQ(GetPropW(a, L"Owner"), nullptr);
  EXPECT_EQ(RemovePropW(a, L"Owner"), nullptr);
  DestroyWindow(a);
  EXPECT_EQ(GetPropW(a, MAKEINTATOM(7)), nullptr);
  SetLastError(0);
  EXPECT_FALSE(SetPropW(a, L"x", one));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(SimpleWndTest, CreateBindsAndUnhandledMessagesGetTheDefault) {
  ScriptedWnd wnd;
  std::vector<UINT> seen;
  wnd.on = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) {
    seen.push_back(msg);
    EXPECT_EQ(wnd.GetHwnd(), hwnd);  // bound from the very first message
    if (msg == WM_USER + 1) {
      result = 99;
      return TRUE;
    }
    return FALSE;
  };
  HWND hwnd = wnd.Create(L"wrapped", WS_POPUP, 0, 0, 0, 50, 40, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), (UINT)WM_NCCREATE);
  EXPECT_EQ(CSimpleWnd::FromHandle(hwnd), &wnd);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&CSimpleWnd::WindowProc));
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), 0);  // the program's, untouched
  EXPECT_EQ(SendMessageW(hwnd, WM_USER + 1, 0, 0), 99);
  // Unhandled: DefWindowProcW answers WM_SETTEXT and WM_GETTEXTLENGTH.
  SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abc"));
  EXPECT_EQ(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0), 3);
  EXPECT_EQ(wnd.GetCurrentMessage(), nullptr);
  testing::internal::CaptureStderr();
  EXPECT_EQ(wnd.Create(L"second", WS_POPUP, 0, 0, 0, 10, 10, nullptr, nullptr), nullptr);  // one window per object
  EXPECT_NE(testing::internal::GetCapturedStderr().find("already wraps window 0x"), std::string::npos);
  EXPECT_EQ(wnd.GetHwnd(), hwnd);
  DestroyWindow(hwnd);
  EXPECT_EQ(wnd.GetHwnd(), nullptr);
  EXPECT_EQ(wnd.released, (std::vector<HWND>{hwnd}));
  // Unbound: it can be bound again.
  HWND again = wnd.Create(L"again", WS_POPUP, 0, 0, 0, 10, 10, nullptr, nullptr);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(CSimpleWnd::FromHandle(again), &wnd);
  DestroyWindow(again);
}

TEST_F(SimpleWndTest, NestedDispatchKeepsTheOuterMessage) {
  ScriptedWnd wnd;
  std::vector<UINT> innerSeen, outerAfter;
  wnd.on = [&](HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT&) {
    if (msg == WM_USER + 1) {
      EXPECT_EQ(wnd.GetCurrentMessage()->wParam, 11u);
      SendMessageW(hwnd, WM_USER + 2, 22, 0);
      outerAfter.push_back(wnd.GetCurrentMessage()->message);
      EXPECT_EQ(wnd.GetCurrentMessage()->wParam, 11u);
      return TRUE;
    }
    if (msg == WM_USER + 2) {
      innerSeen.push_back(wnd.GetCurrentMessage()->message);
      EXPECT_EQ(wParam, 22u);
      return TRUE;
    }
    return FALSE;
  };
  HWND hwnd = wnd.Create(L"", WS_POPUP, 0, 0, 0, 10, 10, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  SendMessageW(hwnd, WM_USER + 1, 11, 0);
  EXPECT_EQ(innerSeen, (std::vector<UINT>{WM_USER + 2}));
  EXPECT_EQ(outerAfter, (std::vector<UINT>{WM_USER + 1}));
  EXPECT_EQ(wnd.GetCurrentMessage(), nullptr);
  DestroyWindow(hwnd);
}

TEST_F(SimpleWndTest, LastMessageInsideAnOuterDispatchUnbindsWhenTheOuterOneReturns) {
  ScriptedWnd wnd;
  HWND stillBound = nullptr;
  size_t releasedInside = 99;
  wnd.on = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (msg != WM_USER + 5) return FALSE;
    DestroyWindow(hwnd);
    stillBound = wnd.GetHwnd();
    releasedInside = wnd.released.size();
    return TRUE;
  };
  HWND hwnd = wnd.Create(L"", WS_POPUP, 0, 0, 0, 10, 10, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  SendMessageW(hwnd, WM_USER + 5, 0, 0);
  EXPECT_EQ(stillBound, hwnd);
  EXPECT_EQ(releasedInside, 0u);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(wnd.GetHwnd(), nullptr);
  EXPECT_EQ(wnd.released, (std::vector<HWND>{hwnd}));
  EXPECT_EQ(wnd.GetCurrentMessage(), nullptr);
}

TEST_F(SimpleWndTest, HandledLastMessageLeavesTheObjectBound) {
  ScriptedWnd wnd;
  wnd.on = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT&) { return msg == WM_NCDESTROY; };
  HWND hwnd = wnd.Create(L"", WS_POPUP, 0, 0, 0, 10, 10, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  DestroyWindow(hwnd);
  EXPECT_TRUE(wnd.released.empty());
  EXPECT_EQ(wnd.GetHwnd(), hwnd);  // the map took the last message on itself
}

// A window class of other code, and a procedure that subclasses on top.
std::vector<UINT> g_classSeen;
WNDPROC g_below = nullptr;
std::vector<LONG_PTR> g_procAfterNcDestroy;

LRESULT CALLBACK OtherClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  g_classSeen.push_back(msg);
  if (msg == WM_USER + 7) return 7;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK OnTopProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const LRESULT r = CallWindowProcW(g_below, hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) g_procAfterNcDestroy.push_back(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
  return r;
}

HWND MakeOtherWindow() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = OtherClassProc;
  wc.lpszClassName = L"OtherCodeClass";
  RegisterClassExW(&wc);
  return CreateWindowExW(0, L"OtherCodeClass", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(SimpleWndTest, AttachSubclassesAndDetachRestores) {
  HWND other = MakeOtherWindow();
  ASSERT_NE(other, nullptr);
  ScriptedWnd wnd;
  std::vector<UINT> mapSeen;
  wnd.on = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
    mapSeen.push_back(msg);
    if (msg == WM_USER + 8) {
      result = 8;
      return TRUE;
    }
    return FALSE;
  };
  EXPECT_FALSE(wnd.Attach(nullptr));
  ASSERT_TRUE(wnd.Attach(other));
  EXPECT_EQ(wnd.GetPreviousProc(), &OtherClassProc);
  ScriptedWnd second;
  EXPECT_FALSE(second.Attach(other));  // one object per window
  g_classSeen.clear();
  EXPECT_EQ(SendMessageW(other, WM_USER + 8, 0, 0), 8);
  EXPECT_EQ(SendMessageW(other, WM_USER + 7, 0, 0), 7);
  EXPECT_EQ(mapSeen, (std::vector<UINT>{WM_USER + 8, WM_USER + 7}));
  EXPECT_EQ(g_classSeen, (std::vector<UINT>{WM_USER + 7}));

  // Subclassed on top by other code: only a forced detach goes through.
  g_below = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(other, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OnTopProc)));
  EXPECT_EQ(wnd.Detach(), nullptr);
  EXPECT_EQ(wnd.GetHwnd(), other);
  EXPECT_EQ(wnd.Detach(TRUE), other);
  EXPECT_EQ(wnd.GetHwnd(), nullptr);
  EXPECT_EQ(wnd.GetPreviousProc(), &DefWindowProcW);
  EXPECT_EQ(GetWindowLongPtrW(other, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&OtherClassProc));
  EXPECT_EQ(CSimpleWnd::FromHandle(other), nullptr);
  mapSeen.clear();
  EXPECT_EQ(SendMessageW(other, WM_USER + 8, 0, 0), 0);
  EXPECT_TRUE(mapSeen.empty());
  EXPECT_EQ(wnd.Detach(), nullptr);  // nothing bound
  DestroyWindow(other);
}

TEST_F(SimpleWndTest, LastMessagePutsThePreviousProcedureBackUnlessSubclassedOnTop) {
  // Bound and left alone: the class's procedure is back before unbinding.
  HWND plain = MakeOtherWindow();
  ScriptedWnd first;
  ASSERT_TRUE(first.Attach(plain));
  DestroyWindow(plain);
  ASSERT_EQ(first.released.size(), 1u);
  EXPECT_EQ(first.procAtRelease, reinterpret_cast<LONG_PTR>(&OtherClassProc));

  // Subclassed on top after binding: that procedure stays.
  HWND covered = MakeOtherWindow();
  ScriptedWnd second;
  ASSERT_TRUE(second.Attach(covered));
  g_below = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(covered, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OnTopProc)));
  g_procAfterNcDestroy.clear();
  DestroyWindow(covered);
  ASSERT_EQ(second.released.size(), 1u);
  EXPECT_EQ(second.procAtRelease, reinterpret_cast<LONG_PTR>(&OnTopProc));
  EXPECT_EQ(g_procAfterNcDestroy, (std::vector<LONG_PTR>{reinterpret_cast<LONG_PTR>(&OnTopProc)}));
  EXPECT_EQ(second.GetHwnd(), nullptr);
}

TEST_F(SimpleWndTest, AnObjectDeletedBeforeItsWindowLeavesTheWindowWorking) {
  HWND hwnd;
  {
    ScriptedWnd wnd;
    hwnd = wnd.Create(L"", WS_POPUP, 0, 0, 0, 10, 10, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
  }
  EXPECT_EQ(CSimpleWnd::FromHandle(hwnd), nullptr);
  SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"still"));
  EXPECT_EQ(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0), 5);
  EXPECT_TRUE(DestroyWindow(hwnd));
}

TEST_F(SimpleWndTest, FailedCreationLeavesTheObjectUnboundAndPlainWindowsOfTheClassWork) {
  ScriptedWnd wnd;
  testing::internal::CaptureStderr();
  HWND bad = wnd.Create(L"", WS_CHILD, 0, 0, 0, 10, 10, reinterpret_cast<HWND>(0x7FFFFE), nullptr);
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(bad, nullptr);
  EXPECT_EQ(wnd.GetHwnd(), nullptr);
  EXPECT_NE(log.find("CreateWindowExW failed"), std::string::npos) << log;
  // The slot is empty again: a window made in the class by plain
  // CreateWindowExW is bound to nothing.
  HWND plain = CreateWindowExW(0, L"MainClsPXReord", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                               nullptr);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(CSimpleWnd::FromHandle(plain), nullptr);
  EXPECT_EQ(wnd.GetHwnd(), nullptr);
  DestroyWindow(plain);
}

// A child that records reflected notifications.
struct ReflectTarget : CSimpleWnd {
  std::vector<UINT> got;
  BOOL HandleWindowMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT& result, DWORD) override {
    if (msg < OCM_BASE) return FALSE;
    got.push_back(msg);
    result = 0x55;
    return TRUE;
  }
};

TEST_F(SimpleWndTest, ChildNotificationsAreReflectedToTheirSender) {
  ScriptedWnd parent;
  HWND p = parent.Create(L"", WS_POPUP, 0, 0, 0, 100, 100, nullptr, nullptr);
  ASSERT_NE(p, nullptr);
  ReflectTarget child;
  HWND c = child.Create(L"", WS_CHILD, 0, 0, 0, 10, 10, p, nullptr);
  ASSERT_NE(c, nullptr);
  SetWindowLongPtrW(c, GWLP_ID, 42);
  NMHDR nm{c, 42, 0};
  DRAWITEMSTRUCT dis{};
  dis.hwndItem = c;
  MEASUREITEMSTRUCT mis{};
  mis.CtlID = 42;
  COMPAREITEMSTRUCT cis{};
  cis.hwndItem = c;
  const auto cl = reinterpret_cast<LPARAM>(c);
  struct Case {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool reflected;
  };
  const Case cases[] = {
      {WM_COMMAND, MAKEWPARAM(42, 0), cl, true},
      {WM_COMMAND, 100, 0, false},  // a menu command has no child
      {WM_NOTIFY, 42, reinterpret_cast<LPARAM>(&nm), true},
      {WM_DRAWITEM, 42, reinterpret_cast<LPARAM>(&dis), true},
      {WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis), false},  // a menu item
      {WM_MEASUREITEM, 42, reinterpret_cast<LPARAM>(&mis), true},
      {WM_COMPAREITEM, 42, reinterpret_cast<LPARAM>(&cis), true},
      {WM_HSCROLL, 0, cl, true},
      {WM_VSCROLL, 0, 0, false},
      {WM_CTLCOLORMSGBOX, 0, cl, true},
      {WM_CTLCOLORSTATIC, 0, cl, true},
      {WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, 0), cl, true},
      {WM_PARENTNOTIFY, MAKEWPARAM(WM_LBUTTONDOWN, 42), 0, true},
      {WM_PARENTNOTIFY, MAKEWPARAM(WM_LBUTTONDOWN, 43), 0, false},
      {WM_CTLCOLORSTATIC + 1, 0, cl, false},
      {WM_SIZE, 0, cl, false},
  };
  for (const Case& k : cases) {
    child.got.clear();
    BOOL handled = 7;
    const LRESULT r = parent.ReflectChildNotify(k.msg, k.wParam, k.lParam, handled);
    SCOPED_TRACE(testing::Message() << "message 0x" << std::hex << k.msg << " wParam " << k.wParam);
    EXPECT_EQ(handled != FALSE, k.reflected);
    if (k.reflected) {
      EXPECT_EQ(r, 0x55);
      EXPECT_EQ(child.got, (std::vector<UINT>{k.msg + 0x2000}));
    } else {
      EXPECT_EQ(r, 1);
      EXPECT_TRUE(child.got.empty());
    }
  }
  DestroyWindow(p);
  EXPECT_EQ(child.GetHwnd(), nullptr);
}

TEST_F(SimpleWndTest, DefaultReflectedAnswersOnlyReflectedNotifications) {
  ScriptedWnd wnd;
  HWND hwnd = wnd.Create(L"", WS_POPUP, 0, 0, 0, 10, 10, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  const UINT yes[] = {0x202B, 0x202C, 0x202D, 0x202E, 0x202F, 0x2039, 0x204E, 0x2111,
                      0x2114, 0x2115, 0x2132, 0x2135, 0x2138, 0x2210};
  const UINT no[] = {0x202A, 0x2030, 0x2110, 0x2113, 0x2116, 0x2131, 0x2139, 0x002B, WM_USER + 0x2000};
  for (UINT m : yes) {
    LRESULT r = 123;
    EXPECT_TRUE(CSimpleWnd::DefaultReflected(hwnd, m, 0, 0, r)) << std::hex << m;
    EXPECT_EQ(r, DefWindowProcW(hwnd, m - 0x2000, 0, 0)) << std::hex << m;
  }
  for (UINT m : no) {
    LRESULT r = 123;
    EXPECT_FALSE(CSimpleWnd::DefaultReflected(hwnd, m, 0, 0, r)) << std::hex << m;
    EXPECT_EQ(r, 123);
  }
  DestroyWindow(hwnd);
}

TEST_F(SimpleWndTest, NotifyParentPassesChildNotificationsUp) {
  std::vector<UINT> parentSeen;
  ScriptedWnd parent;
  parent.on = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != WM_COMMAND && msg != WM_NOTIFY) return FALSE;
    parentSeen.push_back(msg);
    result = 3;
    return TRUE;
  };
  HWND p = parent.Create(L"", WS_POPUP, 0, 0, 0, 100, 100, nullptr, nullptr);
  ScriptedWnd child;
  HWND c = child.Create(L"", WS_CHILD, 0, 0, 0, 10, 10, p, nullptr);
  ASSERT_NE(c, nullptr);
  BOOL handled = FALSE;
  EXPECT_EQ(child.NotifyParent(WM_COMMAND, 1, reinterpret_cast<LPARAM>(c), handled), 3);
  EXPECT_TRUE(handled);
  EXPECT_EQ(child.NotifyParent(WM_SIZE, 0, 0, handled), 0);
  EXPECT_FALSE(handled);
  EXPECT_EQ(parentSeen, (std::vector<UINT>{WM_COMMAND}));
  DestroyWindow(p);
}

TEST_F(SimpleWndTest, CenterOnOwnerCentresAndClampsInsideTheArea) {
  ScriptedWnd wnd;
  HWND hwnd = wnd.Create(L"", WS_POPUP, 0, 0, 0, 200, 100, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info));
  const RECT work = info.rcWork;
  RECT r{};

  // No owner, no reference: the middle of the work area.
  wnd.CenterOnOwner();
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, (work.left + work.right) / 2 - 100);
  EXPECT_EQ(r.top, (work.top + work.bottom) / 2 - 50);
  EXPECT_EQ(r.right - r.left, 200);

  // A visible reference near the top-left corner: centred on it, clamped
  // so that the window stays inside the work area.
  ScriptedWnd ref;
  HWND refHwnd = ref.Create(L"", WS_POPUP | WS_VISIBLE, 0, work.left + 10, work.top + 10, 60, 40, nullptr, nullptr);
  ASSERT_NE(refHwnd, nullptr);
  wnd.CenterOnOwner(refHwnd);
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, work.left);
  EXPECT_EQ(r.top, work.top);
  // Near the bottom-right corner: the right and bottom edges hold.
  SetWindowPos(refHwnd, nullptr, work.right - 30, work.bottom - 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  wnd.CenterOnOwner(refHwnd);
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.right, work.right);
  EXPECT_EQ(r.bottom, work.bottom);
  // A hidden reference is not used: back to the work area's middle.
  ShowWindow(refHwnd, SW_HIDE);
  wnd.CenterOnOwner(refHwnd);
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, (work.left + work.right) / 2 - 100);

  // A child: centred in its parent's client area.
  ScriptedWnd child;
  HWND c = child.Create(L"", WS_CHILD, 0, 0, 0, 40, 20, refHwnd, nullptr);
  ASSERT_NE(c, nullptr);
  child.CenterOnOwner();
  GetClientRect(refHwnd, &r);
  RECT cr{};
  GetWindowRect(c, &cr);
  MapWindowPoints(nullptr, refHwnd, reinterpret_cast<POINT*>(&cr), 2);
  EXPECT_EQ(cr.left, (r.right - r.left) / 2 - 20);
  EXPECT_EQ(cr.top, (r.bottom - r.top) / 2 - 10);
  DestroyWindow(refHwnd);
  DestroyWindow(hwnd);
}

TEST_F(SimpleWndTest, ChangeStyleReportsWhetherAnythingChanged) {
  ScriptedWnd wnd;
  HWND hwnd = wnd.Create(L"", WS_POPUP, 0, 0, 0, 10, 10, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_TRUE(wnd.ChangeStyle(0, WS_DISABLED));
  EXPECT_NE(GetWindowLongW(hwnd, GWL_STYLE) & WS_DISABLED, 0);
  EXPECT_FALSE(wnd.ChangeStyle(0, WS_DISABLED));
  EXPECT_TRUE(wnd.ChangeExStyle(0, WS_EX_TOOLWINDOW, SWP_FRAMECHANGED));
  EXPECT_EQ(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW);
  EXPECT_TRUE(wnd.ChangeExStyle(WS_EX_TOOLWINDOW, 0));
  EXPECT_FALSE(wnd.ChangeExStyle(WS_EX_TOOLWINDOW, 0));
  DestroyWindow(hwnd);
}

}  // namespace
