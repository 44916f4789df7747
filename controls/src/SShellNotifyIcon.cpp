#include "controls/SShellNotifyIcon.h"

#include <cwchar>

#include "control/SMenuEx.h"
#include "control/SWin32Menu.h"
#include "core/SApplication.h"
#include "core/SLog.h"
#include "core/SStringSplit.h"
#include "core/SwndContainer.h"
#include "logic/BllMain.h"

namespace ORIEL {

SShellNotifyIcon::SShellNotifyIcon() = default;

SShellNotifyIcon::~SShellNotifyIcon() {
  ReleaseTray();
  DestroyIcons();
}

void SShellNotifyIcon::OnLastRelease() {
  ReleaseTray();
  SWindow::OnLastRelease();
}

void SShellNotifyIcon::ReleaseTray() {
  if (!msgWnd_) return;
  RemoveFromTray();
  DestroyIcons();
  CShellNotifyHwnd2* wnd = msgWnd_;
  msgWnd_ = nullptr;
  wnd->ForgetControl();
  // Destroyed now, not closed by a posted message: what is still queued
  // for it dies with the window. Inside one of its own messages the object
  // goes when that message is done.
  if (HWND hwnd = wnd->GetHwnd()) DestroyWindow(hwnd);
}

void SShellNotifyIcon::DestroyIcons() {
  for (HICON icon : icons_) DestroyIcon(icon);
  icons_.clear();
  if (fallback_) DestroyIcon(fallback_);
  fallback_ = nullptr;
}

HRESULT SShellNotifyIcon::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"ico")) {
    SetIcons(value);
  } else if (AttrNameIs(name, L"tip")) {
    SetTip(value, loading);
  } else if (AttrNameIs(name, L"menu")) {
    SetMenu(value);
  } else if (AttrNameIs(name, L"deficoidx")) {
    defaultIcon_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"startframe")) {
    startFrame_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"duration")) {
    duration_ = ParseAttrInt(value);
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, S_FALSE);
}

void SShellNotifyIcon::SetIcons(const SStringW& list) {
  DestroyIcons();
  SApplication* app = SApplication::getSingletonPtr();
  if (!app) return;
  SArray<SStringW> ids;
  SplitByChar(list, L';', ids);
  for (int i = 0; i < ids.GetCount(); ++i) {
    if (ids[i].IsEmpty()) continue;
    if (HICON icon = app->LoadIconById(ids[i])) icons_.push_back(icon);
  }
}

void SShellNotifyIcon::SetTip(const SStringW& tip, BOOL loading) {
  if (tip.IsEmpty()) return;
  tip_ = tip;
  if (loading || !msgWnd_) return;
  record_.uFlags = (record_.uFlags & ~NIF_INFO) | NIF_TIP;
  // The record holds 127 characters: a longer tip is cut there.
  wcsncpy(record_.szTip, tip_.c_str(), 127);
  record_.szTip[127] = 0;
  Shell_NotifyIconW(NIM_MODIFY, &record_);
}

BOOL SShellNotifyIcon::SetMenu(const SStringW& resName) {
  SApplication* app = SApplication::getSingletonPtr();
  SXmlDoc doc;
  if (!app || !app->LoadXmlById(doc, resName)) return FALSE;
  pugi::xml_node root = doc.document_element();
  if (root && XmlNameIs(root.name(), L"menu")) {
    menuKind_ = kMenuWin32;
  } else if (root && (XmlNameIs(root.name(), L"menuRoot") || XmlNameIs(root.name(), L"menuItem"))) {
    menuKind_ = kMenuEx;
  } else {
    menuKind_ = kMenuNone;
    return TRUE;
  }
  menuName_ = resName;
  return TRUE;
}

HICON SShellNotifyIcon::GetIcon(int index) const {
  if (index >= 0 && static_cast<size_t>(index) < icons_.size()) return icons_[static_cast<size_t>(index)];
  return fallback_;
}

BOOL SShellNotifyIcon::CreateChildren(pugi::xml_node) {
  if (msgWnd_) return TRUE;
  ISwndContainer* container = GetContainer();
  msgWnd_ = CShellNotifyHwnd2::Make(container ? container->GetHostHwnd() : nullptr, this);
  if (static_cast<size_t>(defaultIcon_) >= icons_.size() || defaultIcon_ < 0) defaultIcon_ = 0;
  if (icons_.empty() && !fallback_) {
    if (SApplication* app = SApplication::getSingletonPtr()) fallback_ = app->LoadIconById(SStringW(L"ICON_LOGO:16"));
  }
  record_ = NOTIFYICONDATAW{};
  record_.cbSize = sizeof(NOTIFYICONDATAW);
  record_.hWnd = GetMessageWindow();
  record_.uID = kIconId;
  record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record_.uCallbackMessage = UM_TRAY_NOTIFY;
  record_.hIcon = GetIcon(defaultIcon_);
  wcsncpy(record_.szTip, tip_.c_str(), 127);
  record_.szTip[127] = 0;
  if (!AddToTray()) {
    SLOGW(SLOG_LEVEL_WARN, "ORIEL::SShellNotifyIcon::CreateChildren",
          L"the tray icon was not added (no notification area?), error %d", static_cast<int>(GetLastError()));
  }
  return TRUE;
}

BOOL SShellNotifyIcon::AddToTray() {
  if (record_.cbSize != sizeof(NOTIFYICONDATAW)) return FALSE;
  return Shell_NotifyIconW(NIM_ADD, &record_);
}

BOOL SShellNotifyIcon::RemoveFromTray() { return Shell_NotifyIconW(NIM_DELETE, &record_); }

bool SShellNotifyIcon::IsInTray() {
  // Only an icon the tray holds can be changed; this changes nothing.
  return record_.cbSize == sizeof(NOTIFYICONDATAW) && Shell_NotifyIconW(NIM_MODIFY, &record_);
}

void SShellNotifyIcon::ShowIcon(HICON icon) {
  record_.uFlags = (record_.uFlags & ~NIF_INFO) | NIF_ICON;
  record_.hIcon = icon;
  Shell_NotifyIconW(NIM_MODIFY, &record_);
}

void SShellNotifyIcon::SetDefaultIcon(int index) {
  if (index < 0 || static_cast<size_t>(index) >= icons_.size()) return;
  defaultIcon_ = index;
  if (!animating_) ShowIcon(icons_[static_cast<size_t>(index)]);
}

void SShellNotifyIcon::StartAnimation() {
  if (!msgWnd_ || startFrame_ < 0 || static_cast<size_t>(startFrame_) + 3 >= icons_.size()) return;
  frame_ = startFrame_;
  record_.uFlags = (record_.uFlags & ~NIF_INFO) | NIF_ICON;
  ::SetTimer(msgWnd_->GetHwnd(), kAnimationTimer, static_cast<UINT>(duration_), nullptr);
  animating_ = true;
}

void SShellNotifyIcon::StopAnimation() {
  frame_ = 0;
  if (animating_) {
    animating_ = false;
    if (msgWnd_) ::KillTimer(msgWnd_->GetHwnd(), kAnimationTimer);
  }
  ShowIcon(GetIcon(defaultIcon_));
}

void SShellNotifyIcon::ShowNextFrame() {
  if (icons_.empty()) return;
  int shown = frame_;
  if (shown < 0 || static_cast<size_t>(shown) >= icons_.size()) shown = startFrame_;
  if (shown < 0 || static_cast<size_t>(shown) >= icons_.size()) return;
  frame_ = shown + 1;
  ShowIcon(icons_[static_cast<size_t>(shown)]);
}

namespace {

struct TrayMenuItem {
  UINT id;
  const wchar_t* text;
};

// The three items: what the floating window offers depends on whether it
// is on screen.
void TrayMenuItems(TrayMenuItem (&items)[3]) {
  const bool floatingShown = CBllMain::Instance().IsFloatingWindowVisible();
  items[0] = floatingShown ? TrayMenuItem{SShellNotifyIcon::kCmdHideFloating, L"隐藏悬浮球"}
                           : TrayMenuItem{SShellNotifyIcon::kCmdShowFloating, L"显示悬浮球"};
  items[1] = {SShellNotifyIcon::kCmdOpenMain, L"打开主界面"};
  items[2] = {SShellNotifyIcon::kCmdExit, L"退出主程序"};
}

// The cursor's position, with the owner brought to the foreground so that
// a click anywhere else closes the menu.
POINT MenuPlace(HWND owner) {
  POINT cursor{};
  GetCursorPos(&cursor);
  SetForegroundWindow(owner);
  return cursor;
}

bool ShowWin32Menu(const SStringW& resName, HWND owner, int scale) {
  SWin32Menu menu;
  if (!menu.LoadFromResName(resName)) return false;
  TrayMenuItem items[3];
  TrayMenuItems(items);
  for (int i = 0; i < 3; ++i) menu.AppendItem(MF_STRING, items[i].id, SStringW(items[i].text), i);
  const POINT at = MenuPlace(owner);
  menu.ShowPopup(0, at.x, at.y, owner, nullptr, scale);
  return true;
}

bool ShowFrameworkMenu(const SStringW& resName, HWND owner, int scale) {
  SMenuEx menu;
  if (!menu.LoadFromResource(resName)) return false;
  TrayMenuItem items[3];
  TrayMenuItems(items);
  for (const TrayMenuItem& item : items)
    menu.AddItem(-1, MF_STRING, static_cast<int>(item.id), SStringW(item.text));
  const POINT at = MenuPlace(owner);
  menu.ShowPopup(0, at.x, at.y, owner, scale);
  return true;
}

}  // namespace

void SShellNotifyIcon::ShowMenu() {
  if (menuKind_ == kMenuNone || !msgWnd_) return;
  // The main window may act on the chosen command, and take this control
  // down, before the menu returns: the control stays until then.
  SRefPtr<SShellNotifyIcon> self(this);
  const HWND owner = msgWnd_->GetHwnd();
  const bool shown = menuKind_ == kMenuWin32 ? ShowWin32Menu(menuName_, owner, GetScale())
                                             : ShowFrameworkMenu(menuName_, owner, GetScale());
  if (!shown) {
    SLOGW(SLOG_LEVEL_WARN, "ORIEL::SShellNotifyIcon::ShowMenu", L"the tray menu %s did not load",
          menuName_.c_str());
  }
}

BOOL SShellNotifyIcon::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_PAINT:
    case WM_NCPAINT:
      result = 0;
      return TRUE;
    case WM_ERASEBKGND:
      result = 1;
      return TRUE;
    default:
      return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
}

}  // namespace ORIEL
