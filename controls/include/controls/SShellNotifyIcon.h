// "shellnotifyicon": the program's icon in the desktop's notification area.
// The control itself is an invisible window of the main window's layout;
// a hidden message-only window of its own (CShellNotifyHwnd2) receives the
// icon's clicks, the tray menu's commands, the animation timer and the
// tray's restart notice ("TaskbarCreated"). A left click shows or hides the
// main window, a right click opens the tray menu, whose commands go to the
// main window as WM_COMMAND.
#pragma once

#include <vector>

#include "core/CSimpleWnd.h"
#include "core/SWnd.h"
#include "shell/shellapi.h"

namespace ORIEL {

// The icon's callback message: wParam the icon's id, lParam the mouse message.
constexpr UINT UM_TRAY_NOTIFY = 0x857;

class SShellNotifyIcon;

class CShellNotifyHwnd2 : public CSimpleWnd {
 public:
  // Registers "TaskbarCreated" and creates the message-only window; null
  // when the window cannot be made. The object deletes itself after its
  // window's last message.
  static CShellNotifyHwnd2* Make(HWND host, SShellNotifyIcon* icon);

  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;
  // The control is going away: from now on no message reaches it.
  void ForgetControl() { icon_ = nullptr; }
  UINT GetTaskbarCreatedMessage() const { return taskbarCreated_; }

  static constexpr const wchar_t* kWindowName = L"shell_nofity_msg_windows";

 protected:
  void ReleaseThunk(HWND oldHwnd) override;

 private:
  CShellNotifyHwnd2(HWND host, SShellNotifyIcon* icon);
  ~CShellNotifyHwnd2() override = default;
  // The icon's own handling of a click the host left alone.
  LRESULT OnTrayNotify(LPARAM mouseMessage);

  HWND host_;  // looked up again on each message: the host may be gone
  SShellNotifyIcon* icon_;
  UINT taskbarCreated_;
};

class SShellNotifyIcon : public SWindow {
  SOBJ_CLASS(SShellNotifyIcon, SWindow, L"shellnotifyicon", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }

  static constexpr UINT kIconId = 100;
  static constexpr UINT kAnimationTimer = 8;
  // The tray menu's commands, as the main window receives them.
  enum : UINT { kCmdOpenMain = 42, kCmdExit = 43, kCmdShowFloating = 44, kCmdHideFloating = 45 };
  // What the "menu" resource holds.
  enum MenuKind { kMenuWin32 = 0, kMenuEx = 1, kMenuNone = 2 };

  SShellNotifyIcon();
  ~SShellNotifyIcon() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  // Creation: the message window and the icon in the tray; no children.
  BOOL CreateChildren(pugi::xml_node element) override;
  // Removes the icon and destroys the message window at once, so that no
  // click or timer still queued for it can reach the freed control.
  void OnLastRelease() override;

  // The tray menu at the cursor: the resource's menu with three items
  // (show or hide the floating window, open the main window, exit).
  void ShowMenu();
  // Ignored for an index outside the icon list.
  void SetDefaultIcon(int index);
  // Cycles from the start frame on; needs at least three icons after it.
  void StartAnimation();
  void StopAnimation();
  // Timer 8: the next frame of the animation.
  void ShowNextFrame();

  // "A;B;C": icon resources ("ICON_LOGO:16"); those that do not load are skipped.
  void SetIcons(const SStringW& list);
  // An empty tip is ignored; after creation the shown tip changes too.
  void SetTip(const SStringW& tip, BOOL loading = FALSE);
  // The menu kind follows the resource's root element; false when it
  // cannot be loaded (nothing changes then).
  BOOL SetMenu(const SStringW& resName);
  BOOL AddToTray();
  BOOL RemoveFromTray();
  // Whether the desktop's notification area holds the icon now (a tray
  // that went away took it along).
  bool IsInTray();

  HWND GetMessageWindow() const { return msgWnd_ ? msgWnd_->GetHwnd() : nullptr; }
  const NOTIFYICONDATAW& GetRecord() const { return record_; }
  int GetMenuKind() const { return menuKind_; }
  SStringW GetMenuName() const { return menuName_; }
  size_t GetIconCount() const { return icons_.size(); }
  // The icon at `index`, or the logo when the index is outside the list.
  HICON GetIcon(int index) const;
  bool IsAnimating() const { return animating_; }

 protected:
  // Paints nothing, ever.
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void DestroyIcons();
  void ShowIcon(HICON icon);
  void ReleaseTray();

  std::vector<HICON> icons_;
  HICON fallback_ = nullptr;  // the logo, loaded when no icon was given
  SStringW tip_;
  SStringW menuName_;
  int menuKind_ = kMenuNone;
  NOTIFYICONDATAW record_{};
  CShellNotifyHwnd2* msgWnd_ = nullptr;
  int defaultIcon_ = 0;
  int frame_ = 0;
  int startFrame_ = 1;
  int duration_ = 200;
  bool animating_ = false;
};

}  // namespace ORIEL
