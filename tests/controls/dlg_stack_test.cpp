// The modal-dialog stack over real (undisplayed) windows: which windows are
// disabled when, who is recalled in which order, and what Top answers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/CDlgStack.h"

namespace {

using ORIEL::CDlgStack;
using ORIEL::IDlgRecall;

std::vector<std::string> g_recalls;

// A dialog stand-in: a recall ends it the way a dialog's EndDialog does,
// by popping itself.
struct FakeDialog : IDlgRecall {
  FakeDialog(std::string n, HWND w) : name(std::move(n)), hwnd(w) {}
  INT_PTR Recall() override {
    g_recalls.push_back(name);
    ended = 100;
    CDlgStack::Instance().Pop(this);
    return 100;
  }
  HWND GetRecallHwnd() override { return hwnd; }
  std::string name;
  HWND hwnd;
  INT_PTR ended = 0;
};

class DlgStackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_recalls.clear();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"dlg_stack_test";
    RegisterClassExW(&wc);
  }
  void TearDown() override {
    CDlgStack& s = CDlgStack::Instance();
    for (HWND w : windows_) s.UnregisterWindow(w);
    for (HWND w : windows_)
      if (IsWindow(w)) DestroyWindow(w);
    EXPECT_TRUE(s.IsEmpty()) << "a test left dialogs on the stack";
  }
  HWND MakeWindow() {
    HWND w = CreateWindowExW(0, L"dlg_stack_test", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(w, nullptr);
    windows_.push_back(w);
    return w;
  }
  std::vector<HWND> windows_;
};

TEST_F(DlgStackTest, MainWindowIsDisabledExactlyWhileADialogIsOpen) {
  CDlgStack& s = CDlgStack::Instance();
  HWND main = MakeWindow();
  s.RegisterWindow(main);
  FakeDialog d1("d1", MakeWindow()), d2("d2", MakeWindow());
  EXPECT_EQ(s.Push(&d1), 101);
  EXPECT_FALSE(IsWindowEnabled(main));
  EXPECT_EQ(s.Top(), d1.hwnd);
  s.Push(&d2);
  EXPECT_EQ(s.Top(), d2.hwnd);
  // Ending the top one leaves the lower one and keeps main disabled.
  EXPECT_EQ(s.Pop(&d2), 100);
  EXPECT_EQ(s.Count(), 1u);
  EXPECT_FALSE(IsWindowEnabled(main));
  EXPECT_TRUE(g_recalls.empty());
  EXPECT_EQ(s.Pop(&d1), 100);
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_EQ(s.Top(), main);
}

TEST_F(DlgStackTest, EndingTheBottomDialogRecallsThoseAboveTopDown) {
  CDlgStack& s = CDlgStack::Instance();
  HWND main = MakeWindow();
  s.RegisterWindow(main);
  int enables = 0;
  FakeDialog d1("d1", MakeWindow()), d2("d2", MakeWindow()), d3("d3", MakeWindow());
  for (FakeDialog* d : {&d1, &d2, &d3}) s.Push(d);
  // d3 recalled first: main still disabled while it runs.
  struct Probe : FakeDialog {
    using FakeDialog::FakeDialog;
    HWND main = nullptr;
    int* enabledSeen = nullptr;
    INT_PTR Recall() override {
      if (IsWindowEnabled(main)) ++*enabledSeen;
      return FakeDialog::Recall();
    }
  } d4("d4", MakeWindow());
  d4.main = main;
  d4.enabledSeen = &enables;
  s.Push(&d4);
  EXPECT_EQ(s.Pop(&d1), 100);
  EXPECT_EQ(g_recalls, (std::vector<std::string>{"d4", "d3", "d2"}));
  EXPECT_EQ(d2.ended, 100);
  EXPECT_EQ(d3.ended, 100);
  EXPECT_EQ(enables, 0);
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_TRUE(IsWindowEnabled(main));
}

// An entry whose window is dead is dropped but not recalled, and the walk
// goes on past it; one without a window (a picker not shown yet) is
// recalled like any other.
TEST_F(DlgStackTest, DeadEntriesAreDroppedWindowlessOnesRecalledAndTheWalkGoesOn) {
  CDlgStack& s = CDlgStack::Instance();
  FakeDialog d1("d1", MakeWindow()), picker("picker", nullptr), dead("dead", MakeWindow()),
      d4("d4", MakeWindow()), top("top", MakeWindow());
  DestroyWindow(dead.hwnd);
  for (FakeDialog* d : {&d1, &d4, &picker, &dead, &top}) s.Push(d);
  EXPECT_EQ(s.Top(), top.hwnd);
  s.Pop(&d1);
  EXPECT_EQ(g_recalls, (std::vector<std::string>{"top", "picker", "d4"}));
  EXPECT_EQ(picker.ended, 100);
  EXPECT_EQ(dead.ended, 0);
  EXPECT_TRUE(s.IsEmpty());
}

TEST_F(DlgStackTest, EdgeCases) {
  CDlgStack& s = CDlgStack::Instance();
  // No dialog, no window: Top is null; two windows: the second.
  EXPECT_EQ(s.Top(), nullptr);
  HWND a = MakeWindow(), b = MakeWindow();
  s.RegisterWindow(a);
  s.RegisterWindow(b);
  s.RegisterWindow(a);  // already registered: nothing
  EXPECT_EQ(s.Top(), b);

  // Popping what is not there changes nothing, even with windows disabled.
  EnableWindow(a, FALSE);
  FakeDialog stranger("stranger", MakeWindow());
  EXPECT_EQ(s.Pop(&stranger), 100);
  EXPECT_EQ(s.Pop(nullptr), 100);
  EXPECT_FALSE(IsWindowEnabled(a));
  EnableWindow(a, TRUE);

  // Null push stores nothing and disables nothing on an empty stack.
  EXPECT_EQ(s.Push(nullptr), 101);
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_TRUE(IsWindowEnabled(a));

  // Pushed twice stands twice; pop removes from the lower place with all
  // above it, recalling the upper copy once.
  FakeDialog d1("d1", MakeWindow()), d2("d2", MakeWindow());
  s.Push(&d1);
  s.Push(&d2);
  s.Push(&d1);
  EXPECT_EQ(s.Count(), 3u);
  // A window registered while a dialog is open is disabled at once.
  HWND late = MakeWindow();
  s.RegisterWindow(late);
  EXPECT_FALSE(IsWindowEnabled(late));
  // Null push with dialogs open disables again.
  EnableWindow(a, TRUE);
  s.Push(nullptr);
  EXPECT_FALSE(IsWindowEnabled(a));
  EXPECT_EQ(s.Count(), 3u);
  s.Pop(&d1);
  EXPECT_EQ(g_recalls, (std::vector<std::string>{"d1", "d2"}));
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_TRUE(IsWindowEnabled(late));

  // Unregister enables and removes; Top moves down.
  s.Push(&d2);
  s.UnregisterWindow(late);
  EXPECT_TRUE(IsWindowEnabled(late));
  EXPECT_EQ(s.Pop(&d2), 100);
  EXPECT_EQ(s.Top(), b);
  s.UnregisterWindow(b);
  EXPECT_EQ(s.Top(), a);
}

TEST_F(DlgStackTest, RecallAllEndsEveryDialogTopDown) {
  CDlgStack& s = CDlgStack::Instance();
  EXPECT_EQ(s.RecallAll(), 100);
  FakeDialog d1("d1", MakeWindow()), d2("d2", MakeWindow());
  s.Push(&d1);
  s.Push(&d2);
  EXPECT_EQ(s.RecallAll(), 101);
  EXPECT_EQ(g_recalls, (std::vector<std::string>{"d2", "d1"}));
  EXPECT_TRUE(s.IsEmpty());
}

}  // namespace
