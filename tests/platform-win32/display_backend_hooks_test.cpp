// The display-backend hooks: a blocked GetMessageW wakes for the backend's
// descriptor and lets its pump turn input into messages; window life, title
// and FindWindowW reach the backend.
#include <fcntl.h>
#include <unistd.h>

#include <thread>

#include "recording_window.h"

namespace {

struct FakeDisplay {
  int pipe[2] = {-1, -1};
  HWND target = nullptr;
  std::vector<std::string> events;
  HWND foreign = reinterpret_cast<HWND>(0x7ABCDE);
};

void pump(void* context) {
  auto* display = static_cast<FakeDisplay*>(context);
  char byte;
  while (read(display->pipe[0], &byte, 1) == 1) PostMessageW(display->target, WM_USER + byte, 0, 0);
}

Win32DisplayBackend makeBackend(FakeDisplay* display) {
  Win32DisplayBackend backend{};
  backend.fd = display->pipe[0];
  backend.pump = pump;
  backend.windowCreated = [](HWND, const CREATESTRUCTW* create, void* context) {
    static_cast<FakeDisplay*>(context)->events.push_back("created " +
                                                        std::to_string(create->cx));
  };
  backend.windowDestroyed = [](HWND hwnd, void* context) {
    static_cast<FakeDisplay*>(context)->events.push_back(IsWindow(hwnd) ? "destroyed" : "gone");
  };
  backend.windowTextChanged = [](HWND, LPCWSTR text, void* context) {
    static_cast<FakeDisplay*>(context)->events.push_back("title " + std::to_string(wcslen(text)));
  };
  backend.findForeignWindow = [](LPCWSTR, LPCWSTR title, void* context) -> HWND {
    auto* display = static_cast<FakeDisplay*>(context);
    return title && wcscmp(title, L"elsewhere") == 0 ? display->foreign : nullptr;
  };
  backend.context = display;
  return backend;
}

class DisplayBackendHooks : public RecordingWindowTest {
 protected:
  void SetUp() override {
    RecordingWindowTest::SetUp();
    ASSERT_EQ(pipe2(display_.pipe, O_NONBLOCK | O_CLOEXEC), 0);
    Win32DisplayBackend backend = makeBackend(&display_);
    Win32SetDisplayBackend(&backend);
  }
  void TearDown() override {
    RecordingWindowTest::TearDown();
    Win32SetDisplayBackend(nullptr);
    close(display_.pipe[0]);
    close(display_.pipe[1]);
  }
  FakeDisplay display_;
};

}  // namespace

TEST_F(DisplayBackendHooks, GetMessageWakesForBackendInput) {
  display_.target = create();
  std::thread input([this] {
    Sleep(30);
    const char byte = 5;
    ASSERT_EQ(write(display_.pipe[1], &byte, 1), 1);
  });
  MSG msg;
  ASSERT_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);
  input.join();
  EXPECT_EQ(msg.hwnd, display_.target);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 5));
}

TEST_F(DisplayBackendHooks, WindowLifeAndTitlesReachTheBackend) {
  HWND hwnd = create(L"abc");
  SetWindowTextW(hwnd, L"abcdef");
  DestroyWindow(hwnd);
  EXPECT_EQ(display_.events,
            (std::vector<std::string>{"created 100", "title 3", "title 6", "destroyed"}))
      << "created before WM_NCCREATE sets the title; destroyed while the handle is still valid";
}

TEST_F(DisplayBackendHooks, FindWindowAsksTheBackendWhenNoOwnWindowMatches) {
  HWND own = create(L"elsewhere");
  EXPECT_EQ(FindWindowW(nullptr, L"elsewhere"), own);
  DestroyWindow(own);
  EXPECT_EQ(FindWindowW(nullptr, L"elsewhere"), display_.foreign);
  EXPECT_EQ(FindWindowW(nullptr, L"nowhere"), nullptr);
}

// A thread that ends with windows still open must not leave their native
// windows behind: Windows destroys a thread's windows with the thread.
TEST_F(DisplayBackendHooks, WindowsOfAnEndedThreadReleaseTheirNativeWindows) {
  HWND left = nullptr;
  std::thread owner([&] { left = create(L"left"); });
  owner.join();
  ASSERT_NE(left, nullptr);
  EXPECT_FALSE(IsWindow(left));
  EXPECT_EQ(display_.events, (std::vector<std::string>{"created 100", "title 4", "gone"}))
      << "the backend hears of every window of the ended thread";
}
