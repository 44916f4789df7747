// Placement, activation and focus without a display: the window table
// keeps rectangles and states, and the messages come in Windows order.
#include <cairo.h>

#include "recording_window.h"

namespace {

std::vector<UINT> messagesIn(const std::vector<Recorded>& log, std::initializer_list<UINT> wanted) {
  std::vector<UINT> out;
  for (const auto& [hwnd, message] : only(log, wanted)) out.push_back(message);
  return out;
}

const Recorded* first(const std::vector<Recorded>& log, UINT message) {
  for (const Recorded& r : log) {
    if (r.message == message) return &r;
  }
  return nullptr;
}

class Placement : public RecordingWindowTest {};

TEST_F(Placement, FirstShowActivatesThenReportsSizeAndPosition) {
  HWND hwnd = create();
  SetWindowPos(hwnd, nullptr, 30, 40, 200, 100, SWP_NOZORDER | SWP_NOACTIVATE);
  takeLog();
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOW));
  const auto log = takeLog();
  EXPECT_EQ(messagesIn(log, {WM_SHOWWINDOW, WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS,
                             WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE}),
            (std::vector<UINT>{WM_SHOWWINDOW, WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS,
                               WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE}));
  EXPECT_EQ(first(log, WM_SIZE)->lParam, MAKELPARAM(200, 100));
  EXPECT_EQ(first(log, WM_MOVE)->lParam, MAKELPARAM(30, 40));
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_TRUE(ShowWindow(hwnd, SW_SHOW));  // was visible
  EXPECT_EQ(GetActiveWindow(), hwnd);
  EXPECT_EQ(GetFocus(), hwnd);
  EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(Placement, CreatedVisibleIsShownOnceCreated) {
  HWND hwnd = create(L"", WS_POPUP | WS_VISIBLE);
  const auto log = takeLog();
  EXPECT_EQ(messagesIn(log, {WM_CREATE, WM_SHOWWINDOW}), (std::vector<UINT>{WM_CREATE, WM_SHOWWINDOW}));
  EXPECT_TRUE(IsWindowVisible(hwnd));
}

TEST_F(Placement, MinimiseMaximiseRestoreReportTheirSizeKinds) {
  HWND hwnd = create();
  MoveWindow(hwnd, 10, 20, 300, 200, FALSE);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  takeLog();
  ShowWindow(hwnd, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(hwnd));
  EXPECT_EQ(first(takeLog(), WM_SIZE)->wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
  SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(IsIconic(hwnd));
  EXPECT_EQ(first(takeLog(), WM_SIZE)->wParam, static_cast<WPARAM>(SIZE_RESTORED));
  SendMessageW(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  EXPECT_TRUE(IsZoomed(hwnd));
  auto log = takeLog();
  EXPECT_NE(first(log, WM_GETMINMAXINFO), nullptr);
  EXPECT_EQ(first(log, WM_SIZE)->wParam, static_cast<WPARAM>(SIZE_MAXIMIZED));
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(rect.right - rect.left, work.right - work.left);
  ShowWindow(hwnd, SW_RESTORE);
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 20);
  EXPECT_EQ(rect.right - rect.left, 300);
}

TEST_F(Placement, ChildRectanglesAndCoordinateMapping) {
  HWND parent = create();
  MoveWindow(parent, 100, 50, 400, 300, FALSE);
  HWND child = create(L"", WS_CHILD | WS_VISIBLE, parent);
  MoveWindow(child, 20, 30, 50, 40, FALSE);
  RECT rect{};
  GetWindowRect(child, &rect);
  EXPECT_EQ(rect.left, 120);
  EXPECT_EQ(rect.top, 80);
  GetClientRect(child, &rect);
  EXPECT_EQ(rect.right, 50);
  EXPECT_EQ(rect.bottom, 40);
  POINT pt{5, 6};
  ClientToScreen(child, &pt);
  EXPECT_EQ(pt.x, 125);
  EXPECT_EQ(pt.y, 86);
  ScreenToClient(parent, &pt);
  EXPECT_EQ(pt.x, 25);
  EXPECT_EQ(pt.y, 36);
  POINT points[2] = {{0, 0}, {1, 1}};
  MapWindowPoints(child, parent, points, 2);
  EXPECT_EQ(points[0].x, 20);
  EXPECT_EQ(points[1].y, 31);
  MapWindowPoints(child, nullptr, points, 1);
  EXPECT_EQ(points[0].x, 140);
}

TEST_F(Placement, TopmostAndBackLeavesNoTopmostStyle) {
  HWND hwnd = create();
  SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_NE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect.right - rect.left, 100);  // size and place untouched
}

TEST_F(Placement, WindowPosChangingCanAdjustThePlacement) {
  HWND hwnd = create();
  g_handler = [](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (message == WM_WINDOWPOSCHANGING) reinterpret_cast<WINDOWPOS*>(lParam)->cx = 77;
    return std::nullopt;
  };
  SetWindowPos(hwnd, nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect.right - rect.left, 77);
  EXPECT_EQ(rect.bottom - rect.top, 200);
}

TEST_F(Placement, EnableWindowReportsThePreviousStateOnce) {
  HWND hwnd = create();
  EXPECT_FALSE(EnableWindow(hwnd, FALSE));  // was enabled
  EXPECT_FALSE(IsWindowEnabled(hwnd));
  EXPECT_TRUE(EnableWindow(hwnd, FALSE));  // already disabled: no second WM_ENABLE
  EXPECT_TRUE(EnableWindow(hwnd, TRUE));
  EXPECT_EQ(messagesIn(takeLog(), {WM_ENABLE}), (std::vector<UINT>{WM_ENABLE, WM_ENABLE}));
  // A disabled window cannot take the focus.
  EnableWindow(hwnd, FALSE);
  EXPECT_EQ(SetFocus(hwnd), nullptr);
  EXPECT_NE(GetFocus(), hwnd);
}

TEST_F(Placement, FocusMovesKillBeforeSetAndActivationGoesFirst) {
  HWND a = create();
  HWND b = create();
  ShowWindow(a, SW_SHOW);
  takeLog();
  SetActiveWindow(b);
  const auto log = takeLog();
  std::vector<std::pair<HWND, UINT>> order;
  for (const Recorded& r : log) {
    if (r.message == WM_ACTIVATE || r.message == WM_KILLFOCUS || r.message == WM_SETFOCUS)
      order.emplace_back(r.hwnd, r.message);
  }
  EXPECT_EQ(order, (std::vector<std::pair<HWND, UINT>>{
                       {a, WM_ACTIVATE}, {b, WM_ACTIVATE}, {a, WM_KILLFOCUS}, {b, WM_SETFOCUS}}));
  // No WM_ACTIVATEAPP: the application stayed active.
  EXPECT_EQ(first(log, WM_ACTIVATEAPP), nullptr);
  EXPECT_EQ(LOWORD(first(log, WM_ACTIVATE)->wParam), WA_INACTIVE);
}

TEST_F(Placement, ClosingAnOwnedWindowGivesTheActivationBackToItsOwner) {
  HWND owner = create();
  ShowWindow(owner, SW_SHOW);
  HWND dialog = create(L"", WS_POPUP, owner);
  ShowWindow(dialog, SW_SHOW);
  ASSERT_EQ(GetActiveWindow(), dialog);
  takeLog();
  DestroyWindow(dialog);
  EXPECT_EQ(GetActiveWindow(), owner);
  EXPECT_EQ(GetFocus(), owner);
  const auto log = takeLog();
  const Recorded* activated = first(log, WM_ACTIVATE);
  ASSERT_NE(activated, nullptr);
  EXPECT_EQ(activated->hwnd, owner);
  EXPECT_EQ(LOWORD(activated->wParam), WA_ACTIVE);
  EXPECT_EQ(first(log, WM_ACTIVATEAPP), nullptr);  // the application stayed active
  // Hiding works the same way; the last window going deactivates the application.
  HWND second = create(L"", WS_POPUP, owner);
  ShowWindow(second, SW_SHOW);
  ShowWindow(second, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), owner);
  takeLog();
  DestroyWindow(owner);
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(Placement, CaptureChangesAreAnnounced) {
  HWND a = create();
  HWND b = create();
  EXPECT_EQ(SetCapture(a), nullptr);
  EXPECT_EQ(SetCapture(b), a);
  EXPECT_EQ(GetCapture(), b);
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), nullptr);
  const auto log = takeLog();
  std::vector<HWND> losers;
  for (const Recorded& r : log) {
    if (r.message == WM_CAPTURECHANGED) losers.push_back(r.hwnd);
  }
  EXPECT_EQ(losers, (std::vector<HWND>{a, b}));
  // A destroyed window gives the capture up.
  SetCapture(a);
  DestroyWindow(a);
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
