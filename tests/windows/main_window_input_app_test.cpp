// The main window under the user's hands: its picture at 100 % against the
// golden one, maximise and restore under a window manager, the caption's
// menu opening the about box and the update check (against a local
// server), and the output folder chosen in the folder picker. Every step
// is a real click through the X server; modal loops are driven by a
// script that runs on the thread's timer inside them.
#include <cairo.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "../online/local_server.h"
#include "base/CodePage.h"
#include "base/ProductInfo.h"
#include "control/SListCtrl.h"
#include "controls/CDlgFileSel.h"
#include "controls/CDlgStack.h"
#include "controls/SDlgFileChooser.h"
#include "controls/SDlgTip.h"
#include "logic/DataFiles.h"
#include "windows/SDlgAboutUs.h"
// Last: Xlib's macros would rename the program's names.
#include "app_fixture.h"
#include "../platform-display/popup_levels.h"
#include "../platform-display/window_manager_helper.h"
#include <X11/Xutil.h>

using namespace ORIEL;
namespace fs = std::filesystem;

namespace {

// Steps run one per tick of a thread timer, inside whatever modal loop
// runs then (the menu's, a dialog's); a step that answers false is tried
// on the next tick. A script that stalls escapes the menu and recalls the
// dialogs, so that the test ends.
class Script {
 public:
  void Add(std::string what, std::function<bool()> run) { steps_.push_back({std::move(what), std::move(run)}); }
  void Start() {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 100, &Script::Tick);
  }
  // Pumps until every step ran or the script stalled; false then.
  bool Finish() {
    pumpUntil([&] { return next_ >= steps_.size(); }, 30000);
    KillTimer(nullptr, timer_);
    current_ = nullptr;
    EXPECT_EQ(stalled_, "") << "the script stalled";
    return stalled_.empty() && next_ == steps_.size();
  }

 private:
  struct Step {
    std::string what;
    std::function<bool()> run;
  };
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Script* s = current_;
    if (!s || s->running_ || s->next_ >= s->steps_.size()) return;
    s->running_ = true;
    if (++s->ticks_ > 100) {
      s->stalled_ = s->steps_[s->next_].what;
      s->next_ = s->steps_.size();
      tapKey(XK_Escape);
      CDlgStack::Instance().RecallAll();
    } else if (s->steps_[s->next_].run()) {
      ++s->next_;
      s->ticks_ = 0;
    }
    s->running_ = false;
  }
  static inline Script* current_ = nullptr;
  std::vector<Step> steps_;
  size_t next_ = 0;
  int ticks_ = 0;
  bool running_ = false;
  std::string stalled_;
  UINT_PTR timer_ = 0;
};

void ClickScreen(POINT pt, int clicks = 1) {
  moveMouse(pt.x, pt.y);
  for (int i = 0; i < clicks; ++i) clickButton(1);
}

// The centre of a framework element of `host` on the screen.
POINT CentreOf(SHostWnd& host, SWindow* w) {
  const RECT rc = w->GetWindowRect();
  POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
  ClientToScreen(host.GetHwnd(), &pt);
  return pt;
}

bool Viewable(HWND hwnd) {
  XWindowAttributes attributes{};
  const ::Window xid = hwnd ? Win32XWindowOf(hwnd) : 0;
  XSync(userDisplay(), False);
  return xid && XGetWindowAttributes(userDisplay(), xid, &attributes) && attributes.map_state == IsViewable;
}

// The dialog on top of the modal-dialog stack when it is a `T` on screen.
template <class T>
T* TopDialog() {
  auto* dialog = dynamic_cast<T*>(CSimpleWnd::FromHandle(CDlgStack::Instance().Top()));
  return dialog && Viewable(dialog->GetHwnd()) ? dialog : nullptr;
}

// ---------------------------------------------------------------- picture

// The screen's pixels of a rectangle (0xRRGGBB), row after row.
std::vector<uint32_t> ScreenPixels(const RECT& rc) {
  std::vector<uint32_t> out;
  Display* d = userDisplay();
  XImage* image = XGetImage(d, DefaultRootWindow(d), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                            AllPlanes, ZPixmap);
  if (!image) return out;
  for (int y = 0; y < image->height; ++y)
    for (int x = 0; x < image->width; ++x) out.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
  XDestroyImage(image);
  return out;
}

bool WritePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride)[x] = pixels[y * width + x];
  cairo_surface_mark_dirty(s);
  const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(s);
  return ok;
}

// The golden picture's pixels; empty when it cannot be read.
std::vector<uint32_t> ReadPng(const std::string& path, int& width, int& height) {
  std::vector<uint32_t> out;
  cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(png) == CAIRO_STATUS_SUCCESS) {
    width = cairo_image_surface_get_width(png);
    height = cairo_image_surface_get_height(png);
    cairo_surface_t* rgb = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(rgb);
    cairo_set_source_surface(cr, png, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(rgb);
    const unsigned char* data = cairo_image_surface_get_data(rgb);
    const int stride = cairo_image_surface_get_stride(rgb);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        out.push_back(reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride)[x] & 0xFFFFFF);
    cairo_surface_destroy(rgb);
  }
  cairo_surface_destroy(png);
  return out;
}

int ChannelDistance(uint32_t a, uint32_t b) {
  int d = 0;
  for (int shift = 0; shift < 24; shift += 8)
    d = std::max(d, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
  return d;
}

TEST_F(AppTest, TheWindowAtOneHundredPercentIsTheGoldenPicture) {
  // A folder of its own instead of the test's temporary home; no hover,
  // the window drawn at rest.
  Bll().GetOutput().output_dir = L"/home/用户/Music/Velmora电脑录音软件";
  Main().RefreshVolumeState(Bll().GetOutput());
  moveMouse(5, 5);
  pumpFor(400);
  RECT rc{};
  GetWindowRect(Hwnd(), &rc);
  const int width = rc.right - rc.left, height = rc.bottom - rc.top;
  ASSERT_EQ(width, 760);
  ASSERT_EQ(height, 640);
  std::vector<uint32_t> shot = ScreenPixels(rc);
  ASSERT_EQ(shot.size(), static_cast<size_t>(width * height));
  // The version in the bottom bar changes with every release: painted over
  // in both pictures. Everything else must match.
  SWindow* version = Element(L"version");
  ASSERT_NE(version, nullptr);
  const RECT masked = version->GetWindowRect();
  auto mask = [&](std::vector<uint32_t>& pixels) {
    for (int y = std::max<long>(0, masked.top); y < std::min<long>(height, masked.bottom); ++y)
      for (int x = std::max<long>(0, masked.left); x < std::min<long>(width, masked.right); ++x)
        pixels[y * width + x] = 0xFF00FF;
  };
  mask(shot);

  const std::string golden = std::string(QUORVALE_GOLDEN_DIR) + "/main_window_100.png";
  if (const char* write = getenv("QUORVALE_WRITE_GOLDEN"); write && std::string(write) == "1") {
    ASSERT_TRUE(WritePng(golden, shot, width, height));
    GTEST_SKIP() << "wrote " << golden;
  }
  int goldenWidth = 0, goldenHeight = 0;
  std::vector<uint32_t> expected = ReadPng(golden, goldenWidth, goldenHeight);
  ASSERT_FALSE(expected.empty()) << "no golden picture " << golden;
  ASSERT_EQ(goldenWidth, width);
  ASSERT_EQ(goldenHeight, height);
  mask(expected);
  // Rasterising may round a channel by a step or two on another machine;
  // a pixel further off is a change.
  long differ = 0;
  int firstX = -1, firstY = -1;
  for (int i = 0; i < width * height; ++i) {
    if (ChannelDistance(shot[i], expected[i]) <= 6) continue;
    if (differ++ == 0) firstX = i % width, firstY = i / width;
  }
  if (differ) {
    fs::create_directories(QUORVALE_GOLDEN_OUT);
    WritePng(std::string(QUORVALE_GOLDEN_OUT) + "/main_window_100.png", shot, width, height);
  }
  EXPECT_EQ(differ, 0) << "pixels differ from the golden picture, the first at " << firstX << "," << firstY
                       << "; this run's picture is in " << QUORVALE_GOLDEN_OUT;
}

// ------------------------------------------------------ maximise, restore

class ManagedMainWindow : public AppTest {
 protected:
  void SetUp() override {
    manager = std::make_unique<ScopedWindowManager>();
    ASSERT_TRUE(manager->running()) << "openbox did not start";
    AppTest::SetUp();
  }
  void TearDown() override {
    AppTest::TearDown();
    manager.reset();
  }
  bool Shows(const wchar_t* name) { return Element(name) && Element(name)->IsVisible(); }
  std::unique_ptr<ScopedWindowManager> manager;
};

TEST_F(ManagedMainWindow, MaximiseAndRestoreSwapTheirButtons) {
  EXPECT_TRUE(Shows(L"btn_max"));
  EXPECT_FALSE(Shows(L"btn_restore"));
  RECT before{}, work{};
  GetWindowRect(Hwnd(), &before);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);

  Click(L"btn_max");
  ASSERT_TRUE(pumpUntil([&] { return IsZoomed(Hwnd()) && Shows(L"btn_restore"); }, 5000))
      << "the window did not maximise";
  EXPECT_FALSE(Shows(L"btn_max"));
  RECT maximised{};
  ASSERT_TRUE(pumpUntil([&] {
    GetWindowRect(Hwnd(), &maximised);
    return maximised.right - maximised.left > before.right - before.left;
  }));
  EXPECT_EQ(maximised.right - maximised.left, work.right - work.left);
  // The restore button is where the user sees it, on the screen's edge.
  const POINT restore = ScreenPoint(L"btn_restore");
  EXPECT_GT(restore.x, work.right - 200);

  Click(L"btn_restore");
  ASSERT_TRUE(pumpUntil([&] { return !IsZoomed(Hwnd()) && Shows(L"btn_max"); }, 5000))
      << "the window was not restored";
  EXPECT_FALSE(Shows(L"btn_restore"));
  RECT after{};
  ASSERT_TRUE(pumpUntil([&] {
    GetWindowRect(Hwnd(), &after);
    return after.right - after.left == before.right - before.left;
  }));
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

// ------------------------------------------------------------ caption menu

// The menu the caption's button opened: the pop-up whose corner is at the
// click.
bool MenuAt(POINT click, RECT& menu) {
  for (const RECT& r : viewablePopups())
    if (std::abs(r.left - click.x) <= 2 && std::abs(r.top - click.y) <= 2) {
      menu = r;
      return true;
    }
  return false;
}

// The menu's items in their order: 软件教程, 检查更新, 问题反馈, 关于我们.
POINT MenuItem(const RECT& menu, int index) {
  return POINT{menu.left + 30, menu.top + (menu.bottom - menu.top) * (2 * index + 1) / 8};
}

class CaptionMenu : public AppTest {
 protected:
  void SetUp() override {
    work = std::string(getenv("HOME")) + "/caption/";
    fs::create_directories(work);
    ASSERT_TRUE(server.running());
    std::ofstream(work + "product.ini") << "[product]\nupdate_url=" << server.url(UpdatePath()) << "\n";
    setenv("QUORVALE_PRODUCT_INI", (work + "product.ini").c_str(), 1);
    AppTest::SetUp();
  }
  void TearDown() override {
    AppTest::TearDown();
    unsetenv("QUORVALE_PRODUCT_INI");
  }
  // The provider's answer: a version far ahead of ours.
  static std::string UpdatePath() {
    return "/status?code=200&body=%7B%22version%22%3A%2299.0.0%22%2C%22ForceUpdate%22%3A0%2C%22verinfo%22%3A%22v99%22%7D";
  }
  // Opens the menu by a real click on its button and chooses item `index`.
  void ChooseFromMenu(Script& script, int index) {
    const POINT button = ScreenPoint(L"btn_menu");
    script.Add("the menu is open", [this, button, index] {
      RECT menu{};
      if (!MenuAt(button, menu)) return false;
      menuRect = menu;
      ClickScreen(MenuItem(menu, index));
      return true;
    });
  }
  void Run(Script& script) {
    script.Start();
    Click(L"btn_menu");
    script.Finish();
  }

  online_test::LocalServer server;
  std::string work;
  RECT menuRect{};
};

TEST_F(CaptionMenu, AboutUsOpensTheAboutBoxOwnedByTheMainWindow) {
  Script script;
  std::wstring version;
  bool mainDisabled = false;
  ChooseFromMenu(script, 3);
  script.Add("the about box is up", [&] {
    SDlgAboutUs* about = TopDialog<SDlgAboutUs>();
    if (!about) return false;
    version = about->FindDescendantByName(L"version")->GetText().c_str();
    mainDisabled = !IsWindowEnabled(Hwnd());
    ClickScreen(CentreOf(*about, about->FindDescendantByName(L"btn_close")));
    return true;
  });
  script.Add("the about box is closed", [] { return CDlgStack::Instance().IsEmpty(); });
  Run(script);
  EXPECT_GE(menuRect.bottom - menuRect.top, 4 * 30) << "four items of 30 pixels";
  EXPECT_EQ(version, std::wstring(L"v ") + kProductVersion);
  EXPECT_TRUE(mainDisabled) << "the about box is modal over the main window";
  EXPECT_TRUE(IsWindowEnabled(Hwnd()));
  EXPECT_TRUE(server.requests().empty()) << "the about box asks no server";
}

TEST_F(CaptionMenu, CheckForUpdatesAsksTheProviderAndOffersTheNewVersion) {
  Script script;
  std::wstring text, ok, no;
  ChooseFromMenu(script, 1);
  script.Add("the update tip is up", [&] {
    SDlgTip* tip = TopDialog<SDlgTip>();
    if (!tip) return false;
    SWindow* line = tip->FindDescendantByName(L"wnd_tip")->GetRelative(GSW_FIRSTCHILD);
    text = line ? line->GetText().c_str() : L"";
    ok = tip->FindDescendantByName(L"btn_ok")->GetText().c_str();
    no = tip->FindDescendantByName(L"btn_no")->GetText().c_str();
    ClickScreen(CentreOf(*tip, tip->FindDescendantByName(L"btn_no")));
    return true;
  });
  script.Add("the tip is closed", [] { return CDlgStack::Instance().IsEmpty(); });
  Run(script);
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].path, UpdatePath());
  EXPECT_EQ(text, L"检测到新版本，是否更新？");
  EXPECT_EQ(ok, L"更新");
  EXPECT_EQ(no, L"取消");
  EXPECT_TRUE(IsWindowEnabled(Hwnd()));
}

// ------------------------------------------------------------- folder pick

class OutputFolderPick : public AppTest {
 protected:
  void SetUp() override {
    root = std::string(getenv("HOME")) + "/pick";
    fs::create_directories(root + "/音乐 库");
    AppTest::SetUp();
  }
  SDlgFileChooser* Chooser() { return TopDialog<SDlgFileChooser>(); }
  // A real click on "btn_select"; in the picker, `pick` acts, then OK.
  void Pick(const std::function<void(Script&)>& pick, const std::string& shownFolder) {
    Script script;
    script.Add("the picker is up", [&] { return Chooser() != nullptr; });
    pick(script);
    script.Add("in " + shownFolder, [&, shownFolder] {
      return Chooser() && WideToUtf8(Chooser()->GetFolder().c_str()) == shownFolder;
    });
    script.Add("OK", [&] {
      ClickScreen(CentreOf(*Chooser(), Chooser()->FindDescendantByName(L"btn_ok")));
      return true;
    });
    script.Add("the picker is closed", [] { return CDlgStack::Instance().IsEmpty(); });
    script.Start();
    Click(L"btn_select");
    script.Finish();
  }
  std::string root;
};

TEST_F(OutputFolderPick, TheChosenFolderGetsTheProgramsFolderShownAndStored) {
  CDlgFileSel::RememberFolder(SStringW(Utf8ToWide(root).c_str()));
  Pick(
      [&](Script& script) {
        script.Add("enter 音乐 库", [&] {
          SDlgFileChooser* c = Chooser();
          const int row = c ? c->FindRow(L"音乐 库") : -1;
          if (row < 0) return false;
          RECT item = c->GetList()->GetItemRect(row, 0);
          POINT pt{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
          ClientToScreen(c->GetHwnd(), &pt);
          ClickScreen(pt, 2);
          return true;
        });
      },
      root + "/音乐 库");
  const std::string chosen = root + "/音乐 库/Velmora电脑录音软件";
  EXPECT_EQ(WideToUtf8(TextOf(L"edit_path")), chosen);
  EXPECT_EQ(WideToUtf8(Bll().GetOutput().output_dir), chosen);
  EXPECT_FALSE(fs::exists(chosen)) << "made only when needed";

  // The root: its doubled '/' collapses.
  CDlgFileSel::RememberFolder(L"/");
  Pick([](Script&) {}, "/");
  EXPECT_EQ(TextOf(L"edit_path"), L"/Velmora电脑录音软件");
  EXPECT_EQ(Bll().GetOutput().output_dir, L"/Velmora电脑录音软件");

  // The choice outlives the program: the settings file keeps it.
  CDlgFileSel::RememberFolder(SStringW(Utf8ToWide(root).c_str()));
  Pick([](Script&) {}, root);
  ExitProgram();
  std::ifstream in(WideToUtf8(GetOutputIniPath()), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  std::wstring text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2)
    text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
  EXPECT_NE(text.find(L"output_dir=" + Utf8ToWide(root) + L"/Velmora电脑录音软件\r\n"), std::wstring::npos)
      << WideToUtf8(text);
}

}  // namespace
