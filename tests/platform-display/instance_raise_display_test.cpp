// A second start of the program finds the first instance's main window in
// this process with FindWindowW, and the first instance restores it from
// minimised, shows it and raises it without leaving it topmost.
#include "display_helper.h"

#include <sys/wait.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

const wchar_t kClass[] = L"MainClsPXReord";
const wchar_t kTitle[] = L"Velmora电脑录音软件";

// Runs the program's single-instance check in a new process; 10 means
// "another instance runs".
int secondStart(const std::function<bool()>& whileWaiting) {
  std::atomic<int> result{-1};
  std::thread child([&] {
    const int status = std::system((std::string(INSTANCE_PROBE) + " check").c_str());
    result = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
  });
  pumpUntil([&] { return result.load() != -1 && whileWaiting(); }, 10000);
  child.join();
  return result.load();
}

bool viewable(HWND hwnd) {
  XWindowAttributes attributes{};
  XSync(userDisplay(), False);
  return XGetWindowAttributes(userDisplay(), Win32XWindowOf(hwnd), &attributes) &&
         attributes.map_state == IsViewable;
}

TEST(InstanceRaise, SecondStartRestoresTheMinimisedMainWindow) {
  ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
  HANDLE mutex = CreateMutexW(nullptr, FALSE, L"MUTEX_QuorvalePROJECT");
  ASSERT_NE(mutex, nullptr);
  RecordingClass cls(kClass);

  // No main window yet: the second start still reports the first.
  EXPECT_EQ(secondStart([] { return true; }), 10);

  HWND hwnd = CreateWindowExW(0, kClass, kTitle, WS_POPUP | WS_MINIMIZEBOX, 120, 90, 320, 240,
                              nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  ASSERT_TRUE(waitViewable(hwnd));
  ShowWindow(hwnd, SW_MINIMIZE);
  ASSERT_TRUE(pumpUntil([&] { return !viewable(hwnd); }));
  EXPECT_TRUE(IsIconic(hwnd));
  cls.clear();

  EXPECT_EQ(secondStart([&] { return !IsIconic(hwnd) && viewable(hwnd); }), 10);
  pumpUntil([&] { return !IsIconic(hwnd) && viewable(hwnd); });
  EXPECT_FALSE(IsIconic(hwnd));
  EXPECT_TRUE(viewable(hwnd));
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  pumpFor(200);
  EXPECT_EQ(GetActiveWindow(), hwnd);
  bool restoreCommand = false, restoredSize = false;
  for (const Seen& s : cls.take()) {
    if (s.message == WM_SYSCOMMAND && s.wParam == SC_RESTORE) restoreCommand = true;
    if (s.message == WM_SIZE && s.wParam == SIZE_RESTORED) restoredSize = true;
  }
  EXPECT_TRUE(restoreCommand);
  EXPECT_TRUE(restoredSize);
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect.left, 120);
  EXPECT_EQ(rect.right - rect.left, 320);
  DestroyWindow(hwnd);
  CloseHandle(mutex);
}

TEST(InstanceRaise, AnotherProcessCarriesOutOnlyPointerFreeRequests) {
  ASSERT_TRUE(Win32HasDisplay());
  EXPECT_EQ(FindWindowW(L"ProbeWindow", L"no such title anywhere"), nullptr);
  FILE* probe = popen((std::string(DISPLAY_PROBE) + " window 探针").c_str(), "r");
  ASSERT_NE(probe, nullptr);
  char line[64] = {};
  ASSERT_NE(fgets(line, sizeof line, probe), nullptr);
  ASSERT_STREQ(line, "ready\n");
  HWND foreign = nullptr;
  ASSERT_TRUE(pumpUntil([&] { return (foreign = FindWindowW(L"ProbeWindow", L"探针")) != nullptr; }));
  EXPECT_TRUE(IsWindow(foreign));
  EXPECT_TRUE(IsWindowVisible(foreign));
  EXPECT_FALSE(IsIconic(foreign));
  // A message whose parameters could be pointers is not carried out there;
  // a close request is.
  EXPECT_TRUE(PostMessageW(foreign, WM_USER, 1, 2));
  EXPECT_TRUE(PostMessageW(foreign, WM_CLOSE, 0, 0));
  std::string heard;
  while (fgets(line, sizeof line, probe)) heard += line;
  pclose(probe);
  EXPECT_EQ(heard, "close\n");
  EXPECT_TRUE(pumpUntil([&] { return !IsWindow(foreign); }));
}

}  // namespace
