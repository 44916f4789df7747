// The tray icon control in a test main window, under the tests' own tray
// manager: the logo docks, left clicks show and hide the main window, a
// right click opens the tray menu whose first item follows the floating
// window, "退出主程序" reaches the main window once as command 43, the icon
// survives a tray restart, and the control's final release takes its
// message window down before anything queued for it is handled.
#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "../oriel/HostTestWindow.h"
#include "../oriel/OrielTestApp.h"
#include "../platform-display/popup_levels.h"
#include "../platform-display/tray_manager.h"
#include "control/SMenuAttr.h"
#include "controls/SShellNotifyIcon.h"
#include "logic/BllMain.h"
#include "res.mgr/SResProviderFiles.h"
#include "res.mgr/SSkinPool.h"
#include "win32/backend.h"
#include "win32/tray.h"

namespace {

constexpr int kHostX = 40, kHostY = 200;
// The docked icon's middle on screen, and a point of the logo's red field
// (left of the white microphone).
constexpr int kIconX = TrayManager::kPanelX + 8 + TrayManager::kIconSize / 2;
constexpr int kIconY = TrayManager::kPanelY + 8 + TrayManager::kIconSize / 2;
constexpr int kLogoX = TrayManager::kPanelX + 8 + 4, kLogoY = kIconY;
// The menu's item icons, as drawn in IMG:traymenu_icons.
constexpr unsigned long kBallBlue = 0x2E8BE6, kWindowGreen = 0x3BA55C, kExitRed = 0xE5533D;

const char* kMainLayout =
    "<ORIEL width='160' height='100'><root colorBkgnd='#FFFFFF'>"
    "<shellnotifyicon id='110' menu='SMENU:menu_tray' ico='ICON_LOGO:16' tip='Velmora电脑录音软件'/>"
    "</root></ORIEL>";

bool Near(unsigned long rgb, unsigned long want, int tolerance = 24) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const int a = static_cast<int>((rgb >> shift) & 0xFF), b = static_cast<int>((want >> shift) & 0xFF);
    if (a - b > tolerance || b - a > tolerance) return false;
  }
  return true;
}

bool LogoShows() { return Near(screenPixel(kLogoX, kLogoY), 0xDD2421, 40); }

class FakeFloating : public IFloatingWindow {
 public:
  void Show(bool show) override { visible = show; }
  bool IsVisible() override { return visible; }
  bool visible = false;
};

class FakeMain : public IMainWindow {
 public:
  HWND GetHwnd() override { return hwnd; }
  IFloatingWindow* GetFloatingWindow() override { return &floating; }
  void RefreshRecordState(COutputRecorder&, CFileMoreSetting&) override {}
  void RegisterHotKeys(std::map<int32_t, CHotKeyItem>&, bool) override {}
  HWND hwnd = nullptr;
  FakeFloating floating;
};

// The items of each menu opened for the message window, read when the
// menu announces itself (WM_INITMENUPOPUP reaches the menu's owner).
struct MenuItemSeen {
  UINT id;
  SStringW text;
};
WNDPROC g_messageProc = nullptr;
std::vector<std::vector<MenuItemSeen>> g_menus;
LRESULT CALLBACK WatchedMessageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITMENUPOPUP) {
    auto menu = reinterpret_cast<HMENU>(wParam);
    std::vector<MenuItemSeen> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_ID | MIIM_DATA;
      GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
      const auto* data = reinterpret_cast<const SMenuItemData*>(info.dwItemData);
      items.push_back({info.wID, data ? data->strText : SStringW(L"?")});
    }
    g_menus.push_back(items);
  }
  return CallWindowProcW(g_messageProc, hwnd, msg, wParam, lParam);
}

// The open tray menu: an override-redirect window three 40-pixel rows high
// (the panel, the tip and the main window are far smaller or elsewhere).
std::optional<RECT> TrayMenuOnScreen() {
  for (const RECT& r : viewablePopups())
    if (r.bottom - r.top >= 120 && r.bottom - r.top <= 140 && r.right - r.left > 40) return r;
  return std::nullopt;
}

std::optional<RECT> WaitTrayMenu(int timeoutMs = 5000) {
  for (int waited = 0; waited <= timeoutMs; waited += 10) {
    if (auto r = TrayMenuOnScreen()) return r;
    usleep(10000);
  }
  return std::nullopt;
}

// Whether a pixel of about `rgb` lies on the row's left part.
bool RowShowsIcon(const RECT& menu, int row, unsigned long rgb) {
  const int y = menu.top + (menu.bottom - menu.top) * (2 * row + 1) / 6;
  for (int x = menu.left; x < menu.left + 40; ++x)
    if (Near(screenPixel(x, y), rgb, 12)) return true;
  return false;
}

class TrayIconDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    IResProvider* bundle = BundleProvider();
    app->LoadSystemResources(bundle);
    app->AttachProvider(bundle);
    ASSERT_TRUE(app->RegisterClass<SShellNotifyIcon>());
    // The shared skins and the UI definition's own, as start-up loads them.
    skins = new SSkinPool;
    for (const wchar_t* id : {L"UIDEFGLOBAL:global_skin", L"values:skin"}) {
      SXmlDoc skinDoc;
      ASSERT_TRUE(app->LoadXmlById(skinDoc, SStringW(id)));
      skins->AddSkinsFromXml(skinDoc.child("skin"));
    }
    SSkinPoolMgr::getSingleton().PushSkinPool(skins);
    CBllMain::Instance().SetMainWindow(&main);
    g_menus.clear();
    moveMouse(700, 600);
  }
  void TearDown() override {
    CloseHost();
    CBllMain::Instance().SetMainWindow(nullptr);
    CBllMain::DeleteInstance();
    SSkinPoolMgr::getSingleton().PopPool(skins);
    skins->Release();
    OrielAppTest::TearDown();
  }

  // The main window with the tray icon, hidden as the program builds it.
  SShellNotifyIcon* OpenHost(const char* layout = kMainLayout) {
    host = new TestHost;
    EXPECT_TRUE(MakeHost(*host, layout, kHostX, kHostY));
    main.hwnd = host->GetHwnd();
    return dynamic_cast<SShellNotifyIcon*>(host->FindDescendantById(110));
  }
  void CloseHost() {
    if (!host) return;
    host->DestroyHostWindow();
    delete host;
    host = nullptr;
  }
  void WatchMenus(SShellNotifyIcon* icon) {
    HWND messages = icon->GetMessageWindow();
    g_messageProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(messages, GWLP_WNDPROC));
    SetWindowLongPtrW(messages, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchedMessageProc));
  }
  // The main window's own map sees each message first: commands and tray
  // notices are noted, `answerTray` answers the tray notices itself.
  void RecordHostMessages() {
    host->before = [this](UINT msg, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
      if (msg == WM_COMMAND) commands.push_back(wParam);
      if (msg == UM_TRAY_NOTIFY) {
        trayNotices.push_back(lParam);
        if (answerTray) return 0;
      }
      return std::nullopt;
    };
  }
  // Clicks the icon and runs the menu's loop while `steps` play the user
  // on another thread; the menu's rectangle as it showed.
  std::optional<RECT> RightClickMenu(const std::function<void(const RECT&)>& steps) {
    std::atomic<bool> shown{false};
    RECT rect{};
    std::thread driver([&] {
      const std::optional<RECT> menu = WaitTrayMenu();
      if (!menu) return;
      rect = *menu;
      shown = true;
      usleep(150000);  // drawn
      steps(*menu);
    });
    moveMouse(kIconX, kIconY);
    clickButton(Button3);
    // The click arrives, and the menu runs its loop inside this pump.
    pumpUntil([&] { return shown && !TrayMenuOnScreen(); }, 8000);
    driver.join();
    pumpFor(100);
    if (!shown) return std::nullopt;
    return rect;
  }
  SSkinPool* skins = nullptr;
  FakeMain main;
  TestHost* host = nullptr;
  std::vector<WPARAM> commands;
  std::vector<LPARAM> trayNotices;
  bool answerTray = false;
};

TEST_F(TrayIconDisplayTest, TheLogoDocksWithTheShellRecordAndLeftClicksShowThenHideTheMainWindow) {
  TrayManager tray;
  SShellNotifyIcon* icon = OpenHost();
  ASSERT_NE(icon, nullptr);
  RecordHostMessages();
  // Added while the main window is still hidden.
  const NOTIFYICONDATAW& record = icon->GetRecord();
  EXPECT_EQ(record.cbSize, sizeof(NOTIFYICONDATAW));
  EXPECT_EQ(record.uID, 100u);
  EXPECT_EQ(record.uFlags, 7u);
  EXPECT_EQ(record.uCallbackMessage, 0x857u);
  EXPECT_EQ(SStringW(record.szTip), SStringW(L"Velmora电脑录音软件"));
  const HWND messages = icon->GetMessageWindow();
  ASSERT_NE(messages, nullptr);
  EXPECT_EQ(record.hWnd, messages);
  wchar_t name[64] = {};
  GetWindowTextW(messages, name, 64);
  EXPECT_STREQ(name, L"shell_nofity_msg_windows");
  EXPECT_EQ(FindWindowW(nullptr, L"shell_nofity_msg_windows"), nullptr) << "not a message-only window";
  EXPECT_FALSE(IsWindowVisible(host->GetHwnd()));
  ASSERT_TRUE(pumpUntil([&] { return tray.docked() == 1; }));
  ASSERT_TRUE(pumpUntil(LogoShows)) << std::hex << screenPixel(kLogoX, kLogoY);
  EXPECT_EQ(screenPixel(TrayManager::kPanelX + 8 + TrayManager::kIconSize + 8, kIconY), TrayManager::kPanelRgb);

  moveMouse(kIconX, kIconY);
  clickButton(Button1);
  ASSERT_TRUE(pumpUntil([&] { return IsWindowVisible(host->GetHwnd()) != FALSE; }));
  EXPECT_TRUE(waitViewable(host->GetHwnd()));
  // Past the double-click time, or the second press counts as a double click.
  pumpFor(static_cast<int>(GetDoubleClickTime()) + 200);
  clickButton(Button1);
  ASSERT_TRUE(pumpUntil([&] { return !IsWindowVisible(host->GetHwnd()); }));
  pumpFor(200);
  EXPECT_FALSE(IsWindowVisible(host->GetHwnd()));
  // The main window's own map saw each notice first and left it alone.
  EXPECT_GE(std::count(trayNotices.begin(), trayNotices.end(), WM_LBUTTONDOWN), 2);
  EXPECT_TRUE(commands.empty());
  moveMouse(700, 600);
}

TEST_F(TrayIconDisplayTest, TheMenuOffersToShowOrHideTheFloatingWindowAndExitReachesTheMainWindowOnce) {
  TrayManager tray;
  SShellNotifyIcon* icon = OpenHost();
  ASSERT_NE(icon, nullptr);
  RecordHostMessages();
  WatchMenus(icon);
  ASSERT_TRUE(pumpUntil([&] { return tray.docked() == 1 && LogoShows(); }));

  // Floating window hidden: the menu offers to show it; Escape chooses nothing.
  main.floating.visible = false;
  bool icons[3] = {false, false, false};
  std::optional<RECT> menu = RightClickMenu([&](const RECT& r) {
    icons[0] = RowShowsIcon(r, 0, kBallBlue);
    icons[1] = RowShowsIcon(r, 1, kWindowGreen);
    icons[2] = RowShowsIcon(r, 2, kExitRed);
    tapKey(XK_Escape);
  });
  ASSERT_TRUE(menu.has_value()) << "no menu showed";
  ASSERT_EQ(g_menus.size(), 1u);
  ASSERT_EQ(g_menus[0].size(), 3u);
  EXPECT_EQ(g_menus[0][0].id, 44u);
  EXPECT_EQ(g_menus[0][0].text, SStringW(L"显示悬浮球"));
  EXPECT_EQ(g_menus[0][1].id, 42u);
  EXPECT_EQ(g_menus[0][1].text, SStringW(L"打开主界面"));
  EXPECT_EQ(g_menus[0][2].id, 43u);
  EXPECT_EQ(g_menus[0][2].text, SStringW(L"退出主程序"));
  EXPECT_TRUE(icons[0] && icons[1] && icons[2]) << "the rows' icons: " << icons[0] << icons[1] << icons[2];
  EXPECT_EQ(menu->bottom - menu->top >= 120, true);
  EXPECT_TRUE(commands.empty());

  // Floating window shown: the menu offers to hide it; the last item exits.
  main.floating.visible = true;
  menu = RightClickMenu([&](const RECT& r) {
    const int y = r.top + (r.bottom - r.top) * 5 / 6;
    moveMouse(r.left + 60, y);
    usleep(50000);
    moveMouse(r.left + 62, y + 1);
    usleep(50000);
    clickButton(Button1);
  });
  ASSERT_TRUE(menu.has_value());
  ASSERT_EQ(g_menus.size(), 2u);
  ASSERT_EQ(g_menus[1].size(), 3u);
  EXPECT_EQ(g_menus[1][0].id, 45u);
  EXPECT_EQ(g_menus[1][0].text, SStringW(L"隐藏悬浮球"));
  EXPECT_EQ(commands, std::vector<WPARAM>{43});
  moveMouse(700, 600);
}

TEST_F(TrayIconDisplayTest, AMainWindowThatAnswersTheTrayItselfGetsNoMenuFromTheControl) {
  TrayManager tray;
  SShellNotifyIcon* icon = OpenHost();
  ASSERT_NE(icon, nullptr);
  RecordHostMessages();
  answerTray = true;
  WatchMenus(icon);
  ASSERT_TRUE(pumpUntil([&] { return tray.docked() == 1 && LogoShows(); }));
  moveMouse(kIconX, kIconY);
  clickButton(Button3);
  ASSERT_TRUE(pumpUntil([&] {
    return std::count(trayNotices.begin(), trayNotices.end(), WM_RBUTTONDOWN) == 1;
  }));
  pumpFor(500);
  EXPECT_FALSE(TrayMenuOnScreen().has_value());
  EXPECT_TRUE(g_menus.empty());
  clickButton(Button1);
  pumpFor(300);
  EXPECT_FALSE(IsWindowVisible(host->GetHwnd())) << "the main window's answer stands for left clicks too";
  moveMouse(700, 600);
}

TEST_F(TrayIconDisplayTest, AKilledTrayLeavesNoWindowOnTheRootAndARestartedOneGetsTheIconBack) {
  SShellNotifyIcon* icon = nullptr;
  ::Window first = 0;
  {
    TrayManager tray;
    icon = OpenHost();
    ASSERT_NE(icon, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return tray.docked() == 1 && LogoShows(); }));
    first = tray.lastIcon();
    ASSERT_NE(first, 0u);
  }
  ASSERT_TRUE(pumpUntil([&] { return !windowExists(first); }, 8000));
  EXPECT_FALSE(viewableOnRoot(first));
  EXPECT_EQ(Win32TrayIconWindow(icon->GetMessageWindow(), 100), 0u);
  TrayManager again;
  // Nothing but the tray's announcement brings the icon back.
  ASSERT_TRUE(pumpUntil([&] { return again.docked() == 1; }));
  EXPECT_TRUE(pumpUntil(LogoShows)) << std::hex << screenPixel(kLogoX, kLogoY);
  EXPECT_NE(Win32TrayIconWindow(icon->GetMessageWindow(), 100), 0u);
}

TEST_F(TrayIconDisplayTest, AttributesChooseTheIconsTipMenuKindAndAnimationFrames) {
  ScratchBundle scratch("traymenus");
  scratch.Write("ex.xml", "<menuRoot itemSkin='gs_menu'/>");
  scratch.Write("other.xml", "<dialog/>");
  scratch.WriteIndex({{"XML", "ex", "ex.xml"}, {"XML", "other", "other.xml"}});
  IResProvider* files = nullptr;
  ASSERT_TRUE(MakeResProvider(kResProviderFiles, &files));
  const std::wstring folder = scratch.WFolder();
  ASSERT_TRUE(files->Init(reinterpret_cast<WPARAM>(folder.c_str()), 0));
  app->AttachProvider(files);
  files->Release();
  const std::string longTip(200, 'x');
  const std::string layout =
      "<ORIEL width='160' height='100'><root>"
      "<shellnotifyicon id='110' ico='NOPE:16;ICON_LOGO:16;ICON_LOGO:20;ICON_LOGO:24;ICON_LOGO:32;ICON_LOGO:48' "
      "deficoidx='0x9' startframe='1' duration='0x32' menu='XML:ex' tip='" + longTip + "'/></root></ORIEL>";
  TrayManager tray;
  SShellNotifyIcon* icon = OpenHost(layout.c_str());
  ASSERT_NE(icon, nullptr);
  const NOTIFYICONDATAW& record = icon->GetRecord();
  EXPECT_EQ(icon->GetIconCount(), 5u) << "an icon that does not load is skipped";
  EXPECT_EQ(record.hIcon, icon->GetIcon(0)) << "a default index past the icons falls back to 0";
  EXPECT_EQ(wcslen(record.szTip), 127u);
  EXPECT_EQ(icon->GetMenuKind(), SShellNotifyIcon::kMenuEx);
  ASSERT_TRUE(pumpUntil([&] { return tray.docked() == 1 && LogoShows(); }));

  // Menus: another root leaves no menu (and the old name), a missing
  // resource changes nothing, a "menu" root is a Win32 menu.
  EXPECT_TRUE(icon->SetMenu(SStringW(L"XML:other")));
  EXPECT_EQ(icon->GetMenuKind(), SShellNotifyIcon::kMenuNone);
  EXPECT_EQ(icon->GetMenuName(), SStringW(L"XML:ex"));
  EXPECT_FALSE(icon->SetMenu(SStringW(L"XML:missing")));
  EXPECT_EQ(icon->GetMenuKind(), SShellNotifyIcon::kMenuNone);
  EXPECT_TRUE(icon->SetMenu(SStringW(L"SMENU:menu_tray")));
  EXPECT_EQ(icon->GetMenuKind(), SShellNotifyIcon::kMenuWin32);

  // The tip after creation replaces the shown one; an empty one is ignored.
  icon->ApplyAttribute(SStringW(L"tip"), SStringW(L"new tip"), FALSE);
  EXPECT_EQ(SStringW(record.szTip), SStringW(L"new tip"));
  icon->ApplyAttribute(SStringW(L"tip"), SStringW(), FALSE);
  EXPECT_EQ(SStringW(record.szTip), SStringW(L"new tip"));

  icon->SetDefaultIcon(5);
  EXPECT_EQ(record.hIcon, icon->GetIcon(0)) << "an index outside the list is refused";
  icon->SetDefaultIcon(2);
  EXPECT_EQ(record.hIcon, icon->GetIcon(2));

  // Frames from the start frame on, wrapping back to it; the timer runs them.
  icon->StartAnimation();
  ASSERT_TRUE(icon->IsAnimating());
  std::vector<HICON> frames;
  for (int i = 0; i < 6; ++i) {
    icon->ShowNextFrame();
    frames.push_back(record.hIcon);
  }
  EXPECT_EQ(frames, (std::vector<HICON>{icon->GetIcon(1), icon->GetIcon(2), icon->GetIcon(3), icon->GetIcon(4),
                                        icon->GetIcon(1), icon->GetIcon(2)}));
  EXPECT_TRUE(pumpUntil([&] { return record.hIcon == icon->GetIcon(4); }, 3000)) << "timer 8 shows no frames";
  icon->StopAnimation();
  EXPECT_FALSE(icon->IsAnimating());
  EXPECT_EQ(record.hIcon, icon->GetIcon(2));
  pumpFor(200);
  EXPECT_EQ(record.hIcon, icon->GetIcon(2)) << "the timer outlived the animation";
  // A start frame without three icons after it starts nothing.
  icon->ApplyAttribute(SStringW(L"startframe"), SStringW(L"2"), FALSE);
  icon->StartAnimation();
  EXPECT_FALSE(icon->IsAnimating());
}

TEST_F(TrayIconDisplayTest, WithoutAnIconThatLoadsTheLogoIsShown) {
  TrayManager tray;
  SShellNotifyIcon* icon = OpenHost(
      "<ORIEL width='160' height='100'><root><shellnotifyicon id='110' ico='NOPE:16'/></root></ORIEL>");
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->GetIconCount(), 0u);
  EXPECT_NE(icon->GetRecord().hIcon, nullptr);
  ASSERT_TRUE(pumpUntil([&] { return tray.docked() == 1; }));
  EXPECT_TRUE(pumpUntil(LogoShows)) << std::hex << screenPixel(kLogoX, kLogoY);
}

TEST_F(TrayIconDisplayTest, TheFinalReleaseTakesTheMessageWindowDownBeforeAnythingQueuedForItRuns) {
  TrayManager tray;
  SShellNotifyIcon* icon = OpenHost();
  ASSERT_NE(icon, nullptr);
  RecordHostMessages();
  ASSERT_TRUE(pumpUntil([&] { return tray.docked() == 1; }));
  const HWND messages = icon->GetMessageWindow();
  const UINT created = RegisterWindowMessageW(L"TaskbarCreated");
  // A click, the animation timer and a tray restart, all still queued.
  PostMessageW(messages, UM_TRAY_NOTIFY, 100, WM_RBUTTONDOWN);
  PostMessageW(messages, UM_TRAY_NOTIFY, 100, WM_LBUTTONDOWN);
  PostMessageW(messages, WM_TIMER, SShellNotifyIcon::kAnimationTimer, 0);
  PostMessageW(messages, created, 0, 0);
  ASSERT_TRUE(icon->Destroy());  // its last reference
  EXPECT_FALSE(IsWindow(messages)) << "the message window outlived the control";
  EXPECT_EQ(Win32TrayIconWindow(messages, 100), 0u);
  pumpFor(500);
  EXPECT_TRUE(trayNotices.empty());
  EXPECT_FALSE(IsWindowVisible(host->GetHwnd()));
  EXPECT_FALSE(TrayMenuOnScreen().has_value());
  EXPECT_EQ(tray.docked(), 1) << "a queued restart notice added the icon again";
  EXPECT_EQ(Win32TrayIconWindow(messages, 100), 0u);
}

TEST_F(TrayIconDisplayTest, AMainWindowThatTakesTheIconDownOnExitLeavesNothingBehind) {
  TrayManager tray;
  SShellNotifyIcon* icon = OpenHost();
  ASSERT_NE(icon, nullptr);
  ASSERT_TRUE(pumpUntil([&] { return tray.docked() == 1 && LogoShows(); }));
  const HWND messages = icon->GetMessageWindow();
  // "退出主程序" takes the control down while its menu is still on the stack.
  host->before = [&](UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_COMMAND && wParam == SShellNotifyIcon::kCmdExit && icon) {
      commands.push_back(wParam);
      icon->Destroy();
      icon = nullptr;
      return 0;
    }
    return std::nullopt;
  };
  const std::optional<RECT> menu = RightClickMenu([&](const RECT& r) {
    const int y = r.top + (r.bottom - r.top) * 5 / 6;
    moveMouse(r.left + 60, y);
    usleep(50000);
    moveMouse(r.left + 62, y + 1);
    usleep(50000);
    clickButton(Button1);
  });
  ASSERT_TRUE(menu.has_value());
  EXPECT_EQ(commands, std::vector<WPARAM>{43});
  EXPECT_EQ(icon, nullptr);
  EXPECT_FALSE(IsWindow(messages));
  EXPECT_EQ(Win32TrayIconWindow(messages, 100), 0u);
  // A click on where the icon was reaches nothing.
  moveMouse(kIconX, kIconY);
  clickButton(Button3);
  pumpFor(300);
  EXPECT_FALSE(TrayMenuOnScreen().has_value());
  moveMouse(700, 600);
}

}  // namespace
