// The cursor position is answered without a round trip to the server while
// the pointer stands still; every movement (by any client's input, or a
// warp of ours) must still show at once. And a thread woken a hundred times
// a second by its own timer, which then need not read the connection, still
// receives the input that arrives meanwhile.
#include "display_helper.h"

#include <chrono>
#include <thread>

namespace {

void settle() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

// A shown pop-up of the class at 300,300, 200×150.
HWND ShowWindowAt300(RecordingClass& cls) {
  HWND hwnd = CreateWindowExW(0, cls.name(), L"cursor", WS_POPUP, 300, 300, 200, 150, nullptr, nullptr, nullptr,
                              nullptr);
  ShowWindow(hwnd, SW_SHOW);
  EXPECT_TRUE(waitViewable(hwnd));
  return hwnd;
}

POINT cursor() {
  POINT p{-1, -1};
  EXPECT_TRUE(GetCursorPos(&p));
  return p;
}

TEST(CursorPosition, EveryMovementByInputShowsAtOnce) {
  ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
  const POINT places[] = {{100, 100}, {101, 100}, {101, 101}, {640, 512}, {0, 0}, {1279, 1023}, {640, 512}};
  for (const POINT& place : places) {
    cursor();  // the position before the move is known now
    moveMouse(place.x, place.y);
    settle();
    const POINT now = cursor();
    EXPECT_EQ(now.x, place.x) << "after a move to " << place.x << "," << place.y;
    EXPECT_EQ(now.y, place.y) << "after a move to " << place.x << "," << place.y;
    // Asked again while the pointer stands still: the same answer.
    const POINT again = cursor();
    EXPECT_EQ(again.x, place.x);
    EXPECT_EQ(again.y, place.y);
  }
}

TEST(CursorPosition, OwnWarpShowsAtOnce) {
  ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
  moveMouse(200, 200);
  settle();
  ASSERT_EQ(cursor().x, 200);
  const POINT places[] = {{300, 250}, {301, 250}, {50, 60}};
  for (const POINT& place : places) {
    ASSERT_TRUE(SetCursorPos(place.x, place.y));
    const POINT now = cursor();
    EXPECT_EQ(now.x, place.x);
    EXPECT_EQ(now.y, place.y);
  }
}

TEST(CursorPosition, AnotherClientsWarpIntoOurWindowShowsAtOnce) {
  ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
  RecordingClass cls(L"CursorWarpWindow");
  HWND hwnd = ShowWindowAt300(cls);
  moveMouse(10, 10);
  pumpFor(50);
  ASSERT_EQ(cursor().x, 10);  // known now, and asked again only much later
  // A warp makes no raw motion; it shows as crossing and motion events on
  // the window it lands in.
  Display* d = userDisplay();
  XWarpPointer(d, None, DefaultRootWindow(d), 0, 0, 0, 0, 350, 360);
  XSync(d, False);
  POINT now{};
  EXPECT_TRUE(pumpUntil([&] {
    now = cursor();
    return now.x == 350 && now.y == 360;
  }, 800)) << "still at " << now.x << "," << now.y;  // below the 1 s re-query
  DestroyWindow(hwnd);
}

TEST(CursorPosition, AThreadWokenByItsTimerStillGetsInput) {
  ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
  RecordingClass cls(L"CursorTimerWindow");
  HWND hwnd = ShowWindowAt300(cls);
  int ticks = 0;
  std::vector<POINT> moves;
  cls.handler = [&](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (message == WM_TIMER) ++ticks;
    if (message == WM_MOUSEMOVE) moves.push_back(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    return std::nullopt;
  };
  SetTimer(hwnd, 7, 10, nullptr);
  moveMouse(10, 10);
  pumpFor(200);
  moves.clear();
  const POINT targets[] = {{320, 330}, {350, 360}, {420, 400}};
  for (const POINT& target : targets) {
    moveMouse(target.x, target.y);
    EXPECT_TRUE(pumpUntil([&] {
      return !moves.empty() && moves.back().x == target.x - 300 && moves.back().y == target.y - 300;
    }, 3000)) << "no WM_MOUSEMOVE at " << target.x << "," << target.y;
    // The window under the pointer and the position asked for agree.
    const POINT now = cursor();
    EXPECT_EQ(now.x, target.x);
    EXPECT_EQ(now.y, target.y);
  }
  EXPECT_GT(ticks, 3);
  KillTimer(hwnd, 7);
  DestroyWindow(hwnd);
}

}  // namespace
