// Window classes, creation and destruction messages, window data, titles,
// relations and FindWindowW.
#include <set>

#include "recording_window.h"

using WindowTable = RecordingWindowTest;

TEST_F(WindowTable, ClassRegistrationRefusesDuplicatesAndClassesInUse) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = RecordingProc;
  std::wstring upper = className_;
  for (auto& c : upper) c = towupper(c);
  wc.lpszClassName = upper.c_str();
  EXPECT_EQ(RegisterClassExW(&wc), 0) << "class names ignore case";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

  EXPECT_GE(atom_, 0xC000);
  HWND byAtom = CreateWindowExW(0, MAKEINTATOM(atom_), L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_NE(byAtom, nullptr);
  EXPECT_FALSE(UnregisterClassW(MAKEINTATOM(atom_), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
  ASSERT_TRUE(DestroyWindow(byAtom));
  EXPECT_TRUE(UnregisterClassW(MAKEINTATOM(atom_), nullptr));
  EXPECT_EQ(CreateWindowExW(0, className_.c_str(), L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                            nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

TEST_F(WindowTable, CreationSendsNcCreateThenCreateWithTheCreateParameters) {
  int marker = 0;
  std::vector<CREATESTRUCTW> seen;
  g_handler = [&](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (message == WM_NCCREATE || message == WM_CREATE)
      seen.push_back(*reinterpret_cast<CREATESTRUCTW*>(lParam));
    return std::nullopt;
  };
  HWND hwnd = create(L"标题", WS_POPUP, nullptr, nullptr, &marker);
  ASSERT_NE(hwnd, nullptr);
  auto log = takeLog();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0].message, static_cast<UINT>(WM_NCCREATE));
  EXPECT_EQ(log[1].message, static_cast<UINT>(WM_CREATE));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].lpCreateParams, &marker);
  EXPECT_EQ(seen[1].cx, 100);
  EXPECT_EQ(seen[1].cy, 50);
  wchar_t title[16];
  EXPECT_EQ(GetWindowTextW(hwnd, title, 16), 2) << "DefWindowProcW stores the title on WM_NCCREATE";
  EXPECT_STREQ(title, L"标题");
}

TEST_F(WindowTable, RefusedCreationDestroysTheWindowAndReturnsNull) {
  struct Case {
    UINT refusedMessage;
    LRESULT answer;
    std::vector<UINT> expected;
  };
  const Case cases[] = {
      {WM_NCCREATE, FALSE, {WM_NCCREATE, WM_NCDESTROY}},
      {WM_CREATE, -1, {WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}},
  };
  for (const Case& c : cases) {
    g_handler = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message == c.refusedMessage) return c.answer;
      return std::nullopt;
    };
    EXPECT_EQ(create(), nullptr);
    auto log = takeLog();
    std::vector<UINT> messages;
    for (auto& r : log) messages.push_back(r.message);
    EXPECT_EQ(messages, c.expected) << "refused at " << c.refusedMessage;
    ASSERT_FALSE(log.empty());
    EXPECT_FALSE(IsWindow(log[0].hwnd));
  }
}

TEST_F(WindowTable, HandlesAreUniqueInTheirLow24BitsAndNotReused) {
  std::set<uintptr_t> low;
  std::vector<HWND> made;
  for (int i = 0; i < 200; ++i) {
    HWND hwnd = create();
    ASSERT_NE(hwnd, nullptr);
    const auto value = reinterpret_cast<uintptr_t>(hwnd);
    EXPECT_TRUE(low.insert(value & 0xFFFFFF).second);
    // The framework's timer ids keep only these bits, so they must be the handle.
    EXPECT_EQ(value & ~uintptr_t{0xFFFFFF}, 0u);
    if (i % 2 == 0) DestroyWindow(hwnd);
  }
  HWND later = create();
  EXPECT_EQ(low.count(reinterpret_cast<uintptr_t>(later) & 0xFFFFFF), 0u);
}

TEST_F(WindowTable, DestroyGoesOwnedFirstThenDestroyDownAndNcDestroyUp) {
  HWND top = create(L"top", WS_POPUP);
  HWND child = create(L"child", WS_CHILD, top, reinterpret_cast<HMENU>(7));
  HWND grandchild = create(L"grandchild", WS_CHILD, child, reinterpret_cast<HMENU>(8));
  HWND owned = create(L"owned", WS_POPUP, child);  // owner becomes the top-level ancestor
  ASSERT_TRUE(top && child && grandchild && owned);
  EXPECT_EQ(GetWindow(owned, GW_OWNER), top);
  EXPECT_EQ(GetParent(owned), top);
  EXPECT_EQ(GetParent(grandchild), child);
  EXPECT_EQ(GetDlgItem(top, 7), child);
  EXPECT_EQ(GetDlgCtrlID(grandchild), 8);
  EXPECT_TRUE(IsChild(top, grandchild));
  takeLog();

  ASSERT_TRUE(DestroyWindow(top));
  const std::vector<std::pair<HWND, UINT>> expected = {
      {owned, WM_DESTROY},       {owned, WM_NCDESTROY},    {top, WM_DESTROY},
      {child, WM_DESTROY},       {grandchild, WM_DESTROY}, {grandchild, WM_NCDESTROY},
      {child, WM_NCDESTROY},     {top, WM_NCDESTROY},
  };
  EXPECT_EQ(only(takeLog(), {WM_DESTROY, WM_NCDESTROY}), expected);
  for (HWND hwnd : {top, child, grandchild, owned}) EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(DestroyWindow(top));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowTable, WindowIsStillValidDuringItsDestroyMessages) {
  std::vector<BOOL> validDuring;
  g_handler = [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_DESTROY || message == WM_NCDESTROY) {
      validDuring.push_back(IsWindow(hwnd));
      EXPECT_FALSE(DestroyWindow(hwnd)) << "a window being destroyed is not destroyed twice";
    }
    return std::nullopt;
  };
  HWND hwnd = create();
  ASSERT_TRUE(DestroyWindow(hwnd));
  EXPECT_EQ(validDuring, (std::vector<BOOL>{TRUE, TRUE}));
}

TEST_F(WindowTable, WindowDataAndSubclassing) {
  HWND hwnd = create(L"", WS_POPUP | WS_VISIBLE);
  EXPECT_EQ(SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0x1234567890LL), 0);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), 0x1234567890LL);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), WS_POPUP | WS_VISIBLE);
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
  EXPECT_EQ(GetWindowLongW(hwnd, GWL_EXSTYLE), WS_EX_TOOLWINDOW);
  EXPECT_EQ(SetWindowLongPtrW(hwnd, 8, 99), 0) << "class extra bytes";
  EXPECT_EQ(GetWindowLongPtrW(hwnd, 8), 99);
  SetLastError(0);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, 9), 0) << "past the 16 extra bytes";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
  // The 32-bit calls read and write four extra bytes, never their neighbours.
  EXPECT_EQ(SetWindowLongW(hwnd, 0, -1), 0);
  EXPECT_EQ(GetWindowLongW(hwnd, 4), 0) << "bytes 4..7 untouched by a write at 0";
  EXPECT_EQ(SetWindowLongW(hwnd, 4, 7), 0);
  EXPECT_EQ(GetWindowLongW(hwnd, 0), -1);
  EXPECT_EQ(GetWindowLongW(hwnd, 4), 7);
  EXPECT_EQ(SetWindowLongW(hwnd, 12, 5), 0);
  SetLastError(0);
  EXPECT_EQ(GetWindowLongW(hwnd, 12), 5) << "the last four of the 16 extra bytes";
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, 12), 0) << "eight bytes at 12 run past the end";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
  // A pointer cannot travel through the 32-bit call.
  EXPECT_EQ(GetWindowLongW(hwnd, GWL_WNDPROC), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));

  static WNDPROC previous = nullptr;
  static int subclassCalls = 0;
  subclassCalls = 0;
  WNDPROC sub = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_USER + 5) {
      ++subclassCalls;
      return CallWindowProcW(previous, h, m, w, l) + 1000;
    }
    return CallWindowProcW(previous, h, m, w, l);
  };
  previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(sub)));
  EXPECT_EQ(previous, &RecordingProc);
  g_handler = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER + 5) return 7;
    return std::nullopt;
  };
  EXPECT_EQ(SendMessageW(hwnd, WM_USER + 5, 0, 0), 1007);
  EXPECT_EQ(subclassCalls, 1);
}

TEST_F(WindowTable, TitlesAreCutToTheBuffer) {
  HWND hwnd = create(L"recorder");
  ASSERT_TRUE(SetWindowTextW(hwnd, L"录音机 main"));
  EXPECT_EQ(GetWindowTextLengthW(hwnd), 8);
  wchar_t small[4] = {L'x', L'x', L'x', L'x'};
  EXPECT_EQ(GetWindowTextW(hwnd, small, 4), 3);
  EXPECT_STREQ(small, L"录音机");
  wchar_t name[64];
  EXPECT_EQ(GetClassNameW(hwnd, name, 64), static_cast<int>(className_.size()));
  EXPECT_EQ(name, className_);
}

TEST_F(WindowTable, FindWindowMatchesTopLevelWindowsByClassAndTitle) {
  HWND main = create(L"Main Title");
  HWND other = create(L"Other");
  create(L"Main Title", WS_CHILD, main, reinterpret_cast<HMENU>(1));
  ASSERT_NE(create(L"Hidden", 0, HWND_MESSAGE), nullptr);
  struct Case {
    LPCWSTR cls;
    LPCWSTR title;
    HWND expected;
  };
  std::wstring upperClass = className_;
  for (auto& c : upperClass) c = towupper(c);
  const Case cases[] = {
      {className_.c_str(), L"Main Title", main},
      {upperClass.c_str(), L"main title", main},
      {nullptr, L"Other", other},
      {MAKEINTATOM(atom_), L"Other", other},
      {className_.c_str(), nullptr, main},
      {L"NoSuchClass", L"Main Title", nullptr},
      {className_.c_str(), L"Hidden", nullptr},  // message-only windows are not found
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindWindowW(c.cls, c.title), c.expected) << (c.title ? c.title : L"(any)");
  }
  DestroyWindow(main);
  EXPECT_EQ(FindWindowW(className_.c_str(), L"Main Title"), nullptr);
}

TEST_F(WindowTable, ChildWithoutParentAndBadParentsFail) {
  EXPECT_EQ(create(L"", WS_CHILD, nullptr), nullptr);
  EXPECT_EQ(create(L"", WS_POPUP, reinterpret_cast<HWND>(0x7FFFFE)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  HWND hwnd = create();
  DWORD pid = 0;
  EXPECT_EQ(GetWindowThreadProcessId(hwnd, &pid), GetCurrentThreadId());
  EXPECT_EQ(pid, GetCurrentProcessId());
}
