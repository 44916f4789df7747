// ShellExecuteW: the desktop's own handler opens a document or an address.
#pragma once

#include "win32/guid.h"
#include "win32/types.h"

#define SE_ERR_FNF 2
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_NOASSOC 31

// Verb "open" (or none) of a file, folder or URL runs `xdg-open` with that
// one argument, in `directory` when one is given, without a shell between.
// A value above 32 when the handler started; SE_ERR_FNF when no file was
// given or xdg-open could not be started; SE_ERR_NOASSOC for another verb
// or for parameters, which an opened document cannot take. The last error
// tells what failed.
// The file "explorer.exe" is the file manager: with "/select,<path>" it
// shows that file in its folder (see shell/show_items.h: D-Bus, else
// xdg-open of the folder, on a thread of its own), with a folder it opens
// the folder with xdg-open; either answers above 32 at once.
//
// Any other file named "<name>.exe" is a program instead: "<name>" in lower
// case (the way programs are named here) is started from `directory`, or
// from the current directory when none is given, with `parameters` split
// into its arguments by the Windows command-line rules. SE_ERR_FNF when
// there is no such file, SE_ERR_ACCESSDENIED when it cannot be executed.
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        INT show);

// The notification area (see win32/tray.h for how it is shown).
#define NIM_ADD 0x00000000
#define NIM_MODIFY 0x00000001
#define NIM_DELETE 0x00000002
#define NIF_MESSAGE 0x00000001
#define NIF_ICON 0x00000002
#define NIF_TIP 0x00000004
#define NIF_INFO 0x00000010

// The record with its 64-bit layout; cbSize must be sizeof(NOTIFYICONDATAW).
typedef struct _NOTIFYICONDATAW {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  WCHAR szTip[128];
  DWORD dwState;
  DWORD dwStateMask;
  WCHAR szInfo[256];
  UINT uTimeoutOrVersion;
  WCHAR szInfoTitle[64];
  DWORD dwInfoFlags;
  GUID guidItem;
  HICON hBalloonIcon;
} NOTIFYICONDATAW, *PNOTIFYICONDATAW;

// NIM_ADD docks the icon (fails without a tray manager, or when docked
// already); NIM_MODIFY changes the parts uFlags names; NIM_DELETE removes
// it. FALSE with the last error set on failure or a wrong cbSize.
BOOL Shell_NotifyIconW(DWORD message, PNOTIFYICONDATAW data);
