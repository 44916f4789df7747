// The thin wrapper of one Win32 window. The object is bound to its HWND by
// a window property, and one static procedure dispatches every wrapped
// window's messages to its object's message map; unhandled messages go on
// to the previous procedure (DefWindowProcW, or the old procedure of a
// subclassed window). After the window's last message (WM_NCDESTROY, once
// the outermost dispatch returns) the object is unbound and can be bound
// again; destroying the object never destroys the window.
#pragma once

#include "core/CMessageMap.h"
#include "win32/windows.h"

namespace ORIEL {

class CSimpleWnd : public CMessageMap {
 public:
  // The message being dispatched; it lives on the stack of the dispatch.
  struct CurrentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };

  explicit CSimpleWnd(HWND hwnd = nullptr);
  virtual ~CSimpleWnd();

  BOOL HandleWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&, DWORD) override { return FALSE; }

  // Creates the window in the framework's class; null on failure (the
  // object stays unbound).
  HWND Create(LPCWSTR name, DWORD style, DWORD exStyle, int x, int y, int cx, int cy, HWND parent,
              LPVOID createParam);
  // Subclasses an existing window; false when it cannot be bound.
  BOOL Attach(HWND hwnd);
  // Gives the window back its previous procedure and returns it; null when
  // the window is not bound to this object, or, unless `force`, when other
  // code has subclassed it since.
  HWND Detach(BOOL force = FALSE);

  HWND GetHwnd() const { return hwnd_; }
  WNDPROC GetPreviousProc() const { return previousProc_; }
  const CurrentMessage* GetCurrentMessage() const { return currentMsg_; }

  LRESULT CallPreviousProc(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT CallPreviousForCurrent();

  // Centres on `reference`, else the parent (child windows), the owner or
  // the active window, inside the parent's client area or the monitor's
  // work area.
  void CenterOnOwner(HWND reference = nullptr);
  BOOL ChangeStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
  BOOL ChangeExStyle(DWORD remove, DWORD add, UINT swpFlags = 0);

  // Sends a child's notification back to the child as message + OCM_BASE.
  // Without a target `handled` is false and the result 1.
  LRESULT ReflectChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  // Sends a child notification on to the parent window.
  LRESULT NotifyParent(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  // Answers a reflected notification nobody handled as the default
  // procedure answers the original one.
  static BOOL DefaultReflected(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // The one procedure of every wrapped window.
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // The class procedure: binds the window under construction at its first
  // message.
  static LRESULT CALLBACK FirstMessageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // The object bound to a window, or null.
  static CSimpleWnd* FromHandle(HWND hwnd);

 protected:
  // Called after the window's last message with the handle it had: drops
  // the binding. Owners that delete themselves with their window do it here.
  virtual void ReleaseThunk(HWND oldHwnd);

 private:
  BOOL Bind(HWND hwnd);
  LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  CurrentMessage* currentMsg_ = nullptr;
  BOOL destroyed_ = FALSE;
  HWND hwnd_;
  WNDPROC previousProc_ = &DefWindowProcW;
};

}  // namespace ORIEL
