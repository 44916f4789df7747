// Message boxes, the clipboard, hot keys, caret, cursors and monitors as
// they behave without a display.
#include <cstring>

#include "recording_window.h"

namespace {

TEST(MessageBoxHeadless, AnswersWithTheDefaultButtonAndWritesTheText) {
  struct Case {
    UINT type;
    int answer;
  };
  const Case cases[] = {
      {MB_OK, IDOK},
      {MB_OKCANCEL, IDOK},
      {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
      {MB_YESNO | MB_ICONQUESTION, IDYES},
      {MB_YESNO | MB_DEFBUTTON2, IDNO},
      {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
      {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
      {MB_RETRYCANCEL, IDRETRY},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxW(nullptr, L"无法加载DLL,Trevalin.dll", L"提示", c.type), c.answer) << c.type;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("无法加载DLL,Trevalin.dll"), std::string::npos);
    EXPECT_NE(err.find("提示"), std::string::npos);
  }
}

std::wstring clipboardText() {
  EXPECT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  std::wstring text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"<none>";
  CloseClipboard();
  return text;
}

TEST(ClipboardHeadless, TextStaysInMemory) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 4 * sizeof(wchar_t));
  ASSERT_EQ(GlobalSize(memory), 4 * sizeof(wchar_t));
  std::wmemcpy(static_cast<wchar_t*>(GlobalLock(memory)), L"录音", 3);
  GlobalUnlock(memory);
  EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, memory), nullptr);  // not open
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, memory), memory);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  CloseClipboard();
  EXPECT_EQ(clipboardText(), L"录音");
}

TEST(ClipboardHeadless, UnterminatedTextIsCutAtTheBlockEnd) {
  // Text with no terminator in its block: reading stops at the block's end.
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 3 * sizeof(wchar_t));
  std::wmemcpy(static_cast<wchar_t*>(GlobalLock(memory)), L"abc", 3);
  GlobalUnlock(memory);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  ASSERT_NE(SetClipboardData(CF_UNICODETEXT, memory), nullptr);
  CloseClipboard();
  EXPECT_EQ(clipboardText(), L"abc");
  // Only text in CF_UNICODETEXT is kept.
  HGLOBAL narrow = GlobalAlloc(GMEM_ZEROINIT, 4);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(SetClipboardData(CF_TEXT, narrow), nullptr);
  CloseClipboard();
  GlobalFree(narrow);
}

class HotKeysHeadless : public RecordingWindowTest {};

TEST_F(HotKeysHeadless, RegistrationsAreUniqueAndUnknownKeysRefused) {
  HWND hwnd = create();
  EXPECT_TRUE(RegisterHotKey(hwnd, 0, MOD_CONTROL, VK_F1));
  EXPECT_FALSE(RegisterHotKey(hwnd, 1, MOD_CONTROL, VK_F1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
  EXPECT_TRUE(RegisterHotKey(hwnd, 1, MOD_CONTROL | MOD_SHIFT, VK_F1));
  EXPECT_FALSE(RegisterHotKey(hwnd, 2, MOD_CONTROL, 0xFF));
  EXPECT_FALSE(RegisterHotKey(reinterpret_cast<HWND>(0x5550), 2, MOD_CONTROL, VK_F2));
  EXPECT_TRUE(UnregisterHotKey(hwnd, 0));
  EXPECT_FALSE(UnregisterHotKey(hwnd, 0));
  DestroyWindow(hwnd);  // takes id 1 with it
  HWND other = create();
  EXPECT_TRUE(RegisterHotKey(other, 1, MOD_CONTROL | MOD_SHIFT, VK_F1));
  UnregisterHotKey(other, 1);
}

class CaretAndCursors : public RecordingWindowTest {};

TEST_F(CaretAndCursors, CaretKeepsItsPositionUntilDestroyed) {
  HWND hwnd = create();
  EXPECT_FALSE(SetCaretPos(1, 2));  // no caret yet
  ASSERT_TRUE(CreateCaret(hwnd, nullptr, 1, 16));
  EXPECT_TRUE(SetCaretPos(12, 34));
  POINT pt{};
  EXPECT_TRUE(GetCaretPos(&pt));
  EXPECT_EQ(pt.x, 12);
  EXPECT_EQ(pt.y, 34);
  EXPECT_EQ(GetCaretBlinkTime(), 530u);
  DestroyWindow(hwnd);
  EXPECT_FALSE(GetCaretPos(&pt));
}

TEST_F(CaretAndCursors, SystemCursorsByIdOnly) {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  EXPECT_NE(arrow, nullptr);
  EXPECT_NE(LoadCursorW(nullptr, IDC_HAND), arrow);
  EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(1)), nullptr);
  SetCursor(arrow);
  EXPECT_EQ(SetCursor(LoadCursorW(nullptr, IDC_IBEAM)), arrow);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_IBEAM));
}

TEST(MonitorsHeadless, OneStandInMonitor) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
  const RECT inside{100, 100, 200, 200}, outside{5000, 5000, 5100, 5100};
  HMONITOR monitor = MonitorFromRect(&inside, MONITOR_DEFAULTTONULL);
  ASSERT_NE(monitor, nullptr);
  EXPECT_EQ(MonitorFromRect(&outside, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(MonitorFromRect(&outside, MONITOR_DEFAULTTONEAREST), monitor);
  MONITORINFO info{};
  EXPECT_FALSE(GetMonitorInfoW(monitor, &info));  // cbSize unset
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfoW(monitor, &info));
  EXPECT_EQ(info.rcMonitor.right, 1920);
  EXPECT_EQ(info.dwFlags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
  EXPECT_FALSE(GetMonitorInfoW(reinterpret_cast<HMONITOR>(7), &info));
  EXPECT_EQ(Win32DisplayDpi(), 96u);
}

}  // namespace

namespace {

class InputContexts : public RecordingWindowTest {};

TEST_F(InputContexts, DetachingAndRestoringAWindowsContext) {
  HWND hwnd = create();
  HIMC own = ImmGetContext(hwnd);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(ImmAssociateContext(hwnd, nullptr), own);
  EXPECT_EQ(ImmGetContext(hwnd), nullptr);
  EXPECT_EQ(ImmAssociateContext(hwnd, own), nullptr);
  EXPECT_EQ(ImmGetContext(hwnd), own);
  COMPOSITIONFORM form{CFS_POINT, {10, 20}, {}};
  EXPECT_TRUE(ImmSetCompositionWindow(own, &form));
  EXPECT_FALSE(ImmSetCompositionWindow(nullptr, &form));
  CANDIDATEFORM candidate{0, CFS_EXCLUDE, {10, 20}, {0, 0, 10, 10}};
  EXPECT_TRUE(ImmSetCandidateWindow(own, &candidate));
  EXPECT_EQ(ImmGetContext(reinterpret_cast<HWND>(0x5552)), nullptr);
}

}  // namespace
