// The dialog bases' arithmetic and routing, their message map called
// directly: DPI rounding and rescaling, listeners first, 0 as the answer.
#include <gtest/gtest.h>

#include "OrielTestApp.h"
#include "controls/SDlgBase.h"

namespace {

TEST(DlgBaseDpi, DpiRoundsToAScaleStep) {
  const struct {
    int dpi, scale;
  } rows[] = {{96, 100}, {110, 100}, {120, 125}, {144, 150}, {168, 175}, {192, 200}, {400, 300}};
  for (const auto& r : rows) EXPECT_EQ(ORIEL::ScaleForDpi(r.dpi), r.scale) << r.dpi;
}

TEST(DlgBaseDpi, ScaledRectangleKeepsItsCentre) {
  const struct {
    RECT in;
    int scale;
    RECT out;
  } rows[] = {
      {{100, 100, 440, 264}, 150, {15, 59, 525, 305}},   // 340x164 -> 510x246
      {{100, 100, 440, 264}, 100, {100, 100, 440, 264}},  // 96 dpi: unchanged
      {{0, 0, 341, 165}, 200, {-171, -83, 511, 247}},     // odd sizes truncate
  };
  for (const auto& r : rows) {
    const RECT got = ORIEL::ScaledAroundCentre(r.in, r.scale);
    EXPECT_EQ(got.left, r.out.left);
    EXPECT_EQ(got.top, r.out.top);
    EXPECT_EQ(got.right - got.left, r.out.right - r.out.left);
    EXPECT_EQ(got.bottom - got.top, r.out.bottom - r.out.top);
  }
}

// No Windows version here: nothing is read, and only 0.0.0 is "at least".
TEST(DlgBaseDpi, NoSystemVersionToRead) {
  DWORD major = 7, minor = 7, build = 7, revision = 7;
  EXPECT_EQ(ORIEL::GetOsVersionFromNtdll(&major, &minor, &build, &revision), 0);
  EXPECT_EQ(major + minor + build + revision, 28u) << "outputs untouched";
  EXPECT_TRUE(ORIEL::IsOsVersionAtLeast(0, 0, 0));
  EXPECT_FALSE(ORIEL::IsOsVersionAtLeast(6, 1, 7600));
  EXPECT_FALSE(ORIEL::IsOsVersionAtLeast(0, 0, 1));
}

// A listener that claims the messages it is told to, answering 42.
class Listener : public SWindow {
 public:
  BOOL HandleSwndMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
    seen.push_back(msg);
    if (msg != claims) return FALSE;
    result = 42;
    return TRUE;
  }
  UINT claims = 0;
  std::vector<UINT> seen;
};

class Dialog : public SDlgBase {
 public:
  Dialog() : SDlgBase(nullptr) {}
  BOOL Route(UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
    return HandleWindowMessage(nullptr, msg, w, l, result, 0);
  }
};

class DlgBaseRouting : public OrielAppTest {};

// GDI's pixels per inch, set from the display when the renderer loads.
TEST_F(DlgBaseRouting, SystemScaleIsGdisDpi) {
  EXPECT_EQ(ORIEL::GetSystemDpiScale(nullptr), static_cast<int>(Win32DisplayDpi()) * 100 / 96);
}

TEST_F(DlgBaseRouting, ListenersComeFirstAndTheAnswerIsZero) {
  Dialog dialog;
  Listener first, second;
  dialog.AddListener(&first);
  dialog.AddListener(&second);
  second.claims = WM_COMMAND;
  LRESULT result = 7;
  EXPECT_TRUE(dialog.Route(WM_COMMAND, 1234, 0, result));
  EXPECT_EQ(result, 0) << "the listener's own answer is not passed on";
  EXPECT_EQ(first.seen, std::vector<UINT>{WM_COMMAND});
  EXPECT_EQ(second.seen, std::vector<UINT>{WM_COMMAND});

  // Timers, copied data and WM_USER up are offered too; a claim by the
  // first stops the walk.
  first.claims = WM_TIMER;
  EXPECT_TRUE(dialog.Route(WM_TIMER, 5, 0, result));
  EXPECT_EQ(second.seen.size(), 1u);
  for (UINT msg : {static_cast<UINT>(WM_COPYDATA), static_cast<UINT>(WM_USER), static_cast<UINT>(0x2F13)}) {
    first.seen.clear();
    dialog.Route(msg, 0, 0, result);
    EXPECT_EQ(first.seen, std::vector<UINT>{msg}) << msg;
  }
  // Below WM_USER nothing else reaches a listener, even one claiming it.
  first.seen.clear();
  first.claims = WM_SIZE;
  for (UINT msg : {static_cast<UINT>(WM_SIZE), static_cast<UINT>(WM_MOUSEMOVE), static_cast<UINT>(WM_PAINT)})
    dialog.Route(msg, 0, 0, result);
  EXPECT_TRUE(first.seen.empty());

  // Removed: no longer offered.
  dialog.RemoveListener(&first);
  dialog.RemoveListener(&first);  // not listed: nothing
  second.seen.clear();
  dialog.Route(WM_COMMAND, 1, 0, result);
  EXPECT_EQ(first.seen.size(), 0u);
  EXPECT_EQ(second.seen.size(), 1u);
}

TEST_F(DlgBaseRouting, OtherMapIdsAreNotLookedAt) {
  Dialog dialog;
  Listener l;
  l.claims = WM_COMMAND;
  dialog.AddListener(&l);
  LRESULT result = 0;
  EXPECT_FALSE(dialog.HandleWindowMessage(nullptr, WM_COMMAND, 0, 0, result, 1));
  EXPECT_TRUE(l.seen.empty());
}

// A dialog whose window could not be made still leaves the stack.
TEST_F(DlgBaseRouting, ADialogThatCannotBeMadeLeavesTheStack) {
  Dialog dialog;
  CDlgStack& s = CDlgStack::Instance();
  const size_t before = s.Count();
  // A destroyed owner makes window creation fail.
  EXPECT_EQ(dialog.DoModal(reinterpret_cast<HWND>(0x7ffffff0)), 0);
  EXPECT_EQ(s.Count(), before);
}

}  // namespace
