#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>

#include "base/CodePage.h"
#include "control/SButton.h"
#include "control/SComboBox.h"
#include "control/SDropDownWnd.h"
#include "control/STabCtrl.h"
#include "res.mgr/SSkinPool.h"
#include "app_fixture.h"
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

using namespace ORIEL;

void AppTest::SetUp() {
  ASSERT_TRUE(Win32HasDisplay()) << "the program's tests need an X display";
  program.SetTimerClock(timerClock);
  ASSERT_EQ(program.StartUp(GetModuleHandleW(nullptr)), CQuorvaleApp::kStartRun)
      << WideToUtf8(program.FailureText());
  ASSERT_TRUE(waitViewable(Hwnd()));
  pumpFor(200);
}

void AppTest::TearDown() {
  if (shutDown || !program.MainWindow()) return;
  if (IsWindow(Hwnd())) Main().ExitApp();
  program.ShutDown(0);
}

SWindow* AppTest::Element(const wchar_t* name) { return Main().FindDescendantByName(name); }

std::wstring AppTest::TextOf(const wchar_t* name) {
  SWindow* w = Element(name);
  return w ? std::wstring(w->GetText().c_str()) : L"<missing>";
}

std::wstring AppTest::AttrOf(const wchar_t* name, const wchar_t* attr) {
  SWindow* w = Element(name);
  return w ? std::wstring(w->GetAttribute(attr).c_str()) : L"<missing>";
}

bool AppTest::HasSkin(const wchar_t* name, const wchar_t* skin) {
  SWindow* w = Element(name);
  if (!w || !w->GetBkgndSkin()) return false;
  return w->GetBkgndSkin() == SSkinPoolMgr::getSingleton().GetSkin(skin, w->GetScale());
}

POINT AppTest::ScreenPoint(const wchar_t* name, int dx, int dy) {
  SWindow* w = Element(name);
  EXPECT_NE(w, nullptr) << "no element " << WideToUtf8(name);
  if (!w) return {0, 0};
  const RECT rc = w->GetWindowRect();
  POINT pt{dx < 0 ? (rc.left + rc.right) / 2 : rc.left + dx, dy < 0 ? (rc.top + rc.bottom) / 2 : rc.top + dy};
  ClientToScreen(Hwnd(), &pt);
  return pt;
}

void AppTest::Click(const wchar_t* name, int dx, int dy) {
  const POINT pt = ScreenPoint(name, dx, dy);
  moveMouse(pt.x, pt.y);
  pumpFor(80);
  clickButton(1);
  pumpFor(250);
}

int AppTest::Page() {
  auto* tab = static_cast<STabCtrl*>(Element(L"tab_devInfo"));
  return tab ? tab->GetCurSel() : -1;
}

int AppTest::Height(const wchar_t* name) {
  SWindow* w = Element(name);
  if (!w) return -1;
  const RECT rc = w->GetWindowRect();
  return rc.bottom - rc.top;
}

std::vector<unsigned long> AppTest::ScreenArea(const wchar_t* name) {
  std::vector<unsigned long> out;
  SWindow* w = Element(name);
  if (!w) return out;
  const RECT rc = w->GetWindowRect();
  POINT tl{rc.left, rc.top};
  ClientToScreen(Hwnd(), &tl);
  Display* d = userDisplay();
  XImage* image = XGetImage(d, DefaultRootWindow(d), tl.x, tl.y, rc.right - rc.left, rc.bottom - rc.top, AllPlanes,
                            ZPixmap);
  if (!image) return out;
  for (int y = 0; y < image->height; ++y)
    for (int x = 0; x < image->width; ++x) out.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
  XDestroyImage(image);
  return out;
}

bool AppTest::ChooseInList(const wchar_t* name, const wchar_t* text) {
  auto* combo = dynamic_cast<SComboBox*>(Element(name));
  EXPECT_NE(combo, nullptr) << "no combo box " << WideToUtf8(name);
  if (!combo || !combo->GetListBox()) return false;
  SListBox* list = combo->GetListBox();
  const int index = list->FindString(-1, text);
  EXPECT_GE(index, 0) << "no entry " << WideToUtf8(text);
  if (index < 0) return false;
  Click(name);
  HWND popup = nullptr;
  const bool open = pumpUntil([&] {
    SDropDownWnd* d = combo->GetDropDown();
    popup = d ? d->GetHwnd() : nullptr;
    return popup && IsWindowVisible(popup) && combo->IsDroppedDown();
  });
  EXPECT_TRUE(open) << "the list did not drop down";
  if (!open) return false;
  waitViewable(popup);
  // The entry's row in the open list, as the user sees it; the wheel over
  // the list brings a row below its view into it.
  const RECT listRect = list->GetWindowRect();
  const int height = list->GetItemPixelHeight();
  const int rows = (listRect.bottom - listRect.top) / height;
  for (int turn = 0; turn < 50 && index - list->GetFirstVisibleIndex() >= rows; ++turn) {
    POINT over{listRect.left + 20, listRect.top + height / 2};
    ClientToScreen(popup, &over);
    moveMouse(over.x, over.y);
    clickButton(5);
    pumpFor(60);
  }
  // The row's middle where the list itself finds it: the view may stand
  // between two rows, and a frame may surround the rows.
  int top = -1, bottom = -1;
  for (int y = listRect.top; y < listRect.bottom; ++y)
    if (list->HitTest(POINT{listRect.left + 20, y}) == index) {
      if (top < 0) top = y;
      bottom = y;
    }
  EXPECT_GE(top, 0) << "the entry is outside the list's view";
  POINT pt{listRect.left + 20, (top + bottom) / 2};
  ClientToScreen(popup, &pt);
  moveMouse(pt.x, pt.y);
  pumpFor(80);
  clickButton(1);
  const bool closed = pumpUntil([&] { return combo->GetDropDown() == nullptr && !combo->IsDroppedDown(); });
  EXPECT_TRUE(closed) << "the list stayed open";
  pumpFor(100);
  return closed && combo->GetCurSel() == index;
}

void AppTest::Drag(POINT from, POINT to) {
  moveMouse(from.x, from.y);
  pumpFor(80);
  Display* d = userDisplay();
  XTestFakeButtonEvent(d, 1, True, CurrentTime);
  XFlush(d);
  pumpFor(80);
  for (int i = 1; i <= 8; ++i) {
    moveMouse(from.x + (to.x - from.x) * i / 8, from.y + (to.y - from.y) * i / 8);
    pumpFor(30);
  }
  XTestFakeButtonEvent(d, 1, False, CurrentTime);
  XFlush(d);
  pumpFor(250);
}

void AppTest::CtrlKey(KeySym key) {
  pressKey(XK_Control_L);
  tapKey(key);
  releaseKey(XK_Control_L);
  pumpFor(300);
}

std::vector<std::string> AppTest::OutputFiles(const std::string& extension) {
  std::vector<std::string> files;
  const std::string folder = WideToUtf8(Bll().GetOutput().output_dir);
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec))
    if (e.path().extension() == extension) files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

void AppTest::RecordInto(const std::string& folder) {
  if (program.MainWindow()) Bll().GetOutput().output_dir = Utf8ToWide(std::string(getenv("HOME")) + "/录音/" + folder);
}

void AppTest::ExitProgram() {
  Bll().GetMoreSetting().common_show_closetip = 0;
  Bll().GetMoreSetting().common_close_hide = 0;
  PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(RunLoop(), 0);
  program.ShutDown(0);
  shutDown = true;
}

std::string RunCommand(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return out;
  std::array<char, 512> buffer;
  while (fgets(buffer.data(), buffer.size(), pipe)) out += buffer.data();
  const int rc = pclose(pipe);
  if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}
