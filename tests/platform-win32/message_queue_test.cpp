// One thread's queue: order, filters, priorities, WM_QUIT, paint, nested
// loops, and what happens to messages of destroyed windows.
#include "recording_window.h"

using MessageQueue = RecordingWindowTest;

namespace {

std::vector<UINT> drain(HWND filter = nullptr, UINT first = 0, UINT last = 0) {
  std::vector<UINT> got;
  MSG msg;
  while (PeekMessageW(&msg, filter, first, last, PM_REMOVE)) got.push_back(msg.message);
  return got;
}

}  // namespace

TEST_F(MessageQueue, PostsArriveInOrderAndDispatchReachesTheWindow) {
  HWND hwnd = create();
  for (UINT i = 0; i < 5; ++i) ASSERT_TRUE(PostMessageW(hwnd, WM_USER + i, i, -static_cast<LPARAM>(i)));
  takeLog();
  MSG msg;
  for (UINT i = 0; i < 5; ++i) {
    ASSERT_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_EQ(msg.message, WM_USER + i);
    EXPECT_EQ(msg.lParam, -static_cast<LPARAM>(i));
    DispatchMessageW(&msg);
  }
  auto log = takeLog();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[4].message, static_cast<UINT>(WM_USER + 4));
  EXPECT_EQ(log[4].wParam, 4u);
}

TEST_F(MessageQueue, PeekWithNoRemoveLeavesTheMessage) {
  HWND hwnd = create();
  PostMessageW(hwnd, WM_USER, 1, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, FiltersByRangeAndByWindow) {
  HWND a = create();
  HWND b = create();
  HWND childOfA = create(L"", WS_CHILD, a, reinterpret_cast<HMENU>(1));
  PostMessageW(a, WM_USER + 1, 0, 0);
  PostMessageW(b, WM_USER + 2, 0, 0);
  PostMessageW(childOfA, WM_USER + 3, 0, 0);
  PostThreadMessageW(GetCurrentThreadId(), WM_USER + 4, 0, 0);
  PostMessageW(a, WM_APP, 0, 0);

  EXPECT_EQ(drain(nullptr, WM_APP, WM_APP), (std::vector<UINT>{WM_APP}));
  EXPECT_EQ(drain(a), (std::vector<UINT>{WM_USER + 1, WM_USER + 3})) << "a window and its children";
  EXPECT_EQ(drain(reinterpret_cast<HWND>(-1)), (std::vector<UINT>{WM_USER + 4}))
      << "-1 takes thread messages only";
  EXPECT_EQ(drain(), (std::vector<UINT>{WM_USER + 2}));

  MSG msg;
  EXPECT_EQ(GetMessageW(&msg, reinterpret_cast<HWND>(0x7FFFFE), 0, 0), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(MessageQueue, PostedThenQuitThenTimerThenPaint) {
  HWND hwnd = create();
  Win32SetNeedsPaint(hwnd, TRUE);
  ASSERT_NE(SetTimer(hwnd, 3, 10, nullptr), 0u);
  Sleep(30);
  PostMessageW(hwnd, WM_USER, 0, 0);
  PostQuitMessage(5);

  MSG msg;
  ASSERT_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  ASSERT_EQ(GetMessageW(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 5u);
  ASSERT_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(msg.wParam, 3u);
  ASSERT_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  KillTimer(hwnd, 3);
}

TEST_F(MessageQueue, PaintRepeatsUntilTheWindowIsValidated) {
  HWND hwnd = create();
  Win32SetNeedsPaint(hwnd, TRUE);
  bool validate = false;
  g_handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_PAINT && !validate) return 0;  // handled without validating
    if (m == WM_PAINT) Win32SetNeedsPaint(h, FALSE);
    return std::nullopt;
  };
  MSG msg;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    DispatchMessageW(&msg);
  }
  validate = true;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  DispatchMessageW(&msg);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));

  // DefWindowProcW counts an unhandled paint as done.
  g_handler = nullptr;
  Win32SetNeedsPaint(hwnd, TRUE);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  DispatchMessageW(&msg);
  EXPECT_FALSE(Win32NeedsPaint(hwnd));
}

TEST_F(MessageQueue, NestedLoopSeesQuitAndTheOuterLoopGetsItAgain) {
  HWND hwnd = create();
  std::vector<std::string> trace;
  g_handler = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_USER + 1) return std::nullopt;
    trace.push_back("modal start");
    MSG inner;
    BOOL got;
    while ((got = GetMessageW(&inner, nullptr, 0, 0)) > 0) {
      trace.push_back("inner " + std::to_string(inner.message - WM_USER));
      DispatchMessageW(&inner);
    }
    trace.push_back("modal end");
    PostQuitMessage(static_cast<int>(inner.wParam));  // hand the quit on to the outer loop
    return 0;
  };
  PostMessageW(hwnd, WM_USER + 1, 0, 0);
  PostMessageW(hwnd, WM_USER + 2, 0, 0);
  PostQuitMessage(9);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    trace.push_back("outer " + std::to_string(msg.message - WM_USER));
    DispatchMessageW(&msg);
  }
  EXPECT_EQ(msg.wParam, 9u);
  EXPECT_EQ(trace, (std::vector<std::string>{"outer 1", "modal start", "inner 2", "modal end"}));
}

TEST_F(MessageQueue, MessagesForADestroyedWindowAreDroppedAndPostsToItFail) {
  HWND keep = create();
  HWND gone = create();
  PostMessageW(gone, WM_USER + 1, 0, 0);
  PostMessageW(keep, WM_USER + 2, 0, 0);
  ASSERT_NE(SetTimer(gone, 1, 10, nullptr), 0u);
  DestroyWindow(gone);
  EXPECT_FALSE(PostMessageW(gone, WM_USER + 3, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(SendMessageW(gone, WM_USER, 0, 0), 0);
  Sleep(30);
  EXPECT_EQ(drain(), (std::vector<UINT>{WM_USER + 2})) << "no message or timer of the dead window";
}

TEST_F(MessageQueue, PostingPastTheQueueLimitFails) {
  HWND hwnd = create();
  int accepted = 0;
  while (PostMessageW(hwnd, WM_USER, 0, 0) && accepted < 20000) ++accepted;
  EXPECT_EQ(accepted, 10000);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_QUOTA));
  EXPECT_EQ(drain().size(), 10000u);
}

TEST_F(MessageQueue, ThreadMessagesAndNullWindowPosts) {
  ASSERT_TRUE(PostMessageW(nullptr, WM_USER + 7, 1, 2));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 7));
  EXPECT_EQ(DispatchMessageW(&msg), 0);
  EXPECT_FALSE(PostThreadMessageW(0x7FFFFFF0, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));
}

TEST_F(MessageQueue, RegisteredMessagesAreStableAndInTheAtomRange) {
  UINT a = RegisterWindowMessageW(L"TaskbarCreated");
  EXPECT_GE(a, 0xC000u);
  EXPECT_LE(a, 0xFFFFu);
  EXPECT_EQ(RegisterWindowMessageW(L"taskbarcreated"), a);
  EXPECT_NE(RegisterWindowMessageW(L"SomethingElse"), a);
}

TEST_F(MessageQueue, WmCloseDestroysThroughDefWindowProc) {
  HWND hwnd = create();
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(hwnd));
}
