// The framework's message box on the X server: the bundled template shows
// the text, the icon and the buttons of the type, answers the pressed
// button's id, grows with a long text, and hands over to the plain box when
// there is no template or the template lacks what the box needs.
#include <X11/keysym.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

#include "HostTestWindow.h"
#include "OrielTestApp.h"
#include "control/SIconWnd.h"
#include "control/STabCtrl.h"
#include "core/SMessageBoxImpl.h"
#include "gdi/gdi.h"
#include "../platform-display/display_helper.h"

namespace {

using TestBox = TestHostT<SMessageBoxImpl>;

const char* kOwnerLayout =
    "<ORIEL width='500' height='360' wndType='normal'>"
    "<root colorBkgnd='#e0e0e0'/></ORIEL>";

constexpr int kOwnerX = 60, kOwnerY = 60;
constexpr unsigned long kWhite = 0xFFFFFF;

// Where the parts of a shown box are on the screen.
struct Shown {
  RECT window{};
  RECT text{};
  RECT icon{};
  POINT buttons[3]{};
  POINT close{};
  bool iconVisible = false;
  int page = -1;
  std::vector<std::pair<int, SStringW>> ids;  // id and text of the page's buttons
  SStringW title, message;
};

RECT ToScreen(HWND hwnd, RECT rc) {
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

POINT Centre(const RECT& rc) { return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; }

Shown Inspect(SMessageBoxImpl& box) {
  Shown s;
  HWND hwnd = box.GetHwnd();
  GetWindowRect(hwnd, &s.window);
  auto* pages = dynamic_cast<STabCtrl*>(box.FindDescendantByName(L"btnSwitch"));
  s.page = pages ? pages->GetCurSel() : -1;
  if (STabPage* page = pages ? pages->GetPage(s.page) : nullptr) {
    int i = 0;
    for (const wchar_t* name : {L"button1st", L"button2nd", L"button3rd"}) {
      SWindow* b = page->FindDescendantByName(name);
      if (!b) break;
      s.ids.emplace_back(b->GetId(), b->GetText());
      s.buttons[i++] = Centre(ToScreen(hwnd, b->GetWindowRect()));
    }
  }
  SWindow* text = box.FindDescendantByName(L"msgtext");
  s.text = ToScreen(hwnd, text->GetWindowRect());
  s.message = text->GetText();
  s.title = box.FindDescendantByName(L"msgtitle")->GetText();
  SWindow* icon = box.FindDescendantByName(L"msgicon");
  s.icon = ToScreen(hwnd, icon->GetWindowRect());
  s.iconVisible = icon->IsVisible(TRUE) != FALSE;
  s.close = Centre(ToScreen(hwnd, box.FindDescendantById(2)->GetWindowRect()));
  return s;
}

class MessageBoxTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()), 0);
    moveMouse(5, 5);
    owner_ = std::make_unique<TestHost>();
    ASSERT_TRUE(MakeHost(*owner_, kOwnerLayout, kOwnerX, kOwnerY));
    ShowWindow(owner_->GetHwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(owner_->GetHwnd()));
    pumpFor(100);
  }
  void TearDown() override {
    if (owner_) owner_->DestroyHostWindow();
    owner_.reset();  // the host goes before the application
    OrielAppTest::TearDown();
  }

  // Runs `run` (which shows a modal box) while `user` plays from another
  // thread once a window other than the owner has the server's focus. A box
  // the user could not end is ended with a quit, so a failing test ends.
  int PlayWhileModal(const std::function<int()>& run, const std::function<void()>& user) {
    std::atomic<bool> ended{false};
    const DWORD thread = GetCurrentThreadId();
    const ::Window ownerX = Win32XWindowOf(owner_->GetHwnd());
    std::thread player([&] {
      for (int i = 0; i < 500; ++i) {
        ::Window focus = 0;
        int revert = 0;
        XGetInputFocus(userDisplay(), &focus, &revert);
        if (focus != 0 && focus != PointerRoot && focus != ownerX) break;
        usleep(10000);
      }
      usleep(80000);
      user();
      for (int i = 0; i < 500 && !ended; ++i) usleep(10000);
      if (!ended) PostThreadMessageW(thread, WM_QUIT, 0, 0);
    });
    const int answer = run();
    ended = true;
    player.join();
    pumpFor(50);  // a quit posted on the way out goes with the queue
    return answer;
  }

  // A framework box of `type`; its parts are recorded on the box's thread
  // once it is on screen and has laid out its final size, before `user`.
  int RunBox(LPCWSTR text, LPCWSTR caption, UINT type, Shown& shown, const std::function<void()>& user) {
    constexpr UINT kInspect = WM_APP + 5;
    TestBox box;
    std::atomic<HWND> hwnd{nullptr};
    std::atomic<bool> inspected{false};
    box.before = [&](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (msg == WM_SHOWWINDOW) hwnd = box.GetHwnd();
      if (msg == kInspect) {
        shown = Inspect(box);
        inspected = true;
        return 0;
      }
      return std::nullopt;
    };
    auto play = [&] {
      if (hwnd) PostMessageW(hwnd, kInspect, 0, 0);
      for (int i = 0; i < 500 && !inspected; ++i) usleep(10000);
      if (inspected) user();
    };
    const int answer = PlayWhileModal([&] { return box.Show(owner_->GetHwnd(), text, caption, type); }, play);
    EXPECT_TRUE(inspected.load()) << "the box was not seen on screen";
    EXPECT_TRUE(IsWindowEnabled(owner_->GetHwnd()));
    EXPECT_EQ(GetActiveWindow(), owner_->GetHwnd());
    return answer;
  }

  // The box as shown, without user: it closes itself once it is on screen.
  Shown ShowAndClose(LPCWSTR text, LPCWSTR caption, UINT type, int* answer = nullptr) {
    Shown shown;
    TestBox box;
    box.before = [&](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (msg == WM_SHOWWINDOW) {
        shown = Inspect(box);
        PostMessageW(box.GetHwnd(), WM_CLOSE, 0, 0);
      }
      return std::nullopt;
    };
    const int code = box.Show(owner_->GetHwnd(), text, caption, type);
    if (answer) *answer = code;
    return shown;
  }

  // The bundled template, changed by `edit`, installed.
  void InstallEdited(const std::function<void(pugi::xml_node)>& edit) {
    SXmlDoc doc;
    ASSERT_TRUE(app->LoadXmlDocument(doc, SStringW(L"SYS_XML_MSGBOX"), SStringW(L"XML"), BundleProvider()));
    pugi::xml_node root = XmlChild(doc, L"ORIEL");
    edit(root);
    ASSERT_TRUE(InstallMessageBoxTemplate(root));
  }

  std::unique_ptr<TestHost> owner_;
};

// The system icon `name` drawn over white at 32 x 32, as the box draws it.
std::vector<unsigned long> IconOverWhite(IRenderTarget* rt, LPCWSTR name) {
  HICON icon = LoadIconW(nullptr, name);
  rt->Clear(0xFFFFFFFF);
  rt->DrawIconEx(0, 0, icon, 32, 32, DI_NORMAL);
  DestroyIcon(icon);
  std::vector<unsigned long> px;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) px.push_back(OrielAppTest::Pixel(rt, x, y) & 0xFFFFFF);
  return px;
}

bool Near(unsigned long a, unsigned long b) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 3) return false;
  return true;
}

TEST_F(MessageBoxTest, YesNoQuestionShowsTextAndIconAndAnswersByButtonEscapeAndClose) {
  IRenderTarget* rt = NewTarget(32, 32);
  const std::vector<unsigned long> question = IconOverWhite(rt, IDI_QUESTION);
  const std::vector<unsigned long> exclamation = IconOverWhite(rt, IDI_EXCLAMATION);
  int differ = 0;
  for (size_t i = 0; i < question.size(); ++i) differ += !Near(question[i], exclamation[i]);
  ASSERT_GT(differ, 50) << "the icons must tell apart";

  Shown shown;
  int ink = 0, iconMisses = -1;
  const int answer = RunBox(L"保存录音吗?", L"录音机", MB_YESNO | MB_ICONQUESTION, shown, [&] {
    // Wait for the picture, then read the icon and the text back.
    const POINT iconAt{shown.icon.left, shown.icon.top};
    for (int i = 0; i < 500 && iconMisses != 0; ++i) {
      iconMisses = 0;
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) iconMisses += !Near(screenPixel(iconAt.x + x, iconAt.y + y), question[y * 32 + x]);
      if (iconMisses) usleep(20000);
    }
    for (int y = shown.text.top; y < shown.text.bottom; ++y)
      for (int x = shown.text.left; x < shown.text.right; ++x) ink += screenPixel(x, y) != kWhite;
    moveMouse(shown.buttons[1].x, shown.buttons[1].y);
    usleep(80000);
    clickButton(1);
  });
  EXPECT_EQ(answer, IDNO);
  EXPECT_EQ(iconMisses, 0);
  EXPECT_GT(ink, 30) << "the message is drawn";
  EXPECT_EQ(shown.message, SStringW(L"保存录音吗?"));
  EXPECT_EQ(shown.title, SStringW(L"录音机"));
  EXPECT_TRUE(shown.iconVisible);
  // A short text keeps the minimum size.
  EXPECT_EQ(shown.window.right - shown.window.left, 300);
  EXPECT_EQ(shown.window.bottom - shown.window.top, 132);

  struct Way {
    const char* name;
    std::function<void(const Shown&)> act;
    int answer;
  };
  const Way ways[] = {
      {"Escape", [](const Shown&) { tapKey(XK_Escape); }, IDCANCEL},
      {"close button",
       [](const Shown& s) {
         moveMouse(s.close.x, s.close.y);
         usleep(80000);
         clickButton(1);
       },
       IDCANCEL},
      {"first button",
       [](const Shown& s) {
         moveMouse(s.buttons[0].x, s.buttons[0].y);
         usleep(80000);
         clickButton(1);
       },
       IDYES},
  };
  for (const Way& way : ways) {
    Shown s;
    EXPECT_EQ(RunBox(L"保存录音吗?", L"录音机", MB_YESNO | MB_ICONQUESTION, s, [&] { way.act(s); }), way.answer)
        << way.name;
  }
}

TEST_F(MessageBoxTest, EachTypeShowsItsPageWithTheButtonsIdsAndTexts) {
  using Buttons = std::vector<std::pair<int, SStringW>>;
  struct Case {
    UINT type;
    int page;
    Buttons buttons;
    bool icon;
  };
  const Case cases[] = {
      {MB_OK, 0, {{IDOK, L"确定"}}, false},
      {MB_OKCANCEL | MB_ICONHAND, 1, {{IDOK, L"确定"}, {IDCANCEL, L"取消"}}, true},
      {MB_ABORTRETRYIGNORE, 2, {{IDABORT, L"中止"}, {IDRETRY, L"重试"}, {IDIGNORE, L"忽略"}}, false},
      {MB_YESNOCANCEL | MB_ICONEXCLAMATION, 2, {{IDYES, L"是"}, {IDNO, L"否"}, {IDCANCEL, L"取消"}}, true},
      {MB_YESNO | MB_ICONASTERISK, 1, {{IDYES, L"是"}, {IDNO, L"否"}}, true},
      {MB_RETRYCANCEL | 0x50, 1, {{IDRETRY, L"重试"}, {IDCANCEL, L"取消"}}, false},
      // Types beyond the table act as MB_OK.
      {6, 0, {{IDOK, L"确定"}}, false},
      {0x0F, 0, {{IDOK, L"确定"}}, false},
  };
  for (const Case& c : cases) {
    int answer = 0;
    const Shown s = ShowAndClose(L"录音已保存", nullptr, c.type, &answer);
    EXPECT_EQ(answer, IDCANCEL) << c.type;
    EXPECT_EQ(s.page, c.page) << c.type;
    EXPECT_EQ(s.ids, c.buttons) << c.type;
    EXPECT_EQ(s.iconVisible, c.icon) << c.type;
    EXPECT_EQ(s.title, SStringW(L"提示")) << "no caption keeps the template's";
  }
}

TEST_F(MessageBoxTest, ALongTextGrowsTheBoxPastItsMinimumSize) {
  SStringW longText;
  for (int i = 0; i < 12; ++i) longText += L"录音文件无法写入磁盘，请检查目标文件夹是否存在并且可以写入。";
  const Shown s = ShowAndClose(longText.c_str(), L"错误", MB_OK | MB_ICONHAND);
  EXPECT_GT(s.window.right - s.window.left, 300);
  EXPECT_GT(s.window.bottom - s.window.top, 132);
  EXPECT_LT(s.window.right - s.window.left, 600) << "the text wraps within its maximum width";
  // The text's own box lies inside the window.
  EXPECT_GE(s.text.left, s.window.left);
  EXPECT_LE(s.text.bottom, s.window.bottom);
  EXPECT_GT(s.text.bottom - s.text.top, 100);
}

TEST_F(MessageBoxTest, AButtonTextTheTemplateLacksIsTheTranslatedName) {
  InstallEdited([](pugi::xml_node root) {
    pugi::xml_node texts = XmlChild(root, L"buttonText");
    texts.remove_child(XmlChild(texts, L"cancel"));
  });
  const Shown s = ShowAndClose(L"继续吗?", nullptr, MB_OKCANCEL);
  EXPECT_EQ(s.ids, (std::vector<std::pair<int, SStringW>>{{IDOK, L"确定"}, {IDCANCEL, L"cancel"}}));
}

// The plain box: the window with the server's focus, its second button
// clicked or its default taken with Enter.
void ClickPlainBoxSecondButton() {
  ::Window focus = 0;
  int revert = 0;
  XGetInputFocus(userDisplay(), &focus, &revert);
  int x = 0, y = 0;
  ::Window child = 0;
  XTranslateCoordinates(userDisplay(), focus, DefaultRootWindow(userDisplay()), 0, 0, &x, &y, &child);
  // The plain box is 360 x 150 with two 80 x 26 buttons at its bottom right.
  moveMouse(x + 310, y + 125);
  usleep(80000);
  clickButton(1);
}

TEST_F(MessageBoxTest, WithoutATemplateThePlainBoxAnswersTheSameIds) {
  ClearMessageBoxTemplate();
  const UINT type = MB_YESNO | MB_ICONQUESTION;
  auto show = [&] { return ShowFrameworkMessageBox(owner_->GetHwnd(), L"保存录音吗?", L"录音机", type); };
  EXPECT_EQ(PlayWhileModal(show, ClickPlainBoxSecondButton), IDNO);
  EXPECT_EQ(PlayWhileModal(show, [] { tapKey(XK_Return); }), IDYES);
  EXPECT_TRUE(IsWindowEnabled(owner_->GetHwnd()));
}

TEST_F(MessageBoxTest, ATemplateLackingWhatTheBoxNeedsHandsOverToThePlainBoxAndSaysSo) {
  auto byName = [](pugi::xml_node root, const char* name) {
    return root.find_node([&](pugi::xml_node n) { return strcmp(n.attribute("name").value(), name) == 0; });
  };
  struct Case {
    const char* missing;
    std::function<void(pugi::xml_node)> edit;
  };
  const Case cases[] = {
      {"btnSwitch", [&](pugi::xml_node r) { byName(r, "btnSwitch").parent().remove_child(byName(r, "btnSwitch")); }},
      {"msgtext", [&](pugi::xml_node r) { byName(r, "msgtext").parent().remove_child(byName(r, "msgtext")); }},
      // The two-button page without its second button.
      {"button2nd",
       [&](pugi::xml_node r) {
         pugi::xml_node page = byName(r, "btnSwitch").child("page").next_sibling("page");
         page.remove_child(page.find_child_by_attribute("name", "button2nd"));
       }},
  };
  for (const Case& c : cases) {
    InstallEdited(c.edit);
    auto* log = new CapturingLog;
    app->SetLogger(log);
    // Enter answers the plain box's default; the framework's MB_YESNO box
    // has no button with id 1 for Enter to press.
    const int answer = PlayWhileModal(
        [&] { return ShowFrameworkMessageBox(owner_->GetHwnd(), L"保存录音吗?", L"录音机", MB_YESNO); },
        [] { tapKey(XK_Return); });
    EXPECT_EQ(answer, IDYES) << c.missing;
    EXPECT_NE(log->lines.find(c.missing), std::string::npos) << c.missing << ": " << log->lines;
    EXPECT_TRUE(IsWindowEnabled(owner_->GetHwnd())) << c.missing;
    app->SetLogger(nullptr);
    log->Release();
  }
}

}  // namespace
