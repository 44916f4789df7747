// The pop-up host of drop-down content (a combo box's list, a date
// picker's calendar). It is a borderless host window that never takes the
// activation: keys stay with the window that opened it, and it holds the
// mouse capture while open so that a click elsewhere closes it. It ends
// once, with the first end code (1 accepted, 2 cancelled), tells its owner
// while it is being destroyed, and deletes itself after its last message.
#pragma once

#include "core/IMessageFilter.h"
#include "core/SHostWnd.h"

namespace ORIEL {

class SDropDownWnd;

// What a drop-down window asks of the window that opened it.
struct ISDropDownOwner {
  virtual ~ISDropDownOwner() = default;
  // The window that opened the drop-down; its container's loop and host
  // window serve the drop-down.
  virtual SWindow* GetDropDownOwner() = 0;
  // The pop-up exists and is not shown yet: fill it.
  virtual void PrepareDropDown(SDropDownWnd* dropDown) = 0;
  // The pop-up is being destroyed; its end code is set.
  virtual void ReleaseDropDown(SDropDownWnd* dropDown) = 0;
};

class SDropDownWnd : public SHostWnd, public IMessageFilter {
 public:
  explicit SDropDownWnd(ISDropDownOwner* owner);
  ~SDropDownWnd() override;

  using SHostWnd::Create;
  // Makes the pop-up at `rc` (screen coordinates), owned by the owner's
  // host window, then lets the owner fill it. False when no window could
  // be made; the owner is then not told.
  virtual BOOL Create(const RECT& rc, LPVOID ignored, DWORD style, DWORD exStyle);
  // Stores the code and destroys the window the first time; later calls
  // change nothing.
  virtual void EndDropDown(int code);
  int GetExitCode() const { return exitCode_; }
  ISDropDownOwner* GetDropDownOwnerObject() const { return owner_; }
  SWindow* GetDropDownOwnerWindow() const { return owner_ ? owner_->GetDropDownOwner() : nullptr; }

  // Activation news reach the pop-up; a mouse move refreshes its cursor
  // while it holds the capture. Never eats a message.
  BOOL PreFilter(MSG* msg) override;
  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;
  // The owner's loop: the drop-down's tree runs on it.
  SMessageLoop* GetMessageLoop() override;
  // The framework capture goes, the pop-up's Win32 capture stays.
  BOOL ReleaseMouseCapture() override;

 protected:
  void ReleaseThunk(HWND oldHwnd) override;

 private:
  bool OutsideClient(LPARAM lParam) const;

  ISDropDownOwner* owner_;  // not owned
  SMessageLoop* loop_ = nullptr;
  bool pressedInside_ = false;
  int exitCode_ = -1;
};

// The drop-down of a combo box: while it is open, Enter, Esc, Up and Down
// and the wheel go to the pop-up, though the keyboard focus stays with the
// combo's host window.
class SDropDownWnd_ComboBox : public SDropDownWnd {
 public:
  using SDropDownWnd::SDropDownWnd;
  BOOL PreFilter(MSG* msg) override;
};

}  // namespace ORIEL
