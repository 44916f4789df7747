// How a display backend joins the headless messaging core.
//
// A thread that has nothing to retrieve in GetMessageW, WaitMessage or
// MsgWaitForMultipleObjects waits with poll() on its queue's wake eventfd
// (written by PostMessageW, SendMessageW, replies and quit requests from
// other threads) and on the backend's descriptor, `fd` (the X connection).
// Before every check of its queue, and so also right after `fd` became
// readable, the waiting thread calls `pump`: it must not block, it reads what
// input is pending (including input the backend library already buffered)
// and turns it into messages with PostMessageW or Win32SetNeedsPaint for the
// windows it concerns, whichever thread owns them. Any thread may run `pump`,
// possibly several at once; the backend does its own locking.
//
// The window hooks run on the thread that owns the window: `windowCreated`
// right after the window joined the table, before WM_NCCREATE (so handlers
// already find their native window); `windowDestroyed` after WM_NCDESTROY,
// just before the handle becomes invalid; `windowTextChanged` when
// DefWindowProcW stored a new title. `findForeignWindow` is asked by
// FindWindowW when no window of this process matches (a first instance's
// main window lives in another process). `translate` is TranslateMessage for
// key messages. Any hook may be null.
#pragma once

#include "win32/messages.h"
#include "win32/types.h"

struct Win32DisplayBackend {
  int fd;
  void (*pump)(void* context);
  void (*windowCreated)(HWND hwnd, const CREATESTRUCTW* create, void* context);
  void (*windowDestroyed)(HWND hwnd, void* context);
  void (*windowTextChanged)(HWND hwnd, LPCWSTR text, void* context);
  HWND (*findForeignWindow)(LPCWSTR className, LPCWSTR title, void* context);
  BOOL (*translate)(const MSG* msg, void* context);
  void* context;
};

// Installs the backend (copied), or removes it with null. Install it before
// any thread waits for messages.
void Win32SetDisplayBackend(const Win32DisplayBackend* backend);

// The "needs paint" state behind WM_PAINT: a flagged window receives WM_PAINT
// only when its thread has no sent, posted or timer message waiting, and keeps
// receiving it until the flag is cleared (BeginPaint/ValidateRect, or
// DefWindowProcW's WM_PAINT handling). Callable from any thread.
void Win32SetNeedsPaint(HWND hwnd, BOOL needsPaint);
BOOL Win32NeedsPaint(HWND hwnd);
