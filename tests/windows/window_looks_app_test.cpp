// The list of recordings, its three dialogs, the about box and the main
// window's bottom bar as the screen shows them, each opened from its
// layout in the running program: at 100 % compared with a small golden
// picture and read at known pixels; at 150 % and 200 % (a desktop whose
// Xft.dpi is 144 or 192) their sizes are the layout's times the scale and
// the same pixels stand at the scaled places. Their texts are drawn in the
// CJK face. The higher scales run in children of this test, each on an X
// server of its own that carries the DPI from the start, as the program
// takes its scale when it starts.
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app_fixture.h"
#include "base/CodePage.h"
#include "base/ProductInfo.h"
#include "control/SListView.h"
#include "controls/CDlgStack.h"
#include "control/SItemPanel.h"
#include "core/SMessageLoop.h"
#include "core/SwndStyle.h"
#include "logic/DataFiles.h"
#include "windows/CAdpaterFilelist.h"
#include "windows/SDlgAboutUs.h"
#include "windows/SDlgFilelist.h"
#include "windows/SDlgOptionID3.h"
#include "windows/SDlgOptionRename.h"
#include "windows/SDlgTipFilelistRemove.h"
#include <X11/Xutil.h>

using namespace ORIEL;
namespace fs = std::filesystem;

namespace {

const char* ChildDpi() { return getenv("QUORVALE_TEST_XFT_DPI"); }
// The scale this run checks: 100 in the test itself, the child's otherwise.
int Scale() { return ChildDpi() ? atoi(ChildDpi()) * 100 / 96 : 100; }
// A layout length at this run's scale.
int S(int px) { return px * Scale() / 100; }

// In a child: the X server with the child's DPI, for the whole run.
class ScaledServer : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!ChildDpi()) return;
    server_ = std::make_unique<PrivateXServer>(atoi(ChildDpi()), 2000, 1600);
    ASSERT_FALSE(server_->name().empty()) << "Xvfb did not start";
    setenv("DISPLAY", server_->name().c_str(), 1);
  }
  // The server outlives the test process's threads: ended before them, it
  // would meet a reader of its connection (the web engine's toolkit ends
  // the process on a lost display). It ends with the process instead.
  void TearDown() override { (void)server_.release(); }

 private:
  std::unique_ptr<PrivateXServer> server_;
};
[[maybe_unused]] const auto* const kServer = ::testing::AddGlobalTestEnvironment(new ScaledServer);

TEST(WindowLooksScaled, EachScaleInAServerOfItsOwn) {
  if (ChildDpi()) GTEST_SKIP() << "a child runs the checks";
  for (const char* dpi : {"144", "192"}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      setenv("QUORVALE_TEST_XFT_DPI", dpi, 1);
      execl("/proc/self/exe", "window_looks_app_test", "--gtest_filter=WindowLooks.*", static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "at Xft.dpi " << dpi;
  }
}

// The screen's pixels in a rectangle, 0xRRGGBB.
struct Shot {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Shot TakeShot(const RECT& rc) {
  Shot shot;
  Display* d = userDisplay();
  XImage* image = XGetImage(d, DefaultRootWindow(d), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                            AllPlanes, ZPixmap);
  if (!image) return shot;
  shot.width = image->width;
  shot.height = image->height;
  for (int y = 0; y < image->height; ++y)
    for (int x = 0; x < image->width; ++x) shot.pixels.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
  XDestroyImage(image);
  return shot;
}

int ChannelDistance(uint32_t a, uint32_t b) {
  int d = 0;
  for (int shift : {0, 8, 16})
    d = std::max(d, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
  return d;
}

void WritePng(const Shot& shot, const std::string& path) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, shot.width, shot.height);
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x)
      reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride)[x] = shot.At(x, y);
  cairo_surface_mark_dirty(s);
  cairo_surface_write_to_png(s, path.c_str());
  cairo_surface_destroy(s);
}

// Compares the shot with tests/data/golden/<name>.png. Pixels inside
// `masks` (text that differs from run to run) are painted one colour in
// both first. A pixel differs when a channel is more than 24 apart; none
// may, but for `blinking` (the pixels of a caret that blinks in a focused
// edit). QUORVALE_WRITE_GOLDEN=1 writes the golden picture instead; a
// mismatch leaves the shot in golden-out/ for a look.
::testing::AssertionResult MatchesGolden(Shot shot, const std::string& name, const std::vector<RECT>& masks,
                                         long blinking) {
  if (shot.pixels.empty()) return ::testing::AssertionFailure() << name << ": nothing captured";
  for (const RECT& m : masks)
    for (int y = std::max(0, static_cast<int>(m.top)); y < std::min(shot.height, static_cast<int>(m.bottom)); ++y)
      for (int x = std::max(0, static_cast<int>(m.left)); x < std::min(shot.width, static_cast<int>(m.right)); ++x)
        shot.pixels[static_cast<size_t>(y) * shot.width + x] = 0xFF00FF;
  const std::string golden = std::string(QUORVALE_GOLDEN_DIR) + "/" + name + ".png";
  if (const char* write = getenv("QUORVALE_WRITE_GOLDEN"); write && std::string(write) == "1") {
    WritePng(shot, golden);
    return ::testing::AssertionSuccess() << "golden written: " << golden;
  }
  auto fail = [&](const std::string& why) {
    mkdir(QUORVALE_GOLDEN_OUT, 0755);
    WritePng(shot, std::string(QUORVALE_GOLDEN_OUT) + "/" + name + ".png");
    return ::testing::AssertionFailure() << name << ": " << why << " (the shot is in " << QUORVALE_GOLDEN_OUT << ")";
  };
  cairo_surface_t* ref = cairo_image_surface_create_from_png(golden.c_str());
  if (cairo_surface_status(ref) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(ref);
    return fail("no golden picture " + golden);
  }
  const int w = cairo_image_surface_get_width(ref), h = cairo_image_surface_get_height(ref);
  if (w != shot.width || h != shot.height) {
    cairo_surface_destroy(ref);
    return fail("size " + std::to_string(shot.width) + "x" + std::to_string(shot.height) + ", golden " +
                std::to_string(w) + "x" + std::to_string(h));
  }
  cairo_surface_flush(ref);
  const unsigned char* data = cairo_image_surface_get_data(ref);
  const int stride = cairo_image_surface_get_stride(ref);
  long differ = 0;
  int firstX = -1, firstY = -1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t want = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride)[x] & 0xFFFFFF;
      if (ChannelDistance(want, shot.At(x, y)) <= 24) continue;
      if (differ++ == 0) firstX = x, firstY = y;
    }
  cairo_surface_destroy(ref);
  if (differ > blinking)
    return fail(std::to_string(differ) + " pixels differ, the first at " + std::to_string(firstX) + "," +
                std::to_string(firstY));
  return ::testing::AssertionSuccess();
}

// The face fontconfig gives for the element's font, and whether it has a
// glyph for every character of the element's text.
struct FaceOfText {
  std::string family;
  bool coversText = false;
  int pixelHeight = 0;
};

FaceOfText FaceOf(SWindow* w) {
  FaceOfText out;
  IFont* font = nullptr;
  for (SWindow* p = w; p && !font; p = p->GetParent()) font = p->GetStyle().GetFontForState(0);
  if (!font) return out;
  out.pixelHeight = std::abs(static_cast<int>(font->LogFont()->lfHeight));
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(WideToUtf8(font->LogFont()->lfFaceName).c_str()));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return out;
  FcChar8* family = nullptr;
  if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch) out.family = reinterpret_cast<char*>(family);
  FcCharSet* chars = nullptr;
  if (FcPatternGetCharSet(match, FC_CHARSET, 0, &chars) == FcResultMatch) {
    out.coversText = true;
    const SStringW text = w->GetText();
    for (int i = 0; i < text.GetLength(); ++i) out.coversText = out.coversText && FcCharSetHasChar(chars, text[i]);
  }
  FcPatternDestroy(match);
  return out;
}

// The first descendant showing `text` (texts without a name).
SWindow* WithText(SWindow* root, const wchar_t* text) {
  for (SWindow* c = root->GetRelative(GSW_FIRSTCHILD); c; c = c->GetRelative(GSW_NEXTSIBLING)) {
    if (c->GetText() == text) return c;
    if (SWindow* found = WithText(c, text)) return found;
  }
  return nullptr;
}

// Expects the element's text in the CJK face at `size` × scale.
void ExpectCjkFace(SWindow* w, int size) {
  ASSERT_NE(w, nullptr) << "no such text";
  const std::string what = WideToUtf8(w->GetText().c_str());
  const FaceOfText face = FaceOf(w);
  EXPECT_EQ(face.family, "Noto Sans CJK SC") << what;
  EXPECT_TRUE(face.coversText) << what;
  EXPECT_EQ(face.pixelHeight, S(size)) << what;
}

// The named element shows `text` in the CJK face.
void ExpectCjkText(SWindow* root, const wchar_t* name, const std::wstring& text, int size) {
  SWindow* w = root->FindDescendantByName(name);
  ASSERT_NE(w, nullptr) << WideToUtf8(name);
  EXPECT_EQ(std::wstring(w->GetText().c_str()), text) << WideToUtf8(name);
  ExpectCjkFace(w, size);
}

// Each of the layout's fixed texts is there, in the CJK face.
void ExpectCjkTexts(SWindow* root, std::initializer_list<const wchar_t*> texts, int size) {
  for (const wchar_t* text : texts) {
    SWindow* w = WithText(root, text);
    EXPECT_NE(w, nullptr) << WideToUtf8(text);
    if (w) ExpectCjkFace(w, size);
  }
}

// Expects the element's size to be the layout's times the scale (a height
// below 0: the text's own, not checked).
void ExpectElementSize(SWindow* root, const wchar_t* name, int width, int height) {
  SWindow* w = root->FindDescendantByName(name);
  ASSERT_NE(w, nullptr) << WideToUtf8(name);
  // The layout rounds each length; S() cuts.
  const RECT rc = w->GetWindowRect();
  EXPECT_NEAR(rc.right - rc.left, S(width), 1) << WideToUtf8(name);
  if (height >= 0) {
    EXPECT_NEAR(rc.bottom - rc.top, S(height), 1) << WideToUtf8(name);
  }
}

// A pixel expected at a layout point of the window (scaled for this run).
struct KnownPixel {
  const char* what;
  int x, y;
  uint32_t colour;
};

void ExpectPixels(const Shot& shot, std::initializer_list<KnownPixel> known) {
  for (const KnownPixel& k : known) {
    const int x = S(k.x), y = S(k.y);
    ASSERT_TRUE(x < shot.width && y < shot.height) << k.what;
    EXPECT_LE(ChannelDistance(shot.At(x, y), k.colour), 16)
        << k.what << " at " << x << "," << y << ": " << std::hex << shot.At(x, y) << " not " << k.colour;
  }
}

// The window's rectangle on the screen.
RECT WindowRect(HWND hwnd) {
  RECT rc{};
  GetWindowRect(hwnd, &rc);
  return rc;
}

// The dialogs' body: their rectangle inside the 10-pixel drop shadow, which
// shows what lies behind them.
constexpr int kShadow = 10;
RECT BodyRect(HWND hwnd) {
  RECT rc = WindowRect(hwnd);
  InflateRect(&rc, -S(kShadow), -S(kShadow));
  return rc;
}

// An element's rectangle on the screen (`offset`: its item panel's place).
RECT OnScreen(SHostWnd& host, SWindow* w, POINT offset = {0, 0}) {
  const RECT rc = w->GetWindowRect();
  POINT tl{rc.left + offset.x, rc.top + offset.y};
  ClientToScreen(host.GetHwnd(), &tl);
  return RECT{tl.x, tl.y, tl.x + rc.right - rc.left, tl.y + rc.bottom - rc.top};
}

// The same relative to the dialog's body.
RECT InBody(SHostWnd& host, SWindow* w, POINT offset = {0, 0}) {
  RECT rc = OnScreen(host, w, offset);
  const RECT body = BodyRect(host.GetHwnd());
  OffsetRect(&rc, -body.left, -body.top);
  return rc;
}

class WindowLooks : public AppTest {
 protected:
  void SetUp() override {
    work = std::string(getenv("HOME")) + "/looks/";
    fs::create_directories(work);
    std::ofstream(work + "product.ini") << "[product]\nwebsite=https://quorvale.example/\nchannel=360\n";
    setenv("QUORVALE_PRODUCT_INI", (work + "product.ini").c_str(), 1);
    // A list of its own: no rows from an earlier test.
    fs::remove(WideToUtf8(GetFileListDbPath()));
    AppTest::SetUp();
  }
  void TearDown() override {
    AppTest::TearDown();
    unsetenv("QUORVALE_PRODUCT_INI");
  }

  // A short mp3 of fixed bytes (no encoder tag), `seconds` long.
  std::wstring MakeFile(const std::string& name, int seconds, const std::string& tags = "") {
    const std::string path = work + name;
    const std::string cmd = "ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=f=440:r=8000 -t " +
                            std::to_string(seconds) + " -ac 1 -map_metadata -1 -fflags +bitexact " + tags + " '" +
                            path + "'";
    EXPECT_EQ(system(cmd.c_str()), 0) << cmd;
    return Utf8ToWide(path);
  }

  // Runs the dialog over the main window; once it shows and has drawn,
  // `look` gets it, then it ends (a thread timer: it fires inside the
  // dialog's own loop).
  void RunModal(SDlgBase& dialog, const std::function<void(SDlgBase&)> look) {
    dialog_ = &dialog;
    look_ = look;
    looked_ = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 150, &WindowLooks::Tick);
    dialog.DoModal(Hwnd());
    KillTimer(nullptr, timer);
    dialog_ = nullptr;
    EXPECT_TRUE(looked_) << "the dialog never showed";
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    SDlgBase* dialog = dialog_;
    if (!dialog || !IsWindowVisible(dialog->GetHwnd())) return;
    dialog_ = nullptr;
    EXPECT_TRUE(waitViewable(dialog->GetHwnd()));
    moveMouse(1, 1);  // nothing hovered
    pumpFor(400);
    look_(*dialog);
    looked_ = true;
    dialog->EndDialog(2);
  }

  SDlgFilelist& List() { return *static_cast<SDlgFilelist*>(Main().GetFileListWindow()); }
  void ShowList() {
    moveMouse(1, 1);
    List().ShowAndActivate();
    ASSERT_TRUE(waitViewable(List().GetHwnd()));
    pumpFor(400);
  }
  void ExpectSize(HWND hwnd, int width, int height) {
    const RECT rc = WindowRect(hwnd);
    EXPECT_EQ(rc.right - rc.left, S(width));
    EXPECT_EQ(rc.bottom - rc.top, S(height));
  }
  // The golden at 100 % only: the scaled runs check sizes and pixels.
  static void ExpectGolden(const Shot& shot, const std::string& name, const std::vector<RECT>& masks = {},
                           long blinking = 0) {
    if (Scale() == 100) {
      EXPECT_TRUE(MatchesGolden(shot, name, masks, blinking));
    }
  }
  // A caret: one pixel wide, at most the edit's height.
  static constexpr long kCaret = 32;

  std::string work;
  static inline SDlgBase* dialog_ = nullptr;
  static inline std::function<void(SDlgBase&)> look_;
  static inline bool looked_ = false;
};

// The caption every dialog shares: the logo's red disc, the white room
// under it and the grey rule beneath the caption.
constexpr uint32_t kLogoRed = 0xDD2421, kWhite = 0xFFFFFF, kRule = 0xEEEEEE;
constexpr KnownPixel kLogo{"the logo's disc", 16, 20, kLogoRed};

TEST_F(WindowLooks, ListWindowEmptyAndWithRows) {
  ShowList();
  ExpectSize(List().GetHwnd(), 620, 340);
  SWindow* empty = WithText(&List(), L"当前无文件显示");
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->IsVisible(TRUE));
  ExpectCjkText(&List(), L"title_name", L"录音列表", 14);
  ExpectCjkFace(empty, 14);
  ExpectElementSize(&List(), L"btn_close", 24, 24);
  Shot shot = TakeShot(BodyRect(List().GetHwnd()));
  ExpectPixels(shot, {kLogo, {"caption", 300, 20, kWhite}, {"rule", 300, 40, kRule}, {"page", 300, 250, kWhite}});
  ExpectGolden(shot, "file_list_empty_100");

  // Rows of fixed files; their dates come from the clock: masked. Two carry
  // the names the recorder gives, too long for the column and alike but
  // for their end.
  ASSERT_TRUE(CAdpaterFilelist::Instance().AddRecord(MakeFile("2026-12-11__13-45-07-0123.mp3", 1)));
  ASSERT_TRUE(CAdpaterFilelist::Instance().AddRecord(MakeFile("2026-12-11__13-45-07-0456.mp3", 1)));
  ASSERT_TRUE(CAdpaterFilelist::Instance().AddRecord(MakeFile("会议记录 1.mp3", 2)));
  ASSERT_TRUE(CAdpaterFilelist::Instance().AddRecord(MakeFile("采访.mp3", 3)));
  pumpFor(400);
  SListView* view = List().GetListView();
  ASSERT_NE(view, nullptr);
  std::vector<RECT> dates, names;
  for (int row = 0; row < 4; ++row) {
    SItemPanel* panel = view->GetItemPanelByIndex(row);
    ASSERT_NE(panel, nullptr);
    const RECT item = panel->GetItemRect();
    dates.push_back(InBody(List(), panel->FindDescendantByName(L"filedata"), {item.left, item.top}));
    names.push_back(InBody(List(), panel->FindDescendantByName(L"filename"), {item.left, item.top}));
  }
  for (int row = 0; row < 2; ++row) {
    SItemPanel* panel = view->GetItemPanelByIndex(row);
    ASSERT_NE(panel, nullptr);
    const RECT item = panel->GetItemRect();
    SWindow* name = panel->FindDescendantByName(L"filename");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::wstring(name->GetText().c_str()), row == 0 ? L"采访.mp3" : L"会议记录 1.mp3");
    ExpectCjkFace(name, 14);
    ExpectCjkFace(WithText(panel, L"时长"), 12);
    EXPECT_EQ(item.bottom - item.top, S(54));
    ExpectElementSize(panel, L"filetime", 64, -1);
    ExpectElementSize(panel, L"btn_remove", 24, 24);
  }
  shot = TakeShot(BodyRect(List().GetHwnd()));
  ExpectPixels(shot, {kLogo, {"under the rows", 300, 300, kWhite}});
  ExpectGolden(shot, "file_list_rows_100", dates);

  // The two long names look different on the screen: the middle of a long
  // name gives way, not the end where recordings differ.
  const RECT a = names[2], b = names[3];
  ASSERT_EQ(a.right - a.left, b.right - b.left);
  long differing = 0;
  for (int y = 0; y < a.bottom - a.top; ++y)
    for (int x = 0; x < a.right - a.left; ++x) differing += shot.At(a.left + x, a.top + y) != shot.At(b.left + x, b.top + y);
  EXPECT_GT(differing, 20) << "the names' differing ends are shown";
}

TEST_F(WindowLooks, RemoveDialog) {
  SDlgTipFilelistRemove dialog;
  RunModal(dialog, [&](SDlgBase& d) {
    ExpectSize(d.GetHwnd(), 340, 188);
    ExpectCjkText(&d, L"title_name", L"删除提醒", 14);
    ExpectCjkText(&d, L"chk_auto", L"删除本地文件", 12);
    ExpectCjkTexts(&d, {L"是否在列表移除该文件?"}, 14);
    ExpectElementSize(&d, L"btn_ok", 60, 25);
    const Shot shot = TakeShot(BodyRect(d.GetHwnd()));
    ExpectPixels(shot, {kLogo, {"caption", 160, 20, kWhite}, {"OK, left", 158, 141, kLogoRed},
                        {"OK, top right", 209, 133, kLogoRed}, {"between the buttons", 240, 141, kWhite}});
    ExpectGolden(shot, "file_list_remove_100");
  });
}

TEST_F(WindowLooks, RenameDialog) {
  SDlgOptionRename dialog(MakeFile("会议记录 1.mp3", 1));
  RunModal(dialog, [&](SDlgBase& d) {
    ExpectSize(d.GetHwnd(), 340, 230);
    ExpectCjkText(&d, L"title_name", L"重命名", 14);
    ExpectCjkText(&d, L"btn_ok", L"确定", 14);
    ExpectElementSize(&d, L"edit_filename", 260, 32);
    ExpectElementSize(&d, L"edit_error", 260, 16);
    const Shot shot = TakeShot(BodyRect(d.GetHwnd()));
    ExpectPixels(shot, {kLogo, {"caption", 160, 20, kWhite}, {"above the name", 35, 64, kWhite},
                        {"OK, left", 235, 183, kLogoRed}, {"OK, top right", 284, 175, kLogoRed}});
    ExpectGolden(shot, "file_list_rename_100", {}, kCaret);
  });
}

TEST_F(WindowLooks, Id3Dialog) {
  SDlgOptionID3 dialog(MakeFile("采访.mp3", 1, "-metadata title=访谈 -metadata artist=记者"));
  RunModal(dialog, [&](SDlgBase& d) {
    ExpectSize(d.GetHwnd(), 368, 410);
    ExpectCjkTexts(&d, {L"标题:", L"作者:", L"流派:", L"专辑:", L"年份:", L"取消", L"确定"}, 14);
    ExpectCjkText(&d, L"edit_title", L"访谈", 14);
    ExpectCjkText(&d, L"edit_artist", L"记者", 14);
    for (const wchar_t* edit : {L"edit_title", L"edit_artist", L"edit_genre", L"edit_album", L"edit_year"})
      ExpectElementSize(&d, edit, 240, 32);
    const Shot shot = TakeShot(BodyRect(d.GetHwnd()));
    ExpectPixels(shot, {kLogo, {"caption", 300, 20, kWhite}, {"beside cancel", 50, 320, kWhite},
                        {"OK, left", 240, 357, kLogoRed}, {"OK, top right", 303, 348, kLogoRed}});
    ExpectGolden(shot, "file_list_id3_100", {}, kCaret);
  });
}

TEST_F(WindowLooks, AboutBox) {
  SDlgAboutUs dialog;
  RunModal(dialog, [&](SDlgBase& d) {
    ExpectSize(d.GetHwnd(), 460, 278);
    ExpectCjkText(&d, L"title_name", L"关于我们", 14);
    ExpectCjkText(&d, L"version", std::wstring(L"v ") + kProductVersion, 14);
    ExpectCjkText(&d, L"customer", L"点击联系客服", 14);
    ExpectCjkTexts(&d, {L"版本信息 :", L"官方网址 :", L"在线客服 :"}, 14);
    ExpectCjkFace(d.FindDescendantByName(L"company"), 14);
    const Shot shot = TakeShot(BodyRect(d.GetHwnd()));
    ExpectPixels(shot, {kLogo, {"caption", 300, 20, kWhite}, {"rule", 220, 40, kRule}, {"body", 300, 150, kWhite},
                        {"OK, left", 342, 232, kLogoRed}, {"OK, top right", 405, 223, kLogoRed}});
    ExpectGolden(shot, "about_box_100");
  });
}

// A tip reads as part of the program: the bottom bar's web button names
// itself in the face of the window's own texts, not in one of the framework's.
TEST_F(WindowLooks, TipsInTheProgramsFace) {
  SWindow* web = Element(L"btn_web");
  ASSERT_NE(web, nullptr);
  const RECT button = OnScreen(Main(), web);
  const POINT at{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
  moveMouse(at.x, at.y);
  SMessageLoop* loop = Main().GetMessageLoop();
  // Each window has a tip of its own; the one shown is the one viewable.
  std::vector<::Window> tips;
  auto shown = [&] { return !(tips = viewableWindowsTitled("oriel tooltip")).empty(); };
  ASSERT_TRUE(pumpUntilVia([loop](MSG* msg) { loop->DispatchOne(msg); }, shown, 5000)) << "no tip";
  ASSERT_EQ(tips.size(), 1u);
  pumpFor(200);
  Display* d = userDisplay();
  XWindowAttributes attrs{};
  ASSERT_TRUE(XGetWindowAttributes(d, tips[0], &attrs));
  int x = 0, y = 0;
  ::Window child = 0;
  XTranslateCoordinates(d, tips[0], DefaultRootWindow(d), 0, 0, &x, &y, &child);
  const Shot shot = TakeShot(RECT{x, y, x + attrs.width, y + attrs.height});
  moveMouse(1, 1);
  ExpectGolden(shot, "tooltip_web_100");
}

TEST_F(WindowLooks, BottomBar) {
  ExpectSize(Hwnd(), 760, 640);
  SWindow* bar = Element(L"part_bottom");
  ASSERT_NE(bar, nullptr);
  ExpectCjkText(&Main(), L"version", std::wstring(L"版本：v") + kProductVersion, 12);
  ExpectCjkText(&Main(), L"btn_web", L"官方网站", 12);
  ExpectCjkText(&Main(), L"btn_update", L"软件升级", 12);
  ExpectElementSize(&Main(), L"part_bottom", 760, 36);
  ExpectElementSize(&Main(), L"btn_update", 76, 24);
  // The bar stands at the window's bottom; the update button 160 from its
  // right edge.
  const RECT rc = OnScreen(Main(), bar);
  EXPECT_EQ(rc.bottom, WindowRect(Hwnd()).bottom);
  EXPECT_EQ(bar->GetWindowRect().right - Element(L"btn_update")->GetWindowRect().left, S(160));
  const Shot shot = TakeShot(rc);
  ExpectPixels(shot, {{"between the buttons", 300, 18, kWhite}});
  ExpectGolden(shot, "bottom_bar_100");
}

}  // namespace
