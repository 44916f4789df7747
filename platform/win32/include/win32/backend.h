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
  // Windows of other processes (handles that findForeignWindow gave out):
  // whether a handle still names one, and a message for it, delivered to
  // the owning process, which posts it to its window.
  BOOL (*isForeignWindow)(HWND hwnd, void* context);
  BOOL (*postForeign)(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, void* context);
  // `pump` without reading `fd`: sends what is buffered and routes only the
  // input the backend library holds already. Run instead of `pump` when the
  // thread is about to wait on `fd`, or a wait on it just found it quiet.
  // Null: `pump` serves.
  void (*pumpQueued)(void* context);
};

// The hooks above: `isForeignWindow` lets IsWindow accept such handles and
// `postForeign` carries PostMessageW and SendMessageW to them (a send to
// another process cannot wait for its answer and returns 0).
//
// Installs the backend (copied), or removes it with null. Install it before
// any thread waits for messages.
void Win32SetDisplayBackend(const Win32DisplayBackend* backend);

// The "needs paint" state behind WM_PAINT: a flagged window receives WM_PAINT
// only when its thread has no sent, posted or timer message waiting, and keeps
// receiving it until the flag is cleared (BeginPaint/ValidateRect, or
// DefWindowProcW's WM_PAINT handling). Callable from any thread.
void Win32SetNeedsPaint(HWND hwnd, BOOL needsPaint);
BOOL Win32NeedsPaint(HWND hwnd);

// Window painting meets the GDI layer here. A window's DC draws into a Cairo
// ARGB32 image surface (its backing store); the GDI layer makes HDCs over
// such surfaces and installs these functions once, before any painting.
// Until it does, BeginPaint and GetDC hand out DCs of the layer's own that
// only Win32SurfaceOfDC understands.
struct Win32SurfaceDCFactory {
  HDC (*create)(void* cairoSurface);          // a DC drawing into the surface
  BOOL (*destroy)(HDC hdc);                   // frees a DC made by `create`
  void* (*surfaceOf)(HDC hdc);                // the surface of any DC, or null
};
void Win32SetSurfaceDCFactory(const Win32SurfaceDCFactory* factory);
// The Cairo surface (cairo_surface_t*) a DC draws into: window DCs of this
// layer, or any DC through the installed factory. Null when unknown.
void* Win32SurfaceOfDC(HDC hdc);
// A DC over a Cairo ARGB32 image surface, made by the installed factory (or
// one of this layer's own), and its release: what the GDI layer wraps.
HDC Win32CreateSurfaceDC(void* cairoSurface);
void Win32DeleteSurfaceDC(HDC hdc);
// Icons meet the GDI layer the same way: the installed function gives the
// Cairo ARGB32 image surface (cairo_surface_t*, premultiplied) an HICON
// holds, or null. Without it, WM_SETICON keeps the icons but shows none.
using Win32IconSurfaceReader = void* (*)(HICON icon);
void Win32SetIconSurfaceReader(Win32IconSurfaceReader reader);
// The X window behind a top-level window (for protocols that name X
// windows, such as the tray's XEmbed) or a real child window, or 0.
unsigned long Win32XWindowOf(HWND hwnd);
// Takes a top-level window off the task bar and the pager
// (_NET_WM_STATE_SKIP_TASKBAR and _NET_WM_STATE_SKIP_PAGER), or puts it
// back; kept while the window lives, across hiding and showing. False
// without a display or for a window without an X window of its own.
BOOL Win32SetSkipTaskbar(HWND hwnd, BOOL skip);
// Makes a child window (WS_CHILD) real: an X subwindow of its root's X
// window at its place, mapped while the window is visible. SetWindowPos,
// ShowWindow and DestroyWindow then move, map, unmap and destroy it; its
// WM_PAINT draws into a surface of its own, shown in that subwindow, so the
// root's painting never covers it; pointer input inside it goes to it.
// Other child windows stay drawn on their root's surface. False without a
// display, for a window that is not a child, or one whose root has no X
// window.
BOOL Win32SetNativeChild(HWND hwnd);
// True when an X display is open for this process (opened on first use).
BOOL Win32HasDisplay();
