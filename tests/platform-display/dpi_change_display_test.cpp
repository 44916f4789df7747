// A new Xft.dpi in the root window's RESOURCE_MANAGER, as a desktop
// publishes it: GetDpiForWindow answers the new value and each visible
// top-level window is sent WM_DPICHANGED with its top-left and its size
// scaled by new / old. Hidden windows and children hear nothing; GDI's
// DPI, read at start-up, stays.
#include "display_helper.h"

#include <string>

#include "gdi/gdi.h"

namespace {

std::vector<Seen> dpiMessages(RecordingClass& cls, std::vector<Seen>& log) {
  for (const Seen& s : cls.take())
    if (s.message == WM_DPICHANGED) log.push_back(s);
  return log;
}

class DpiChange : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    cls_.handler = [this](HWND hwnd, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
      // The suggested rectangle only lives while the message is handled.
      if (message == WM_DPICHANGED) suggested_.push_back({hwnd, *reinterpret_cast<const RECT*>(lParam)});
      return std::nullopt;
    };
  }
  RecordingClass cls_{L"DpiWindow"};
  struct Suggestion {
    HWND hwnd;
    RECT rect;
  };
  std::vector<Suggestion> suggested_;
};

TEST_F(DpiChange, VisibleTopLevelWindowsAreToldOfANewXftDpi) {
  RootResources resources;
  const UINT startDpi = Win32DisplayDpi();
  const int gdiDpi = GetDeviceCaps(nullptr, LOGPIXELSX);
  HWND shown = CreateWindowExW(0, cls_.name(), L"shown", WS_POPUP, 100, 80, 300, 200, nullptr, nullptr, nullptr,
                               nullptr);
  HWND hidden = CreateWindowExW(0, cls_.name(), L"hidden", WS_POPUP, 500, 80, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
  HWND child = CreateWindowExW(0, cls_.name(), L"", WS_CHILD | WS_VISIBLE, 10, 10, 50, 40, shown, nullptr,
                               nullptr, nullptr);
  ASSERT_TRUE(shown && hidden && child);
  ShowWindow(shown, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(waitViewable(shown));
  ASSERT_EQ(GetDpiForWindow(shown), startDpi);

  const UINT next = startDpi == 144 ? 192 : 144;
  RootResources::write(resources.withDpi(static_cast<int>(next)));
  std::vector<Seen> log;
  ASSERT_TRUE(pumpUntil([&] { return !dpiMessages(cls_, log).empty(); }));
  pumpFor(200);
  dpiMessages(cls_, log);
  ASSERT_EQ(log.size(), 1u) << "only the visible top-level window is told";
  EXPECT_EQ(log[0].hwnd, shown);
  EXPECT_EQ(LOWORD(log[0].wParam), next);
  EXPECT_EQ(HIWORD(log[0].wParam), next);
  ASSERT_EQ(suggested_.size(), 1u);
  const RECT& r = suggested_[0].rect;
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 80);
  EXPECT_EQ(r.right - r.left, static_cast<LONG>(300 * next / startDpi));
  EXPECT_EQ(r.bottom - r.top, static_cast<LONG>(200 * next / startDpi));
  EXPECT_EQ(GetDpiForWindow(shown), next);
  EXPECT_EQ(GetDpiForWindow(hidden), next) << "the answer is the display's, shown or not";
  EXPECT_EQ(Win32DisplayDpi(), startDpi) << "the start-up DPI stays";
  EXPECT_EQ(GetDeviceCaps(nullptr, LOGPIXELSX), gdiDpi) << "GDI's DPI stays";

  // Other resources changing, the DPI the same: nothing.
  std::string same = resources.withDpi(static_cast<int>(next)) + "Quorvale.test:\tyes\n";
  RootResources::write(same);
  pumpFor(300);
  dpiMessages(cls_, log);
  EXPECT_EQ(log.size(), 1u);

  // Back: the ratio turns round, from where the window stands now.
  SetWindowPos(shown, nullptr, 40, 30, 450, 300, SWP_NOZORDER | SWP_NOACTIVATE);
  suggested_.clear();
  RootResources::write(resources.withDpi(static_cast<int>(startDpi)));
  ASSERT_TRUE(pumpUntil([&] { return dpiMessages(cls_, log).size() == 2; }));
  EXPECT_EQ(LOWORD(log[1].wParam), startDpi);
  ASSERT_EQ(suggested_.size(), 1u);
  EXPECT_EQ(suggested_[0].rect.left, 40);
  EXPECT_EQ(suggested_[0].rect.top, 30);
  EXPECT_EQ(suggested_[0].rect.right - suggested_[0].rect.left, static_cast<LONG>(450 * startDpi / next));
  EXPECT_EQ(suggested_[0].rect.bottom - suggested_[0].rect.top, static_cast<LONG>(300 * startDpi / next));
  EXPECT_EQ(GetDpiForWindow(shown), startDpi);

  DestroyWindow(shown);
  DestroyWindow(hidden);
}

// Without Xft.dpi the display is at 96.
TEST_F(DpiChange, RemovingXftDpiMeans96) {
  RootResources resources;
  HWND shown = CreateWindowExW(0, cls_.name(), L"shown", WS_POPUP, 100, 80, 200, 100, nullptr, nullptr, nullptr,
                               nullptr);
  ShowWindow(shown, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(waitViewable(shown));
  std::vector<Seen> log;
  RootResources::write(resources.withDpi(120));
  ASSERT_TRUE(pumpUntil([&] { return !dpiMessages(cls_, log).empty(); }));
  EXPECT_EQ(GetDpiForWindow(shown), 120u);
  RootResources::write(resources.withDpi(0));
  ASSERT_TRUE(pumpUntil([&] { return dpiMessages(cls_, log).size() == 2; }));
  EXPECT_EQ(LOWORD(log[1].wParam), 96u);
  EXPECT_EQ(GetDpiForWindow(shown), 96u);
  DestroyWindow(shown);
}

}  // namespace
